#include "db/JetLike.h"

#include "db/JetCollation.h"
#include "db/JetError.h"

#include <cstdint>
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ORVANE_LIKE_SSE2 1
#endif

namespace orvane::db {

namespace {

[[noreturn]] void invalidPattern()
{
    throw JetError(kSyntaxError, QStringLiteral("Invalid pattern string in a LIKE expression."));
}

std::u32string toUcs4(QStringView s)
{
    std::u32string out;
    out.reserve(static_cast<std::size_t>(s.size()));
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar ch = s[i];
        if (ch.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            out.push_back(QChar::surrogateToUcs4(ch, s[i + 1]));
            ++i;
        } else {
            out.push_back(ch.unicode());
        }
    }
    return out;
}

std::u32string utf8ToUcs4(std::string_view s)
{
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
        out.push_back(jetDecodeUtf8(s, i));
    return out;
}

// The value, case folded, in a buffer reused by the calling thread: a search
// runs the same pattern over thousands of long texts.
std::u32string& foldedBuffer()
{
    thread_local std::u32string buffer;
    return buffer;
}

// ASCII bytes folded, every other byte left as it is (and so never equal to
// an ASCII pattern character).
constexpr std::array<char32_t, 256> kAsciiLower = [] {
    std::array<char32_t, 256> t{};
    for (char32_t c = 0; c < 256; ++c)
        t[c] = (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return t;
}();

// Eight bytes at `d` are all ASCII.
inline bool asciiChunk(const unsigned char* d)
{
    std::uint64_t chunk;
    std::memcpy(&chunk, d, 8);
    return (chunk & 0x8080808080808080ULL) == 0;
}

// Case folds UTF-8 into `out` (UCS-4 or UTF-8, by `put`), ASCII runs eight
// bytes at a time: most texts are nearly all ASCII, and decoding them one
// character at a time would cost more than the search.
template <typename Put>
std::size_t foldUtf8(std::string_view s, Put put)
{
    const auto* d = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    std::size_t i = 0, o = 0;
    while (i < n) {
        while (i + 8 <= n && asciiChunk(d + i)) {
            for (int k = 0; k < 8; ++k)
                o = put(o, kAsciiLower[d[i + k]]);
            i += 8;
        }
        if (i >= n)
            break;
        if (d[i] < 0x80)
            o = put(o, kAsciiLower[d[i++]]);
        else
            o = put(o, jetFold(jetDecodeUtf8(s, i)));
    }
    return o;
}

// Room for n characters in a buffer the calling thread reuses, left as it
// was: clearing it first would cost a good part of folding into it.
char32_t* wideScratch(std::size_t n)
{
    thread_local std::unique_ptr<char32_t[]> buffer;
    thread_local std::size_t capacity = 0;
    if (capacity < n) {
        capacity = std::max(n, 2 * capacity);
        buffer.reset(new char32_t[capacity]);
    }
    return buffer.get();
}

// Whether long s or the Kelvin sign (see likeHasAsciiFoldingChar) starts at byte i.
inline bool asciiFoldingCharAt(const unsigned char* d, std::size_t n, std::size_t i)
{
    if (d[i] == 0xC5)
        return i + 1 < n && d[i + 1] == 0xBF;
    return d[i] == 0xE2 && i + 2 < n && d[i + 1] == 0x84 && d[i + 2] == 0xAA;
}

// `needle` holds folded ASCII bytes.
inline bool caseEqualAscii(const unsigned char* d, const char* needle, std::size_t m)
{
    for (std::size_t k = 0; k < m; ++k)
        if (kAsciiLower[d[k]] != static_cast<unsigned char>(needle[k]))
            return false;
    return true;
}

#ifdef ORVANE_LIKE_SSE2
inline unsigned lowestBit(unsigned mask)
{
    return static_cast<unsigned>(std::countr_zero(mask));
}

// Bytes equal to the folded ASCII byte c, either case: setting bit 0x20
// turns an upper-case letter into its lower case and leaves every byte that
// was not a letter of c's pair different from c.
struct CaselessByte {
    __m128i orMask, value;
    explicit CaselessByte(unsigned char c)
        : orMask(_mm_set1_epi8(c >= 'a' && c <= 'z' ? 0x20 : 0)), value(_mm_set1_epi8(static_cast<char>(c)))
    {
    }
    __m128i in(__m128i block) const { return _mm_cmpeq_epi8(_mm_or_si128(block, orMask), value); }
};
#endif

enum class Scan { Found, Missing, FoldingChar, OverBudget };

// Leftmost position in [from, last] of the folded ASCII `needle`, reading up
// to byte last + size - 1. Every byte read is also checked for the start of a
// character that folds into ASCII, which the byte-wise search cannot see: when
// one turns up before a match the answer is FoldingChar, and Missing promises
// there is none starting in [from, last + size).
Scan scanAscii(const std::string& needle, const unsigned char* d, std::size_t n, std::size_t from,
               std::size_t last, std::size_t& found)
{
    const std::size_t m = needle.size();
    std::size_t pos = from;
#ifdef ORVANE_LIKE_SSE2
    // Sixteen candidate positions at a time: their first bytes against the
    // needle's first byte and their last bytes against its last one; only the
    // few positions passing both are compared in full.
    const CaselessByte first(static_cast<unsigned char>(needle.front()));
    const CaselessByte lastByte(static_cast<unsigned char>(needle.back()));
    const __m128i leadS = _mm_set1_epi8(static_cast<char>(0xC5));
    const __m128i leadK = _mm_set1_epi8(static_cast<char>(0xE2));
    const std::size_t inner = m >= 2 ? m - 2 : 0;
    // Verifying candidates in full is bounded by the text covered: a
    // periodic word over a periodic text goes to the linear matcher instead.
    std::size_t budget = 4 * (last - from + 1) + 256;
    for (; pos + 15 <= last; pos += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + pos));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + pos + m - 1));
        unsigned special =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(a, leadS), _mm_cmpeq_epi8(a, leadK))));
        while (special) {
            if (asciiFoldingCharAt(d, n, pos + lowestBit(special)))
                return Scan::FoldingChar;
            special &= special - 1;
        }
        unsigned candidates = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(first.in(a), lastByte.in(b))));
        while (candidates) {
            const std::size_t at = pos + lowestBit(candidates);
            if (caseEqualAscii(d + at + 1, needle.data() + 1, inner)) {
                found = at;
                return Scan::Found;
            }
            if (inner > budget)
                return Scan::OverBudget;
            budget -= inner;
            candidates &= candidates - 1;
        }
    }
