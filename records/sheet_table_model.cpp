#include "sheet_table_model.h"

#include "sheet_cursor.h"

namespace estrivo {

SheetTableModel::SheetTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{}

SheetTableModel::~SheetTableModel() = default;

void SheetTableModel::setSource(Journal *journal, const SheetFilter &filter)
{
    beginResetModel();
    m_rows.clear();
    m_journal = journal;
    m_filter = filter;
    m_atEnd = journal == nullptr;
    m_error.clear();
    endResetModel();
    fetchMore({});
}

void SheetTableModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_journal = nullptr;
    m_atEnd = true;
    m_error.clear();
    endResetModel();
}

int SheetTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SheetTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kSheetColumnCount;
}

QVariant SheetTableModel::data(const QModelIndex &index, int role) const
{
    const SheetRow *sheet = row(index.row());
    if (!sheet || index.column() < 0 || index.column() >= kSheetColumnCount)
        return {};
    const auto column = SheetColumn(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return cellText(*sheet, column);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter
                                   | (isNumberColumn(column) ? Qt::AlignRight : Qt::AlignLeft));
    case kSheetIdRole:
        return sheet->id;
    default:
        return {};
    }
}

QVariant SheetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= kSheetColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return columnTitle(SheetColumn(section));
}

bool SheetTableModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_atEnd;
}

void SheetTableModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    SheetPage page{{}, kBatchRows};
    if (!m_rows.empty())
        page.after = SheetPosition{m_rows.back().savedAt, m_rows.back().id};
    std::vector<SheetRow> batch;
    batch.reserve(kBatchRows);
    QString problem;
    {
        SheetCursor cursor(m_journal->sheetQuery(m_filter, Journal::Scan::ForwardOnly, page));
        SheetRecord sheet;
        while (cursor.next(sheet))
            batch.push_back(sheetRow(sheet));
        problem = cursor.error();
    } // the statement ends here
    if (int(batch.size()) < kBatchRows || !problem.isEmpty())
        m_atEnd = true;
    if (!batch.empty()) {
        const int first = int(m_rows.size());
        beginInsertRows({}, first, first + int(batch.size()) - 1);
        m_rows.insert(m_rows.end(), std::make_move_iterator(batch.begin()),
                      std::make_move_iterator(batch.end()));
        endInsertRows();
    }
    if (!problem.isEmpty()) {
        m_error = problem;
        emit failed(m_error);
    }
}

const SheetRow *SheetTableModel::row(int row) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return nullptr;
    return &m_rows[std::size_t(row)];
}

} // namespace estrivo
