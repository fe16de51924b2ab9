#include "view/Navigation.h"

namespace orvane::view {

std::optional<NavigationButtons> navigationButtons(int rowCount, int selectedRow)
{
    if (rowCount <= 0)
        return NavigationButtons{};
    if (selectedRow <= 0)
        return NavigationButtons{true, false, false, true};
    if (selectedRow == rowCount) {
        const bool back = rowCount > 1;
        return NavigationButtons{back, back, false, false};
    }
    if (selectedRow < rowCount) {
        const bool back = selectedRow > 1;
        return NavigationButtons{back, back, true, true};
    }
    return std::nullopt;
}

ResultRow resultRow(const QString& identifier, int section)
{
    return {identifier == kNoticeId ? RowKind::Notice : RowKind::Interpretation, identifier, section};
}

int rowOffset(int rowCount, RowKind row2)
{
    return rowCount > 2 && row2 == RowKind::Separator ? 2 : 0;
}

QString positionLabel(int row, int rowOffset)
{
    const int position = row - rowOffset;
    return position > 0 ? QString::number(position) : QStringLiteral("n/a");
}

int navigationTarget(NavigationStep step, int selectedRow, int rowCount)
{
    int target = 0;
    switch (step) {
    case NavigationStep::First: target = 1; break;
    case NavigationStep::Previous: target = selectedRow > 0 ? selectedRow - 1 : 0; break;
    case NavigationStep::Next: target = selectedRow > 0 ? selectedRow + 1 : 0; break;
    case NavigationStep::Last: target = rowCount; break;
    }
    return target >= 1 && target <= rowCount ? target : 0;
}

RowPick pickRow(const QList<ResultRow>& rows, int row)
{
    RowPick pick;
    const int count = int(rows.size());
    if (row >= 1 && row <= count) {
        pick.identifier = rows.at(row - 1).text();
        pick.section = rows.at(row - 1).section;
    }
    if (count > 2) {
        pick.rowOffset = rowOffset(count, rows.at(1).kind);
        // Independently of the offset: the separator stands for the notice
        // above it, whatever row 1 holds.
        if (row >= 1 && row <= count && rows.at(row - 1).kind == RowKind::Separator) {
            pick.identifier = rows.at(0).identifier;
            pick.section = rows.at(0).section;
        }
    }
    pick.positionLabel = positionLabel(row, pick.rowOffset);
    return pick;
}

bool clickReloads(const ResultRow& row, const QString& identifierLabel, int shownSection)
{
    return row.text() != identifierLabel || row.section != shownSection;
}

int interpretationCount(int rowCount, bool noticeShown)
{
    return noticeShown ? rowCount - 2 : rowCount;
}

} // namespace orvane::view
