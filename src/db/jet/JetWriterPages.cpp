#include "db/jet/JetWriterPages.h"

#include "db/jet/JetWriter.h"

#include <algorithm>

namespace orvane::jet::detail {

// ---- PageFile ----------------------------------------------------------

PageFile::PageFile(QIODevice& device) : device_(device) {}

quint32 PageFile::allocate(quint32 count)
{
    // Jet 3 files end at 1 GB; type 1 usage maps are sized for that.
    if (quint64(next_) + count > kMaxPages)
        throw WriteError("The database would be larger than 1 GB, the limit of a Jet 3 file.");
    const quint32 first = next_;
    next_ += count;
    written_.resize(next_, false);
    return first;
}

void PageFile::write(quint32 page, const unsigned char* bytes)
{
    Q_ASSERT(page < next_);
    const qint64 at = qint64(page) * kPageSize;
    if (device_.pos() != at && !device_.seek(at))
        throw WriteError(QStringLiteral("Cannot write the database file: %1").arg(device_.errorString()).toStdString());
    if (device_.write(reinterpret_cast<const char*>(bytes), kPageSize) != kPageSize)
        throw WriteError(QStringLiteral("Cannot write the database file: %1").arg(device_.errorString()).toStdString());
    written_[page] = true;
}

void PageFile::finish()
{
    const auto gap = std::find(written_.begin(), written_.end(), false);
    if (gap != written_.end()) {
        // A page handed out but never filled would read as garbage: a writer bug.
        throw WriteError(QStringLiteral("Internal error: page %1 of the database was never written.")
                             .arg(gap - written_.begin()).toStdString());
    }
}

// ---- RowPage -----------------------------------------------------------

RowPage::RowPage(quint32 number, quint32 owner) : number_(number)
{
    bytes_[0] = format::kPageData;
    bytes_[1] = 0x01;
    put32(&bytes_[format::kDataPageOwnerOffset], owner);
}

int RowPage::add(const char* data, int length)
{
    Q_ASSERT(fits(length));
    lowest_ -= length;
    std::memcpy(&bytes_[lowest_], data, length);
    put16(&bytes_[kRowPageHeader + 2 * rows_], lowest_);
    return rows_++;
}

const unsigned char* RowPage::finish()
{
    put16(&bytes_[2], freeSpace());
    put16(&bytes_[format::kDataPageRowCountOffset], rows_);
    return bytes_.data();
}

// ---- RowPacker ---------------------------------------------------------

quint32 RowPacker::add(const char* data, int length)
{
    if (page_ && !page_->fits(length))
        flush();
    if (!page_) {
        page_.emplace(file_.allocate(), owner_);
        pages_.push_back(page_->number());
    }
    const int row = page_->add(data, length);
    return page_->number() << 8 | quint32(row);
}

void RowPacker::flush()
{
    if (!page_)
        return;
    if (page_->fits(1))
        withRoom_.push_back(page_->number());
    file_.write(page_->number(), page_->finish());
    page_.reset();
}

// ---- LongValueWriter ---------------------------------------------------

void LongValueWriter::store(QByteArrayView data, unsigned char field[12])
{
    const qsizetype length = data.size();
    Q_ASSERT(length <= 0xFFFFFF);
    std::memset(field, 0, 12);
    put32(field, quint32(length)); // byte 3, the kind, is set below

    if (length <= kMaxSingleLongValue) {
        field[3] = format::kLongValueSingleRow;
        put32(field + 4, shared_.add(data.data(), int(length)));
        return;
    }

    // A chain: full links of kLongValueChunk bytes, each filling a page of its
    // own, and a shorter last link that shares a page with other values.
    const qsizetype links = (length + kLongValueChunk - 1) / kLongValueChunk;
    const qsizetype lastStart = (links - 1) * kLongValueChunk;
    const int lastLength = int(length - lastStart);

    QByteArray row(4 + kLongValueChunk, '\0');
    auto* r = reinterpret_cast<unsigned char*>(row.data());
    std::memcpy(r + 4, data.data() + lastStart, lastLength);
    const quint32 lastPtr = shared_.add(row.constData(), 4 + lastLength);

    const auto fullLinks = quint32(links - 1);
    const quint32 first = fullLinks ? file_.allocate(fullLinks) : 0;
    for (quint32 i = 0; i < fullLinks; ++i) {
        const quint32 next = i + 1 < fullLinks ? (first + i + 1) << 8 : lastPtr;
        put32(r, next);
        std::memcpy(r + 4, data.data() + qsizetype(i) * kLongValueChunk, kLongValueChunk);
        RowPage page(first + i, kLvalOwner);
        page.add(row.constData(), 4 + kLongValueChunk);
        file_.write(page.number(), page.finish());
    }
    field[3] = format::kLongValueChain;
    put32(field + 4, fullLinks ? first << 8 : lastPtr);
}

// ---- Usage maps --------------------------------------------------------

QByteArray buildUsageMap(PageFile& file, const std::vector<quint32>& pages)
{
    const quint32 first = pages.empty() ? 0 : pages.front();
    const quint32 last = pages.empty() ? 0 : pages.back();

    if (last < quint32(kMapBitsPerPage0) || last - first < quint32(kMapBitsPerPage0)) {
        // Type 0: the bitmap itself, covering 1024 pages from a start page.
        // Like Access, start at page 0 while that covers everything.
        const quint32 start = last < quint32(kMapBitsPerPage0) ? 0 : first;
        QByteArray row(5 + kMapBitsPerPage0 / 8, '\0');
        auto* r = reinterpret_cast<unsigned char*>(row.data());
        put32(r + 1, start);
        for (quint32 p : pages)
            r[5 + (p - start) / 8] |= 1u << ((p - start) % 8);
        return row;
    }

    // Type 1: pointers to bitmap pages, entry i covering the pages from
    // i * kMapBitsPerBitmapPage on; a range without pages gets no bitmap page.
    const quint32 entries = last / kMapBitsPerBitmapPage + 1;
    QByteArray row(int(1 + 4 * entries), '\0');
    auto* r = reinterpret_cast<unsigned char*>(row.data());
    r[0] = 0x01;
    auto it = pages.begin();
    while (it != pages.end()) {
        const quint32 entry = *it / kMapBitsPerBitmapPage;
        PageBytes bitmap{};
        bitmap[0] = format::kPageUsageBitmap;
        bitmap[1] = 0x01;
        for (; it != pages.end() && *it / kMapBitsPerBitmapPage == entry; ++it) {
            const quint32 bit = *it % kMapBitsPerBitmapPage;
            bitmap[4 + bit / 8] |= 1u << (bit % 8);
        }
        const quint32 number = file.allocate();
        file.write(number, bitmap.data());
        put32(r + 1 + 4 * entry, number);
    }
    return row;
}

// ---- Header pages ------------------------------------------------------

PageBytes headerPage(QByteArrayView password)
{
    using namespace format;
    Q_ASSERT(password.size() <= kJet3PasswordBytes);
    PageBytes page{};
    page[1] = 0x01;
    std::memcpy(&page[kSignatureOffset], kJetSignature, sizeof kJetSignature);
    page[kVersionOffset] = 0x00; // Jet 3

    // Values Access 97 keeps in the scrambled region; no reader needs them
    // but an Access-made file has them.
    static constexpr unsigned char kAccessWords[] = {
        0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
        0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
    std::memcpy(&page[kHeaderMaskOffset], kAccessWords, sizeof kAccessWords);
    put16(&page[0x38], 0x0001);
    put16(&page[kSortOrderOffset], kSortOrderGeneral);
    put16(&page[kCodePageOffset], kCodePage1252);
    put32(&page[kDatabaseKeyOffset], 0); // pages are not encrypted
    std::memcpy(&page[kPasswordOffset], password.data(), password.size()); // NUL-padded
    put16(&page[0x56], 0x251E);

    scrambleHeader(page.data(), 0);
    return page;
}

PageBytes freePageMapPage(quint32 pageCount)
{
    // Row 0 is a type 0 map over pages 0..1023, a set bit marking a free page;
    // pages past the end of the file count as free. Row 1 stays zero.
    QByteArray map(5 + kMapBitsPerPage0 / 8, '\0');
    auto* m = reinterpret_cast<unsigned char*>(map.data());
    for (quint32 p = pageCount; p < quint32(kMapBitsPerPage0); ++p)
        m[5 + p / 8] |= 1u << (p % 8);
    RowPage page(1, 1);
    page.add(map.constData(), int(map.size()));
    const QByteArray zeros(map.size(), '\0');
    page.add(zeros.constData(), int(zeros.size()));
    PageBytes out;
    std::memcpy(out.data(), page.finish(), kPageSize);
    return out;
}

} // namespace orvane::jet::detail
