// The register a station keeps by law: its profile, its stallions and what became of every
// dose, checked where it is written so that no two workstations can move out the same dose.
#include "journal_private.h"
#include "sheet_queries.h"

#include "sample_sheet.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlRecord>
#include <QSysInfo>
#include <QUuid>

#include <cmath>

#include <pwd.h>
#include <unistd.h>

namespace estrivo {

using Kind = JournalError::Kind;

namespace {

// ISO 3166-1 alpha-2, as assigned; with EL and XI, which EU approval numbers use for Greece and
// Northern Ireland.
constexpr QLatin1StringView kCountryCodes{
    "AD AE AF AG AI AL AM AO AQ AR AS AT AU AW AX AZ BA BB BD BE BF BG BH BI BJ BL BM BN BO BQ "
    "BR BS BT BV BW BY BZ CA CC CD CF CG CH CI CK CL CM CN CO CR CU CV CW CX CY CZ DE DJ DK DM "
    "DO DZ EC EE EG EH EL ER ES ET FI FJ FK FM FO FR GA GB GD GE GF GG GH GI GL GM GN GP GQ GR "
    "GS GT GU GW GY HK HM HN HR HT HU ID IE IL IM IN IO IQ IR IS IT JE JM JO JP KE KG KH KI KM "
    "KN KP KR KW KY KZ LA LB LC LI LK LR LS LT LU LV LY MA MC MD ME MF MG MH MK ML MM MN MO MP "
    "MQ MR MS MT MU MV MW MX MY MZ NA NC NE NF NG NI NL NO NP NR NU NZ OM PA PE PF PG PH PK PL "
    "PM PN PR PS PT PW PY QA RE RO RS RU RW SA SB SC SD SE SG SH SI SJ SK SL SM SN SO SR SS ST "
    "SV SX SY SZ TC TD TF TG TH TJ TK TL TM TN TO TR TT TV TW TZ UA UG UM US UY UZ VA VC VE VG "
    "VI VN VU WF WS XI YE YT ZA ZM ZW"};

constexpr qsizetype kUelnLength = 15;
constexpr qsizetype kMaxApprovalLength = 30;
// Texts of the register are names and addresses: longer is a paste gone wrong.
constexpr qsizetype kMaxRegisterText = 500;

QString loginName()
{
    const passwd *entry = getpwuid(geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(geteuid());
}

QVariant nullableId(qint64 id)
{
    return id > 0 ? QVariant(id) : QVariant(QMetaType::fromType<qint64>());
}

QString dayText(const QDate &day)
{
    return day.isValid() ? day.toString(Qt::ISODate) : QString();
}

QDate dayFromText(const QString &text)
{
    return QDate::fromString(text, Qt::ISODate);
}

// A text of the register that can be kept: no control characters, not overlong.
QString textProblem(const QString &what, const QString &text)
{
    if (text.size() > kMaxRegisterText)
        return JournalText::tr("The %1 is longer than %2 characters.")
            .arg(what)
            .arg(kMaxRegisterText);
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control && c != u'\n')
            return JournalText::tr("The %1 holds a control character.").arg(what);
    }
    return {};
}

JournalError refusal(const QString &reason)
{
    return {Kind::Refused, reason};
}

// Stallions' columns, in this order.
constexpr auto kStallionColumns = "id, name, species, breed, born, registration, ueln, owner,"
                                  " merged_into"_L1;

Stallion stallionFromRow(const QSqlQuery &query, int first = 0)
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

constexpr auto kMovementColumns
    = "id, sheet_id, kind, moved_at, doses, consignee, mare, mare_ueln, address, country, vet,"
      " carrier, tracking, container, due_back, of_movement, container_back, reason,"
      " operator_name, workstation, uid"_L1;
constexpr int kMovementColumnCount = 21;

Movement movementFromRow(const QSqlQuery &query, int first = 0)
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
    return movement;
}

// Whether a movement that is not itself a reversal has been reversed.
QSet<qint64> reversedIn(const QList<Movement> &movements)
{
    QSet<qint64> reversed;
    for (const Movement &movement : movements) {
        if (movement.kind == MovementKind::Adjusted && movement.of > 0)
            reversed.insert(movement.of);
    }
    return reversed;
}

qint64 remainingOf(qint64 produced, const QList<Movement> &movements)
{
    qint64 remaining = produced;
    for (const Movement &movement : movements)
        remaining += movement.change();
    return remaining;
}

