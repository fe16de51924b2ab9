#pragma once

// Jet's LIKE: the pattern must match the whole value, letter case ignored.
//   *        any run of characters (also none)
//   ?        any one character
//   #        any one digit 0-9
//   [list]   one character of the list; ranges such as a-z in General order
//   [!list]  one character not in the list
//   []       matches nothing (the empty text), i.e. it is skipped
// Inside brackets * ? # [ stand for themselves; a hyphen first (after any !)
// or last is literal; ! elsewhere and ] outside brackets are literal. An
// unclosed bracket, a descending range or a range with a missing bound makes
// the pattern invalid: JetError 3075.
//
// Matching splits the pattern at its stars into fixed-length segments and
// places each one at its leftmost possible position, which is optimal because
// every segment element consumes exactly one character. Finding a segment
// never backtracks over the text: `?` at either end of a segment only shifts
// where it may lie; a literal segment is searched with skips under a budget of
// comparisons; anything else (or a literal segment over budget) is found by
// run lengths (a segment of few runs, such as [!x] 800 times then Q) or by a
// bit-parallel scan, one pass over the text either way.

#include <QString>
#include <QStringView>
#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::db {

class JetLikePattern {
public:
    // Throws JetError 3075 for an invalid pattern.
    explicit JetLikePattern(QStringView pattern);
    static JetLikePattern fromUtf8(std::string_view pattern);

    bool matches(QStringView value) const;
    bool matchesUtf8(std::string_view value) const;

    // How many characters of `value` a match reads; whether it matched goes
    // into `matched`. The matcher's work, which stays linear in the text
    // whatever the pattern.
    std::size_t charactersRead(QStringView value, bool& matched) const;

private:
    JetLikePattern() = default;
    void compile(const std::u32string& pattern);

    enum class Kind : unsigned char { Literal, Any, Digit, Set };
    struct Element {
        Kind kind;
        char32_t ch = 0;         // Literal: the folded character
        int setIndex = -1;       // Set: index into sets_ (the same list written twice shares one)
        friend bool operator==(const Element&, const Element&) = default;
    };
    struct SetItem {
        char32_t lo, hi;         // folded single character when !range
        bool range;
    };
    struct CharSet {
        std::vector<SetItem> items;
        bool negated = false;
        std::bitset<256> low;    // the answer for folded characters below 256
    };
    struct Segment {
        std::size_t begin, end;  // into elements_
        int skipIndex = -1;      // core all literals below 256: its Horspool shift table
        std::size_t size() const { return end - begin; }
        // The segment without the `?` at its two ends, which match anything.
        std::size_t coreBegin = 0, coreEnd = 0;
        std::size_t coreSize() const { return coreEnd - coreBegin; }
        int scanIndex = -1;      // into scans_: how a middle segment's core is found
    };
    // A core as runs of one element repeated, and as bit masks for the
    // bit-parallel scan.
    struct Run {
        std::size_t elementIndex;   // into elements_
        std::size_t count;
        std::size_t last;           // offset of its last character in the core
        std::size_t kind;           // index of the distinct element among the runs
    };
    struct CoreScan {
        std::vector<Run> runs;
        std::vector<std::size_t> kinds;    // elements_ index of each distinct element
        std::vector<std::uint32_t> kindMask;   // runs: per folded character below 256, the kinds it matches
        std::size_t words = 0;             // 64-bit words of the mask
        std::vector<std::uint64_t> low;    // 256 x words: the mask of each folded character below 256
        std::vector<std::uint64_t> anyMask, digitMask;
        std::vector<std::vector<std::uint64_t>> setMask;     // per set index used in the core
        std::vector<std::pair<char32_t, std::size_t>> literals;   // folded literal >= 256, its position
        // Ruling starts out instead, for a long core whose elements rarely
        // fail (negated lists, `?`): per kind, where in the core it stands;
        // per folded character below 256, how many starts it rules out.
        std::vector<std::vector<std::uint32_t>> offsets;
        std::vector<std::uint32_t> failCost;
    };

    bool setContains(const CharSet& set, char32_t folded) const;
    bool elementMatches(const Element& e, char32_t folded) const;
    template <typename Text> bool matchText(const Text& text) const;
    template <typename Text> bool segmentAt(const Segment& s, const Text& text, std::size_t pos) const;
    template <typename Text>
    std::size_t findSegment(const Segment& s, const Text& text, std::size_t from, std::size_t last) const;
    template <std::size_t Kinds, typename Text>
    std::size_t findByRuns(const Segment& s, const CoreScan& c, const Text& text, std::size_t from,
                           std::size_t last) const;
    template <typename Text>
    std::size_t findByFailures(const Segment& s, const CoreScan& c, const Text& text, std::size_t from,
                               std::size_t last) const;
    std::uint32_t kindsMatching(const CoreScan& c, char32_t folded) const;
    template <typename Text>
    std::size_t findBitParallel(const Segment& s, const CoreScan& c, const Text& text, std::size_t from,
                                std::size_t last) const;
    void buildScan(Segment& s);
    void highMask(const CoreScan& c, char32_t folded, std::uint64_t* out) const;
    enum class Verdict : unsigned char { No, Yes, Undecided };
    Verdict matchPlainAscii(std::string_view value) const;

    std::vector<Element> elements_;
    std::vector<CharSet> sets_;
    std::vector<Segment> segments_;   // split at the stars
    std::vector<std::array<std::size_t, 256>> skips_;
    std::vector<CoreScan> scans_;
    bool hasStar_ = false;
    bool asciiOnly_ = false;   // every element is an ASCII literal or #
    bool plainAscii_ = false;  // has a star, and every element is an ASCII literal
    std::vector<std::string> needles_;   // plainAscii_: each segment's folded bytes
};

// Helpers the LIKE matchers share, over UTF-8 text.
bool likeIsAscii(std::string_view utf8);
// Whether a character outside ASCII that folds into ASCII occurs.
bool likeHasAsciiFoldingChar(std::string_view utf8);
// The text with every character case folded, as UTF-8 (malformed bytes as U+FFFD).
void likeFoldUtf8(std::string_view utf8, std::string& out);

} // namespace orvane::db
