#include "dose_code.h"

#include <QStringList>

#include <limits>

namespace estrivo {

namespace {

constexpr QLatin1StringView kPrefix("ESTRIVO");
constexpr qsizetype kMaxApprovalLength = 30; // as the journal keeps it (approvalProblem)

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// A whole number of 1 up to `most`, in plain ASCII digits without sign or leading zero.
std::optional<qint64> positiveNumber(QStringView text, qint64 most)
{
    if (text.isEmpty() || text.front() == u'0')
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        const int digit = c.unicode() - u'0';
        if (value > (most - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// The form of an approval number, checked here without the journal so that a scan is read
// alike anywhere: the journal's own rule (approvalProblem) also wants a known country.
bool approvalForm(QStringView text)
{
    if (text.size() < 4 || text.size() > kMaxApprovalLength)
        return false;
    if (!isAsciiLetter(text[0]) || !isAsciiLetter(text[1]) || text[2] != u'-')
        return false;
    for (const QChar c : text.mid(3)) {
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != u'-' && c != u'.' && c != u'/')
            return false;
    }
    return true;
}

} // namespace

QByteArray doseCode(qint64 sheetId, int dose, const QString &approval)
{
    return QByteArray(kPrefix.data(), kPrefix.size()) + ':' + approval.toUtf8() + ':'
           + QByteArray::number(sheetId) + ':' + QByteArray::number(dose);
}

std::optional<ScannedDose> readDoseCode(const QString &typed)
{
    if (typed.size() > kMaxDoseCodeLength)
        return std::nullopt;
    const QString text = typed.trimmed();
    for (const QChar c : text) {
        // Nothing a scanner could add inside a code: no control, blank, format or other
        // invisible character, and nothing past ASCII.
        if (c.unicode() < 0x21 || c.unicode() > 0x7e)
            return std::nullopt;
    }
    const QList<QStringView> parts = QStringView(text).split(u':');
    if (parts.size() != 3 && parts.size() != 4)
        return std::nullopt;
    if (parts.front().compare(kPrefix, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    ScannedDose scanned;
    if (parts.size() == 4) {
        const QStringView approval = parts[1];
        if (!approval.isEmpty() && !approvalForm(approval))
            return std::nullopt;
        scanned.approval = approval.toString();
    }
    const std::optional<qint64> sheetId
        = positiveNumber(parts[parts.size() - 2], std::numeric_limits<qint64>::max());
    const std::optional<qint64> dose
        = positiveNumber(parts.back(), std::numeric_limits<int>::max());
    if (!sheetId || !dose)
        return std::nullopt;
    scanned.sheetId = *sheetId;
    scanned.dose = int(*dose);
    return scanned;
}

} // namespace estrivo
