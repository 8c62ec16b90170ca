// The fields, buttons and limits the frozen semen's dialogs share.
#pragma once

#include <QString>

class QDialog;
class QDialogButtonBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;

namespace estrivo::frozen_form {

inline constexpr int kMaxTextLength = 200;
inline constexpr int kMaxStraws = 99999;
inline constexpr double kMaxMinutes = 600.0;

QLineEdit *newLine(const QString &name, int maxLength = kMaxTextLength);
QDoubleSpinBox *newNumber(const QString &name, double maximum, int decimals,
                          const QString &suffix);
// OK and Cancel, wired to accept and reject the dialog.
QDialogButtonBox *newButtons(QDialog *dialog);
// Shows why the dialog cannot be accepted, and allows OK only when nothing is wrong.
void showProblem(QLabel *line, QDialogButtonBox *buttons, const QString &why);

} // namespace estrivo::frozen_form
