// Frozen semen's batches: made from collections of one stallion, tested after thawing and
// released only on a test that reaches the station's figure.
#include "frozen_store.h"
#include "register_rules.h"
#include "sheet_queries.h"

#include "sample_sheet.h"

#include <QSet>
#include <QSysInfo>
#include <QUuid>

#include <cmath>

namespace estrivo {

using Kind = JournalError::Kind;

namespace {

// The most straws one batch can hold: beyond it the figure is a slip of the keyboard.
constexpr qint64 kMostStraws = 100000;
// Raw semen used is compared with what a collection gave to this much, for rounding.
constexpr double kMlTolerance = 1e-6;

JournalError refusal(const QString &reason)
{
    return {Kind::Refused, reason};
}

// A number the sheet shows, where it shows one.
std::optional<double> sheetNumber(const QString &text)
{
    const bool hasDigit
        = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!hasDigit)
        return std::nullopt;
    const double value = readNumber(text.toStdString());
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

bool isStrawVolume(double ml)
{
    return std::any_of(std::begin(kStrawVolumesMl), std::end(kStrawVolumesMl),
                       [ml](double volume) { return std::abs(volume - ml) < 1e-9; });
}

// Why a batch's own figures cannot be kept; empty when they can.
QString batchFormProblem(const FreezeBatch &batch)
{
    if (batch.sources.isEmpty())
        return JournalText::tr("A freeze batch is made from at least one collection.");
    QSet<qint64> seen;
    for (const FreezeSource &source : batch.sources) {
        if (seen.contains(source.sheetId))
            return JournalText::tr("Collection %1 is named twice.").arg(source.sheetId);
        seen.insert(source.sheetId);
        if (!std::isfinite(source.rawMl) || source.rawMl <= 0)
            return JournalText::tr("Collection %1 gives no raw semen to the batch.")
                .arg(source.sheetId);
    }
    if (!isStrawVolume(batch.strawVolumeMl))
        return JournalText::tr("Straws hold 0.25 or 0.5 ml, not %1 ml.").arg(batch.strawVolumeMl);
    if (batch.strawsMade < 1 || batch.strawsMade > kMostStraws)
        return JournalText::tr("A batch makes 1 to %1 straws.").arg(kMostStraws);
    if (!std::isfinite(batch.finalConcentration) || batch.finalConcentration <= 0)
        return JournalText::tr("The final concentration is a number above 0 (M/ml).");
    if (!std::isfinite(batch.spermPerStraw) || batch.spermPerStraw < 0)
        return JournalText::tr("The sperm per straw is a number above 0 (M).");
    if (batch.strawsPerDose < 0 || batch.strawsPerDose > batch.strawsMade)
        return JournalText::tr("Straws per dose lie between 1 and the straws made.");
    for (const double figure : {batch.centrifugationG, batch.centrifugationMinutes}) {
        if (!std::isfinite(figure) || figure < 0)
            return JournalText::tr("The centrifugation is given in g and minutes, 0 or more.");
    }
    const std::array<std::pair<QString, const QString *>, 5> texts{{
        {JournalText::tr("extender"), &batch.extender},
        {JournalText::tr("straw colour"), &batch.strawColour},
        {JournalText::tr("straw marking"), &batch.strawMarking},
        {JournalText::tr("notes"), &batch.notes},
        {JournalText::tr("operator"), &batch.operatorName},
    }};
    for (const auto &[what, text] : texts) {
        if (const QString problem = textProblem(what, *text); !problem.isEmpty())
            return problem;
    }
    return {};
}

constexpr QLatin1StringView kBatchColumns{
    "id, uid, stallion, stallion_key, frozen_at, centrifugation_g, centrifugation_minutes,"
    " extender, final_concentration, straw_volume_ml, straws_made, sperm_per_straw,"
    " straw_colour, straw_marking, straws_per_dose, notes, operator_name, workstation, state"};

FreezeBatch batchFromRow(const QSqlQuery &query)
{
    FreezeBatch batch;
    batch.id = query.value(0).toLongLong();
    batch.uid = query.value(1).toString();
    batch.stallion = query.value(2).toString();
    batch.stallionKey = query.value(3).toString();
    batch.frozenAt = timeFromText(query.value(4).toString());
    batch.centrifugationG = query.value(5).toDouble();
    batch.centrifugationMinutes = query.value(6).toDouble();
    batch.extender = query.value(7).toString();
    batch.finalConcentration = query.value(8).toDouble();
    batch.strawVolumeMl = query.value(9).toDouble();
    batch.strawsMade = query.value(10).toInt();
    batch.spermPerStraw = query.value(11).toDouble();
    batch.strawColour = query.value(12).toString();
    batch.strawMarking = query.value(13).toString();
    batch.strawsPerDose = query.value(14).toInt();
    batch.notes = query.value(15).toString();
    batch.operatorName = query.value(16).toString();
    batch.workstation = query.value(17).toString();
    batch.state = releaseStateFromName(query.value(18).toString()).value_or(ReleaseState::OnHold);
    return batch;
}

// Fills in a batch's sources and its straws in store and out of place.
bool readBatchDetails(QSqlQuery &query, FreezeBatch &batch)
{
    batch.sources.clear();
    if (!run(query,
             u"SELECT sheet_id, raw_ml FROM freeze_sources WHERE batch_id = ?"
             " ORDER BY sheet_id"_s,
             {batch.id}))
        return false;
    while (query.next())
        batch.sources << FreezeSource{query.value(0).toLongLong(), query.value(1).toDouble()};
    query.finish();
    if (!run(query, u"SELECT COALESCE(SUM(straws), 0) FROM placements WHERE batch_id = ?"_s,
             {batch.id})
        || !query.next())
        return false;
    batch.strawsStored = query.value(0).toInt();
    query.finish();
    if (!run(query,
             u"SELECT COALESCE(SUM(CASE WHEN kind IN ('returned', 'adjusted') THEN doses"
             " ELSE -doses END), 0) FROM movements WHERE freeze_batch_id = ?"_s,
             {batch.id})
        || !query.next())
        return false;
    const qint64 remaining = batch.strawsMade + query.value(0).toLongLong();
    batch.strawsUnplaced = int(remaining - batch.strawsStored);
    query.finish();
    return true;
}

constexpr std::array kFrozenKeys{"release_motility"_L1, "low_stock_doses"_L1};

} // namespace

QString releaseStateName(ReleaseState state)
{
    switch (state) {
    case ReleaseState::Quarantine:
        return u"quarantine"_s;
    case ReleaseState::Released:
        return u"released"_s;
    case ReleaseState::OnHold:
        return u"on-hold"_s;
    }
    return {};
}

std::optional<ReleaseState> releaseStateFromName(const QString &name)
{
    for (ReleaseState state :
         {ReleaseState::Quarantine, ReleaseState::Released, ReleaseState::OnHold}) {
        if (releaseStateName(state) == name)
            return state;
    }
    return std::nullopt;
}

std::optional<FrozenSettings> Journal::frozenSettings()
{
    FrozenSettings settings;
    const bool done = d->read([&](QSqlQuery &query) {
        settings = {};
        if (!run(query, u"SELECT key, value FROM station_profile WHERE key IN (?, ?)"_s,
                 {QString(kFrozenKeys[0]), QString(kFrozenKeys[1])}))
            return false;
        while (query.next()) {
            bool ok = false;
            if (query.value(0).toString() == kFrozenKeys[0]) {
                const double figure = query.value(1).toString().toDouble(&ok);
                if (ok && figure >= 0 && figure <= 100)
                    settings.releaseMotility = figure;
            } else {
                const int doses = query.value(1).toString().toInt(&ok);
                if (ok && doses >= 0)
                    settings.lowStockDoses = doses;
            }
        }
        return !query.lastError().isValid();
    });
    if (!done)
        return std::nullopt;
    d->succeeded();
    return settings;
}

JournalError Journal::setFrozenSettings(const FrozenSettings &settings)
{
    if (!std::isfinite(settings.releaseMotility) || settings.releaseMotility < 0
        || settings.releaseMotility > 100)
        return d->failed(Kind::Refused,
                         JournalText::tr("The release figure is a progressive motility from 0 to "
                                         "100 %."));
    if (settings.lowStockDoses < 0)
        return d->failed(Kind::Refused,
                         JournalText::tr("The low-stock figure is a number of doses, 0 or more."));
    const QStringList values{QString::number(settings.releaseMotility),
                             QString::number(settings.lowStockDoses)};
    return d->write([&](QSqlQuery &query) {
        for (std::size_t i = 0; i < kFrozenKeys.size(); ++i) {
            if (!run(query,
                     u"INSERT INTO station_profile (key, value) VALUES (?, ?)"
                     " ON CONFLICT (key) DO UPDATE SET value = excluded.value"_s,
                     {QString(kFrozenKeys[i]), values[qsizetype(i)]}))
                return false;
        }
        return true;
    });
}

JournalError Journal::recordFreezeBatch(FreezeBatch &batch)
{
    if (!batch.frozenAt.isValid())
        batch.frozenAt = QDateTime::currentDateTimeUtc();
    if (batch.operatorName.isEmpty())
        batch.operatorName = loginName();
    if (batch.workstation.isEmpty())
        batch.workstation = QSysInfo::machineHostName();
    if (batch.uid.isEmpty())
        batch.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (batch.spermPerStraw == 0)
        batch.spermPerStraw = batch.finalConcentration * batch.strawVolumeMl;
    if (const QString problem = batchFormProblem(batch); !problem.isEmpty())
        return d->failed(Kind::Refused, problem);
    qint64 id = 0;
    const JournalError saved = d->write([&](QSqlQuery &query) {
        if (!run(query, u"SELECT id FROM freeze_batches WHERE uid = ?"_s, {batch.uid}))
            return false;
        if (query.next()) { // delivered before
            id = query.value(0).toLongLong();
            return true;
        }
        query.finish();
        // Every source is of one stallion: its name folds to the first's, or both belong to
        // one stallion of the register.
        QString stallion;
        QString key;
        qint64 registered = -1;
        double spermAvailable = 0;
        bool spermKnown = true;
        for (const FreezeSource &source : std::as_const(batch.sources)) {
            // The collection is held first, so what other batches took from it is read after
            // any of theirs committed.
            if (!run(query, "SELECT id FROM sheets WHERE id = ?"_L1 + d->backend->lockRowsClause(),
                     {source.sheetId}))
                return false;
            query.finish();
            if (!run(query,
                     u"SELECT s.stallion, s.stallion_key, s.gfv, s.con, n.stallion_id,"
                     " (SELECT COALESCE(SUM(f.raw_ml), 0) FROM freeze_sources f"
                     " WHERE f.sheet_id = s.id) FROM sheets s LEFT JOIN stallion_names n"
                     " ON n.name_key = s.stallion_key WHERE s.id = ?"_s,
                     {source.sheetId}))
                return false;
            if (!query.next()) {
                if (query.lastError().isValid())
                    return false;
                d->refusal = JournalError{
                    Kind::NotFound,
                    JournalText::tr("The journal holds no sheet %1.").arg(source.sheetId)};
                return false;
            }
            const QString name = query.value(0).toString();
            const QString sourceKey = query.value(1).toString();
            const qint64 stallionId = query.value(4).isNull() ? 0 : query.value(4).toLongLong();
            if (stallion.isEmpty() && key.isEmpty()) {
                stallion = name;
                key = sourceKey;
                registered = stallionId;
            } else if (sourceKey != key && (stallionId == 0 || stallionId != registered)) {
                d->refusal = refusal(JournalText::tr("Collection %1 is of %2, not of %3: a "
                                                     "batch pools collections of one stallion.")
                                         .arg(source.sheetId)
                                         .arg(name, stallion));
                return false;
            }
            const std::optional<double> gfv = sheetNumber(query.value(2).toString());
            const double taken = query.value(5).toDouble();
            if (!gfv) {
                d->refusal = refusal(JournalText::tr("Collection %1 shows no gel-free volume "
                                                     "to take raw semen from.")
                                         .arg(source.sheetId));
                return false;
            }
            if (source.rawMl > *gfv - taken + kMlTolerance) {
                d->refusal = refusal(JournalText::tr("Collection %1 gave %2 ml, %3 ml of it "
                                                     "frozen already: %4 ml cannot be used.")
                                         .arg(source.sheetId)
                                         .arg(*gfv)
                                         .arg(taken)
                                         .arg(source.rawMl));
                return false;
            }
            if (const std::optional<double> con = sheetNumber(query.value(3).toString()))
                spermAvailable += source.rawMl * *con;
            else
                spermKnown = false;
            query.finish();
        }
        // Straws cannot hold more sperm than the raw semen gave them.
        const double spermFrozen = batch.spermPerStraw * batch.strawsMade;
        if (spermKnown && spermFrozen > spermAvailable * (1 + 1e-9)) {
            d->refusal = refusal(JournalText::tr("%1 straws of %2 M hold %3 M sperm, more than "
                                                 "the %4 M in the raw semen used.")
                                     .arg(batch.strawsMade)
                                     .arg(batch.spermPerStraw)
                                     .arg(spermFrozen)
                                     .arg(spermAvailable));
            return false;
        }
        batch.stallion = stallion;
        batch.stallionKey = key;
        const QStringList marks(18, u"?"_s);
        if (!run(query,
                 "INSERT INTO freeze_batches ("_L1 + QString(kBatchColumns).section(u',', 1)
                     + ") VALUES ("_L1 + marks.join(u", "_s) + ") RETURNING id"_L1,
                 {batch.uid, textValue(stallion), textValue(key), timeText(batch.frozenAt),
                  batch.centrifugationG, batch.centrifugationMinutes,
                  textValue(batch.extender.trimmed()), batch.finalConcentration,
                  batch.strawVolumeMl, batch.strawsMade, batch.spermPerStraw,
                  textValue(batch.strawColour.trimmed()), textValue(batch.strawMarking.trimmed()),
                  batch.strawsPerDose, textValue(batch.notes), textValue(batch.operatorName),
                  textValue(batch.workstation), releaseStateName(ReleaseState::Quarantine)})
            || !query.next())
            return false;
        id = query.value(0).toLongLong();
        query.finish();
        for (const FreezeSource &source : std::as_const(batch.sources)) {
            if (!run(query,
                     u"INSERT INTO freeze_sources (batch_id, sheet_id, raw_ml) VALUES (?, ?, ?)"_s,
                     {id, source.sheetId, source.rawMl}))
                return false;
        }
        return true;
    });
    if (saved.ok()) {
        batch.id = id;
        batch.state = ReleaseState::Quarantine;
        batch.strawsUnplaced = batch.strawsMade;
        batch.strawsStored = 0;
    }
    return saved;
}

std::optional<FreezeBatch> Journal::freezeBatch(qint64 id)
{
    std::optional<FreezeBatch> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.reset();
        if (!run(query, "SELECT "_L1 + kBatchColumns + " FROM freeze_batches WHERE id = ?"_L1,
                 {id}))
            return false;
        if (!query.next())
            return !query.lastError().isValid();
        FreezeBatch batch = batchFromRow(query);
        query.finish();
        if (!readBatchDetails(query, batch))
            return false;
        found = std::move(batch);
        return true;
    });
    if (!done)
        return std::nullopt;
    if (!found) {
        d->failed(Kind::NotFound,
                  JournalText::tr("The journal holds no freeze batch %1.").arg(id));
        return std::nullopt;
    }
    d->succeeded();
    return found;
}

QList<FreezeBatch> Journal::freezeBatches(const QString &stallion)
{
    QList<FreezeBatch> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.clear();
        QStringList keys;
        if (!stallion.isEmpty()) {
            SheetFilter filter;
            filter.stallion = stallion;
            if (!findOtherKeys(query, filter, keys))
                return false;
            keys.prepend(stallionKey(stallion));
        }
        QString where;
        QVariantList values;
        if (!keys.isEmpty()) {
            where = u" WHERE stallion_key IN (%1)"_s.arg(
                QStringList(keys.size(), u"?"_s).join(u", "_s));
            for (const QString &key : std::as_const(keys))
                values << key;
        }
        if (!run(query,
                 "SELECT "_L1 + kBatchColumns + " FROM freeze_batches"_L1 + where
                     + " ORDER BY frozen_at DESC, id DESC"_L1,
                 values))
            return false;
        while (query.next())
            found << batchFromRow(query);
        if (query.lastError().isValid())
            return false;
        query.finish();
        for (FreezeBatch &batch : found) {
            if (!readBatchDetails(query, batch))
                return false;
        }
        return true;
    });
    if (!done)
        return {};
    d->succeeded();
    return found;
}

} // namespace estrivo
