// The register a station keeps by law: its profile, and its stallions under every name they
// went by.
#include "journal_private.h"
#include "register_rules.h"
#include "sheet_queries.h"

#include <QHash>

#include <algorithm>
#include <array>

namespace estrivo {

using Kind = JournalError::Kind;

namespace {

JournalError refusal(const QString &reason)
{
    return {Kind::Refused, reason};
}

constexpr auto kProfileKeys = std::array{"name"_L1,    "address"_L1,         "approval"_L1,
                                         "marking"_L1, "retention_years"_L1, "label_date"_L1};

} // namespace

Stallion stallionFromRow(const QSqlQuery &query, int first)
{
    Stallion stallion;
    stallion.id = query.value(first).toLongLong();
    stallion.name = query.value(first + 1).toString();
    stallion.species = query.value(first + 2).toString();
    stallion.breed = query.value(first + 3).toString();
    stallion.born = dayFromText(query.value(first + 4).toString());
    stallion.registration = query.value(first + 5).toString();
    stallion.ueln = query.value(first + 6).toString();
    stallion.owner = query.value(first + 7).toString();
    stallion.mergedInto = query.value(first + 8).toLongLong();
    return stallion;
}

Movement movementFromRow(const QSqlQuery &query, int first)
{
    const auto text = [&](int column) {
        return query.value(first + column).toString();
    };
    Movement movement;
    movement.id = query.value(first).toLongLong();
    movement.sheetId = query.value(first + 1).toLongLong();
    movement.kind = movementKindFromName(text(2)).value_or(MovementKind::Adjusted);
    movement.movedAt = timeFromText(text(3));
    movement.doses = query.value(first + 4).toLongLong();
    movement.consignee = text(5);
    movement.mare = text(6);
    movement.mareUeln = text(7);
    movement.address = text(8);
    movement.country = text(9);
    movement.vet = text(10);
    movement.carrier = text(11);
    movement.tracking = text(12);
    movement.container = text(13);
    movement.dueBack = dayFromText(text(14));
    movement.of = query.value(first + 15).toLongLong();
    movement.containerBack = query.value(first + 16).toInt() != 0;
    movement.reason = text(17);
    movement.operatorName = text(18);
    movement.workstation = text(19);
    movement.uid = text(20);
    movement.freezeBatchId = query.value(first + 21).toLongLong();
    movement.fromTankId = query.value(first + 22).toLongLong();
    movement.fromCanister = query.value(first + 23).toInt();
    movement.fromGoblet = text(24);
    movement.fromCane = text(25);
    return movement;
}

std::optional<StationProfile> Journal::stationProfile()
{
    StationProfile profile;
    const bool done = d->read([&](QSqlQuery &query) {
        profile = {};
        if (!run(query, u"SELECT key, value FROM station_profile"_s))
            return false;
        while (query.next()) {
            const QString key = query.value(0).toString();
            const QString value = query.value(1).toString();
            if (key == "name"_L1)
                profile.name = value;
            else if (key == "address"_L1)
                profile.address = value;
            else if (key == "approval"_L1)
                profile.approval = value;
            else if (key == "marking"_L1)
                profile.marking = value == "eu"_L1 ? StationProfile::Marking::Eu
                                                   : StationProfile::Marking::None;
            else if (key == "retention_years"_L1)
                profile.retentionYears
                    = std::clamp(value.toInt(), kMinRetentionYears, kMaxRetentionYears);
            else if (key == "label_date"_L1)
                profile.labelDate = value == "dd.mm.yy"_L1 ? StationProfile::LabelDate::DdMmYy
                                                           : StationProfile::LabelDate::Yymmdd;
        }
        return !query.lastError().isValid();
    });
    if (!done)
        return std::nullopt;
    d->succeeded();
    return profile;
}

JournalError Journal::setStationProfile(const StationProfile &profile)
{
    if (!profile.approval.isEmpty()) {
        if (const QString problem = approvalProblem(profile.approval); !problem.isEmpty())
            return d->failed(Kind::Refused, problem);
    } else if (profile.marking == StationProfile::Marking::Eu) {
        return d->failed(Kind::Refused,
                         JournalText::tr("The EU marking needs the station's approval number."));
    }
    if (profile.retentionYears < kMinRetentionYears || profile.retentionYears > kMaxRetentionYears)
        return d->failed(Kind::Refused, JournalText::tr("Records are kept for %1 to %2 years.")
                                            .arg(kMinRetentionYears)
                                            .arg(kMaxRetentionYears));
    for (const auto &[what, text] : {std::pair{JournalText::tr("station's name"), profile.name},
                                     std::pair{JournalText::tr("address"), profile.address}}) {
        if (const QString problem = textProblem(what, text); !problem.isEmpty())
            return d->failed(Kind::Refused, problem);
    }
    const std::array<QString, kProfileKeys.size()> values{
        profile.name.trimmed(),
        profile.address.trimmed(),
        profile.approval,
        profile.marking == StationProfile::Marking::Eu ? u"eu"_s : u"none"_s,
        QString::number(profile.retentionYears),
        profile.labelDate == StationProfile::LabelDate::DdMmYy ? u"dd.mm.yy"_s : u"yymmdd"_s};
    return d->write([&](QSqlQuery &query) {
        for (std::size_t i = 0; i < kProfileKeys.size(); ++i) {
            if (!run(query,
                     u"INSERT INTO station_profile (key, value) VALUES (?, ?)"
                     " ON CONFLICT (key) DO UPDATE SET value = excluded.value"_s,
                     {QString(kProfileKeys[i]), textValue(values[i])}))
                return false;
        }
        return true;
    });
}

QList<Stallion> Journal::registeredStallions()
{
    QList<Stallion> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.clear();
        // His collections: the sheets under any of his names (the stallion key's index).
        if (!run(query, "SELECT "_L1 + kStallionColumns
                            + ", (SELECT COUNT(*) FROM sheets JOIN stallion_names n"
                              " ON sheets.stallion_key = n.name_key WHERE n.stallion_id = s.id)"
                              " FROM stallions s WHERE merged_into IS NULL"_L1))
            return false;
        while (query.next()) {
            found << stallionFromRow(query);
            found.back().collections = query.value(9).toLongLong();
        }
        if (query.lastError().isValid())
            return false;
        query.finish();
        if (!run(query, u"SELECT stallion_id, name FROM stallion_names WHERE alias = 1"
                        " ORDER BY name_key"_s))
            return false;
        QHash<qint64, QStringList> aliases;
        while (query.next())
            aliases[query.value(0).toLongLong()] << query.value(1).toString();
        for (Stallion &stallion : found)
            stallion.aliases = aliases.value(stallion.id);
        return !query.lastError().isValid();
    });
    if (!done)
        return {};
    std::sort(found.begin(), found.end(), [](const Stallion &a, const Stallion &b) {
        const QString keyA = stallionKey(a.name);
        const QString keyB = stallionKey(b.name);
        return keyA != keyB ? keyA < keyB : a.id < b.id;
    });
    d->succeeded();
    return found;
}

