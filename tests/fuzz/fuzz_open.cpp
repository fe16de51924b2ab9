// Opens arbitrary bytes as a database file and reads everything it lists,
// once through the file reader and once through the workspace as the
// program does (password, then one SELECT per table). A JetError is the
// expected answer to damaged input; a crash, a hang, a sanitizer report or
// any other exception is a fault.

#include "db/Engine.h"
#include "db/JetError.h"
#include "db/jet/JetFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

using orvane::db::JetError;

// One scratch file per fuzzing process, rewritten for every input: the
// reader works on paths, and libmdb reopens the file by name.
const QString& scratchPath()
{
    static const QString path = [] {
        const QString p = QDir::temp().filePath(
            QStringLiteral("orvane-fuzz-%1.mdb").arg(static_cast<qint64>(::getpid())));
        std::atexit([] { std::remove(QFile::encodeName(scratchPath()).constData()); });
        return p;
    }();
    return path;
}

bool writeScratch(const std::uint8_t* data, std::size_t size)
{
    static const QByteArray native = QFile::encodeName(scratchPath());
    std::FILE* f = std::fopen(native.constData(), "wb");
    if (!f)
        return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

QStringList readThroughReader(const QString& path)
{
    orvane::jet::MdbFile file(path);
    const QStringList names = file.tableNames();
    for (const QString& name : names) {
        try {
            file.readTable(name);
        } catch (const JetError&) {
            // one damaged table does not stop the others
        }
    }
    // The catalog itself is a table too, and the one every file has.
    try {
        file.readTable(QStringLiteral("MSysObjects"));
    } catch (const JetError&) {
    }
    return names;
}

void readThroughWorkspace(const QString& path, const QStringList& names)
{
    // The password the header holds, so that the tables behind it are
    // reached; the connect string carries it as the program sends it.
    const QString password = orvane::jet::readHeader(path).password;
    orvane::db::Workspace workspace;
    const auto db = workspace.openDatabase(path, false, true, QStringLiteral(";pwd=") + password);
    for (const QString& name : names) {
        try {
            db->execute(QStringLiteral("SELECT * FROM [%1]").arg(name));
        } catch (const JetError&) {
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!writeScratch(data, size))
        std::abort(); // the harness itself is broken; nothing to learn from the input
    QStringList names;
    try {
        names = readThroughReader(scratchPath());
    } catch (const JetError&) {
        return 0; // the workspace opens files the same way
    }
    try {
        readThroughWorkspace(scratchPath(), names);
    } catch (const JetError&) {
    }
    return 0;
}
