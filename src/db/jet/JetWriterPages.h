#pragma once

// Page-level building blocks of the Jet 3 writer: the page file, pages of
// rows (table data, long values, usage maps), long-value storage, usage maps
// and the scrambled header page. Internal to the writer.

#include "db/jet/JetFormat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QtGlobal>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace orvane::jet::detail {

constexpr int kPageSize = format::kJet3PageSize;
constexpr int kMaxRowSize = 2012;        // longest row a table data page may hold
constexpr int kMaxRowsPerPage = 255;     // a row pointer keeps the row number in one byte
constexpr int kRowPageHeader = format::kDataPageRowOffsets; // type, flag, free space, owner, row count
constexpr int kLongValueChunk = 2032;    // data bytes in one full link of a long-value chain
constexpr int kMaxSingleLongValue = 2012; // longer values are stored as a chain
constexpr int kMaxInlineMemo = 64;       // longer memos leave the row for a long-value page
constexpr quint32 kLvalOwner = format::kLongValueOwner;
constexpr quint32 kMaxPages = (1u << 30) / kPageSize;
constexpr int kMapBitsPerPage0 = 128 * 8;            // pages one type 0 map covers
constexpr int kMapBitsPerBitmapPage = (kPageSize - 4) * 8; // pages one 0x05 page covers

using format::put16;
using format::put32;
inline void putDouble(unsigned char* p, double d)
{
    quint64 bits;
    static_assert(sizeof bits == sizeof d);
    std::memcpy(&bits, &d, sizeof bits);
    put32(p, static_cast<quint32>(bits));
    put32(p + 4, static_cast<quint32>(bits >> 32));
}

using PageBytes = std::array<unsigned char, kPageSize>;

// The output file seen as numbered pages. Page numbers are handed out in
// increasing order; pages may be written in any order, and finish() checks
// that every page handed out was written.
class PageFile {
public:
    explicit PageFile(QIODevice& device);
    quint32 allocate(quint32 count = 1); // first of `count` consecutive pages
    quint32 pageCount() const { return next_; }
    void write(quint32 page, const unsigned char* bytes);
    void finish();

private:
    QIODevice& device_;
    quint32 next_ = 0;
    std::vector<bool> written_;
};

// A page of rows (page type 0x01): table data, long values or usage maps.
// Rows are packed downwards from the end of the page.
class RowPage {
public:
    RowPage(quint32 number, quint32 owner);
    quint32 number() const { return number_; }
    int rowCount() const { return rows_; }
    int freeSpace() const { return lowest_ - (kRowPageHeader + 2 * rows_); }
    bool fits(int length) const { return rows_ < kMaxRowsPerPage && freeSpace() >= length + 2; }
    int add(const char* data, int length); // returns the row number
    const unsigned char* finish();         // the page with its header filled in

private:
    PageBytes bytes_{};
    quint32 number_;
    int rows_ = 0;
    int lowest_ = kPageSize;
};

// Rows of one kind appended to a run of pages, a new page being opened when
// the current one is full. Each page's number is fixed when it is opened so
// that a row pointer is known as soon as the row is added.
class RowPacker {
public:
    RowPacker(PageFile& file, quint32 owner) : file_(file), owner_(owner) {}
    quint32 add(const char* data, int length); // returns page << 8 | row
    void flush();
    const std::vector<quint32>& pages() const { return pages_; }
    // Pages that could take another row, in page order.
    const std::vector<quint32>& pagesWithRoom() const { return withRoom_; }

private:
    PageFile& file_;
    quint32 owner_;
    std::optional<RowPage> page_;
    std::vector<quint32> pages_;
    std::vector<quint32> withRoom_;
};

// Memo contents that do not stay in their row.
class LongValueWriter {
public:
    explicit LongValueWriter(PageFile& file) : file_(file), shared_(file, kLvalOwner) {}
    // Stores `data` and fills in the 12-byte field the row carries for it.
    void store(QByteArrayView data, unsigned char field[12]);
    void flush() { shared_.flush(); }

private:
    PageFile& file_;
    RowPacker shared_; // single-row values and the last links of chains
};

// The usage-map row listing `pages` (ascending). A span too wide for a type 0
// map becomes a type 1 map whose bitmap pages are allocated and written here.
QByteArray buildUsageMap(PageFile& file, const std::vector<quint32>& pages);

// Page 0: the header with its scrambled region; `password` holds at most 20
// Windows-1252 bytes.
PageBytes headerPage(QByteArrayView password);

// Page 1: the database-wide free-page map of a file of `pageCount` pages, all
// of them in use.
PageBytes freePageMapPage(quint32 pageCount);

} // namespace orvane::jet::detail
