// Text of Jet values as the program prints them: numbers in the C locale
// whatever the user's settings, dates "MM/DD/YY hh:mm:ss", currency with
// four decimals, Windows-1252 and UCS-2 text as UTF-8.

#include "db/jet/Cp1252Table.h"
#include "db/jet/JetFormat.h"
#include "db/jet/JetReader.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace orvane::jet::text {

using format::le16;
using format::le32;

void appendCodePoint(char32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

namespace {

void twoDigits(int v, std::string& out)
{
    out.push_back(static_cast<char>('0' + (v / 10) % 10));
    out.push_back(static_cast<char>('0' + v % 10));
}

void appendUnsigned(std::uint64_t v, std::string& out)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

// UTF-16 code units, pairing surrogates; a lone surrogate becomes U+FFFD,
// as a conversion of the same text to UTF-8 elsewhere in the program does.
class Utf16Appender {
public:
    explicit Utf16Appender(std::string& out) : out_(out) {}
    ~Utf16Appender() { flush(); }
    Utf16Appender(const Utf16Appender&) = delete;
    Utf16Appender& operator=(const Utf16Appender&) = delete;
    void add(char16_t u)
    {
        if (high_) {
            if (u >= 0xDC00 && u <= 0xDFFF) {
                appendCodePoint(0x10000 + ((char32_t(high_) - 0xD800) << 10) + (u - 0xDC00), out_);
                high_ = 0;
                return;
            }
            flush();
        }
        if (u >= 0xD800 && u <= 0xDBFF)
            high_ = u;
        else if (u >= 0xDC00 && u <= 0xDFFF)
            appendCodePoint(0xFFFD, out_);
        else
            appendCodePoint(u, out_);
    }

private:
    void flush()
    {
        if (high_)
            appendCodePoint(0xFFFD, out_);
        high_ = 0;
    }
    std::string& out_;
    char16_t high_ = 0;
};

} // namespace

void appendDateTime(double days, std::string& out)
{
    // Days since 1899-12-30, the time of day as a fraction rounded to the
    // second and never carried into the next day ("24:00:00" can appear).
    // Outside 0..1,000,000 days, NaN included, the calendar fields stay zero.
    int year = 0, month = 1, day = 0, hour = 0, minute = 0, second = 0;
    if (days >= 0.0 && days <= 1e6) {
        const long whole = static_cast<long>(days);
        const long secs = static_cast<long>((days - static_cast<double>(whole)) * 86400.0 + 0.5);
        hour = static_cast<int>(secs / 3600);
        minute = static_cast<int>((secs / 60) % 60);
        second = static_cast<int>(secs % 60);
        // Civil date from a day count (proleptic Gregorian); day 0 is 1899-12-30.
        const long base = whole - 25569 + 719468; // days since 0000-03-01 via the Unix epoch
        const long era = base / 146097;
        const long doe = base - era * 146097;
        const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const long mp = (5 * doy + 2) / 153;
        day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
        month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
        year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    }
    twoDigits(month, out);
    out.push_back('/');
    twoDigits(day, out);
    out.push_back('/');
    twoDigits(((year % 100) + 100) % 100, out);
    out.push_back(' ');
    twoDigits(hour, out);
    out.push_back(':');
    twoDigits(minute, out);
    out.push_back(':');
    twoDigits(second, out);
}

void appendMoney(std::int64_t v, std::string& out)
{
    std::uint64_t magnitude = static_cast<std::uint64_t>(v);
    if (v < 0) {
        out.push_back('-');
        magnitude = ~magnitude + 1;
    }
    appendUnsigned(magnitude / 10000, out);
    out.push_back('.');
    const auto frac = static_cast<int>(magnitude % 10000);
    twoDigits(frac / 100, out);
    twoDigits(frac % 100, out);
}

void appendFloat(float value, std::string& out)
{
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value),
                                 std::chars_format::general, 8);
    out.append(buf, r.ptr);
}

void appendDouble(double value, std::string& out)
{
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 16);
    out.append(buf, r.ptr);
}

void appendGuid(const std::uint8_t* b, std::string& out)
{
    static const char hex[] = "0123456789ABCDEF";
    auto put = [&](std::uint8_t v) {
        out.push_back(hex[v >> 4]);
        out.push_back(hex[v & 15]);
    };
    out.push_back('{');
    for (int i = 3; i >= 0; --i)
        put(b[i]);
    out.push_back('-');
    put(b[5]);
    put(b[4]);
    out.push_back('-');
    put(b[7]);
    put(b[6]);
    out.push_back('-');
    for (int i = 8; i < 16; ++i)
        put(b[i]);
    out.push_back('}');
}

