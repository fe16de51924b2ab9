#include "db/jet/JetWriterRows.h"

#include "db/jet/Cp1252.h"
#include "db/jet/JetWriterPages.h"

#include <cmath>
#include <limits>

namespace orvane::jet::detail {

int fixedLength(unsigned char type)
{
    switch (type) {
    case 0x01: return 0; // BOOL
    case 0x03: return 2; // INT
    case 0x04: return 4; // LONG
    case 0x07: return 8; // DOUBLE
    case 0x08: return 8; // DATETIME
    default: return -1;
    }
}

bool isFixedType(unsigned char type)
{
    return fixedLength(type) >= 0;
}

void assignStorage(TableLayout& layout)
{
    layout.fixedSize = 0;
    layout.varCount = 0;
    for (ColumnLayout& c : layout.columns) {
        c.fixed = isFixedType(c.type);
        if (c.fixed) {
            c.fixedOffset = layout.fixedSize;
            // Access, too, leaves the variable index of a fixed column at the
            // number of variable columns before it.
            c.varIndex = layout.varCount;
            layout.fixedSize += fixedLength(c.type);
            if (c.type == 0x01)
                c.length = 1;
            else
                c.length = fixedLength(c.type);
        } else {
            c.fixedOffset = 0;
            c.varIndex = layout.varCount++;
        }
    }
}

namespace {

int nullMaskSize(const TableLayout& layout)
{
    return int(layout.columns.size() + 7) / 8;
}

// Number of jump bytes of a row whose variable data ends at `eod`: one per
// 256 bytes of row length, found by iteration because the jump bytes lengthen
// the row themselves.
int jumpCount(int lengthWithoutJumps)
{
    int jumps = 0;
    for (;;) {
        const int next = (lengthWithoutJumps + jumps - 1) / 256;
        if (next == jumps)
            return jumps;
        jumps = next;
    }
}

enum class MemoPlace { Null, Inline, Long };

struct VarCell {
    QByteArray bytes;
    bool isMemo = false;
    MemoPlace place = MemoPlace::Null;

