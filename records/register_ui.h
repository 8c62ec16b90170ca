// What the register's dialogs and the doses pane share: the journal's answers turned into what
// the operator reads.
#pragma once

#include "register_types.h"

#include <QHash>
#include <QString>

class QLabel;
class QWidget;

namespace estrivo {

// Tells the operator why the journal did not do what was asked: a message box, not waited for,
// with the journal's own sentence (a refusal says what remains, or whose name it is).
void showJournalProblem(QWidget *parent, const QString &title, const JournalError &error);

// A movement's kind as the window names it: "Dispatched", "Used", ...
QString movementKindText(MovementKind kind);

// One line of a stallion's identity: UELN, breed, born, registration, owner, where known.
QString stallionIdentityText(const Stallion &stallion);

// The line under a form that says why OK is off.
QLabel *newProblemLabel();

// A single line of hostile text shown whole in no more than `length` characters: line breaks
// and other control characters made blanks, the rest cut off with an ellipsis.
QString shownText(const QString &text, qsizetype length = 60);

// Which movements of a batch a later adjustment reversed: movement id -> the reversal's id.
QHash<qint64, qint64> reversalsIn(const DoseBatch &batch);
// Doses back from a dispatch so far, by returns not reversed since.
qint64 dosesBackFrom(const DoseBatch &batch, qint64 dispatchId);
// Whether a return not reversed since brought the dispatch's container back.
bool containerBackFrom(const DoseBatch &batch, qint64 dispatchId);

} // namespace estrivo
