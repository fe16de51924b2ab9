#include "db/JetLikeList.h"

#include "db/JetCollation.h"
#include "db/JetError.h"
#include "db/JetLike.h"

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <unordered_map>

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

// Spellings of one word beyond which its value side is folded instead.
constexpr std::size_t kMaxSpellings = 64;

// Every character from U+0080 to U+FFFF that folds to `folded`, itself
// included, or null for a character outside that range. Computed once.
const std::vector<char32_t>* foldSpellings(char32_t folded)
{
    static const auto table = [] {
        std::unordered_map<char32_t, std::vector<char32_t>> t;
        for (char32_t c = 0x80; c < 0x10000; ++c)
            if (c < 0xD800 || c > 0xDFFF)
                t[jetFold(c)].push_back(c);
        return t;
    }();
    if (folded < 0x80 || folded >= 0x10000 || folded == 0xFFFD)
        return nullptr;
    const auto it = table.find(folded);
    return it == table.end() ? nullptr : &it->second;
}

std::string utf8Of(char32_t c)
{
    return QString::fromUcs4(&c, 1).toStdString();
}

// The longest run of plain characters of a pattern: what any value it
// matches holds somewhere. Empty when it has none.
std::string_view longestLiteral(std::string_view pattern)
{
    std::string_view best;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= pattern.size(); ++i) {
        const char c = i < pattern.size() ? pattern[i] : '*';
        if (c != '*' && c != '?' && c != '#' && c != '[')
            continue;
        if (i - start > best.size())
            best = pattern.substr(start, i - start);
        if (c == '[') {
            const std::size_t close = pattern.find(']', i + 1);
            i = close == std::string_view::npos ? pattern.size() : close;
        }
        start = i + 1;
    }
    return best;
}

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

Stamps& threadStamps()
{
    thread_local Stamps stamps;
    return stamps;
}

} // namespace

JetLikeList::JetLikeList(const std::vector<std::string>& patterns, Join join) : join_(join)
{
    std::vector<std::string> words;   // the plain words, then the other patterns' anchors
    std::set<std::string> seenWords, seenOthers;
    std::vector<std::pair<std::unique_ptr<JetLikePattern>, std::string>> others;   // pattern, anchor
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
        if (seenOthers.insert(p).second) {
            auto compiled = std::make_unique<JetLikePattern>(JetLikePattern::fromUtf8(p));
            std::string anchor;
            likeFoldUtf8(longestLiteral(p), anchor);
            others.emplace_back(std::move(compiled), std::move(anchor));
        }
    }
    const std::size_t plainWords = words.size();
    std::size_t anchoredCount = 0;
    for (const auto& other : others)
        anchoredCount += !other.second.empty();

    auto allOneByOne = [&] {
        for (std::size_t k = 0; k < plainWords; ++k)
            oneByOne_.push_back(std::make_unique<JetLikePattern>(JetLikePattern::fromUtf8("*" + words[k] + "*")));
        for (auto& other : others)
            oneByOne_.push_back(std::move(other.first));
    };
    if (plainWords + anchoredCount < kAutomatonWords) {
        allOneByOne();
        return;
    }
    // A pattern with wildcards can only match a value that holds its
    // longest run of plain characters: the automaton looks for those runs
    // too, and a pattern is tested on its own only when its run is there.
    std::map<std::string, std::size_t> idOf;
    for (std::size_t k = 0; k < plainWords; ++k)
        idOf.emplace(words[k], k);
    complete_.assign(plainWords, 1);
    for (auto& other : others) {
        if (other.second.empty())
            continue;
        auto [it, added] = idOf.emplace(other.second, words.size());
        if (added) {
            words.push_back(other.second);
            complete_.push_back(0);
        }
        anchored_.push_back({nullptr, it->second});
    }
    {
        std::size_t a = 0;
        for (auto& other : others) {
            if (other.second.empty())
                oneByOne_.push_back(std::move(other.first));
            else
                anchored_[a++].pattern = std::move(other.first);
        }
    }

    // Every spelling of each word, as UTF-8.
    std::vector<std::pair<std::string, std::size_t>> spellings;   // bytes, word
    std::size_t totalBytes = 0;
    for (std::size_t id = 0; id < words.size(); ++id) {
        std::vector<std::string> forms{std::string()};
        const std::string& w = words[id];
        for (std::size_t i = 0; i < w.size();) {
            const std::size_t at = i;
            const char32_t c = jetDecodeUtf8(w, i);
            const std::vector<char32_t>* alternatives = c < 0x80 ? nullptr : foldSpellings(c);
            if (c >= 0x80 && (!alternatives || forms.size() * alternatives->size() > kMaxSpellings)) {
                foldValues_ = true;   // this word is entered as folded only
                alternatives = nullptr;
            }
            if (!alternatives) {
                for (std::string& f : forms)
                    f.append(w, at, i - at);
                continue;
            }
            std::vector<std::string> grown;
            for (const std::string& f : forms)
                for (const char32_t a : *alternatives)
                    grown.push_back(f + utf8Of(a));
            forms = std::move(grown);
        }
        for (std::string& f : forms) {
            totalBytes += f.size();
            spellings.emplace_back(std::move(f), id);
        }
    }
    if (foldValues_) {
        // One word beyond the spellings' limit: every value is folded, so
        // each word is entered folded only.
        spellings.clear();
        totalBytes = 0;
        for (std::size_t id = 0; id < words.size(); ++id) {
            totalBytes += words[id].size();
            spellings.emplace_back(words[id], id);
        }
    }

    // Byte classes: every byte a spelling holds has its own; all others share 0.
    bool used[256] = {};
    for (const auto& sp : spellings)
        for (const char ch : sp.first)
            used[static_cast<unsigned char>(ch)] = true;
    std::size_t classes = 1;
    std::uint8_t own[256] = {};
    for (int b = 0; b < 256; ++b)
        if (used[b])
            own[b] = static_cast<std::uint8_t>(classes++);
    for (int b = 0; b < 256; ++b)
        byteClass_[b] = own[(b >= 'A' && b <= 'Z') ? b + 32 : b];
    classes_ = 1;
    while (classes_ < classes) {
        classes_ *= 2;
        ++classShift_;
    }

    if ((totalBytes + 1) * classes_ > kMaxTableEntries) {
        for (std::size_t k = 0; k < plainWords; ++k)
            oneByOne_.push_back(std::make_unique<JetLikePattern>(JetLikePattern::fromUtf8("*" + words[k] + "*")));
        for (Anchored& a : anchored_)
            oneByOne_.push_back(std::move(a.pattern));
        anchored_.clear();
        complete_.clear();
        foldValues_ = false;
        return;
    }
    for (const std::string& w : words)
        wordPatterns_.push_back(std::make_unique<JetLikePattern>(JetLikePattern::fromUtf8("*" + w + "*")));
    anchoredBy_.assign(words.size(), {});
    for (std::size_t a = 0; a < anchored_.size(); ++a)
        anchoredBy_[anchored_[a].anchor].push_back(a);

    // The trie, then the failure transitions filled in breadth first.
    words_ = words.size();
    std::vector<std::int32_t> goTo(classes_, -1);
    word_.assign(1, -1);
    for (const auto& [bytes, id] : spellings) {
        std::size_t state = 0;
        for (const char ch : bytes) {
            const std::size_t slot = (state << classShift_) + own[static_cast<unsigned char>(ch)];
            if (goTo[slot] < 0) {
                goTo[slot] = static_cast<std::int32_t>(word_.size());
                word_.push_back(-1);
                goTo.resize(goTo.size() + classes_, -1);
            }
            state = std::size_t(goTo[slot]);
        }
        word_[state] = static_cast<std::int32_t>(id);
    }
    const std::size_t states = word_.size();
    std::vector<std::int32_t> fail(states, 0);
    output_.assign(states, -1);
    outLink_.assign(states, -1);
    std::deque<std::int32_t> queue;
    for (std::size_t c = 0; c < classes_; ++c) {
        std::int32_t& to = goTo[c];
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
            std::int32_t& to = goTo[(std::size_t(s) << classShift_) + c];
            const std::int32_t viaFail = goTo[(std::size_t(f) << classShift_) + c];
            if (to < 0) {
                to = viaFail;
            } else {
                fail[std::size_t(to)] = viaFail;
                queue.push_back(to);
            }
        }
    }
    next_.resize(goTo.size());
    for (std::size_t k = 0; k < goTo.size(); ++k) {
        const auto to = std::size_t(goTo[k]);
        next_[k] = static_cast<std::uint32_t>(((to << classShift_) << 1) | (output_[to] >= 0 ? 1 : 0));
    }
}

