#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace estrivo {

class JournalService;

// Where a keyboard-wedge scanner types a dose label's code (and Enter): the dose it names is
// looked up in the journal and handed on. What cannot be used is said on a line beside the
// field, never in a box: the scanner's next read must land in the field, not on a button.
class ScanField : public QWidget
{
    Q_OBJECT

public:
    explicit ScanField(QWidget *parent = nullptr);

    void setJournal(JournalService *journal);
    QLineEdit *field() const { return m_field; }
    // What the line beside the field says now.
    QString status() const;

public slots:
    // Reads `typed` as a scanned label, as Enter in the field does.
    void scan(const QString &typed);

signals:
    // Dose `dose` of collection `sheetId`, made at this station, is in the journal.
    void doseFound(qint64 sheetId, int dose);
    // A scan could not be used; `why` is on the status line.
    void scanFailed(const QString &why);

private:
    void say(const QString &text, bool problem);

    QPointer<JournalService> m_journal;
    quint64 m_request = 0; // only the newest scan's answer counts
    QLineEdit *m_field = nullptr;
    QLabel *m_status = nullptr;
};

} // namespace estrivo
