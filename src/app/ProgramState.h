#pragma once

// The program-wide state that outlives a window: the settings read at start,
// the section list and the section in use. One instance lives in the
// controller for the whole run.

#include <QString>
#include <array>

namespace orvane::app {

// One entry of the section list: the name the user sees and its table.
struct SectionEntry {
    QString UserTableName;
    QString dbTableName;
};

struct ProgramState {
    static constexpr int kMaxSections = 20;

    QString dataPath;
    qint16 defaultSection = 0;
    bool startingUp = false;

    int sectionCount = 0;
    std::array<SectionEntry, kMaxSections + 1> sectionList;   // entries 1..20; 0 unused
    QString currentTable;
    // Whether the last run ended on "All sections" (setting "all sections").
    bool allSections = false;
};

} // namespace orvane::app
