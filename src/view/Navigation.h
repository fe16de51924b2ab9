#pragma once

// The results list's rules without the list: which navigation buttons are
// enabled, which row a button goes to, what a picked row loads and what the
// position label says. Rows are numbered from 1; 0 means "no row". Notice and
// separator rows are ordinary rows for all row arithmetic; only the position
// label and the count skip them.

#include <QString>
#include <QStringList>

#include <optional>

namespace orvane::view {

// The database's notice record and the text of the row listed after it.
inline const QString kNoticeId = QStringLiteral("  Orvane-INT Notice");         // two leading blanks
inline const QString kSeparatorText = QStringLiteral("    ******************");  // 4 blanks, 18 asterisks

// One row of the results list.
enum class RowKind { Interpretation, Notice, Separator };
struct ResultRow {
    RowKind kind = RowKind::Interpretation;
    QString identifier;   // as stored; the separator has none
    // With all sections listed, the section entry (1-based) whose table
    // holds the row; 0 for the section in use.
    int section = 0;

    // The row's text as the list shows it.
    QString text() const { return kind == RowKind::Separator ? kSeparatorText : identifier; }
    friend bool operator==(const ResultRow&, const ResultRow&) = default;
};
// A found identifier as a row: the database's notice is a row of its own kind.
ResultRow resultRow(const QString& identifier, int section = 0);

// Enabled state of Command4(0..3) and of their caption labels Label1(7..10),
// which always follow their button.
struct NavigationButtons {
    bool first = false;
    bool previous = false;
    bool next = false;
    bool last = false;
    friend bool operator==(const NavigationButtons&, const NavigationButtons&) = default;
};

// From the number of rows and the selected row (0 = none):
//   no rows: all off;  none selected: first, last;  last row of several: first,
//   previous;  the only row: all off;  a middle row: all;  first of several:
//   next, last. A selected row beyond the count matches no case: nullopt,
//   leave the buttons as they are.
std::optional<NavigationButtons> navigationButtons(int rowCount, int selectedRow);

// 2 when the list has more than 2 rows and row 2 is the separator, else 0.
int rowOffset(int rowCount, RowKind row2);

// What the position label shows for a row: its number less the offset, or
// "n/a" for the notice and separator rows.
QString positionLabel(int row, int rowOffset);

// The navigation buttons, in their order on the window.
enum class NavigationStep { First, Previous, Next, Last };

// The row a navigation button selects: first -> 1, previous -> selected - 1,
// next -> selected + 1, last -> rowCount. 0 when there is no such row (empty
// list, no selection for previous / next, beyond either end).
int navigationTarget(NavigationStep step, int selectedRow, int rowCount);

// A row picked in the results list (by a click or a button).
struct RowPick {
    QString identifier;     // what to load: the row's text, the notice for the separator
    int section = 0;        // and from which section
    int rowOffset = 0;
    QString positionLabel;  // caption of Label1(4)
};
// `row` is 1-based and in range.
RowPick pickRow(const QList<ResultRow>& rows, int row);

// A click reloads unless the clicked row's text equals the identifier label
// exactly and the row is of the section on display; the label is trimmed,
// so the notice row always reloads.
bool clickReloads(const ResultRow& row, const QString& identifierLabel, int shownSection);

// The count label after a search: the rows less the notice and separator.
int interpretationCount(int rowCount, bool noticeShown);

} // namespace orvane::view