#endif
    for (; pos <= last; ++pos) {
        if (asciiFoldingCharAt(d, n, pos))
            return Scan::FoldingChar;
        if (caseEqualAscii(d + pos, needle.data(), m)) {
            found = pos;
            return Scan::Found;
        }
    }
    for (std::size_t i = last + 1; i < last + m; ++i)
        if (asciiFoldingCharAt(d, n, i))
            return Scan::FoldingChar;
    return Scan::Missing;
}

// The two shapes of a value the matcher walks: UTF-8 bytes, ASCII folded on
// the fly (no copy), or a folded UCS-4 buffer.
struct AsciiText {
    const unsigned char* d;
    std::size_t n;
    std::size_t size() const { return n; }
    char32_t operator[](std::size_t i) const { return kAsciiLower[d[i]]; }
};

struct WideText {
    const char32_t* d;
    std::size_t n;
    std::size_t size() const { return n; }
    char32_t operator[](std::size_t i) const { return d[i]; }
};

// A text that counts the characters read from it.
struct CountedText {
    const char32_t* d;
    std::size_t n;
    std::size_t* reads;
    std::size_t size() const { return n; }
    char32_t operator[](std::size_t i) const
    {
        ++*reads;
        return d[i];
    }
};

} // namespace

bool likeIsAscii(std::string_view s)
{
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t chunk;
        std::memcpy(&chunk, s.data() + i, 8);
        if (chunk & 0x8080808080808080ULL)
            return false;
    }
    for (; i < s.size(); ++i)
        if (static_cast<unsigned char>(s[i]) & 0x80)
            return false;
    return true;
}

// Long s (U+017F, folds to s) and the Kelvin sign (U+212A, folds to k), in
// UTF-8. They are the only two in Unicode; the tests check that.
bool likeHasAsciiFoldingChar(std::string_view s)
{
    return s.find("\xC5\xBF") != std::string_view::npos || s.find("\xE2\x84\xAA") != std::string_view::npos;
}

