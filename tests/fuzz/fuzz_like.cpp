// Compiles arbitrary bytes as LIKE patterns and matches them against
// arbitrary texts, several ways that must agree:
//   - the UTF-8 matcher against the UTF-16 one (for valid UTF-8);
//   - a run of patterns joined by AND / OR against each pattern alone.
// The text is optionally repeated to 32 KiB, so that a matcher slower than
// linear in the text shows up as a slow unit (-timeout) rather than hiding in
// short inputs. An invalid pattern (JetError 3075) is an expected answer; a
// disagreement, a crash or a sanitizer report is a fault.
//
// Input: one flags byte, then patterns separated by '\n', a NUL byte, and
// the text.

#include "db/JetError.h"
#include "db/JetLike.h"
#include "db/JetLikeList.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace orvane::db;

bool validUtf8(std::string_view s)
{
    const QByteArray bytes(s.data(), qsizetype(s.size()));
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

[[noreturn]] void disagree(const char* what, std::string_view pattern, std::string_view text)
{
    std::fprintf(stderr, "%s disagree: pattern \"%.*s\" text (%zu bytes) \"%.*s\"\n", what, int(pattern.size()),
                 pattern.data(), text.size(), int(std::min<std::size_t>(text.size(), 200)), text.data());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const unsigned flags = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t nul = rest.find('\0');
    const std::string_view patternPart = rest.substr(0, nul);
    std::string text(nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1));
    if ((flags & 1) && !text.empty())
        while (text.size() < 32768)
            text += text;

    std::vector<std::string> patterns;
    for (std::size_t start = 0;;) {
        const std::size_t end = patternPart.find('\n', start);
        patterns.emplace_back(patternPart.substr(start, end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }

    const bool checkWide = validUtf8(text);
    std::vector<JetLikePattern> compiled;
    for (const std::string& p : patterns) {
        try {
            compiled.push_back(JetLikePattern::fromUtf8(p));
        } catch (const JetError& e) {
            if (e.number() != kSyntaxError)
                std::abort();
            return 0;   // a run with an invalid pattern is refused as a whole
        }
    }

    bool all = true, any = false;
    for (std::size_t k = 0; k < compiled.size(); ++k) {
        const bool m = compiled[k].matchesUtf8(text);
        all = all && m;
        any = any || m;
        if (checkWide && validUtf8(patterns[k])
            && JetLikePattern(QString::fromStdString(patterns[k])).matches(QString::fromStdString(text)) != m)
            disagree("UTF-8 and UTF-16", patterns[k], text);
    }
    if (JetLikeList(patterns, JetLikeList::Join::All).matchesUtf8(text) != all)
        disagree("AND run and one by one", patternPart, text);
    if (JetLikeList(patterns, JetLikeList::Join::Any).matchesUtf8(text) != any)
        disagree("OR run and one by one", patternPart, text);
    return 0;
}
