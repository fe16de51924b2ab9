#include "db/JetLike.h"

#include "db/JetCollation.h"
#include "db/JetError.h"

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

void foldUtf8Into(std::string_view s, std::u32string& out)
{
    out.clear();
    if (out.capacity() < s.size())
        out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out.push_back((b >= 'A' && b <= 'Z') ? char32_t(b + 32) : char32_t(b));
            ++i;
        } else {
            out.push_back(jetFold(jetDecodeUtf8(s, i)));
        }
    }
}

void foldUtf16Into(QStringView s, std::u32string& out)
{
    out = toUcs4(s);
    for (char32_t& c : out)
        c = jetFold(c);
}

} // namespace

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

bool JetLikePattern::isValid(QStringView pattern)
{
    try {
        JetLikePattern p(pattern);
        return true;
    } catch (const JetError&) {
        return false;
    }
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
            elements_.push_back({Kind::Literal, false, jetFold(c)});
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
        sets_.push_back(std::move(items));
        Element e{Kind::Set, negated};
        e.setIndex = static_cast<int>(sets_.size() - 1);
        elements_.push_back(e);
    }
    segments_.push_back({segBegin, elements_.size()});
}

bool JetLikePattern::elementMatches(const Element& e, char32_t folded) const
{
    switch (e.kind) {
    case Kind::Literal:
        return e.ch == folded;
    case Kind::Any:
        return true;
    case Kind::Digit:
        return folded >= U'0' && folded <= U'9';
    case Kind::Set: {
        bool in = false;
        const JetCharWeight* w = nullptr;
        JetCharWeight weight;
        for (const SetItem& item : sets_[static_cast<std::size_t>(e.setIndex)]) {
            if (!item.range) {
                if (item.lo == folded) { in = true; break; }
                continue;
            }
            if (!w) {
                weight = jetCharWeight(folded);
                w = &weight;
            }
            if (jetComparePrimary(jetCharWeight(item.lo), *w) <= 0
                && jetComparePrimary(*w, jetCharWeight(item.hi)) <= 0) {
                in = true;
                break;
            }
        }
        return in != e.negated;
    }
    }
    return false;
}

bool JetLikePattern::segmentAt(const Segment& s, const std::u32string& text, std::size_t pos) const
{
    for (std::size_t k = 0; k < s.size(); ++k)
        if (!elementMatches(elements_[s.begin + k], text[pos + k]))
            return false;
    return true;
}

std::size_t JetLikePattern::findSegment(const Segment& s, const std::u32string& text, std::size_t from,
                                        std::size_t last) const
{
    const Element& head = elements_[s.begin];
    for (std::size_t pos = from; pos <= last; ++pos) {
        if (head.kind == Kind::Literal) {
            pos = text.find(head.ch, pos);
            if (pos == std::u32string::npos || pos > last)
                return std::u32string::npos;
        }
        if (segmentAt(s, text, pos))
            return pos;
    }
    return std::u32string::npos;
}

bool JetLikePattern::matchFolded(const std::u32string& text) const
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

bool JetLikePattern::matches(QStringView value) const
{
    std::u32string& buf = foldedBuffer();
    foldUtf16Into(value, buf);
    return matchFolded(buf);
}

bool JetLikePattern::matchesUtf8(std::string_view value) const
{
    std::u32string& buf = foldedBuffer();
    foldUtf8Into(value, buf);
    return matchFolded(buf);
}

} // namespace orvane::db