QString dosesText(qint64 doses)
{
    return doses == 1 ? JournalText::tr("1 dose") : JournalText::tr("%1 doses").arg(doses);
}

// Why `movement` may not follow `earlier` (the sheet's movements, oldest first); empty when it
// may. Fills in what a reversal changes.
QString movementProblem(Movement &movement, qint64 produced, const QList<Movement> &earlier)
{
    const qint64 remaining = remainingOf(produced, earlier);
    const QSet<qint64> reversed = reversedIn(earlier);
    const auto find = [&earlier](qint64 id) -> const Movement * {
        for (const Movement &candidate : earlier) {
            if (candidate.id == id)
                return &candidate;
        }
        return nullptr;
    };
    const qint64 sheet = movement.sheetId;
    switch (movement.kind) {
    case MovementKind::Dispatched:
    case MovementKind::Used:
    case MovementKind::Destroyed:
        if (movement.doses < 1)
            return JournalText::tr("A movement moves at least one dose.");
        if (movement.doses > remaining) {
            return JournalText::tr("Only %1 of collection %2 remain; %3 cannot be moved out.")
                .arg(dosesText(remaining))
                .arg(sheet)
                .arg(dosesText(movement.doses));
        }
        return {};
    case MovementKind::Returned: {
        const Movement *dispatch = find(movement.of);
        if (!dispatch || dispatch->kind != MovementKind::Dispatched)
            return JournalText::tr("Movement %1 is no dispatch of collection %2.")
                .arg(movement.of)
                .arg(sheet);
        if (reversed.contains(dispatch->id))
            return JournalText::tr("Dispatch %1 was reversed.").arg(dispatch->id);
        qint64 back = 0;
        bool containerBack = false;
        for (const Movement &other : earlier) {
            if (other.kind != MovementKind::Returned || other.of != dispatch->id
                || reversed.contains(other.id))
                continue;
            back += other.doses;
            containerBack = containerBack || other.containerBack;
        }
        if (movement.doses < 0)
            return JournalText::tr("A return brings back no fewer than 0 doses.");
        if (movement.doses == 0 && !movement.containerBack)
            return JournalText::tr("A return brings back doses, the container, or both.");
        if (movement.doses > dispatch->doses - back) {
            return JournalText::tr("Dispatch %1 sent %2, %3 of them back already: %4 cannot "
                                   "come back.")
                .arg(dispatch->id)
                .arg(dosesText(dispatch->doses))
                .arg(back)
                .arg(dosesText(movement.doses));
        }
        if (movement.containerBack && dispatch->container.isEmpty())
            return JournalText::tr("Dispatch %1 went out without a container.").arg(dispatch->id);
        if (movement.containerBack && containerBack)
            return JournalText::tr("The container of dispatch %1 is back already.")
                .arg(dispatch->id);
        return {};
    }
    case MovementKind::Adjusted:
        if (movement.reason.trimmed().isEmpty())
            return JournalText::tr("An adjustment needs a reason.");
        if (movement.of > 0) {
            const Movement *original = find(movement.of);
            if (!original)
                return JournalText::tr("Movement %1 is not one of collection %2.")
                    .arg(movement.of)
                    .arg(sheet);
            if (original->kind == MovementKind::Adjusted && original->of > 0)
                return JournalText::tr("Movement %1 is itself a reversal; record the movement "
                                       "anew instead.")
                    .arg(original->id);
            if (reversed.contains(original->id))
                return JournalText::tr("Movement %1 was reversed already.").arg(original->id);
            for (const Movement &other : earlier) {
                if (other.kind == MovementKind::Returned && other.of == original->id
                    && !reversed.contains(other.id))
                    return JournalText::tr("Returns were recorded against dispatch %1; reverse "
                                           "them first.")
                        .arg(original->id);
            }
            movement.doses = -original->change();
        } else if (movement.doses == 0) {
            return JournalText::tr("An adjustment changes the doses by at least one.");
        } else {
            qint64 adjusted = movement.doses;
            for (const Movement &other : earlier) {
                if (other.kind == MovementKind::Adjusted && other.of == 0
                    && !reversed.contains(other.id))
                    adjusted += other.doses;
            }
            if (adjusted > 0)
                return JournalText::tr("Adjustments cannot raise the doses above the %1 the "
                                       "collection made.")
                    .arg(produced);
        }
        if (remaining + movement.doses < 0) {
            return JournalText::tr("Only %1 of collection %2 remain; %3 cannot be taken off.")
                .arg(dosesText(remaining))
                .arg(sheet)
                .arg(dosesText(-movement.doses));
        }
        return {};
    }
    return {};
}

