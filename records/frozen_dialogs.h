#pragma once

#include "analysis_import.h"
#include "frozen_types.h"
#include "journal_types.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace estrivo {

class JournalService;

// Where straws go or come from: a tank, one of its canisters, a goblet and a cane.
class PositionPicker : public QWidget
{
    Q_OBJECT

public:
    explicit PositionPicker(QWidget *parent = nullptr);

    void setTanks(const QList<Tank> &tanks);
    StrawPosition position() const;
    QString tankName() const;
    // Why the position cannot be used; empty when it can.
    QString problem() const;

signals:
    void changed();

private:
    QList<Tank> m_tanks;
    QComboBox *m_tank = nullptr;
    QSpinBox *m_canister = nullptr;
    QLineEdit *m_goblet = nullptr;
    QLineEdit *m_cane = nullptr;
};

// Freezes straws from the chosen collection, alone or pooled with other collections of the
// same stallion, and works out what a straw holds and how many make a dose.
class FreezeBatchDialog : public QDialog
{
    Q_OBJECT

public:
    FreezeBatchDialog(JournalService *journal, SheetRecord first, QWidget *parent = nullptr);

    // The batch as filled in so far.
    FreezeBatch batch() const;
    // Why it cannot be kept as it stands; empty when OK is on.
    QString problem() const;
    // The straws per dose worked out for the target, with its arithmetic; empty without a
    // post-thaw motility to work from.
    QString arithmetic() const;
    // Whether his collections and his last test are read.
    bool isReady() const { return m_ready; }

public slots:
    void accept() override;

signals:
    // The stallion's other collections and his last post-thaw motility are read.
    void ready();
    void recorded(const estrivo::FreezeBatch &batch);

private:
    struct Read
    {
        QList<SheetRecord> sheets;         // his collections, newest first
        std::optional<double> progressive; // his latest post-thaw progressive motility
        JournalError error;
    };
    void showRead(const Read &read);
    void addSource(const SheetRecord &sheet, bool chosen);
    void check();
    double spermPerStraw() const;

    QPointer<JournalService> m_journal;
    SheetRecord m_first;
    QString m_uid; // one batch however often OK is pressed
    bool m_busy = false;
    bool m_ready = false;
    std::optional<double> m_progressive;
    int m_suggested = 0; // straws per dose the arithmetic gives; 0 for none
    bool m_perDoseTyped = false;

    QTableWidget *m_sources = nullptr;
    QDoubleSpinBox *m_g = nullptr;
    QDoubleSpinBox *m_minutes = nullptr;
    QLineEdit *m_extender = nullptr;
    QDoubleSpinBox *m_concentration = nullptr;
    QComboBox *m_volume = nullptr;
    QSpinBox *m_straws = nullptr;
    QLabel *m_perStraw = nullptr;
    QLineEdit *m_colour = nullptr;
    QLineEdit *m_marking = nullptr;
    QSpinBox *m_perDose = nullptr;
    QDoubleSpinBox *m_target = nullptr;
    QLabel *m_arithmetic = nullptr;
    QLineEdit *m_notes = nullptr;
    QLabel *m_problem = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

// Which column of an analysis file holds which figure, for one instrument.
class AnalysisMappingDialog : public QDialog
{
    Q_OBJECT

public:
    AnalysisMappingDialog(const QStringList &headers, QWidget *parent = nullptr);

    QString instrument() const;
    // Column names chosen, in the order motility, progressive, VCL, VSL, VAP; empty for none.
    QStringList columns() const;
    AnalysisMapping mapping() const;
    QString problem() const;

public slots:
    // Closes only with both motility columns chosen, whichever key asked.
    void accept() override;

private:
    // What was said for this instrument before; a guess from the headers for a first file.
    void loadInstrument(bool first = false);
    void check();

    QStringList m_headers;
    QComboBox *m_instrument = nullptr;
    QList<QComboBox *> m_columns;
    QLabel *m_problem = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

// A post-thaw test of a batch, typed or read from an analysis file.
class ThawTestDialog : public QDialog
{
    Q_OBJECT

public:
    ThawTestDialog(JournalService *journal, FreezeBatch batch, QWidget *parent = nullptr);