std::optional<Stallion> Journal::registeredStallion(qint64 id)
{
    std::optional<Stallion> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.reset();
        if (!run(query, "SELECT "_L1 + kStallionColumns + " FROM stallions WHERE id = ?"_L1, {id}))
            return false;
        if (!query.next())
            return !query.lastError().isValid();
        found = stallionFromRow(query);
        query.finish();
        if (!run(query,
                 u"SELECT name, alias FROM stallion_names WHERE stallion_id = ?"
                 " ORDER BY name_key"_s,
                 {id}))
            return false;
        while (query.next()) {
            if (query.value(1).toInt() != 0)
                found->aliases << query.value(0).toString();
        }
        query.finish();
        if (!run(query,
                 u"SELECT COUNT(*) FROM sheets JOIN stallion_names n ON"
                 " sheets.stallion_key = n.name_key WHERE n.stallion_id = ?"_s,
                 {id})
            || !query.next())
            return false;
        found->collections = query.value(0).toLongLong();
        return true;
    });
    if (!done)
        return std::nullopt;
    if (!found) {
        d->failed(Kind::NotFound, JournalText::tr("The register holds no stallion %1.").arg(id));
        return std::nullopt;
    }
    d->succeeded();
    return found;
}

std::optional<Stallion> Journal::stallionNamed(const QString &name)
{
    const QString key = stallionKey(name);
    qint64 id = 0;
    const bool done = d->read([&](QSqlQuery &query) {
        id = 0;
        if (key.isEmpty())
            return true;
        if (!run(query, u"SELECT stallion_id FROM stallion_names WHERE name_key = ?"_s, {key}))
            return false;
        if (query.next())
            id = query.value(0).toLongLong();
        return !query.lastError().isValid();
    });
    if (!done)
        return std::nullopt;
    if (id == 0) {
        d->failed(Kind::NotFound,
                  JournalText::tr("No stallion of the register goes by \"%1\".").arg(name));
        return std::nullopt;
    }
    return registeredStallion(id);
}

