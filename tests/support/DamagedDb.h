#pragma once

// Interpretation databases with one kind of damage each, for the reader,
// the engine, the tools and the windows: a good file written with our own
// writer, then the few bytes the damage needs changed. The damage is in
// Section IX's table INT09 (INT08 and the catalog stay intact), except for
// SectionListRow.

#include <QString>

namespace orvane::testing {

enum class Damage {
    None,
    MemoPastEnd,       // the long memo's pointer names a page past the end of the file
    MemoChainLoops,    // the first link of its chain points back at itself
    MemoToDataPage,    // the pointer names a row of INT09's own data page
    MemoChainShort,    // the stored length is larger than the chain holds
    ShortUsageMap,     // INT09's page map is cut before the bit of its data page
    RowOutsidePage,    // a row offset of INT09's data page lies past the page
    SectionListRow,    // a row offset of AuthorizedTablesTab's data page lies past the page
};

// Interpretation in INT09 whose text (kLongLength characters) is stored as a
// chain of long-value pages.
inline const QString kLongId = QStringLiteral("IX-99-01");
inline constexpr int kLongLength = 10505;

// The text of kLongId as written.
QString longText();

// Writes standardPlan() plus kLongId to `path`, damaged as `damage` says
// (throws std::runtime_error when the layout it looks for is not there).
// Returns `path`.
QString writeDamagedDb(const QString& path, Damage damage);

} // namespace orvane::testing