    ThawTest test() const;
    QString problem() const;

public slots:
    void accept() override;
    // Reads `fileName` off this thread, then asks which of its columns hold which figure.
    void importFile(const QString &fileName);

signals:
    // The figures of an analysis file are in the form (or why not, in the problem line).
    void imported();
    void recorded(const estrivo::ThawTest &test);

private:
    void chooseFile();
    void check();

    QPointer<JournalService> m_journal;
    FreezeBatch m_batch;
    bool m_busy = false;
    QString m_source; // "typed", or the analysis file's name
    QString m_importProblem;

    QSpinBox *m_thawed = nullptr;
    QDoubleSpinBox *m_minutes = nullptr;
    QDoubleSpinBox *m_total = nullptr;
    QDoubleSpinBox *m_progressive = nullptr;
    QLineEdit *m_vcl = nullptr;
    QLineEdit *m_vsl = nullptr;
    QLineEdit *m_vap = nullptr;
    QLineEdit *m_bacteriology = nullptr;
    QLabel *m_sourceLine = nullptr;
    QLabel *m_problem = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

// Releases a batch, holds it back or puts it in quarantine; the journal refuses a release the
// post-thaw test does not allow, and says why.
class ReleaseDialog : public QDialog
{
    Q_OBJECT

public:
    ReleaseDialog(JournalService *journal, FreezeBatch batch, std::optional<ThawTest> latest,
                  double threshold, QWidget *parent = nullptr);

    ReleaseChange change() const;
    QString problem() const;
    void setState(ReleaseState state);

public slots:
    void accept() override;

signals:
    void changed(const estrivo::ReleaseChange &change);
    void refused(const estrivo::JournalError &error);

private:
    void check();

    QPointer<JournalService> m_journal;
    FreezeBatch m_batch;
    bool m_busy = false;
    QComboBox *m_state = nullptr;
    QLineEdit *m_reason = nullptr;
    QLabel *m_problem = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

// Places a batch's unplaced straws, or moves straws between positions: some of one batch, or
// everything a position holds.
class StrawsDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Form { Place, Move };

    StrawsDialog(JournalService *journal, Form form, FreezeBatch batch, QWidget *parent = nullptr);

    Form form() const { return m_form; }
    // The moves as filled in so far, all or none kept.
    QList<StrawMove> moves() const;
    QString problem() const;
    // Takes the straws from `position`, once the tanks are read.
    void choosePosition(const StrawPosition &position);
    bool isReady() const { return m_read; }

public slots:
    void accept() override;

signals:
    // The tanks and what their positions hold are read.
    void ready();
    void moved(const QList<estrivo::StrawMove> &moves);

private:
    struct Read
    {
        QList<Tank> tanks;
        QList<Placement> placements; // in every tank
        JournalError error;
    };
    void showRead(const Read &read);
    QList<Placement> chosenFrom() const; // what the chosen from-position holds
    void fillStraws();
    void check();

    QPointer<JournalService> m_journal;
    Form m_form;
    FreezeBatch m_batch;
    bool m_busy = false;
    bool m_read = false;
    QList<Placement> m_placements;
    QList<StrawPosition> m_fromPositions; // in the order the from list names them

    QComboBox *m_from = nullptr;
    QCheckBox *m_everything = nullptr;
    PositionPicker *m_to = nullptr;
    QSpinBox *m_straws = nullptr;
    QLabel *m_summary = nullptr;
    QLabel *m_problem = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

// Dispatches or uses straws of a released batch, taken from one of its positions, as a
// movement of the register.
class StrawsOutDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Form { Dispatch, Use };

    StrawsOutDialog(JournalService *journal, Form form, FreezeBatch batch,
                    QList<Placement> placements, QWidget *parent = nullptr);

    Movement movement() const;
    QString problem() const;
    void choosePosition(const StrawPosition &position);

public slots:
    void accept() override;

signals:
    void recorded(const estrivo::Movement &movement);

private:
    void check();
    const Placement *chosenPlacement() const;

    QPointer<JournalService> m_journal;
    Form m_form;
    FreezeBatch m_batch;
    QList<Placement> m_placements;
    QString m_uid;
    bool m_busy = false;

    QComboBox *m_from = nullptr;
    QSpinBox *m_straws = nullptr;
    QLineEdit *m_consignee = nullptr;
    QLineEdit *m_mare = nullptr;
    QLineEdit *m_country = nullptr;
    QLineEdit *m_container = nullptr;
    QLabel *m_problem = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

} // namespace estrivo