void appendNumeric(const std::uint8_t* b, int scale, std::string& out)
{
    // Byte 0 holds the sign (0x80 negative), then four little-endian 32-bit
    // groups, the most significant first: a 128-bit magnitude written as 40
    // digits, the decimal point `scale` digits from the right, leading
    // zeros of the integer part dropped. A scale past 40 leaves the 40
    // digits without a point.
    std::uint32_t limbs[4];
    for (int i = 0; i < 4; ++i)
        limbs[i] = le32(b + 1 + 4 * i);
    char digits[40];
    for (int d = 39; d >= 0; --d) {
        std::uint64_t rem = 0;
        for (std::uint32_t& limb : limbs) {
            const std::uint64_t cur = (rem << 32) | limb;
            limb = static_cast<std::uint32_t>(cur / 10);
            rem = cur % 10;
        }
        digits[d] = static_cast<char>('0' + rem);
    }
    if (b[0] & 0x80)
        out.push_back('-');
    const int pointAt = 40 - scale;
    bool significant = false;
    for (int i = 0; i < 40; ++i) {
        if (i == pointAt)
            out.push_back('.');
        if (!significant && digits[i] == '0' && i < pointAt - 1)
            continue;
        significant = true;
        out.push_back(digits[i]);
    }
}

namespace {

// The UTF-8 form of each byte from 0x80 up: its length, then its bytes.
struct Utf8Of {
    std::uint8_t size = 0;
    char bytes[3] = {};
};

const std::array<Utf8Of, 128>& cp1252Utf8()
{
    static const std::array<Utf8Of, 128> table = [] {
        std::array<Utf8Of, 128> t{};
        for (int b = 0x80; b <= 0xFF; ++b) {
            std::string s;
            appendCodePoint(cp1252Char(static_cast<std::uint8_t>(b)), s);
            Utf8Of& e = t[static_cast<std::size_t>(b - 0x80)];
            e.size = static_cast<std::uint8_t>(s.size());
            std::memcpy(e.bytes, s.data(), s.size());
        }
        return t;
    }();
    return table;
}

} // namespace

void appendCp1252(const std::uint8_t* p, std::size_t n, std::string& out)
{
    // Texts are nearly all ASCII: eight bytes are copied at once while none
    // has its high bit set. Characters are gathered in a small buffer and
    // appended a block at a time, so that the output is neither grown for
    // every character nor cleared ahead of being written.
    const auto& high = cp1252Utf8();
    constexpr std::size_t kBlock = 4096;
    char block[kBlock + 8];
    out.reserve(out.size() + n + n / 8);
    std::size_t i = 0;
    while (i < n) {
        char* w = block;
        // Room for eight bytes in, each at most three out.
        while (i < n && w + 24 <= block + kBlock + 8) {
            if (i + 8 <= n) {
                std::uint64_t word;
                std::memcpy(&word, p + i, 8);
                const std::uint64_t highBits = word & 0x8080808080808080ull;
                // The ASCII bytes before the first other one go as they are
                // (all eight are written, only they are kept).
                std::size_t ascii = 8;
                if (highBits)
                    ascii = std::endian::native == std::endian::little
                                ? static_cast<std::size_t>(std::countr_zero(highBits)) / 8
                                : 0;
                std::memcpy(w, p + i, 8);
                w += ascii;
                i += ascii;
                if (!highBits)
                    continue;
            }
            const std::uint8_t b = p[i++];
            if (b < 0x80) {
                *w++ = static_cast<char>(b);
            } else {
                const Utf8Of& e = high[b - 0x80];
                std::memcpy(w, e.bytes, 3);
                w += e.size;
            }
        }
        out.append(block, static_cast<std::size_t>(w - block));
    }
}

void appendLatin1(const std::uint8_t* p, std::size_t n, std::string& out)
{
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] < 0x80) {
            out.push_back(static_cast<char>(p[i]));
        } else {
            out.push_back(static_cast<char>(0xC0 | (p[i] >> 6)));
            out.push_back(static_cast<char>(0x80 | (p[i] & 0x3F)));
        }
    }
}

void appendUcs2(const std::uint8_t* p, std::size_t n, std::string& out)
{
    Utf16Appender u(out);
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        // "Compressed": runs of one-byte characters toggled by NUL bytes
        // with runs of two-byte ones.
        bool compressed = true;
        std::size_t i = 2;
        while (i < n) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                u.add(p[i]);
                ++i;
            } else if (i + 1 < n) {
                u.add(static_cast<char16_t>(le16(p + i)));
                i += 2;
            } else {
                break;
            }
        }
        return;
    }
    for (std::size_t i = 0; i + 1 < n; i += 2)
        u.add(static_cast<char16_t>(le16(p + i)));
}

} // namespace orvane::jet::text
