#pragma once

#include "journal.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace estrivo {

// Prints the dose labels of one kept sheet: how many, on what size, to which printer or file.
class LabelsDialog : public QDialog
{
    Q_OBJECT

public:
    // `journal` is where the sheet was read: a PDF of its labels never goes over it.
    LabelsDialog(SheetRecord sheet, QString journal = {}, QWidget *parent = nullptr);

public slots:
    // Prints with the choices made, asking first when that is more than kLabelsWithoutAsking
    // labels; closes on success, says why not otherwise.
    void accept() override;

signals:
    void printed(int labels, const QString &target);

private:
    void targetChanged();
    void print();

    SheetRecord m_sheet;
    QString m_journal;
    QSpinBox *m_count = nullptr;
    QDoubleSpinBox *m_width = nullptr;
    QDoubleSpinBox *m_height = nullptr;
    QComboBox *m_target = nullptr;
    QLineEdit *m_pdfFile = nullptr;
    QPushButton *m_browse = nullptr;
    QLabel *m_status = nullptr;
};

} // namespace estrivo