    int storedSize() const
    {
        if (!isMemo)
            return int(bytes.size());
        switch (place) {
        case MemoPlace::Null: return 0;
        case MemoPlace::Inline: return 12 + int(bytes.size());
        case MemoPlace::Long: return 12;
        }
        return 0;
    }
};

QString describe(const CellValue& v)
{
    switch (v.index()) {
    case 1: return QStringLiteral("text");
    case 2: return QStringLiteral("a whole number");
    case 3: return QStringLiteral("a floating-point number");
    case 4: return QStringLiteral("a yes/no value");
    case 5: return QStringLiteral("a date/time");
    default: return QStringLiteral("NULL");
    }
}

[[noreturn]] void wrongKind(int column, const char* expected, const CellValue& v)
{
    throw CellError{column, QStringLiteral("expects %1, got %2").arg(QLatin1String(expected), describe(v))};
}

QByteArray encodeText(int column, const QString& text)
{
    QByteArray out;
    qsizetype bad = -1;
    if (!encodeCp1252(text, out, &bad)) {
        const QString code = QString::number(text.at(bad).unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'));
        throw CellError{column, QStringLiteral("character U+%1 at position %2 has no Windows-1252 code")
                                    .arg(code).arg(bad + 1)};
    }
    return out;
}

} // namespace

int rowLength(const TableLayout& layout, int varBytes)
{
    const int mask = nullMaskSize(layout);
    const int eod = 1 + layout.fixedSize + varBytes;
    if (layout.varCount == 0)
        return eod + mask;
    const int base = eod + 1 + layout.varCount + 1 + mask;
    return base + jumpCount(base);
}

double jetDateTime(const QDateTime& dt)
{
    const qint64 days = QDate(1899, 12, 30).daysTo(dt.date());
    const double fraction = dt.time().msecsSinceStartOfDay() / 86400000.0;
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

void encodeRow(const TableLayout& layout, const std::vector<CellValue>& cells,
               LongValueWriter& longValues, QByteArray& out)
{
    const int columnCount = int(layout.columns.size());
    if (int(cells.size()) != columnCount) {
        throw CellError{-1, QStringLiteral("has %1 values for %2 columns").arg(cells.size()).arg(columnCount)};
    }
    const int maskSize = nullMaskSize(layout);

    std::vector<unsigned char> fixedArea(layout.fixedSize, 0);
    std::vector<unsigned char> nullMask(maskSize, 0);
    std::vector<VarCell> vars(layout.varCount);

    for (int i = 0; i < columnCount; ++i) {
        const ColumnLayout& col = layout.columns[i];
        const CellValue& v = cells[i];
        const bool isNull = std::holds_alternative<std::monostate>(v);
        bool present = !isNull;
        unsigned char* f = col.fixed ? fixedArea.data() + col.fixedOffset : nullptr;

        switch (col.type) {
        case 0x01: // BOOL: the value is the null-bitmap bit; NULL reads as No
            if (const bool* b = std::get_if<bool>(&v))
                present = *b;
            else if (const qint64* n = std::get_if<qint64>(&v))
                present = *n != 0;
            else if (!isNull)
                wrongKind(i, "a yes/no value", v);
            break;
        case 0x03:
        case 0x04: {
            if (isNull)
                break;
            const qint64* n = std::get_if<qint64>(&v);
            if (!n)
                wrongKind(i, col.type == 0x03 ? "a whole number (INT)" : "a whole number (LONG)", v);
            const qint64 lo = col.type == 0x03 ? -32768 : std::numeric_limits<qint32>::min();
            const qint64 hi = col.type == 0x03 ? 32767 : std::numeric_limits<qint32>::max();
            if (*n < lo || *n > hi) {
                throw CellError{i, QStringLiteral("value %1 is out of range %2..%3").arg(*n).arg(lo).arg(hi)};
            }
            if (col.type == 0x03)
                put16(f, quint32(*n) & 0xFFFF);
            else
                put32(f, quint32(*n));
            break;
        }
        case 0x07:
            if (isNull)
                break;
            if (const double* d = std::get_if<double>(&v))
                putDouble(f, *d);
            else if (const qint64* n = std::get_if<qint64>(&v))
                putDouble(f, double(*n));
            else
                wrongKind(i, "a number", v);
            break;
        case 0x08: {
            if (isNull)
                break;
            const QDateTime* dt = std::get_if<QDateTime>(&v);
            if (!dt)
                wrongKind(i, "a date/time", v);
            if (!dt->isValid())
                throw CellError{i, QStringLiteral("holds an invalid date/time")};
            putDouble(f, jetDateTime(*dt));
            break;
        }
        case 0x0A:
        case 0x0C: {
            VarCell& cell = vars[col.varIndex];
            cell.isMemo = col.type == 0x0C;
            if (isNull)
                break;
            const QString* s = std::get_if<QString>(&v);
            if (!s)
                wrongKind(i, "text", v);
            cell.bytes = encodeText(i, *s);
            if (!cell.isMemo && cell.bytes.size() > col.length) {
                throw CellError{i, QStringLiteral("text of %1 characters is longer than the column's %2")
                                       .arg(cell.bytes.size()).arg(col.length)};
            }
            if (cell.isMemo) {
                if (cell.bytes.size() > 0xFFFFFF)
                    throw CellError{i, QStringLiteral("memo of %1 characters is longer than 16 MB").arg(cell.bytes.size())};
                cell.place = cell.bytes.size() <= kMaxInlineMemo ? MemoPlace::Inline : MemoPlace::Long;
            }
            break;
        }
        default:
            // Catalog-only types (binary, OLE) are always written as NULL.
            if (!isNull)
                wrongKind(i, "NULL", v);
            break;
        }
        if (present)
            nullMask[i / 8] |= static_cast<unsigned char>(1u << (i % 8));
    }

    // Short memos stay in the row unless the row would grow too long; then
    // the longest of them move to long-value pages first.
    auto varBytes = [&] {
        int sum = 0;
        for (const VarCell& c : vars)
            sum += c.storedSize();
        return sum;
    };
    int length = rowLength(layout, varBytes());
    while (length > kMaxRowSize) {
        VarCell* longest = nullptr;
        for (VarCell& c : vars) {
            if (c.isMemo && c.place == MemoPlace::Inline && !c.bytes.isEmpty()
                && (!longest || c.bytes.size() > longest->bytes.size()))
                longest = &c;
        }
        if (!longest) {
            throw CellError{-1, QStringLiteral("is %1 bytes long; a row may hold at most %2 bytes")
                                    .arg(length).arg(kMaxRowSize)};
        }
        longest->place = MemoPlace::Long;
        length = rowLength(layout, varBytes());
    }

    out.resize(length);
    out.fill('\0');
    auto* row = reinterpret_cast<unsigned char*>(out.data());
    row[0] = static_cast<unsigned char>(columnCount);
    if (layout.fixedSize)
        std::memcpy(row + 1, fixedArea.data(), layout.fixedSize);

    if (layout.varCount > 0) {
        const int n = layout.varCount;
        std::vector<int> offsets(n + 1);
        int pos = 1 + layout.fixedSize;
        for (int k = 0; k < n; ++k) {
            VarCell& c = vars[k];
            offsets[k] = pos;
            if (c.isMemo && c.place != MemoPlace::Null) {
                unsigned char* field = row + pos;
                if (c.place == MemoPlace::Inline) {
                    std::memset(field, 0, 12);
                    put32(field, quint32(c.bytes.size()));
                    field[3] = format::kLongValueInline;
                    std::memcpy(field + 12, c.bytes.constData(), c.bytes.size());
                } else {
                    longValues.store(c.bytes, field);
                }
            } else if (!c.isMemo) {
                std::memcpy(row + pos, c.bytes.constData(), c.bytes.size());
            }
            pos += c.storedSize();
        }
        const int eod = pos;
        offsets[n] = eod;

        const int countPos = length - maskSize - 1;
        const int jumps = jumpCount(eod + 1 + n + 1 + maskSize);
        const int realJumps = eod / 256;
        // Readers tolerate at most one filler jump byte; more would need a
        // row layout with far more variable columns than a table may have
        // while staying under the row limit.
        if (jumps - realJumps > 1 || jumps < realJumps)
            throw CellError{-1, QStringLiteral("cannot be laid out: too many variable columns")};

        row[countPos] = static_cast<unsigned char>(n);
        int i = 0;
        for (int k = 1; k <= realJumps; ++k) {
            while (offsets[i] < 256 * k)
                ++i;
            row[countPos - k] = static_cast<unsigned char>(i);
        }
        if (jumps > realJumps)
            row[countPos - jumps] = 0xFF;
        const int colPtr = countPos - jumps - 1;
        for (int k = 0; k <= n; ++k)
            row[colPtr - k] = static_cast<unsigned char>(offsets[k] & 0xFF);
        Q_ASSERT(colPtr - n == eod);
    }
    std::memcpy(row + length - maskSize, nullMask.data(), maskSize);
}

} // namespace orvane::jet::detail
