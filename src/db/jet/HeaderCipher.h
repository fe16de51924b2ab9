#pragma once

// The RC4 stream that hides part of page 0 (and, in files with a database
// key, every later page). Scrambling and unscrambling are the same XOR, so
// one function serves the reader and the tests that build page-0 images.

#include <cstddef>
#include <cstdint>

namespace orvane::jet::detail {

inline void rc4Xor(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data,
                   std::size_t length)
{
    std::uint8_t s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + key[static_cast<std::size_t>(i) % keyLength]);
        const std::uint8_t t = s[i];
        s[i] = s[j];
        s[j] = t;
    }
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    for (std::size_t n = 0; n < length; ++n) {
        a = static_cast<std::uint8_t>(a + 1);
        b = static_cast<std::uint8_t>(b + s[a]);
        const std::uint8_t t = s[a];
        s[a] = s[b];
        s[b] = t;
        data[n] ^= s[static_cast<std::uint8_t>(s[a] + s[b])];
    }
}

// Page 0 from byte 0x18 on is scrambled with this fixed key: 126 bytes in
// Jet 3 files, 128 bytes in Jet 4 and later.
inline constexpr std::uint8_t kHeaderKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
inline constexpr int kHeaderMaskOffset = 0x18;
inline constexpr int headerMaskLength(int version) { return version == 0 ? 126 : 128; }

// Offsets inside the unscrambled page 0.
inline constexpr int kVersionOffset = 0x14;
inline constexpr int kCodePageOffset = 0x3C;
inline constexpr int kDatabaseKeyOffset = 0x3E;
inline constexpr int kPasswordOffset = 0x42;
inline constexpr int kJet3PasswordBytes = 20;
inline constexpr int kJet4PasswordBytes = 40;
inline constexpr int kCreationDateOffset = 0x72; // Jet 4 and later only

} // namespace orvane::jet::detail
