#include "sheet_table_model.h"

#include "journal_service.h"

#include <algorithm>
#include <array>
#include <utility>

namespace estrivo {

namespace {

constexpr std::array<std::pair<SheetColumn, SheetSortKey>, 8> kSortable{{
    {SheetColumn::Saved, SheetSortKey::Saved},
    {SheetColumn::Stallion, SheetSortKey::Stallion},
    // The save time stands in for a date the sheet holds as text in any form.
    {SheetColumn::CollectionDate, SheetSortKey::Saved},
    {SheetColumn::Concentration, SheetSortKey::Concentration},
    {SheetColumn::GelFreeVolume, SheetSortKey::GelFreeVolume},
    {SheetColumn::Motility, SheetSortKey::Motility},
    {SheetColumn::Doses, SheetSortKey::Doses},
    {SheetColumn::VolumePerDose, SheetSortKey::VolumePerDose},
}};

bool sameRow(const SheetRow &a, const SheetRow &b)
{
    return a.id == b.id && a.printed == b.printed && a.stallion == b.stallion
           && a.savedAt == b.savedAt;
}

} // namespace

SheetTableModel::SheetTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{}

SheetTableModel::~SheetTableModel() = default;

int SheetTableModel::columnOf(SheetSortKey key)
{
    if (key == SheetSortKey::Printed)
        return int(SheetColumn::Printed);
    for (const auto &[column, sortKey] : kSortable) {
        if (sortKey == key)
            return int(column);
    }
    return -1;
}

std::optional<SheetSortKey> SheetTableModel::sortKeyOf(int column)
{
    if (column == int(SheetColumn::Printed))
        return SheetSortKey::Printed;
    for (const auto &[sheetColumn, sortKey] : kSortable) {
        if (int(sheetColumn) == column)
            return sortKey;
    }
    return std::nullopt;
}

void SheetTableModel::sort(int column, Qt::SortOrder order)
{
    const std::optional<SheetSortKey> key = sortKeyOf(column);
    if (!key)
        return;
    const SheetOrder wanted{*key, order == Qt::AscendingOrder};
    if (wanted == m_order)
        return;
    if (m_journal)
        setSource(m_journal, m_filter, wanted);
    else
        m_order = wanted;
}

void SheetTableModel::setSource(JournalService *journal, const SheetFilter &filter,
                                const SheetOrder &order)
{
    setPending(0); // pages of the old source are no longer waited for
    beginResetModel();
    m_rows.clear();
    m_journal = journal;
    m_filter = filter;
    m_order = order;
    ++m_generation;
    m_maxId = 0;
    m_atEnd = journal == nullptr;
    m_fetching = false;
    m_error.clear();
    endResetModel();
    if (journal) {
        m_atEnd = false;
        fetchMore({});
    }
}

void SheetTableModel::clear()
{
    setSource(nullptr, {}, m_order);
}

void SheetTableModel::setPending(int pending)
{
    const bool was = m_pending > 0;
    m_pending = pending;
    if (was != (m_pending > 0))
        emit loadingChanged(m_pending > 0);
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
    const SheetRow *sheet
        = checkIndex(index, CheckIndexOption::IndexIsValid) ? row(index.row()) : nullptr;
    if (!sheet)
        return {};
    const auto column = SheetColumn(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return cellText(*sheet, column);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter
                                   | (isNumberColumn(column) ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::ToolTipRole:
        return cellToolTip(*sheet, column);
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
    // One page on its way at a time: a view asks again once it has come.
    return !parent.isValid() && !m_atEnd && !m_fetching && m_journal;
}

void SheetTableModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    SheetPage page{{}, kBatchRows, m_order};
    if (!m_rows.empty()) {
        const SheetRow &last = m_rows.back();
        page.after = SheetPosition{last.savedAt, last.id, last.sortValue};
    }
    m_fetching = true;
    setPending(m_pending + 1);
    const quint64 generation = m_generation;
    const bool first = m_rows.empty();
    whenReady(m_journal->sheets(m_filter, page, SheetDetail::List), this,
              [this, generation, first](const JournalReply<QList<SheetRecord>> &reply) {
                  pageRead(generation, first, reply.value, reply.error.reason);
              });
}

void SheetTableModel::pageRead(quint64 generation, bool first, const QList<SheetRecord> &sheets,
                               const QString &error)
{
    if (generation != m_generation)
        return;
    setPending(m_pending - 1);
    if (!error.isEmpty()) {
        // The page is asked for again when the journal answers (refreshNewest, or a view
        // scrolling on); nothing is lost meanwhile.
        m_fetching = false;
        m_error = error;
        emit failed(m_error);
        return;
    }
    m_error.clear();
    if (sheets.size() < kBatchRows)
        m_atEnd = true;
    // A row another program saved meanwhile may already be here through refreshNewest().
    std::vector<SheetRow> batch;
    batch.reserve(std::size_t(sheets.size()));
    for (const SheetRecord &sheet : sheets) {
        m_maxId = std::max(m_maxId, sheet.id);
        SheetRow row = sheetRow(sheet);
        if (find(row) < 0)
            batch.push_back(std::move(row));
    }
    if (!batch.empty()) {
        const int at = int(m_rows.size());
        beginInsertRows({}, at, at + int(batch.size()) - 1);
        m_rows.insert(m_rows.end(), std::make_move_iterator(batch.begin()),
                      std::make_move_iterator(batch.end()));
        endInsertRows();
    }
    // On its way until its rows are in: a fetchMore() from a slot of the insertion would
    // otherwise start from the rows before them and ask for this page again.
    m_fetching = false;
    emit pageArrived(first);
}

void SheetTableModel::refreshNewest()
{
    if (!m_journal)
        return;
    if (m_rows.empty() && !m_fetching) {
        // Nothing was there, or the first page failed: read it as a first page.
        m_atEnd = false;
        fetchMore({});
        return;
    }
    if (!m_order.isNewestFirst()) {
        setSource(m_journal, m_filter, m_order);
        return;
    }
    setPending(m_pending + 1);
    const quint64 generation = m_generation;
    whenReady(m_journal->sheets(m_filter, SheetPage{{}, kBatchRows, m_order}, SheetDetail::List),
              this, [this, generation](const JournalReply<QList<SheetRecord>> &reply) {
                  if (generation != m_generation)
                      return;
                  setPending(m_pending - 1);
                  if (!reply.ok()) {
                      m_error = reply.error.reason;
                      emit failed(m_error);
                      return;
                  }
                  m_error.clear();
                  newestRead(generation, reply.value);
              });
    // And whatever was saved since the newest sheet seen, whatever time it says it was saved
    // at (a workstation whose clock is behind): ids only grow.
    SheetFilter since = m_filter;
    since.idAbove = m_maxId;
    setPending(m_pending + 1);
    whenReady(m_journal->sheets(since, SheetPage{{}, kBatchRows, m_order}, SheetDetail::List),
              this, [this, generation](const JournalReply<QList<SheetRecord>> &reply) {
                  if (generation != m_generation)
                      return;
                  setPending(m_pending - 1);
                  if (!reply.ok())
                      return; // the newest page's answer says why
                  if (reply.value.size() == kBatchRows) {
                      setSource(m_journal, m_filter); // more than a page: read it all again
                      return;
                  }
                  newestRead(generation, reply.value);
              });
}

void SheetTableModel::newestRead(quint64 generation, const QList<SheetRecord> &sheets)
{
    Q_UNUSED(generation)
    // A full page of rows none of which is here: more were saved than a page holds, and the
    // ones between would be missing. Start over (rare: hundreds saved within a check).
    const bool overflowed
        = sheets.size() == kBatchRows
          && std::none_of(sheets.begin(), sheets.end(),
                          [this](const SheetRecord &sheet) { return find(sheetRow(sheet)) >= 0; });
    if (overflowed && !m_rows.empty()) {
        setSource(m_journal, m_filter);
        return;
    }
    int addedAbove = 0;
    for (const SheetRecord &sheet : sheets) {
        m_maxId = std::max(m_maxId, sheet.id);
        SheetRow fresh = sheetRow(sheet);
        if (const int at = find(fresh); at >= 0) {
            if (!sameRow(m_rows[std::size_t(at)], fresh)) {
                m_rows[std::size_t(at)] = std::move(fresh);
                emit dataChanged(index(at, 0), index(at, kSheetColumnCount - 1));
            }
            continue;
        }
        // Where it belongs among the rows there are; past the last loaded row it comes with
        // the page that reaches it, unless every row is loaded.
        const auto place = std::lower_bound(
            m_rows.begin(), m_rows.end(), fresh,
            [this](const SheetRow &a, const SheetRow &b) { return before(a, b); });
        if (place == m_rows.end() && !m_atEnd)
            continue;
        const int at = int(place - m_rows.begin());
        beginInsertRows({}, at, at);
        m_rows.insert(place, std::move(fresh));
        endInsertRows();
        if (at < int(m_rows.size()) - 1)
            ++addedAbove;
    }
    if (addedAbove > 0)
        emit rowsAddedAbove(addedAbove);
}

bool SheetTableModel::before(const SheetRow &a, const SheetRow &b) const
{
    int order = 0;
    if (m_order.key == SheetSortKey::Saved)
        order = a.savedAt < b.savedAt ? -1 : a.savedAt > b.savedAt ? 1 : 0;
    else
        order = compareSortValues(a.sortValue, b.sortValue);
    if (order == 0)
        order = a.id < b.id ? -1 : a.id > b.id ? 1 : 0;
    return m_order.ascending ? order < 0 : order > 0;
}

int SheetTableModel::find(const SheetRow &probe) const
{
    const auto place
        = std::lower_bound(m_rows.begin(), m_rows.end(), probe,
                           [this](const SheetRow &a, const SheetRow &b) { return before(a, b); });
    if (place == m_rows.end() || place->id != probe.id)
        return -1;
    return int(place - m_rows.begin());
}

const SheetRow *SheetTableModel::row(int row) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return nullptr;
    return &m_rows[std::size_t(row)];
}

int SheetTableModel::rowOf(qint64 id) const
{
    const auto found = std::find_if(m_rows.begin(), m_rows.end(),
                                    [id](const SheetRow &row) { return row.id == id; });
    return found == m_rows.end() ? -1 : int(found - m_rows.begin());
}

} // namespace estrivo
