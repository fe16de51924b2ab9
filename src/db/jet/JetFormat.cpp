#include "db/jet/JetFormat.h"

#include <utility>

namespace orvane::jet::format {

void rc4Xor(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t length)
{
    std::uint8_t s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + key[static_cast<std::size_t>(i) % keyLength]);
        std::swap(s[i], s[j]);
    }
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    for (std::size_t n = 0; n < length; ++n) {
        a = static_cast<std::uint8_t>(a + 1);
        b = static_cast<std::uint8_t>(b + s[a]);
        std::swap(s[a], s[b]);
        data[n] ^= s[static_cast<std::uint8_t>(s[a] + s[b])];
    }
}

void scrambleHeader(std::uint8_t* page, int version)
{
    rc4Xor(kHeaderKey, sizeof kHeaderKey, page + kHeaderMaskOffset,
           static_cast<std::size_t>(headerMaskLength(version)));
}

void cryptPage(std::uint32_t databaseKey, std::uint32_t page, std::uint8_t* bytes, std::size_t length)
{
    std::uint8_t key[4];
    put32(key, databaseKey ^ page);
    rc4Xor(key, sizeof key, bytes, length);
}

} // namespace orvane::jet::format