// What the movement's texts must hold before any doses are looked at.
QString movementFormProblem(const Movement &movement)
{
    const std::array<std::pair<QString, const QString *>, 11> texts{{
        {JournalText::tr("consignee"), &movement.consignee},
        {JournalText::tr("mare's name"), &movement.mare},
        {JournalText::tr("mare's UELN"), &movement.mareUeln},
        {JournalText::tr("address"), &movement.address},
        {JournalText::tr("country"), &movement.country},
        {JournalText::tr("vet"), &movement.vet},
        {JournalText::tr("carrier"), &movement.carrier},
        {JournalText::tr("tracking number"), &movement.tracking},
        {JournalText::tr("container"), &movement.container},
        {JournalText::tr("reason"), &movement.reason},
        {JournalText::tr("operator"), &movement.operatorName},
    }};
    for (const auto &[what, text] : texts) {
        if (const QString problem = textProblem(what, *text); !problem.isEmpty())
            return problem;
    }
    if (!movement.mareUeln.isEmpty()) {
        if (const QString problem = uelnProblem(movement.mareUeln); !problem.isEmpty())
            return JournalText::tr("The mare's UELN: %1").arg(problem);
    }
    if (!movement.country.isEmpty() && !isCountryCode(movement.country))
        return JournalText::tr("\"%1\" is no ISO 3166 country code (two letters, such as DE).")
            .arg(movement.country);
    switch (movement.kind) {
    case MovementKind::Dispatched:
        if (movement.consignee.trimmed().isEmpty())
            return JournalText::tr("A dispatch needs its consignee.");
        break;
    case MovementKind::Used:
        if (movement.mare.trimmed().isEmpty())
            return JournalText::tr("Doses used on the station need the mare's name.");
        break;
    case MovementKind::Destroyed:
        if (movement.reason.trimmed().isEmpty())
            return JournalText::tr("Destroyed doses need a reason.");
        break;
    case MovementKind::Returned:
    case MovementKind::Adjusted:
        break;
    }
    return {};
}

QString stallionProblem(const Stallion &stallion)
{
    if (stallionKey(stallion.name).isEmpty())
        return JournalText::tr("A stallion needs a name.");
    const std::array<std::pair<QString, const QString *>, 6> texts{{
        {JournalText::tr("name"), &stallion.name},
        {JournalText::tr("species"), &stallion.species},
        {JournalText::tr("breed"), &stallion.breed},
        {JournalText::tr("registration number"), &stallion.registration},
        {JournalText::tr("owner"), &stallion.owner},
        {JournalText::tr("UELN"), &stallion.ueln},
    }};
    for (const auto &[what, text] : texts) {
        if (const QString problem = textProblem(what, *text); !problem.isEmpty())
            return problem;
    }
    for (const QString &alias : stallion.aliases) {
        if (const QString problem = textProblem(JournalText::tr("alias"), alias);
            !problem.isEmpty())
            return problem;
    }
    if (!stallion.ueln.isEmpty()) {
        if (const QString problem = uelnProblem(stallion.ueln); !problem.isEmpty())
            return problem;
    }
    if (stallion.born.isValid() && stallion.born > QDate::currentDate())
        return JournalText::tr("A date of birth lies in the past.");
    return {};
}

// The names a stallion goes by, his name first, each under its key; an alias that folds to
// his name or to an earlier alias adds nothing.
QList<std::pair<QString, QString>> namesOf(const Stallion &stallion)
{
    QList<std::pair<QString, QString>> names{
        {stallionKey(stallion.name), stallion.name.trimmed()}};
    for (const QString &alias : stallion.aliases) {
        const QString key = stallionKey(alias);
        if (key.isEmpty())
            continue;
        const bool known = std::any_of(names.cbegin(), names.cend(),
                                       [&key](const auto &name) { return name.first == key; });
        if (!known)
            names.append({key, alias.trimmed()});
    }
    return names;
}

constexpr auto kProfileKeys = std::array{"name"_L1,    "address"_L1,         "approval"_L1,
                                         "marking"_L1, "retention_years"_L1, "label_date"_L1};

} // namespace

QString StationProfile::country() const
{
    const qsizetype hyphen = approval.indexOf(u'-');
    return hyphen == 2 ? approval.left(2) : QString();
}

