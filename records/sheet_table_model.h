#pragma once

#include "journal.h"
#include "sheet_row.h"

#include <QAbstractTableModel>

#include <vector>

namespace estrivo {

// The kept sheets a filter selects, newest first, read from the journal a batch at a time as
// the view scrolls, so a journal of any size opens at once. Each batch is a query of its own,
// finished before the next: a statement left half read would hold the connection on an old
// picture of the journal (and keep SQLite from folding its write-ahead log back in).
class SheetTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kBatchRows = 256;
    static constexpr int kSheetIdRole = Qt::UserRole + 1;

    explicit SheetTableModel(QObject *parent = nullptr);
    ~SheetTableModel() override;

    // Starts over with the sheets `filter` selects in `journal`, its first batch read.
    void setSource(Journal *journal, const SheetFilter &filter);
    // Drops the rows and forgets the journal, before its connection closes.
    void clear();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    const SheetRow *row(int row) const;
    QString error() const { return m_error; }

signals:
    void failed(const QString &reason);

private:
    Journal *m_journal = nullptr;
    SheetFilter m_filter;
    std::vector<SheetRow> m_rows;
    bool m_atEnd = true;
    QString m_error;
};

} // namespace estrivo
