#include "db/JetLikeList.h"

#include "db/JetError.h"
#include "db/JetLike.h"

#include <algorithm>
#include <deque>
#include <set>

namespace orvane::db {

namespace {

[[noreturn]] void malformedList()
{
    throw JetError(kSyntaxError, QStringLiteral("Invalid pattern string in a LIKE expression."));
}

// A "*word*" pattern: the word between the outer stars when no other
// wildcard occurs, so that a plain substring search answers it.
bool plainWord(std::string_view pattern, std::string_view& word)
{
    std::size_t b = 0, e = pattern.size();
    while (b < e && pattern[b] == '*')
        ++b;
    while (e > b && pattern[e - 1] == '*')
        --e;
    if (b == 0 || e == pattern.size())
        return false;
    word = pattern.substr(b, e - b);
    return word.find_first_of("*?#[") == std::string_view::npos;
}

// Dense automata above this many table entries are not built; such a run
// (thousands of very long words) is tested one pattern at a time.
constexpr std::size_t kMaxTableEntries = std::size_t(1) << 22;

// Stamps that say which words and states a value has already reported,
// valid for the current generation only, so nothing is cleared per value.
struct Stamps {
    std::vector<std::uint32_t> words, states;
    std::uint32_t generation = 0;

    void begin(std::size_t wordCount, std::size_t stateCount)
    {
        if (words.size() < wordCount)
            words.resize(wordCount, 0);
        if (states.size() < stateCount)
            states.resize(stateCount, 0);
        if (++generation == 0) {
            std::fill(words.begin(), words.end(), 0);
            std::fill(states.begin(), states.end(), 0);
            generation = 1;
        }
    }
};

} // namespace

JetLikeList::JetLikeList(const std::vector<std::string>& patterns, Join join) : join_(join)
{
    std::vector<std::string> words;
    std::set<std::string> seenWords, seenOthers;
    for (const std::string& p : patterns) {
        std::string_view word;
        if (p.find_first_not_of('*') == std::string::npos && !p.empty()) {
            // "*" matches every value: it decides an Any run and adds
            // nothing to an All run.
            always_ = always_ || join == Join::Any;
            continue;
        }
        if (plainWord(p, word)) {
            std::string folded;
            likeFoldUtf8(word, folded);
            if (seenWords.insert(folded).second)
                words.push_back(std::move(folded));
            continue;
        }
        if (seenOthers.insert(p).second)
            oneByOne_.push_back(std::make_unique<JetLikePattern>(JetLikePattern::fromUtf8(p)));
    }

    std::size_t totalBytes = 0;
    for (const std::string& w : words)
        totalBytes += w.size();
    if (words.size() < kAutomatonWords) {
        for (const std::string& w : words)
            oneByOne_.push_back(std::make_unique<JetLikePattern>(JetLikePattern::fromUtf8("*" + w + "*")));
        return;
    }

    // Byte classes: every byte a word holds has its own; all others share 0.
    bool used[256] = {};
    for (const std::string& w : words)
        for (const char ch : w)
            used[static_cast<unsigned char>(ch)] = true;
    classes_ = 1;
    for (int b = 0; b < 256; ++b)
        if (used[b])
            byteClass_[b] = static_cast<std::uint8_t>(classes_++);
    for (int b = 0; b < 256; ++b)
        lowerClass_[b] = byteClass_[(b >= 'A' && b <= 'Z') ? b + 32 : b];

    if ((totalBytes + 1) * classes_ > kMaxTableEntries) {
        for (const std::string& w : words)
            oneByOne_.push_back(std::make_unique<JetLikePattern>(JetLikePattern::fromUtf8("*" + w + "*")));
        return;
    }

    // The trie, then the failure transitions filled in breadth first.
    words_ = words.size();
    next_.assign(classes_, -1);
    word_.assign(1, -1);
    for (std::size_t id = 0; id < words.size(); ++id) {
        std::int32_t state = 0;
        for (const char ch : words[id]) {
            nonAsciiWord_ = nonAsciiWord_ || (static_cast<unsigned char>(ch) & 0x80);
            std::int32_t& to = next_[std::size_t(state) * classes_ + byteClass_[static_cast<unsigned char>(ch)]];
            if (to < 0) {
                to = static_cast<std::int32_t>(word_.size());
                word_.push_back(-1);
                next_.resize(next_.size() + classes_, -1);
            }
            state = next_[std::size_t(state) * classes_ + byteClass_[static_cast<unsigned char>(ch)]];
        }
        word_[std::size_t(state)] = static_cast<std::int32_t>(id);
    }
    const std::size_t states = word_.size();
    std::vector<std::int32_t> fail(states, 0);
    output_.assign(states, -1);
    outLink_.assign(states, -1);
    std::deque<std::int32_t> queue;
    for (std::size_t c = 0; c < classes_; ++c) {
        std::int32_t& to = next_[c];
        if (to < 0) {
            to = 0;
        } else {
            fail[std::size_t(to)] = 0;
            queue.push_back(to);
        }
    }
    while (!queue.empty()) {
        const std::int32_t s = queue.front();
        queue.pop_front();
        const std::int32_t f = fail[std::size_t(s)];
        const std::int32_t shorter = output_[std::size_t(f)];
        if (word_[std::size_t(s)] >= 0) {
            output_[std::size_t(s)] = s;
            outLink_[std::size_t(s)] = shorter;
        } else {
            output_[std::size_t(s)] = shorter;
        }
        for (std::size_t c = 0; c < classes_; ++c) {
            std::int32_t& to = next_[std::size_t(s) * classes_ + c];
            const std::int32_t viaFail = next_[std::size_t(f) * classes_ + c];
            if (to < 0) {
                to = viaFail;
            } else {
                fail[std::size_t(to)] = viaFail;
                queue.push_back(to);
            }
        }
    }
}

JetLikeList::~JetLikeList() = default;
JetLikeList::JetLikeList(JetLikeList&&) noexcept = default;
JetLikeList& JetLikeList::operator=(JetLikeList&&) noexcept = default;

bool JetLikeList::automatonMatches(std::string_view value, bool all) const
{
    // Bytes are matched as they are when folding cannot change the answer:
    // ASCII letters fold through the class table, and a character outside
    // ASCII only matters when a word holds one or it folds into ASCII.
    thread_local std::string folded;
    const bool fold = nonAsciiWord_ ? !likeIsAscii(value) : likeHasAsciiFoldingChar(value);
    if (fold) {
        likeFoldUtf8(value, folded);
        value = folded;
    }
    thread_local Stamps stamps;
    stamps.begin(words_, word_.size());
    const std::uint32_t gen = stamps.generation;
    std::size_t found = 0;

    const auto* d = reinterpret_cast<const unsigned char*>(value.data());
    const std::int32_t* next = next_.data();
    const std::int32_t* output = output_.data();
    const std::size_t classes = classes_;
    std::int32_t state = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        state = next[std::size_t(state) * classes + lowerClass_[d[i]]];
        std::int32_t out = output[state];
        if (out < 0)
            continue;
        if (!all)
            return true;
        // Each word state reports its chain of shorter words once per
        // value: a chain met again is already counted, so the work stays
        // linear in the value even for words nested in one another.
        for (; out >= 0 && stamps.states[std::size_t(out)] != gen; out = outLink_[std::size_t(out)]) {
            stamps.states[std::size_t(out)] = gen;
            const auto id = std::size_t(word_[std::size_t(out)]);
            if (stamps.words[id] != gen) {
                stamps.words[id] = gen;
                if (++found == words_)
                    return true;
            }
        }
    }
    return false;
}

