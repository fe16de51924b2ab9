#include "app/ResultsModel.h"

namespace orvane::app {

namespace {

QVariant header(const ListLook& look, int section, Qt::Orientation orientation, int role)
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return look.header;
    return {};
}

// A tree view asks every row for its index and, twice, its flags whenever
// it lays a list out (30,000 rows with every section listed): both are
// answered from the row count alone, without the generic checks' virtual
// calls. The flags are the ones QAbstractListModel gives its rows.
bool isRow(int row, int column, const QModelIndex& parent, qsizetype rows)
{
    return row >= 0 && row < rows && column == 0 && !parent.isValid();
}

constexpr Qt::ItemFlags kRowFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;

} // namespace

// --- results ------------------------------------------------------------------------

ResultsModel::ResultsModel(std::function<QString(int)> sectionName, QObject* parent)
    : QAbstractListModel(parent), sectionName_(std::move(sectionName))
{
}

void ResultsModel::setLook(const ListLook& look)
{
    look_ = look;
    if (!rows_.isEmpty())
        emit dataChanged(index(0), index(int(rows_.size()) - 1), {Qt::DecorationRole});
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void ResultsModel::setRows(QList<ResultRow> rows)
{
    // The same list again (a search repeated, a section chosen again): the
    // views keep their layout instead of laying every row out anew.
    if (rows == rows_)
        return;
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int ResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

QModelIndex ResultsModel::index(int row, int column, const QModelIndex& parent) const
{
    return isRow(row, column, parent, rows_.size()) ? createIndex(row, column) : QModelIndex();
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this ? kRowFlags : QAbstractListModel::flags(index);
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size() || index.column() != 0)
        return {};
    const ResultRow& r = rows_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return r.text();
    case Qt::ToolTipRole:
        // With every section listed, each row says which one it comes from.
        return r.section > 0 && sectionName_ ? QVariant(sectionName_(r.section)) : QVariant();
    case Qt::DecorationRole:
        switch (r.kind) {
        case RowKind::Notice: return look_.notice;
        case RowKind::Separator: return {};
        case RowKind::Interpretation: return look_.ordinary;
        }
        return {};
    case SmallIconRole:
        return r.kind == RowKind::Notice ? kNoticeIcon : r.kind == RowKind::Separator ? 0 : kOrdinaryIcon;
    case KindRole:
        return int(r.kind);
    case IdentifierRole:
        return r.identifier;
    default:
        return {};
    }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return header(look_, section, orientation, role);
}

// --- pick lists -----------------------------------------------------------------------

void PickListModel::setLook(const ListLook& look)
{
    look_ = look;
    if (!rows_.isEmpty())
        emit dataChanged(index(0), index(int(rows_.size()) - 1), {Qt::DecorationRole});
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void PickListModel::setRows(const QStringList& rows)
{
    if (rows == rows_)
        return;
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

int PickListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

QModelIndex PickListModel::index(int row, int column, const QModelIndex& parent) const
{
    return isRow(row, column, parent, rows_.size()) ? createIndex(row, column) : QModelIndex();
}

Qt::ItemFlags PickListModel::flags(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this ? kRowFlags : QAbstractListModel::flags(index);
}

QVariant PickListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size() || index.column() != 0)
        return {};
    switch (role) {
    case Qt::DisplayRole: return rows_.at(index.row());
    case Qt::DecorationRole: return look_.ordinary;
    case SmallIconRole: return kOrdinaryIcon;
    default: return {};
    }
}

QVariant PickListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return header(look_, section, orientation, role);
}

} // namespace orvane::app
