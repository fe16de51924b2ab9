#pragma once

// Column layout and row encoding of the Jet 3 writer. Internal to the writer.

#include "db/jet/JetWriter.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace orvane::jet::detail {

class LongValueWriter;

// Type codes the catalog needs beyond those of user tables.
constexpr unsigned char kTypeBinary = 0x09;
constexpr unsigned char kTypeOle = 0x0B;

struct ColumnLayout {
    QString name;
    QByteArray encodedName;  // Windows-1252
    unsigned char type = 0;
    bool fixed = false;
    int length = 0;          // descriptor length: TEXT maximum bytes, LONG 4, ...
    int fixedOffset = 0;     // in the fixed area (fixed columns)
    int varIndex = 0;        // in the variable-offset table (variable columns)
};

struct TableLayout {
    QString name;
    std::vector<ColumnLayout> columns; // in column-number order
    int fixedSize = 0;
    int varCount = 0;
};

// Storage length of a fixed column; 0 for BOOL, which lives in the null bitmap.
int fixedLength(unsigned char type);
bool isFixedType(unsigned char type);

// Assigns fixed offsets and variable indexes in column order.
void assignStorage(TableLayout& layout);

// Length of a row with `varBytes` bytes of variable data.
int rowLength(const TableLayout& layout, int varBytes);

// A value that cannot be stored; the caller adds table and row.
struct CellError {
    int column = -1;  // -1: the row as a whole
    QString message;
};

// Encodes one row into `out`. Memo contents too long to stay in the row go to
// `longValues`. Throws CellError.
void encodeRow(const TableLayout& layout, const std::vector<CellValue>& cells,
               LongValueWriter& longValues, QByteArray& out);

// Jet's date/time: days since 1899-12-30 as a double, the time of day as the
// fraction, taken from the wall-clock date and time of `dt`. Before the epoch
// the fraction still counts forwards from midnight (-1.25 is 1899-12-29 06:00).
double jetDateTime(const QDateTime& dt);

} // namespace orvane::jet::detail
