#pragma once

// The Jet file format as both the reader and the writer see it: the RC4
// stream that hides page 0 (and, in files with a database key, every later
// page), the fixed header key, the page-0 fields, page and row markers, and
// little-endian access. Anything either side needs to agree on about the
// bytes in the file is defined here once.

#include <cstddef>
#include <cstdint>

namespace orvane::jet::format {

// ---- Pages ----------------------------------------------------------------

inline constexpr int kJet3PageSize = 2048;
inline constexpr int kJet4PageSize = 4096;

// Byte 0 of every page.
inline constexpr std::uint8_t kPageHeader = 0x00;
inline constexpr std::uint8_t kPageData = 0x01;      // table rows, long values, usage maps
inline constexpr std::uint8_t kPageTableDef = 0x02;
inline constexpr std::uint8_t kPageUsageBitmap = 0x05;

// Jet 3 data page: bytes 4..7 name the owner (the table definition page, or
// "LVAL" on long-value pages), bytes 8..9 the row count, then the row offsets.
inline constexpr int kDataPageOwnerOffset = 4;
inline constexpr int kDataPageRowCountOffset = 8;
inline constexpr int kDataPageRowOffsets = 10;
inline constexpr std::uint32_t kLongValueOwner = 0x4C41564C; // "LVAL" as a little-endian u32

// Row offsets keep the position in the low 13 bits; the top bits mark rows
// that a reader skips.
inline constexpr int kRowOffsetMask = 0x1FFF;
inline constexpr int kRowDeleted = 0x8000;
inline constexpr int kRowMoved = 0x4000;

// The 12-byte field a memo or OLE value leaves in its row: 24-bit length,
// one kind byte, the row pointer of the data, 4 unused bytes.
inline constexpr int kLongValueFieldSize = 12;
inline constexpr std::uint8_t kLongValueInline = 0x80;
inline constexpr std::uint8_t kLongValueSingleRow = 0x40;
inline constexpr std::uint8_t kLongValueChain = 0x00;

// ---- Page 0 -----------------------------------------------------------------

inline constexpr int kSignatureOffset = 4;
inline constexpr char kJetSignature[] = "Standard Jet DB";
inline constexpr char kAceSignature[] = "Standard ACE DB";

// Page 0 from byte 0x18 on is scrambled with this fixed key: 126 bytes in
// Jet 3 files, 128 bytes in Jet 4 and later.
inline constexpr std::uint8_t kHeaderKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
inline constexpr int kHeaderMaskOffset = 0x18;
inline constexpr int headerMaskLength(int version) { return version == 0 ? 126 : 128; }

// Offsets inside the unscrambled page 0.
inline constexpr int kVersionOffset = 0x14;
inline constexpr int kSortOrderOffset = 0x3A;
inline constexpr int kCodePageOffset = 0x3C;
inline constexpr int kDatabaseKeyOffset = 0x3E;
inline constexpr int kPasswordOffset = 0x42;
inline constexpr int kJet3PasswordBytes = 20;
inline constexpr int kJet4PasswordBytes = 40;
inline constexpr int kCreationDateOffset = 0x72; // Jet 4 and later only

inline constexpr std::uint16_t kCodePage1252 = 1252;
inline constexpr std::uint16_t kSortOrderGeneral = 0x0409;

// ---- Bytes ------------------------------------------------------------------

inline std::uint16_t le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
        | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void put16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(std::uint8_t* p, std::uint32_t v)
{
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

// ---- RC4 ----------------------------------------------------------------------

// XORs the RC4 keystream of `key` over `data`: scrambling and unscrambling
// are the same operation.
void rc4Xor(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t length);

// Scrambles (or unscrambles) the header region of a page-0 image in place.
void scrambleHeader(std::uint8_t* page, int version);

// Decrypts (or encrypts) page `page` of a file whose header holds the
// nonzero database key `databaseKey`.
void cryptPage(std::uint32_t databaseKey, std::uint32_t page, std::uint8_t* bytes, std::size_t length);

} // namespace orvane::jet::format