JournalError Journal::registerStallion(Stallion &stallion)
{
    stallion.ueln = normalizedUeln(stallion.ueln);
    if (const QString problem = stallionProblem(stallion); !problem.isEmpty())
        return d->failed(Kind::Refused, problem);
    const QList<std::pair<QString, QString>> names = namesOf(stallion);
    qint64 id = 0;
    const JournalError saved = d->write([&](QSqlQuery &query) {
        for (const auto &[key, name] : names) {
            if (!run(query,
                     u"SELECT s.name FROM stallion_names n JOIN stallions s"
                     " ON s.id = n.stallion_id WHERE n.name_key = ?"_s,
                     {key}))
                return false;
            if (query.next()) {
                d->refusal = refusal(JournalText::tr("The name \"%1\" belongs to %2 already.")
                                         .arg(name, query.value(0).toString()));
                return false;
            }
            query.finish();
        }
        if (!run(query,
                 u"INSERT INTO stallions (name, species, breed, born, registration, ueln, owner,"
                 " created_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"_s,
                 {textValue(stallion.name.trimmed()), textValue(stallion.species),
                  textValue(stallion.breed), textValue(dayText(stallion.born)),
                  textValue(stallion.registration), textValue(stallion.ueln),
                  textValue(stallion.owner), timeText(QDateTime::currentDateTimeUtc())})
            || !query.next())
            return false;
        id = query.value(0).toLongLong();
        query.finish();
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (!run(query,
                     u"INSERT INTO stallion_names (name_key, stallion_id, name, alias)"
                     " VALUES (?, ?, ?, ?)"_s,
                     {names[i].first, id, names[i].second, i == 0 ? 0 : 1}))
                return false;
        }
        return true;
    });
    if (saved.ok())
        stallion.id = id;
    return saved;
}

