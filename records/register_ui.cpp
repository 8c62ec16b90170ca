#include "register_ui.h"

#include "records_text.h"

#include <QLabel>
#include <QMessageBox>

namespace estrivo {

void showJournalProblem(QWidget *parent, const QString &title, const JournalError &error)
{
    const QString reason
        = error.reason.isEmpty() ? RecordsText::tr("The journal did not say why.") : error.reason;
    auto *box
        = new QMessageBox(error.kind == JournalError::Kind::Refused ? QMessageBox::Information
                                                                    : QMessageBox::Warning,
                          title, reason, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("journalProblem"));
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QString movementKindText(MovementKind kind)
{
    switch (kind) {
    case MovementKind::Dispatched:
        return RecordsText::tr("Dispatched");
    case MovementKind::Used:
        return RecordsText::tr("Used");
    case MovementKind::Destroyed:
        return RecordsText::tr("Destroyed");
    case MovementKind::Returned:
        return RecordsText::tr("Returned");
    case MovementKind::Adjusted:
        return RecordsText::tr("Adjusted");
    }
    return {};
}

QString stallionIdentityText(const Stallion &stallion)
{
    QStringList parts;
    if (!stallion.ueln.isEmpty())
        parts << RecordsText::tr("UELN %1").arg(stallion.ueln);
    if (!stallion.breed.isEmpty())
        parts << stallion.breed;
    if (stallion.born.isValid())
        parts << RecordsText::tr("born %1").arg(stallion.born.toString(Qt::ISODate));
    if (!stallion.registration.isEmpty())
        parts << RecordsText::tr("registration %1").arg(stallion.registration);
    if (!stallion.owner.isEmpty())
        parts << RecordsText::tr("owner %1").arg(stallion.owner);
    if (parts.isEmpty())
        return RecordsText::tr("no identity kept yet");
    return parts.join(QStringLiteral(", "));
}

QLabel *newProblemLabel()
{
    auto *label = new QLabel;
    label->setObjectName(QStringLiteral("problem"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QString shownText(const QString &text, qsizetype length)
{
    QString shown;
    shown.reserve(std::min(text.size(), length + 1));
    for (const QChar c : text) {
        if (shown.size() >= length && !c.isLowSurrogate()) { // never half a character
            shown.append(QChar(0x2026));
            break;
        }
        const bool control = c.category() == QChar::Other_Control
                             || c.category() == QChar::Other_Format || c == QChar::LineSeparator
                             || c == QChar::ParagraphSeparator;
        shown.append(control ? QChar(u' ') : c);
    }
    return shown;
}

} // namespace estrivo

namespace estrivo {

QHash<qint64, qint64> reversalsIn(const DoseBatch &batch)
{
    QHash<qint64, qint64> reversed;
    for (const Movement &movement : batch.movements) {
        if (movement.kind == MovementKind::Adjusted && movement.of != 0)
            reversed.insert(movement.of, movement.id);
    }
    return reversed;
}

qint64 dosesBackFrom(const DoseBatch &batch, qint64 dispatchId)
{
    const QHash<qint64, qint64> reversed = reversalsIn(batch);
    qint64 back = 0;
    for (const Movement &movement : batch.movements) {
        if (movement.kind == MovementKind::Returned && movement.of == dispatchId
            && !reversed.contains(movement.id))
            back += movement.doses;
    }
    return back;
}

bool containerBackFrom(const DoseBatch &batch, qint64 dispatchId)
{
    const QHash<qint64, qint64> reversed = reversalsIn(batch);
    return std::any_of(
        batch.movements.cbegin(), batch.movements.cend(), [&](const Movement &movement) {
            return movement.kind == MovementKind::Returned && movement.of == dispatchId
                   && movement.containerBack && !reversed.contains(movement.id);
        });
}

} // namespace estrivo
