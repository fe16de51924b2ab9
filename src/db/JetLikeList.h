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
// matcher, whose vectorised scan is faster for one or two words. A pattern
// with other wildcards is tested on its own (in linear time), and in a long
// run only on the values where the automaton found its longest stretch of
// plain characters.

#include <QString>
#include <QStringList>

#include <atomic>
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
    JetLikeList(const JetLikeList&) = delete;
    JetLikeList& operator=(const JetLikeList&) = delete;

    bool matchesUtf8(std::string_view value) const;

    // Several patterns as one text, for a single argument of an SQL
    // function: each as its length in UTF-8 bytes, a colon, and its bytes.
    static QString pack(const QStringList& patterns);
    // Throws JetError 3075 for a text pack() did not write.
    static std::vector<std::string> unpack(std::string_view packed);

    // Words (plain ones and the other patterns' plain stretches) a run must
    // have before they go through the automaton.
    static constexpr std::size_t kAutomatonWords = 5;

private:
    bool automatonMatches(std::string_view value, bool all) const;

    Join join_;
    bool always_ = false;   // an Any run holding "*" (or "**"), which every value matches
    std::vector<std::unique_ptr<JetLikePattern>> oneByOne_;

    // The automaton over the words' UTF-8 bytes. Each word is entered in
    // every spelling that folds to it (ASCII letters through the byte
    // classes, other letters as spellings of their own), so values are read
    // as they are; only a value with a character that folds into ASCII, or
    // words beyond the spellings' limit, make it fold the value first.
    std::size_t words_ = 0;
    bool foldValues_ = false;
    std::size_t classes_ = 0;             // a power of two
    unsigned classShift_ = 0;
    std::uint8_t byteClass_[256] = {};    // with ASCII upper case mapped to lower case
    // state x class -> the next state's row (state x classes) times two,
    // plus one when a word ends there or at a suffix of it.
    std::vector<std::uint32_t> next_;
    std::vector<std::int32_t> word_;      // the word ending at a state, or -1
    std::vector<std::int32_t> output_;    // the state itself when it ends a word, else its nearest
                                          // suffix state that does, or -1
    std::vector<std::int32_t> outLink_;   // for a word state: the next shorter one on its suffix chain
    std::vector<char> complete_;          // per word: a plain word, whose presence decides its pattern
    struct Anchored {
        std::unique_ptr<JetLikePattern> pattern;   // a pattern with wildcards
        std::size_t anchor;                        // the word it cannot match without
    };
    std::vector<Anchored> anchored_;
    std::vector<std::vector<std::size_t>> anchoredBy_;   // per word: the anchored_ it is the stretch of
    // All: the words one by one, and the one that last ruled a value out,
    // which is tried first: one vectorised scan usually settles a miss.
    std::vector<std::unique_ptr<JetLikePattern>> wordPatterns_;
    mutable std::atomic<std::size_t> lastMissing_{0};
};

} // namespace orvane::db