bool JetLikeList::matchesUtf8(std::string_view value) const
{
    if (join_ == Join::Any) {
        if (always_)
            return true;
        if (words_ > 0 && automatonMatches(value, false))
            return true;
        for (const auto& p : oneByOne_)
            if (p->matchesUtf8(value))
                return true;
        return false;
    }
    for (const auto& p : oneByOne_)
        if (!p->matchesUtf8(value))
            return false;
    return words_ == 0 || automatonMatches(value, true);
}

QString JetLikeList::pack(const QStringList& patterns)
{
    QString out;
    for (const QString& p : patterns)
        out += QString::number(p.toUtf8().size()) + QLatin1Char(':') + p;
    return out;
}

std::vector<std::string> JetLikeList::unpack(std::string_view packed)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < packed.size()) {
        std::size_t length = 0;
        std::size_t digits = 0;
        while (i < packed.size() && packed[i] >= '0' && packed[i] <= '9') {
            length = length * 10 + std::size_t(packed[i] - '0');
            if (length > packed.size())
                malformedList();
            ++i;
            ++digits;
        }
        if (digits == 0 || i >= packed.size() || packed[i] != ':' || packed.size() - i - 1 < length)
            malformedList();
        ++i;
        out.emplace_back(packed.substr(i, length));
        i += length;
    }
    return out;
}

} // namespace orvane::db
