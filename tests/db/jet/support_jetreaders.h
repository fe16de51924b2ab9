#pragma once

// Reading written files back with readers this project did not write:
// mdb-export (mdbtools) and the npm package mdb-reader (through
// tests/js/dump.js), plus a few raw looks at the pages.

#include "db/jet/JetWriter.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace orvane::jet::test {

// Empty when the reader can run; otherwise why not.
QString mdbExportMissing();
QString mdbReaderMissing();

// Compares every table of `db` with what the reader returns for `path`
// (table names, column names, every value). Empty when all match; otherwise
// a description of the first difference.
QString compareWithMdbExport(const QString& path, const DatabaseDef& db);
QString compareWithMdbReader(const QString& path, const DatabaseDef& db);

// The raw dump of mdb-reader (see tests/js/dump.js); an empty object and
// `error` set on failure.
QJsonObject mdbReaderDump(const QString& path, QString* error);

// What the pages say about one table, read straight from the file.
struct RawTable {
    quint32 definitionPage = 0;
    std::vector<int> rowLengths;   // every data row, in page order
    int usageMapType = -1;         // first byte of the owned-pages map row
    int freeMapType = -1;
};
// Every table owning data pages, the catalog (page 2) included.
std::vector<RawTable> rawTables(const QString& path);

} // namespace orvane::jet::test
