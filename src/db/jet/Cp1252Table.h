#pragma once

// Windows-1252, the code page of every Jet 3 file this program reads or
// writes, spelled out once for both directions (the reader decodes with it,
// the writer encodes with it). Platform codecs treat the five unassigned
// bytes differently from one system to the next; here they map to the C1
// control of the same value, so that no byte is lost.

#include <cstdint>

namespace orvane::jet {

// The character for a byte.
char16_t cp1252Char(std::uint8_t byte);

// Byte for a UTF-16 code unit, or -1 when Windows-1252 has no such
// character. The five unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) are
// never produced: other readers turn them into '?' or U+FFFD.
int cp1252Byte(char16_t ch);

} // namespace orvane::jet