bool isCountryCode(const QString &code)
{
    if (code.size() != 2 || !code[0].isUpper() || !code[1].isUpper() || code[0].unicode() > 'Z'
        || code[1].unicode() > 'Z')
        return false;
    for (qsizetype at = 0; at + 1 < kCountryCodes.size(); at += 3) {
        if (kCountryCodes[at] == code[0] && kCountryCodes[at + 1] == code[1])
            return true;
    }
    return false;
}

QString approvalProblem(const QString &approval)
{
    static const QRegularExpression form(u"^([A-Z]{2})-[A-Z0-9][A-Z0-9./-]*$"_s);
    if (approval.size() > kMaxApprovalLength)
        return JournalText::tr("An approval number has at most %1 characters.")
            .arg(kMaxApprovalLength);
    const QRegularExpressionMatch match = form.match(approval);
    if (!match.hasMatch())
        return JournalText::tr("\"%1\" is no approval number: the country's two capital "
                               "letters, a hyphen, then the number (such as DE-EQ-0042).")
            .arg(approval.left(kMaxApprovalLength));
    if (!isCountryCode(match.captured(1)))
        return JournalText::tr("\"%1\" is no ISO 3166 country code.").arg(match.captured(1));
    return {};
}

QString normalizedUeln(const QString &text)
{
    QString kept;
    for (const QChar c : text) {
        if (!c.isSpace())
            kept += c;
    }
    return kept.toUpper();
}

QString uelnProblem(const QString &text)
{
    const QString ueln = normalizedUeln(text);
    const auto isPlain = [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z');
    };
    if (ueln.size() != kUelnLength)
        return JournalText::tr("A UELN has 15 characters; \"%1\" has %2.")
            .arg(ueln.left(kUelnLength + 5))
            .arg(ueln.size());
    if (!std::all_of(ueln.cbegin(), ueln.cend(), isPlain))
        return JournalText::tr("A UELN holds letters and digits only.");
    for (int i = 0; i < 3; ++i) {
        if (!ueln[i].isDigit())
            return JournalText::tr("A UELN starts with its country's 3-digit code; \"%1\" does "
                                   "not.")
                .arg(ueln);
    }
    if (ueln.left(3) == "000"_L1)
        return JournalText::tr("000 is no country code of a UELN.");
    return {};
}

QString movementKindName(MovementKind kind)
{
    switch (kind) {
    case MovementKind::Dispatched:
        return u"dispatched"_s;
    case MovementKind::Used:
        return u"used"_s;
    case MovementKind::Destroyed:
        return u"destroyed"_s;
    case MovementKind::Returned:
        return u"returned"_s;
    case MovementKind::Adjusted:
        return u"adjusted"_s;
    }
    return {};
}

