#pragma once

#include "journal.h"
#include "register_types.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace estrivo {

class JournalService;

// Prints the dose labels of one kept sheet: how many, on what size, to which printer or file.
class LabelsDialog : public QDialog
{
    Q_OBJECT

public:
    // `journal` is where the sheet was read: a PDF of its labels never goes over it. From
    // `service` (that journal's) the dialog reads the station's profile and the sheet's
    // stallion on the service's thread, for the marking; without one the labels carry none.
    LabelsDialog(SheetRecord sheet, QString journal = {}, QWidget *parent = nullptr,
                 JournalService *service = nullptr);

    // Whether the station's marking and the donor have been read (always, without a service).
    bool markingKnown() const { return m_markingKnown; }
    // What the labels will be printed with.
    const StationProfile &station() const { return m_station; }
    const std::optional<Stallion> &donor() const { return m_donor; }

public slots:
    // Prints with the choices made, asking first when that is more than kLabelsWithoutAsking
    // labels; closes on success, says why not otherwise. Asked before the marking is read, it
    // prints once it is.
    void accept() override;

signals:
    void printed(int labels, const QString &target);
    // The marking was read (again): markingKnown(), and the refusal shown where it is lacking.
    void markingRead();

private:
    // What the labels are marked with, as read on the service's thread.
    struct Marking
    {
        JournalError error;
        StationProfile station;
        std::optional<Stallion> donor;
    };

    void targetChanged();
    void readMarking();
    void showMarking(const Marking &marking);
    void print();

    SheetRecord m_sheet;
    QString m_journal;
    QPointer<JournalService> m_service;
    StationProfile m_station;
    std::optional<Stallion> m_donor;
    JournalError m_markingError;
    bool m_markingKnown = true;
    bool m_reading = false;       // a read is on its way
    bool m_readAgain = false;     // the journal changed while it was
    bool m_printWhenRead = false; // Print was pressed while the marking was being read
    QLabel *m_marking = nullptr;
    QPushButton *m_print = nullptr;
    QSpinBox *m_count = nullptr;
    QDoubleSpinBox *m_width = nullptr;
    QDoubleSpinBox *m_height = nullptr;
    QComboBox *m_target = nullptr;
    QLineEdit *m_pdfFile = nullptr;
    QPushButton *m_browse = nullptr;
    QLabel *m_status = nullptr;
};

} // namespace estrivo
