#pragma once

#include "sheet_cursor.h"
#include "sheet_row.h"

#include <QAbstractTableModel>

#include <memory>
#include <vector>

namespace estrivo {

// The kept sheets a query selects, newest first, read from the journal a batch at a time as
// the view scrolls, so a journal of any size opens at once.
class SheetTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kBatchRows = 256;
    static constexpr int kSheetIdRole = Qt::UserRole + 1;

    explicit SheetTableModel(QObject *parent = nullptr);
    ~SheetTableModel() override;

    // Starts over with the rows of `query` (the journal's sheetQuery), its first batch read.
    void setQuery(QSqlQuery query);
    // Drops the rows and the query, before the journal's connection closes.
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
    std::unique_ptr<SheetCursor> m_cursor;
    std::vector<SheetRow> m_rows;
    bool m_atEnd = true;
    QString m_error;
};

} // namespace estrivo
