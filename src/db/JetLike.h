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
// every segment element consumes exactly one character: time is O(n·m) at
// worst and linear for the usual "*word*", with no backtracking blow-up.

#include <QString>
#include <QStringView>
#include <array>
#include <bitset>
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

    // True when `pattern` compiles.
    static bool isValid(QStringView pattern);

private:
    JetLikePattern() = default;
    void compile(const std::u32string& pattern);

    enum class Kind : unsigned char { Literal, Any, Digit, Set };
    struct Element {
        Kind kind;
        char32_t ch = 0;         // Literal: the folded character
        int setIndex = -1;       // Set: index into sets_
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
        int skipIndex = -1;      // all literals below 256: its Horspool shift table
        std::size_t size() const { return end - begin; }
    };

    bool setContains(const CharSet& set, char32_t folded) const;
    bool elementMatches(const Element& e, char32_t folded) const;
    template <typename Text> bool matchText(const Text& text) const;
    template <typename Text> bool segmentAt(const Segment& s, const Text& text, std::size_t pos) const;
    template <typename Text>
    std::size_t findSegment(const Segment& s, const Text& text, std::size_t from, std::size_t last) const;
    enum class Verdict : unsigned char { No, Yes, Undecided };
    Verdict matchPlainAscii(std::string_view value) const;

    std::vector<Element> elements_;
    std::vector<CharSet> sets_;
    std::vector<Segment> segments_;   // split at the stars
    std::vector<std::array<std::size_t, 256>> skips_;
    bool hasStar_ = false;
    bool asciiOnly_ = false;   // every element is an ASCII literal or #
    bool plainAscii_ = false;  // has a star, and every element is an ASCII literal
    std::vector<std::string> needles_;   // plainAscii_: each segment's folded bytes
};

} // namespace orvane::db