void likeFoldUtf8(std::string_view s, std::string& out)
{
    // A malformed byte becomes U+FFFD, three bytes; a character of two or
    // more bytes folds into one of at most four.
    out.resize(3 * s.size());
    char* buf = out.data();
    out.resize(foldUtf8(s, [buf](std::size_t o, char32_t c) {
        if (c < 0x80) {
            buf[o] = static_cast<char>(c);
            return o + 1;
        }
        if (c < 0x800) {
            buf[o] = static_cast<char>(0xC0 | (c >> 6));
            buf[o + 1] = static_cast<char>(0x80 | (c & 0x3F));
            return o + 2;
        }
        if (c < 0x10000) {
            buf[o] = static_cast<char>(0xE0 | (c >> 12));
            buf[o + 1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            buf[o + 2] = static_cast<char>(0x80 | (c & 0x3F));
            return o + 3;
        }
        buf[o] = static_cast<char>(0xF0 | (c >> 18));
        buf[o + 1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        buf[o + 2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        buf[o + 3] = static_cast<char>(0x80 | (c & 0x3F));
        return o + 4;
    }));
}

JetLikePattern::JetLikePattern(QStringView pattern)
{
    compile(toUcs4(pattern));
}

JetLikePattern JetLikePattern::fromUtf8(std::string_view pattern)
{
    JetLikePattern p;
    p.compile(utf8ToUcs4(pattern));
    return p;
}

void JetLikePattern::compile(const std::u32string& p)
{
    std::size_t segBegin = 0;
    const std::size_t n = p.size();
    for (std::size_t i = 0; i < n;) {
        const char32_t c = p[i];
        if (c == U'*') {
            segments_.push_back({segBegin, elements_.size()});
            segBegin = elements_.size();
            hasStar_ = true;
            while (i < n && p[i] == U'*')   // a run of stars is one star
                ++i;
            continue;
        }
        if (c == U'?') {
            elements_.push_back({Kind::Any});
            ++i;
            continue;
        }
        if (c == U'#') {
            elements_.push_back({Kind::Digit});
            ++i;
            continue;
        }
        if (c != U'[') {
            elements_.push_back({Kind::Literal, jetFold(c)});
            ++i;
            continue;
        }

        // A bracketed list.
        ++i;
        bool negated = false;
        if (i < n && p[i] == U'!') {
            negated = true;
            ++i;
        }
        std::vector<SetItem> items;
        bool closed = false;
        bool first = true;
        while (i < n) {
            const char32_t a = p[i];
            if (a == U']') {
                closed = true;
                ++i;
                break;
            }
            if (a == U'-' && !first && !(i + 1 < n && p[i + 1] == U']'))
                invalidPattern();   // a hyphen after a range, or [a--z]
            if (a != U'-' && i + 2 < n && p[i + 1] == U'-' && p[i + 2] != U']') {
                const char32_t b = p[i + 2];
                const JetCharWeight lo = jetCharWeight(a), hi = jetCharWeight(b);
                if (jetComparePrimary(lo, hi) > 0)
                    invalidPattern();
                items.push_back({a, b, true});
                i += 3;
            } else {
                items.push_back({jetFold(a), jetFold(a), false});
                ++i;
            }
            first = false;
        }
        if (!closed)
            invalidPattern();
        if (items.empty() && !negated)
            continue;   // [] stands for the empty text
        // The same list written twice is one set, so that [!x][!x] is a run.
        int index = -1;
        for (std::size_t k = 0; k < sets_.size() && index < 0; ++k) {
            const CharSet& other = sets_[k];
            bool same = other.negated == negated && other.items.size() == items.size();
            for (std::size_t j = 0; same && j < items.size(); ++j)
                same = other.items[j].lo == items[j].lo && other.items[j].hi == items[j].hi
                    && other.items[j].range == items[j].range;
            if (same)
                index = static_cast<int>(k);
        }
        if (index < 0) {
            CharSet set;
            set.items = std::move(items);
            set.negated = negated;
            for (char32_t k = 0; k < 256; ++k)
                set.low[k] = setContains(set, k);
            sets_.push_back(std::move(set));
            index = static_cast<int>(sets_.size() - 1);
        }
        Element e{Kind::Set};
        e.setIndex = index;
        elements_.push_back(e);
    }
    segments_.push_back({segBegin, elements_.size()});

    asciiOnly_ = true;
    for (const Element& e : elements_)
        asciiOnly_ = asciiOnly_ && ((e.kind == Kind::Literal && e.ch < 128) || e.kind == Kind::Digit);

    plainAscii_ = hasStar_;
    for (const Element& e : elements_)
        plainAscii_ = plainAscii_ && e.kind == Kind::Literal && e.ch < 128;
    if (plainAscii_) {
        for (const Segment& seg : segments_) {
            std::string bytes;
            for (std::size_t k = seg.begin; k < seg.end; ++k)
                bytes.push_back(static_cast<char>(elements_[k].ch));
            needles_.push_back(std::move(bytes));
        }
    }

    for (std::size_t k = 0; k < segments_.size(); ++k) {
        Segment& seg = segments_[k];
        seg.coreBegin = seg.begin;
        seg.coreEnd = seg.end;
        while (seg.coreBegin < seg.coreEnd && elements_[seg.coreBegin].kind == Kind::Any)
            ++seg.coreBegin;
        while (seg.coreEnd > seg.coreBegin && elements_[seg.coreEnd - 1].kind == Kind::Any)
            --seg.coreEnd;
        // Only the segments between two stars are searched for.
        if (!hasStar_ || k == 0 || k + 1 == segments_.size() || seg.coreSize() == 0)
            continue;
        buildScan(seg);

        // Literal cores are searched with Horspool's shifts first.
        const std::size_t m = seg.coreSize();
        if (m < 2)
            continue;
        bool literal = true;
        for (std::size_t e = seg.coreBegin; e < seg.coreEnd && literal; ++e)
            literal = elements_[e].kind == Kind::Literal && elements_[e].ch < 256;
        if (!literal)
            continue;
        std::array<std::size_t, 256> shift;
        shift.fill(m);
        for (std::size_t e = 0; e + 1 < m; ++e)
            shift[elements_[seg.coreBegin + e].ch] = m - 1 - e;
        skips_.push_back(shift);
        seg.skipIndex = static_cast<int>(skips_.size() - 1);
    }
}

namespace {

// A core of at most this many runs is found by run lengths; more, by the
// bit-parallel scan (which is the cheaper one anyway up to 64 characters).
constexpr std::size_t kMaxRuns = 16;

} // namespace

void JetLikePattern::buildScan(Segment& seg)
{
    CoreScan c;
    std::size_t offset = 0;
    for (std::size_t e = seg.coreBegin; e < seg.coreEnd; ++e, ++offset) {
        const Element& el = elements_[e];
        if (!c.runs.empty()) {
            const Element& prev = elements_[c.runs.back().elementIndex];
            if (prev == el) {
                ++c.runs.back().count;
                c.runs.back().last = offset;
                continue;
            }
        }
        std::size_t kind = c.kinds.size();
        for (std::size_t k = 0; k < c.kinds.size(); ++k) {
            const Element& other = elements_[c.kinds[k]];
            if (other == el)
                kind = k;
        }
        if (kind == c.kinds.size())
            c.kinds.push_back(e);
        c.runs.push_back({e, 1, offset, kind});
    }

    const std::size_t m = seg.coreSize();
    // The kinds each character matches, for the two scans that use them
    // (run lengths; ruling out starts, for cores of four words or more).
    if (m > 64 && c.kinds.size() <= 32 && (c.runs.size() <= kMaxRuns || m > 192)) {
        c.kindMask.assign(256, 0);
        for (char32_t ch = 0; ch < 256; ++ch)
            for (std::size_t k = 0; k < c.kinds.size(); ++k)
                if (elementMatches(elements_[c.kinds[k]], ch))
                    c.kindMask[ch] |= std::uint32_t(1) << k;
    }
    if (m > 64 && c.runs.size() <= kMaxRuns) {
        scans_.push_back(std::move(c));
        seg.scanIndex = static_cast<int>(scans_.size() - 1);
        return;
    }
    // Bit k of a character's mask: the core's k-th element matches it.
    c.words = (m + 63) / 64;
    if (!c.kindMask.empty() && c.words >= 4) {
        c.offsets.assign(c.kinds.size(), {});
        for (const Run& run : c.runs)
            for (std::size_t k = run.last + 1 - run.count; k <= run.last; ++k)
                c.offsets[run.kind].push_back(static_cast<std::uint32_t>(k));
        c.failCost.assign(256, 0);
        for (std::size_t ch = 0; ch < 256; ++ch)
            for (std::size_t k = 0; k < c.kinds.size(); ++k)
                if (!(c.kindMask[ch] >> k & 1))
                    c.failCost[ch] += static_cast<std::uint32_t>(c.offsets[k].size());
    }
    c.low.assign(256 * c.words, 0);
    c.anyMask.assign(c.words, 0);
    c.digitMask.assign(c.words, 0);
    c.setMask.assign(sets_.size(), {});
    for (std::size_t k = 0; k < m; ++k) {
        const Element& el = elements_[seg.coreBegin + k];
        const std::uint64_t bit = std::uint64_t(1) << (k % 64);
        const std::size_t w = k / 64;
        switch (el.kind) {
        case Kind::Literal:
            if (el.ch < 256)
                c.low[el.ch * c.words + w] |= bit;
            else
                c.literals.emplace_back(el.ch, k);
            break;
        case Kind::Any:
            c.anyMask[w] |= bit;
            for (std::size_t ch = 0; ch < 256; ++ch)
                c.low[ch * c.words + w] |= bit;
            break;
        case Kind::Digit:
            c.digitMask[w] |= bit;
            for (std::size_t ch = '0'; ch <= '9'; ++ch)
                c.low[ch * c.words + w] |= bit;
            break;
        case Kind::Set: {
            const CharSet& set = sets_[static_cast<std::size_t>(el.setIndex)];
            auto& mask = c.setMask[static_cast<std::size_t>(el.setIndex)];
            if (mask.empty())
                mask.assign(c.words, 0);
            mask[w] |= bit;
            for (std::size_t ch = 0; ch < 256; ++ch)
                if (set.low[ch])
                    c.low[ch * c.words + w] |= bit;
            break;
        }
        }
    }
    scans_.push_back(std::move(c));
    seg.scanIndex = static_cast<int>(scans_.size() - 1);
}

// The mask of a folded character from U+0100 on.
void JetLikePattern::highMask(const CoreScan& c, char32_t folded, std::uint64_t* out) const
{
    for (std::size_t w = 0; w < c.words; ++w)
        out[w] = c.anyMask[w];
    for (const auto& [ch, k] : c.literals)
        if (ch == folded)
            out[k / 64] |= std::uint64_t(1) << (k % 64);
    for (std::size_t s = 0; s < c.setMask.size(); ++s) {
        if (c.setMask[s].empty() || !setContains(sets_[s], folded))
            continue;
        for (std::size_t w = 0; w < c.words; ++w)
            out[w] |= c.setMask[s][w];
    }
}

bool JetLikePattern::setContains(const CharSet& set, char32_t folded) const
{
    bool in = false;
    bool weighed = false;
    JetCharWeight w;
    for (const SetItem& item : set.items) {
        if (!item.range) {
            if (item.lo == folded) {
                in = true;
                break;
            }
            continue;
        }
        if (!weighed) {
            w = jetCharWeight(folded);
            weighed = true;
        }
        if (jetComparePrimary(jetCharWeight(item.lo), w) <= 0 && jetComparePrimary(w, jetCharWeight(item.hi)) <= 0) {
            in = true;
            break;
        }
    }
    return in != set.negated;
}

inline bool JetLikePattern::elementMatches(const Element& e, char32_t folded) const
{
    switch (e.kind) {
    case Kind::Literal:
        return e.ch == folded;
    case Kind::Any:
        return true;
    case Kind::Digit:
        return folded >= U'0' && folded <= U'9';
    case Kind::Set: {
        const CharSet& set = sets_[static_cast<std::size_t>(e.setIndex)];
        return folded < 256 ? set.low[folded] : setContains(set, folded);
    }
    }
    return false;
}

template <typename Text>
bool JetLikePattern::segmentAt(const Segment& s, const Text& text, std::size_t pos) const
{
    for (std::size_t k = 0; k < s.size(); ++k)
        if (!elementMatches(elements_[s.begin + k], text[pos + k]))
            return false;
    return true;
}

// Leftmost position in [from, last] where `s` matches, or npos. The core
// (the segment without its outer `?`) is what is looked for; the `?` only
// move the bounds.
template <typename Text>
std::size_t JetLikePattern::findSegment(const Segment& s, const Text& text, std::size_t from,
                                        std::size_t last) const
{
    constexpr std::size_t npos = std::u32string::npos;
    const std::size_t lead = s.coreBegin - s.begin;
    if (s.coreSize() == 0)
        return from;
    std::size_t pos = from + lead;
    const std::size_t coreLast = last + lead;
    const std::size_t m = s.coreSize();
    if (s.skipIndex >= 0) {
        // Horspool, with a budget of character comparisons proportional to
        // the text it covers; a core that exhausts it (a periodic word over
        // a periodic text) continues with the linear scan.
        const auto& shift = skips_[static_cast<std::size_t>(s.skipIndex)];
        const Element* p = elements_.data() + s.coreBegin;
        std::size_t budget = 4 * (coreLast - pos + 1) + 64;
        while (pos <= coreLast) {
            const char32_t end = text[pos + m - 1];
            if (end == p[m - 1].ch) {
                std::size_t k = 0;
                while (k + 1 < m && text[pos + k] == p[k].ch)
                    ++k;
                if (k + 1 == m)
                    return pos - lead;
                if (k > budget)
                    break;
                budget -= k;
            }
            pos += end < 256 ? shift[end] : m;
        }
        if (pos > coreLast)
            return npos;
    }
    const CoreScan& c = scans_[static_cast<std::size_t>(s.scanIndex)];
    std::size_t found;
    if (c.words > 0)
        found = findBitParallel(s, c, text, pos, coreLast);
    else if (c.kinds.size() == 1)
        found = findByRuns<1>(s, c, text, pos, coreLast);
    else if (c.kinds.size() == 2)
        found = findByRuns<2>(s, c, text, pos, coreLast);
    else
        found = findByRuns<0>(s, c, text, pos, coreLast);
    return found == npos ? npos : found - lead;
}

// The core as runs of one element: it ends at position i when, for every
// run, the streak of characters its element matches, ending where the run
// ends, is at least the run's length. One pass keeps the streak of every
// distinct element; each candidate end checks the runs from the last one.
// Kinds, when not 0, is the number of distinct elements, known to the
// compiler for the usual one or two.
template <std::size_t Kinds, typename Text>
std::size_t JetLikePattern::findByRuns(const Segment& s, const CoreScan& c, const Text& text,
                                       std::size_t from, std::size_t last) const
{
    const std::size_t m = s.coreSize();
    const std::size_t kinds = Kinds ? Kinds : c.kinds.size();
    const std::size_t span = last + m - from;   // positions from..last+m-1
    // The streaks of the last m positions, in a ring.
    thread_local std::vector<std::uint32_t> streaks;
    if (streaks.size() < (m + 1) * kinds)
        streaks.resize((m + 1) * kinds);
    std::uint32_t* const ring = streaks.data();
    // The streaks at the last position are kept apart from the ring, where
    // the compiler can hold them in registers: reading each back from the
    // ring would make every character wait for the store before it.
    thread_local std::vector<std::uint32_t> lastStreaks;
    std::array<std::uint32_t, Kinds ? Kinds : 1> fixed{};
    std::uint32_t* current = fixed.data();
    if constexpr (Kinds == 0) {
        lastStreaks.assign(kinds, 0);
        current = lastStreaks.data();
    }
    const Run& lastRun = c.runs.back();
    std::size_t slot = 0;   // i % m
    char32_t high = 0;      // the last character from U+0100 on, and its kinds
    std::uint32_t highIn = 0;
    for (std::size_t i = 0; i < span; ++i) {
        const char32_t ch = text[from + i];
        std::uint32_t in;
        if (ch < 256) {
            in = c.kindMask[ch];
        } else if (ch == high) {
            in = highIn;
        } else {
            in = kindsMatching(c, ch);
            high = ch;
            highIn = in;
        }
        std::uint32_t* row = ring + slot * kinds;
        for (std::size_t k = 0; k < kinds; ++k) {
            current[k] = (in >> k & 1) ? current[k] + 1 : 0;
            row[k] = current[k];
        }
        if (++slot == m)
            slot = 0;
        if (i + 1 < m || row[lastRun.kind] < lastRun.count)
            continue;
        const std::size_t start = i + 1 - m;   // relative to from
        bool ok = true;
        for (std::size_t r = c.runs.size() - 1; ok && r-- > 0;) {
            const Run& run = c.runs[r];
            ok = ring[((start + run.last) % m) * kinds + run.kind] >= run.count;
        }
        if (ok)
            return from + start;
    }
    return std::u32string::npos;
}

std::uint32_t JetLikePattern::kindsMatching(const CoreScan& c, char32_t folded) const
{
    if (folded < 256)
        return c.kindMask[folded];
    std::uint32_t in = 0;
    for (std::size_t k = 0; k < c.kinds.size(); ++k)
        in |= std::uint32_t(elementMatches(elements_[c.kinds[k]], folded)) << k;
    return in;
}

// Every character that an element of the core does not match rules out the
// starts that would put that element on it; the first start left is the
// match. Cheap when the elements seldom fail, as in [!q]?[!q]?...: the
// caller first counts what it would cost against the bit-parallel scan.
template <typename Text>
std::size_t JetLikePattern::findByFailures(const Segment& s, const CoreScan& c, const Text& text,
                                           std::size_t from, std::size_t last) const
{
    const std::size_t m = s.coreSize();
    const std::size_t starts = last - from + 1;
    const std::uint32_t all = c.kinds.size() == 32 ? ~std::uint32_t(0) : (std::uint32_t(1) << c.kinds.size()) - 1;
    thread_local std::vector<unsigned char> ruledOut;
    ruledOut.assign(starts, 0);
    for (std::size_t i = from; i < last + m; ++i) {
        for (std::uint32_t fails = ~kindsMatching(c, text[i]) & all; fails; fails &= fails - 1) {
            for (const std::uint32_t o : c.offsets[std::size_t(std::countr_zero(fails))]) {
                if (i < from + o)
                    break;   // offsets ascend
                const std::size_t start = i - o - from;
                if (start < starts)
                    ruledOut[start] = 1;
            }
        }
    }
    for (std::size_t k = 0; k < starts; ++k)
        if (!ruledOut[k])
            return from + k;
    return std::u32string::npos;
}

// Shift-And over the core's mask: bit k of the state says that the last k+1
// characters match the core's first k+1 elements. Only the words that can
// hold a set bit are updated, so a text where few prefixes of the core occur
// costs about one word per character.
template <typename Text>
std::size_t JetLikePattern::findBitParallel(const Segment& s, const CoreScan& c, const Text& text,
                                            std::size_t from, std::size_t last) const
{
    const std::size_t m = s.coreSize();
    const std::size_t words = c.words;
    if (!c.failCost.empty()) {
        // Ruling out starts is the cheaper way when it would mark fewer
        // starts than a full bit-parallel scan would update words (a mark
        // costs less than a word's update).
        const std::size_t budget = (last + m - from) * words;
        std::size_t cost = 0;
        for (std::size_t i = from; i < last + m && cost <= budget; ++i) {
            const char32_t ch = text[i];
            if (ch < 256) {
                cost += c.failCost[ch];
            } else {
                const std::uint32_t fails = ~kindsMatching(c, ch);
                for (std::size_t k = 0; k < c.kinds.size(); ++k)
                    if (fails >> k & 1)
                        cost += c.offsets[k].size();
            }
        }
        if (cost <= budget)
            return findByFailures(s, c, text, from, last);
    }
    const std::size_t topWord = (m - 1) / 64;
    const std::uint64_t topBit = std::uint64_t(1) << ((m - 1) % 64);
    thread_local std::vector<std::uint64_t> state, high;
    state.assign(words, 0);
    high.resize(words);
    std::size_t active = 0;   // words [0, active) may be non-zero
    char32_t highChar = 0;    // whose mask `high` holds
    for (std::size_t i = from; i < last + m; ++i) {
        const char32_t ch = text[i];
        const std::uint64_t* mask;
        if (ch < 256) {
            mask = c.low.data() + ch * words;
        } else {
            if (ch != highChar) {
                highMask(c, ch, high.data());
                highChar = ch;
            }
            mask = high.data();
        }
        const std::size_t limit = std::min(words, active + 1);
        std::uint64_t carry = 1;
        std::size_t top = 0;
        for (std::size_t w = 0; w < limit; ++w) {
            const std::uint64_t d = state[w];
            const std::uint64_t next = ((d << 1) | carry) & mask[w];
            carry = d >> 63;
            state[w] = next;
            if (next)
                top = w + 1;
        }
        active = top;
        if (state[topWord] & topBit)
            return i + 1 - m;
    }
    return std::u32string::npos;
}

template <typename Text>
bool JetLikePattern::matchText(const Text& text) const
{
    const std::size_t n = text.size();
    if (!hasStar_) {
        const Segment& only = segments_.front();
        return only.size() == n && segmentAt(only, text, 0);
    }
    const Segment& head = segments_.front();
    const Segment& tail = segments_.back();
    if (head.size() + tail.size() > n)
        return false;
    if (!segmentAt(head, text, 0))
        return false;
    std::size_t pos = head.size();
    const std::size_t tailStart = n - tail.size();
    for (std::size_t k = 1; k + 1 < segments_.size(); ++k) {
        const Segment& s = segments_[k];
        if (s.size() == 0)
            continue;
        if (pos + s.size() > tailStart)
            return false;
        const std::size_t found = findSegment(s, text, pos, tailStart - s.size());
        if (found == std::u32string::npos)
            return false;
        pos = found + s.size();
    }
    return segmentAt(tail, text, tailStart);
}

// A plain "*word*" search straight over the UTF-8 bytes (see matchesUtf8).
// A match found byte-wise is a match of the decoded text too; a miss is only
// certain when no character folding into ASCII starts anywhere in the value,
// so the scans look for them as they go and the rest of the value, past the
// last byte scanned, is checked on a miss.
JetLikePattern::Verdict JetLikePattern::matchPlainAscii(std::string_view value) const
{
    const auto* d = reinterpret_cast<const unsigned char*>(value.data());
    const std::size_t n = value.size();
    std::size_t checked = 0;   // no folding character starts before this byte
    const auto miss = [&] {
        return likeHasAsciiFoldingChar(value.substr(checked)) ? Verdict::Undecided : Verdict::No;
    };
    const std::string& head = needles_.front();
    const std::string& tail = needles_.back();
    if (head.size() + tail.size() > n || !caseEqualAscii(d, head.data(), head.size()))
        return miss();
    std::size_t pos = head.size();
    checked = pos;   // the head's bytes are ASCII
    const std::size_t tailStart = n - tail.size();
    for (std::size_t k = 1; k + 1 < needles_.size(); ++k) {
        const std::string& needle = needles_[k];
        if (needle.empty())
            continue;
        if (pos + needle.size() > tailStart)
            return miss();
        std::size_t found = 0;
        switch (scanAscii(needle, d, n, pos, tailStart - needle.size(), found)) {
        case Scan::FoldingChar:
        case Scan::OverBudget:
            return Verdict::Undecided;
        case Scan::Missing:
            checked = tailStart;
            return miss();
        case Scan::Found:
            pos = found + needle.size();
            checked = pos;
            break;
        }
    }
    if (!caseEqualAscii(d + tailStart, tail.data(), tail.size()))
        return miss();
    return Verdict::Yes;
}

bool JetLikePattern::matches(QStringView value) const
{
    std::u32string& buf = foldedBuffer();
    buf = toUcs4(value);
    for (char32_t& c : buf)
        c = jetFold(c);
    return matchText(WideText{buf.data(), buf.size()});
}

std::size_t JetLikePattern::charactersRead(QStringView value, bool& matched) const
{
    std::u32string text = toUcs4(value);
    for (char32_t& c : text)
        c = jetFold(c);
    std::size_t reads = 0;
    matched = matchText(CountedText{text.data(), text.size(), &reads});
    return reads;
}

bool JetLikePattern::matchesUtf8(std::string_view value) const
{
    // A pattern whose every element matches ASCII characters only (a plain
    // "*word*" search) can run over the UTF-8 bytes themselves: a byte of a
    // multi-byte character never equals an ASCII element, and every ASCII
    // byte is a character of its own, so positions and neighbours agree with
    // the decoded text. Folding the whole text into UCS-4 first costs several
    // times the search itself.
    if (plainAscii_) {
        const Verdict v = matchPlainAscii(value);
        if (v != Verdict::Undecided)
            return v == Verdict::Yes;
    } else if (asciiOnly_ ? !likeHasAsciiFoldingChar(value) : likeIsAscii(value)) {
        return matchText(AsciiText{reinterpret_cast<const unsigned char*>(value.data()), value.size()});
    }
    char32_t* buf = wideScratch(value.size());   // never more characters than bytes
    const std::size_t n = foldUtf8(value, [buf](std::size_t o, char32_t c) {
        buf[o] = c;
        return o + 1;
    });
    return matchText(WideText{buf, n});
}

} // namespace orvane::db