std::optional<MovementKind> movementKindFromName(const QString &name)
{
    for (MovementKind kind :
         {MovementKind::Dispatched, MovementKind::Used, MovementKind::Destroyed,
          MovementKind::Returned, MovementKind::Adjusted}) {
        if (movementKindName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

qint64 Movement::change() const
{
    switch (kind) {
    case MovementKind::Dispatched:
    case MovementKind::Used:
    case MovementKind::Destroyed:
        return -doses;
    case MovementKind::Returned:
    case MovementKind::Adjusted:
        return doses;
    }
    return 0;
}

qint64 dosesMade(const QString &numDosesText)
{
    // Beyond this the sheet's figure is no count of doses anyone could fill.
    constexpr double kMostDoses = 1e15;
    const bool hasDigit = std::any_of(numDosesText.cbegin(), numDosesText.cend(),
                                      [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!hasDigit)
        return 0;
    const double doses = readNumber(numDosesText.toStdString());
    if (!std::isfinite(doses) || !(doses >= 1.0) || doses >= kMostDoses)
        return 0;
    return qint64(std::floor(doses));
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

namespace {

// The movements of one sheet, oldest first, on an open query.
bool readMovements(QSqlQuery &query, qint64 sheetId, QList<Movement> &movements)
{
    movements.clear();
    if (!run(query,
             "SELECT "_L1 + kMovementColumns + " FROM movements WHERE sheet_id = ? ORDER BY id"_L1,
             {sheetId}))
        return false;
    while (query.next())
        movements << movementFromRow(query);
    const bool ok = !query.lastError().isValid();
    query.finish();
    return ok;
}

} // namespace

std::optional<DoseBatch> Journal::doseBatch(qint64 sheetId)
{
    std::optional<DoseBatch> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.reset();
        if (!run(query, u"SELECT num_doses FROM sheets WHERE id = ?"_s, {sheetId}))
            return false;
        if (!query.next())
            return !query.lastError().isValid();
        DoseBatch batch;
        batch.sheetId = sheetId;
        batch.produced = dosesMade(query.value(0).toString());
        query.finish();
        if (!readMovements(query, sheetId, batch.movements))
            return false;
        batch.remaining = remainingOf(batch.produced, batch.movements);
        found = std::move(batch);
        return true;
    });
    if (!done)
        return std::nullopt;
    if (!found) {
        d->failed(Kind::NotFound, JournalText::tr("The journal holds no sheet %1.").arg(sheetId));
        return std::nullopt;
    }
    d->succeeded();
    return found;
}

std::optional<Movement> Journal::movement(qint64 id)
{
    std::optional<Movement> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.reset();
        if (!run(query, "SELECT "_L1 + kMovementColumns + " FROM movements WHERE id = ?"_L1, {id}))
            return false;
        if (query.next())
            found = movementFromRow(query);
        return !query.lastError().isValid();
    });
    if (!done)
        return std::nullopt;
    if (!found) {
        d->failed(Kind::NotFound, JournalText::tr("The journal holds no movement %1.").arg(id));
        return std::nullopt;
    }
    d->succeeded();
    return found;
}

JournalError Journal::recordMovement(Movement &movement)
{
    movement.mareUeln = normalizedUeln(movement.mareUeln);
    movement.country = movement.country.trimmed().toUpper();
    if (!movement.movedAt.isValid())
        movement.movedAt = QDateTime::currentDateTimeUtc();
    if (movement.operatorName.isEmpty())
        movement.operatorName = loginName();
    if (movement.workstation.isEmpty())
        movement.workstation = QSysInfo::machineHostName();
    if (movement.uid.isEmpty())
        movement.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (const QString problem = movementFormProblem(movement); !problem.isEmpty())
        return d->failed(Kind::Refused, problem);
    if (!movement.containerBack || movement.kind != MovementKind::Returned) {
        if (movement.kind != MovementKind::Returned)
            movement.containerBack = false;
    }
    qint64 id = 0;
    const JournalError saved = d->write([&](QSqlQuery &query) {
        // A second delivery of a movement kept before is that movement.
        if (!run(query, u"SELECT id FROM movements WHERE uid = ?"_s, {movement.uid}))
            return false;
        if (query.next()) {
            id = query.value(0).toLongLong();
            return true;
        }
        query.finish();
        // The sheet's row is held until the commit: a second workstation moving doses of the
        // same collection waits here and then sees this movement.
        if (!run(query,
                 "SELECT num_doses FROM sheets WHERE id = ?"_L1 + d->backend->lockRowsClause(),
                 {movement.sheetId}))
            return false;
        if (!query.next()) {
            if (query.lastError().isValid())
                return false;
            d->refusal = JournalError{
                Kind::NotFound,
                JournalText::tr("The journal holds no sheet %1.").arg(movement.sheetId)};
            return false;
        }
        const qint64 produced = dosesMade(query.value(0).toString());
        query.finish();
        QList<Movement> earlier;
        if (!readMovements(query, movement.sheetId, earlier))
            return false;
        if (const QString problem = movementProblem(movement, produced, earlier);
            !problem.isEmpty()) {
            d->refusal = refusal(problem);
            return false;
        }
        const QStringList marks(kMovementColumnCount - 1, u"?"_s);
        if (!run(query,
                 "INSERT INTO movements ("_L1 + QString(kMovementColumns).section(u',', 1)
                     + ") VALUES ("_L1 + marks.join(u", "_s) + ") RETURNING id"_L1,
                 {movement.sheetId,
                  movementKindName(movement.kind),
                  timeText(movement.movedAt),
                  movement.doses,
                  textValue(movement.consignee.trimmed()),
                  textValue(movement.mare.trimmed()),
                  textValue(movement.mareUeln),
                  textValue(movement.address.trimmed()),
                  textValue(movement.country),
                  textValue(movement.vet.trimmed()),
                  textValue(movement.carrier.trimmed()),
                  textValue(movement.tracking.trimmed()),
                  textValue(movement.container.trimmed()),
                  textValue(dayText(movement.dueBack)),
                  nullableId(movement.of),
                  movement.containerBack ? 1 : 0,
                  textValue(movement.reason.trimmed()),
                  textValue(movement.operatorName),
                  textValue(movement.workstation),
                  movement.uid})
            || !query.next())
            return false;
        id = query.value(0).toLongLong();
        return true;
    });
    if (saved.ok())
        movement.id = id;
    return saved;
}

QList<ContainerOut> Journal::containersOut()
{
    QList<ContainerOut> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.clear();
        // Out: a dispatch with a container, not reversed, with no container-back return that
        // stands (one not reversed itself).
        if (!run(query,
                 u"SELECT d.id, d.sheet_id, d.container, d.consignee, d.moved_at, d.due_back"
                 " FROM movements d WHERE d.kind = 'dispatched' AND d.container <> ''"
                 " AND NOT EXISTS (SELECT 1 FROM movements v WHERE v.of_movement = d.id"
                 " AND v.kind = 'adjusted')"
                 " AND NOT EXISTS (SELECT 1 FROM movements r WHERE r.of_movement = d.id"
                 " AND r.kind = 'returned' AND r.container_back = 1 AND NOT EXISTS"
                 " (SELECT 1 FROM movements rv WHERE rv.of_movement = r.id"
                 " AND rv.kind = 'adjusted')) ORDER BY d.id"_s))
            return false;
        while (query.next())
            found << ContainerOut{query.value(0).toLongLong(),
                                  query.value(1).toLongLong(),
                                  query.value(2).toString(),
                                  query.value(3).toString(),
                                  timeFromText(query.value(4).toString()),
                                  dayFromText(query.value(5).toString())};
        return !query.lastError().isValid();
    });
    if (!done)
        return {};
    d->succeeded();
    return found;
}

