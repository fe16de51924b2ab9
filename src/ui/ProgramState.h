#pragma once

// The program-wide state shared by the windows. One instance lives for the
// whole run, owned by the application and handed to each window.

#include "db/Engine.h"

#include <QString>
#include <array>
#include <functional>
#include <memory>

namespace orvane::ui {

// One entry of the section list: the name the user sees and its table.
struct SectionEntry {
    QString UserTableName;
    QString dbTableName;
};

struct ProgramState {
    static constexpr int kMaxSections = 20;
    // The password every database of the program is opened with.
    static constexpr const char* kConnect = ";pwd=tolvaren";

    QString dataPath;
    qint16 defaultSection = 0;
    bool startingUp = false;

    std::unique_ptr<db::Workspace> dbWorkspace;
    std::unique_ptr<db::Database> dbInterpretation;
    db::Recordset rsQuery;

    int sectionCount = 0;
    std::array<SectionEntry, kMaxSections + 1> sectionList;   // entries 1..20; 0 unused
    QString currentTable;

    // How a database file is opened. Tests replace it to simulate slow,
    // missing or wrongly protected files; by default it asks dbWorkspace.
    using Opener = std::function<std::unique_ptr<db::Database>(
        db::Workspace& workspace, const QString& path, const QString& connect)>;
    Opener opener;

    // Opens `path` in dbWorkspace (created when missing), not exclusive, not
    // read-only, with the program's password. Throws db::JetError.
    std::unique_ptr<db::Database> openDatabase(const QString& path)
    {
        if (!dbWorkspace)
            dbWorkspace = std::make_unique<db::Workspace>();
        const QString connect = QString::fromLatin1(kConnect);
        if (opener)
            return opener(*dbWorkspace, path, connect);
        return dbWorkspace->openDatabase(path, false, false, connect);
    }
};

} // namespace orvane::ui
