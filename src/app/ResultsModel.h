#pragma once

// The results list and the pick lists as list models: the rows live here
// once, a view draws what it needs of them, and a new list is one reset
// rather than a widget per row.

#include "view/Navigation.h"

#include <QAbstractListModel>
#include <QIcon>
#include <QList>
#include <QStringList>

#include <functional>

namespace orvane::app {

using view::ResultRow;
using view::RowKind;

// Roles of both models besides the display text, the tooltip and the icon.
enum ListRole {
    // The number of the row's small icon in the window's image list: 1 an
    // interpretation or pick, 2 the notice, 0 none.
    SmallIconRole = Qt::UserRole + 1,
    KindRole,         // RowKind as int (results only)
    IdentifierRole,   // the identifier as stored (results only)
};

inline constexpr int kOrdinaryIcon = 1;
inline constexpr int kNoticeIcon = 2;

// The column's caption and the icons a view shows; the window provides them.
struct ListLook {
    QString header;
    QIcon ordinary;
    QIcon notice;
};

class ResultsModel : public QAbstractListModel {
    Q_OBJECT
public:
    // `sectionName` names a section entry for the rows' tooltips; it is asked
    // only when a view wants a tooltip.
    explicit ResultsModel(std::function<QString(int)> sectionName, QObject* parent = nullptr);

    void setLook(const ListLook& look);
    // The new list replaces the old in one reset; the same list again
    // changes nothing.
    void setRows(QList<ResultRow> rows);
    const QList<ResultRow>& rows() const { return rows_; }
    // Row `row` (1-based); an interpretation row with no identifier when out of range.
    ResultRow row(int row) const { return rows_.value(row - 1); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::function<QString(int)> sectionName_;
    ListLook look_;
    QList<ResultRow> rows_;
};

// A drop-down pick list: texts, each with the ordinary icon.
class PickListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setLook(const ListLook& look);
    void setRows(const QStringList& rows);
    const QStringList& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    ListLook look_;
    QStringList rows_;
};

} // namespace orvane::app