JournalError Journal::forEachRegisterRow(const SheetFilter &filter, const RegisterVisitor &visit)
{
    // The register is small beside the sheets: read whole, by every key a stallion goes by.
    QHash<QString, Stallion> byKey;
    const bool named = d->read([&](QSqlQuery &query) {
        byKey.clear();
        if (!run(query, u"SELECT n.name_key, s.id, s.name, s.species, s.breed, s.born,"
                        " s.registration, s.ueln, s.owner, s.merged_into FROM stallion_names n"
                        " JOIN stallions s ON s.id = n.stallion_id"_s))
            return false;
        while (query.next())
            byKey.insert(query.value(0).toString(), stallionFromRow(query, 1));
        return !query.lastError().isValid();
    });
    if (!named)
        return d->lastError;
    bool visited = false;
    const bool done = d->read([&](QSqlQuery &query) {
        if (visited) // rows were handed on already: starting over would hand them twice
            return true;
        QVariantList values;
        SheetFilter sheets = filter;
        sheets.idAbove = 0;
        QStringList movementColumns = QString(kMovementColumns).split(", "_L1);
        for (QString &column : movementColumns)
            column.prepend("m."_L1);
        const QString select
            = "SELECT "_L1 + sheetRowColumns(u"s"_s) + ", s.stallion_key, "_L1
              + movementColumns.join(", "_L1)
              + ", (SELECT MIN(r.moved_at) FROM movements r WHERE r.of_movement = m.id"
                " AND r.kind = 'returned' AND r.container_back = 1 AND NOT EXISTS"
                " (SELECT 1 FROM movements rv WHERE rv.of_movement = r.id"
                " AND rv.kind = 'adjusted'))"
                " FROM (SELECT * FROM sheets"_L1
              + sheetWhere(sheets, values)
              + ") s LEFT JOIN movements m ON m.sheet_id = s.id"
                " ORDER BY s.saved_at, s.id, m.id"_L1;
        if (!run(query, select, values))
            return false;
        const int keyColumn = sheetRowColumnCount();
        const int movementColumn = keyColumn + 1;
        const int backColumn = movementColumn + kMovementColumnCount;
        while (query.next()) {
            visited = true;
            RegisterRow row;
            row.sheet = sheetFromRow(query, SheetDetail::Row);
            row.produced = dosesMade(row.sheet.text(Field::NumDoses));
            if (const auto found = byKey.constFind(query.value(keyColumn).toString());
                found != byKey.cend())
                row.stallion = *found;
            if (!query.value(movementColumn).isNull())
                row.movement = movementFromRow(query, movementColumn);
            if (const QString back = query.value(backColumn).toString(); !back.isEmpty())
                row.containerBackAt = timeFromText(back);
            if (!visit(row))
                return true;
        }
        return !query.lastError().isValid();
    });
    if (!done)
        return d->lastError;
    return d->succeeded();
}

} // namespace estrivo
