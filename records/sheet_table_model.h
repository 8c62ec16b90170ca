#pragma once

#include "journal_types.h"
#include "sheet_row.h"

#include <QAbstractTableModel>
#include <QPointer>

#include <optional>

#include <vector>

namespace estrivo {

class JournalService;

// The kept sheets a filter selects, newest first or in a column's order, read from the journal's
// service a page at a time as the view scrolls, so a journal of any size opens at once and the
// window never waits for it: a page is asked for, and its rows are added when they come. Each page
// is a query of its own, so no statement stays open between pages. Newest first, refreshNewest()
// brings in what other programs saved since, in place, without a reset: a view keeps its
// selection and rows. In another order a save may land anywhere, so the list is read again.
class SheetTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kBatchRows = 256;
    static constexpr int kSheetIdRole = Qt::UserRole + 1;

    explicit SheetTableModel(QObject *parent = nullptr);
    ~SheetTableModel() override;

    // Starts over with the sheets `filter` selects in `order`, and asks for the first page.
    void setSource(JournalService *journal, const SheetFilter &filter,
                   const SheetOrder &order = {});
    SheetOrder order() const { return m_order; }
    // The list's column an order sorts, and the order a column sorts by; nullopt for a
    // column the journal cannot sort.
    static int columnOf(SheetSortKey key);
    static std::optional<SheetSortKey> sortKeyOf(int column);
    // Drops the rows and forgets the journal.
    void clear();
    // Newest first: reads the newest page again; rows saved since are inserted where they
    // belong, and rows that changed (a print outcome) are updated. In any other order a change
    // may be anywhere in it: the list is read again from its start.
    void refreshNewest();
    // Starts over in the column's order; a column the journal cannot sort leaves it as it is.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    const SheetRow *row(int row) const;
    int rowOf(qint64 id) const; // -1 when not loaded
    bool isLoading() const { return m_pending > 0; }
    QString error() const { return m_error; }

signals:
    // A page came in (first: the first page of a new source).
    void pageArrived(bool first);
    // Rows were inserted above the ones there were, by refreshNewest().
    void rowsAddedAbove(int count);
    void loadingChanged(bool loading);
    void failed(const QString &reason);

private:
    void pageRead(quint64 generation, bool first, const QList<SheetRecord> &sheets,
                  const QString &error);
    void newestRead(quint64 generation, const QList<SheetRecord> &sheets);
    void setPending(int pending);
    // Whether `a` comes before `b` in the order of the list.
    bool before(const SheetRow &a, const SheetRow &b) const;
    // Where the row of this sheet is, by the order of the list; -1 when not loaded.
    int find(const SheetRow &probe) const;

    QPointer<JournalService> m_journal;
    SheetFilter m_filter;
    SheetOrder m_order;
    std::vector<SheetRow> m_rows;
    quint64 m_generation = 0; // a new source makes pages still on their way stale
    qint64 m_maxId = 0;       // the newest sheet seen: what has a higher id is new
    bool m_atEnd = true;
    bool m_fetching = false;
    int m_pending = 0;
    QString m_error;
};

} // namespace estrivo