JournalError Journal::updateStallion(const Stallion &changed)
{
    Stallion stallion = changed;
    stallion.ueln = normalizedUeln(stallion.ueln);
    if (const QString problem = stallionProblem(stallion); !problem.isEmpty())
        return d->failed(Kind::Refused, problem);
    return d->write([&](QSqlQuery &query) {
        if (!run(query, u"SELECT name, merged_into FROM stallions WHERE id = ?"_s, {stallion.id}))
            return false;
        if (!query.next()) {
            d->refusal = JournalError{Kind::NotFound, JournalText::tr("The register holds no "
                                                                      "stallion %1.")
                                                          .arg(stallion.id)};
            return false;
        }
        const QString oldName = query.value(0).toString();
        if (!query.value(1).isNull()) {
            d->refusal
                = refusal(JournalText::tr("%1 was merged into another stallion.").arg(oldName));
            return false;
        }
        query.finish();
        // A new name keeps the old one as an alias: the sheets written under it stay his.
        if (stallionKey(oldName) != stallionKey(stallion.name)
            && !stallion.aliases.contains(oldName))
            stallion.aliases.prepend(oldName);
        const QList<std::pair<QString, QString>> names = namesOf(stallion);
        for (const auto &[key, name] : names) {
            if (!run(query,
                     u"SELECT s.name FROM stallion_names n JOIN stallions s"
                     " ON s.id = n.stallion_id WHERE n.name_key = ? AND s.id <> ?"_s,
                     {key, stallion.id}))
                return false;
            if (query.next()) {
                d->refusal = refusal(JournalText::tr("The name \"%1\" belongs to %2 already.")
                                         .arg(name, query.value(0).toString()));
                return false;
            }
            query.finish();
        }
        if (!run(query,
                 u"UPDATE stallions SET name = ?, species = ?, breed = ?, born = ?,"
                 " registration = ?, ueln = ?, owner = ? WHERE id = ?"_s,
                 {textValue(stallion.name.trimmed()), textValue(stallion.species),
                  textValue(stallion.breed), textValue(dayText(stallion.born)),
                  textValue(stallion.registration), textValue(stallion.ueln),
                  textValue(stallion.owner), stallion.id})
            || !run(query, u"DELETE FROM stallion_names WHERE stallion_id = ?"_s, {stallion.id}))
            return false;
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (!run(query,
                     u"INSERT INTO stallion_names (name_key, stallion_id, name, alias)"
                     " VALUES (?, ?, ?, ?)"_s,
                     {names[i].first, stallion.id, names[i].second, i == 0 ? 0 : 1}))
                return false;
        }
        return true;
    });
}

JournalError Journal::mergeStallions(qint64 from, qint64 into)
{
    if (from == into)
        return d->failed(Kind::Refused,
                         JournalText::tr("A stallion is one with himself already."));
    return d->write([&](QSqlQuery &query) {
        std::optional<Stallion> source;
        std::optional<Stallion> target;
        for (const qint64 id : {from, into}) {
            if (!run(query, "SELECT "_L1 + kStallionColumns + " FROM stallions WHERE id = ?"_L1,
                     {id}))
                return false;
            if (!query.next()) {
                d->refusal = JournalError{
                    Kind::NotFound, JournalText::tr("The register holds no stallion %1.").arg(id)};
                return false;
            }
            (id == from ? source : target) = stallionFromRow(query);
            query.finish();
        }
        for (const Stallion *stallion : {&*source, &*target}) {
            if (stallion->mergedInto != 0) {
                d->refusal = refusal(
                    JournalText::tr("%1 was merged into another stallion.").arg(stallion->name));
                return false;
            }
        }
        // What the one kept lacks, the other may know.
        const auto either = [](const QString &kept, const QString &other) {
            return kept.isEmpty() ? other : kept;
        };
        return run(query,
                   u"UPDATE stallions SET breed = ?, born = ?, registration = ?, ueln = ?,"
                   " owner = ? WHERE id = ?"_s,
                   {textValue(either(target->breed, source->breed)),
                    textValue(dayText(target->born.isValid() ? target->born : source->born)),
                    textValue(either(target->registration, source->registration)),
                    textValue(either(target->ueln, source->ueln)),
                    textValue(either(target->owner, source->owner)), into})
               && run(query,
                      u"UPDATE stallion_names SET stallion_id = ?, alias = 1"
                      " WHERE stallion_id = ?"_s,
                      {into, from})
               && run(query, u"UPDATE stallions SET merged_into = ? WHERE id = ?"_s, {into, from});
    });
}

} // namespace estrivo
