#pragma once

// Several LIKE tests of one value joined by AND (all must match) or by OR
// (one must), answered together: "value LIKE p1 AND value LIKE p2 AND ..."
// gives the same answer as testing the patterns one by one, for any number of
// patterns.
//
// A keyword search is a run of plain "*word*" patterns. Many of them are
// found in one pass over the case-folded value by an Aho-Corasick automaton
// over UTF-8 bytes, so the cost follows the length of the value and not the
// number of words; a few are searched one by one with the single-pattern
// matcher, whose vectorised scan is faster for one or two words. Patterns
// with other wildcards are always tested one by one (each in linear time).

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::db {

class JetLikePattern;

class JetLikeList {
public:
    enum class Join { All, Any };

    // Throws JetError 3075 when a pattern is invalid.
    JetLikeList(const std::vector<std::string>& patternsUtf8, Join join);
    ~JetLikeList();
    JetLikeList(JetLikeList&&) noexcept;
    JetLikeList& operator=(JetLikeList&&) noexcept;

    bool matchesUtf8(std::string_view value) const;

    // Several patterns as one text, for a single argument of an SQL
    // function: each as its length in UTF-8 bytes, a colon, and its bytes.
    static QString pack(const QStringList& patterns);
    // Throws JetError 3075 for a text pack() did not write.
    static std::vector<std::string> unpack(std::string_view packed);

    // Words a run must have before they go through the automaton.
    static constexpr std::size_t kAutomatonWords = 5;

private:
    bool automatonMatches(std::string_view value, bool all) const;

    Join join_;
    bool always_ = false;   // an Any run holding "*" (or "**"), which every value matches
    std::vector<std::unique_ptr<JetLikePattern>> oneByOne_;

    // The automaton over the words' folded UTF-8 bytes.
    std::size_t words_ = 0;
    bool nonAsciiWord_ = false;
    std::size_t classes_ = 0;
    std::uint8_t byteClass_[256] = {};
    std::uint8_t lowerClass_[256] = {};   // the same with ASCII upper case mapped to lower case
    std::vector<std::int32_t> next_;      // state x class -> state
    std::vector<std::int32_t> word_;      // the word ending at a state, or -1
    std::vector<std::int32_t> output_;    // the state itself when it ends a word, else its nearest
                                          // suffix state that does, or -1
    std::vector<std::int32_t> outLink_;   // for a word state: the next shorter one on its suffix chain
};

} // namespace orvane::db
