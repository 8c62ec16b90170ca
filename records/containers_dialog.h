#pragma once

#include "register_types.h"

#include <QDate>
#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace estrivo {

class JournalService;

// The containers sent with dispatches and not back: when each is due, which are overdue, and
// a way to mark one returned (a return of its dispatch with the container back, no doses).
class ContainersDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Shown { AllOut, DueBack, Overdue };

    explicit ContainersDialog(JournalService *journal, QWidget *parent = nullptr);

    // The containers the list shows, in its order.
    QList<ContainerOut> shown() const { return m_shown; }
    void setShown(Shown which);
    // What "today" is for due and overdue; the calendar's day unless set.
    void setToday(const QDate &today);
    void choose(qint64 dispatchId);

public slots:
    void reload();
    // Keeps the chosen container's return in the journal, then reads the list again.
    void markReturned();

signals:
    void loaded();
    void returned(const estrivo::Movement &movement);

private:
    void showList();
    void updateButtons();

    QPointer<JournalService> m_journal;
    QList<ContainerOut> m_out;
    QList<ContainerOut> m_shown;
    QDate m_today;
    quint64 m_request = 0;
    bool m_busy = false;
    QComboBox *m_which = nullptr;
    QTableWidget *m_table = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_markReturned = nullptr;
};

} // namespace estrivo