JetLikeList::~JetLikeList() = default;

bool JetLikeList::automatonMatches(std::string_view value, bool all) const
{
    const std::string_view original = value;
    thread_local std::string folded;
    if (foldValues_ ? !likeIsAscii(value) : likeHasAsciiFoldingChar(value)) {
        likeFoldUtf8(value, folded);
        value = folded;
    }
    Stamps& stamps = threadStamps();
    stamps.begin(words_, word_.size());
    const std::uint32_t gen = stamps.generation;
    std::size_t found = 0;

    const auto* d = reinterpret_cast<const unsigned char*>(value.data());
    const std::uint32_t* next = next_.data();
    const std::uint8_t* byteClass = byteClass_;
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        v = next[(v >> 1) + byteClass[d[i]]];
        if (!(v & 1))
            continue;
        // Each word state reports its chain of shorter words once per
        // value: a chain met again is already counted, so the work stays
        // linear in the value even for words nested in one another.
        for (std::int32_t out = output_[v >> (classShift_ + 1)]; out >= 0 && stamps.states[std::size_t(out)] != gen;
             out = outLink_[std::size_t(out)]) {
            stamps.states[std::size_t(out)] = gen;
            const auto id = std::size_t(word_[std::size_t(out)]);
            if (stamps.words[id] != gen) {
                stamps.words[id] = gen;
                if (all) {
                    if (++found == words_)
                        return true;
                    continue;
                }
                if (complete_[id])
                    return true;
                // Any: the patterns this stretch belongs to are tested
                // now, so that the first one matching ends the search.
                for (const std::size_t a : anchoredBy_[id])
                    if (anchored_[a].pattern->matchesUtf8(original))
                        return true;
            }
        }
    }
    if (all) {
        // The word tried first was there: the next missing one after it
        // takes its place, so the hint settles on a word most values lack.
        const std::size_t hint = lastMissing_.load(std::memory_order_relaxed);
        for (std::size_t k = 1; k <= words_; ++k) {
            const std::size_t id = (hint + k) % words_;
            if (stamps.words[id] != gen) {
                lastMissing_.store(id, std::memory_order_relaxed);
                break;
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
    if (words_ == 0)
        return true;
    if (!wordPatterns_[lastMissing_.load(std::memory_order_relaxed)]->matchesUtf8(value))
        return false;
    if (!automatonMatches(value, true))
        return false;
    for (const Anchored& a : anchored_)
        if (!a.pattern->matchesUtf8(value))
            return false;
    return true;
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
