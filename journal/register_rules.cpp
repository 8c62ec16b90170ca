// The register's rules: what identities look like and what may happen to a collection's doses,
// as plain functions of the records, so every workstation refuses the same things.
#include "register_rules.h"
#include "journal_text.h"

#include "sample_sheet.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cmath>

#include <pwd.h>
#include <unistd.h>

namespace estrivo {

using namespace Qt::StringLiterals;

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

QString dosesText(qint64 doses)
{
    return doses == 1 ? JournalText::tr("1 dose") : JournalText::tr("%1 doses").arg(doses);
}

QString strawsText(qint64 straws)
{
    return straws == 1 ? JournalText::tr("1 straw") : JournalText::tr("%1 straws").arg(straws);
}

} // namespace

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

qint64 remainingOf(qint64 produced, const QList<Movement> &movements)
{
    qint64 remaining = produced;
    for (const Movement &movement : movements)
        remaining += movement.change();
    return remaining;
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
    // Frozen semen moves in straws of a freeze batch, fresh semen in doses of a collection.
    const bool frozen = movement.freezeBatchId > 0;
    const auto units = [frozen](qint64 count) {
        return frozen ? strawsText(count) : dosesText(count);
    };
    const QString whose = frozen ? JournalText::tr("freeze batch %1").arg(movement.freezeBatchId)
                                 : JournalText::tr("collection %1").arg(movement.sheetId);
    switch (movement.kind) {
    case MovementKind::Dispatched:
    case MovementKind::Used:
    case MovementKind::Destroyed:
        if (movement.doses < 1)
            return JournalText::tr("A movement moves at least one dose.");
        if (movement.doses > remaining) {
            return JournalText::tr("Only %1 of %2 remain; %3 cannot be moved out.")
                .arg(units(remaining), whose, units(movement.doses));
        }
        return {};
    case MovementKind::Returned: {
        const Movement *dispatch = find(movement.of);
        if (!dispatch || dispatch->kind != MovementKind::Dispatched)
            return JournalText::tr("Movement %1 is no dispatch of %2.")
                .arg(movement.of)
                .arg(whose);
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
                .arg(units(dispatch->doses))
                .arg(back)
                .arg(units(movement.doses));
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
                return JournalText::tr("Movement %1 is not one of %2.")
                    .arg(movement.of)
                    .arg(whose);
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
            return JournalText::tr("Only %1 of %2 remain; %3 cannot be taken off.")
                .arg(units(remaining), whose, units(-movement.doses));
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

} // namespace estrivo
