#include "db/JetCollation.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace orvane::db {

namespace {

constexpr std::uint8_t kBlank = 0, kPunct = 1, kDigit = 2, kLetter = 3;

char32_t baseLetter(char32_t c)
{
    // Follow canonical decompositions down to the first character: é -> e.
    for (int guard = 0; guard < 4; ++guard) {
        if (QChar::decompositionTag(c) != QChar::Canonical)
            break;
        const QString d = QChar::decomposition(c);
        if (d.isEmpty())
            break;
        const char32_t first = d.at(0).isHighSurrogate() && d.size() > 1
                                   ? QChar::surrogateToUcs4(d.at(0), d.at(1))
                                   : d.at(0).unicode();
        if (first == c)
            break;
        c = first;
    }
    return c;
}

JetCharWeight computeWeight(char32_t c)
{
    JetCharWeight w;
    if (c <= 0x20 || c == 0x7F || QChar::isSpace(c) || QChar::category(c) == QChar::Other_Control) {
        w.cls = kBlank;
        w.primary = w.secondary = c;
    } else if (c < 0x80 && c >= '0' && c <= '9') {
        w.cls = kDigit;
        w.primary = w.secondary = c;
    } else if (QChar::isDigit(c)) {
        w.cls = kDigit;
        w.primary = char32_t('0' + QChar::digitValue(c));
        w.secondary = c;
    } else if (QChar::isLetter(c) || QChar::isMark(c)) {
        w.cls = kLetter;
        w.secondary = QChar::toCaseFolded(c);
        w.primary = QChar::toCaseFolded(baseLetter(c));
    } else {
        w.cls = kPunct;
        w.primary = w.secondary = c;
    }
    return w;
}

// Weights of the first 0x3000 code points (Latin, Greek, Cyrillic, general
// punctuation...) are worked out once; the rest on demand.
constexpr char32_t kTableSize = 0x3000;

const std::vector<JetCharWeight>& weightTable()
{
    static const std::vector<JetCharWeight> table = [] {
        std::vector<JetCharWeight> t(kTableSize);
        for (char32_t c = 0; c < kTableSize; ++c)
            t[c] = computeWeight(c);
        return t;
    }();
    return table;
}

const std::array<char32_t, 128>& asciiFold()
{
    static const std::array<char32_t, 128> table = [] {
        std::array<char32_t, 128> t{};
        for (char32_t c = 0; c < 128; ++c)
            t[c] = (c >= 'A' && c <= 'Z') ? c + 32 : c;
        return t;
    }();
    return table;
}

template <typename Next>
int compareWith(Next nextA, Next nextB)
{
    const auto& table = weightTable();
    auto weight = [&](char32_t c) { return c < kTableSize ? table[c] : computeWeight(c); };

    // First level: class and base letter; the shorter text wins a tie.
    {
        auto a = nextA, b = nextB;
        for (;;) {
            char32_t ca, cb;
            const bool ha = a(ca), hb = b(cb);
            if (!ha || !hb)
                if (ha != hb)
                    return ha ? 1 : -1;
            if (!ha)
                break;
            if (ca == cb)
                continue;
            const int r = jetComparePrimary(weight(ca), weight(cb));
            if (r != 0)
                return r;
        }
    }
    // Second level: accents (case stays ignored).
    for (;;) {
        char32_t ca, cb;
        const bool ha = nextA(ca), hb = nextB(cb);
        if (!ha || !hb)
            return 0;
        if (ca == cb)
            continue;
        const char32_t sa = weight(ca).secondary, sb = weight(cb).secondary;
        if (sa != sb)
            return sa < sb ? -1 : 1;
    }
}

struct Utf8Reader {
    std::string_view s;
    std::size_t i = 0;
    bool operator()(char32_t& c)
    {
        if (i >= s.size())
            return false;
        c = jetDecodeUtf8(s, i);
        return true;
    }
};

struct Utf16Reader {
    QStringView s;
    qsizetype i = 0;
    bool operator()(char32_t& c)
    {
        if (i >= s.size())
            return false;
        const QChar ch = s[i++];
        if (ch.isHighSurrogate() && i < s.size() && s[i].isLowSurrogate())
            c = QChar::surrogateToUcs4(ch, s[i++]);
        else
            c = ch.unicode();
        return true;
    }
};

} // namespace

JetCharWeight jetCharWeight(char32_t c)
{
    return c < kTableSize ? weightTable()[c] : computeWeight(c);
}

int jetComparePrimary(const JetCharWeight& a, const JetCharWeight& b)
{
    if (a.cls != b.cls)
        return a.cls < b.cls ? -1 : 1;
    if (a.primary != b.primary)
        return a.primary < b.primary ? -1 : 1;
    return 0;
}

char32_t jetFold(char32_t c)
{
    return c < 128 ? asciiFold()[c] : QChar::toCaseFolded(c);
}

char32_t jetDecodeUtf8(std::string_view s, std::size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int len = 0;
    char32_t c = 0;
    if ((b0 & 0xE0) == 0xC0) { len = 2; c = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; c = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; c = b0 & 0x07; }
    else { ++i; return 0xFFFD; }
    if (i + len > s.size()) { ++i; return 0xFFFD; }
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) { ++i; return 0xFFFD; }
        c = (c << 6) | (b & 0x3F);
    }
    i += len;
    return c;
}

int jetCompareUtf8(std::string_view a, std::string_view b)
{
    if (a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size()) == 0)
        return 0;
    // Characters are weighed one by one, each on its own: a run of the same
    // characters at the start (identifiers of a section share most of
    // theirs) weighs the same on both sides at every level, and is skipped.
    // The cut is moved back until neither side is inside a character there.
    const std::size_t shorter = std::min(a.size(), b.size());
    std::size_t same = 0;
    while (same < shorter && a[same] == b[same])
        ++same;
    auto continues = [](std::string_view s, std::size_t i) {
        return i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80;
    };
    while (same > 0 && (continues(a, same) || continues(b, same)))
        --same;
    return compareWith(Utf8Reader{a.substr(same)}, Utf8Reader{b.substr(same)});
}

int jetCompare(QStringView a, QStringView b)
{
    if (a == b)
        return 0;
    return compareWith(Utf16Reader{a}, Utf16Reader{b});
}

} // namespace orvane::db
