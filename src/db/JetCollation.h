#pragma once

// Jet's "General" text order: letter case is ignored, blanks sort before
// punctuation, punctuation before digits, digits before letters, and an
// accented letter sorts with its base letter (just after it when the strings
// are otherwise equal). Two texts compare equal exactly when they differ only
// in letter case, which is how Jet's "=", DISTINCT and IN treat text.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <string_view>

namespace orvane::db {

// Where one character sorts at the first level: a class (0 blank, 1
// punctuation and symbols, 2 digits, 3 letters) and an order within the class.
struct JetCharWeight {
    std::uint8_t cls = 0;
    char32_t primary = 0;     // within the class; letters: base letter, case folded
    char32_t secondary = 0;   // the character case folded (accent tie-break)

    friend bool operator==(const JetCharWeight&, const JetCharWeight&) = default;
};

JetCharWeight jetCharWeight(char32_t c);

// Compares the primary levels only: negative, zero or positive.
int jetComparePrimary(const JetCharWeight& a, const JetCharWeight& b);

// Case-folds one character the way Jet matching ignores case.
char32_t jetFold(char32_t c);

// Three-way comparison in General order; both texts are UTF-8.
int jetCompareUtf8(std::string_view a, std::string_view b);
int jetCompare(QStringView a, QStringView b);

// Decodes one UTF-8 character at `i` (advancing it); malformed bytes decode
// as U+FFFD, one byte at a time, so any input terminates.
char32_t jetDecodeUtf8(std::string_view s, std::size_t& i);

} // namespace orvane::db
