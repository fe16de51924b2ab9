#pragma once

// The program's version information in one place: shown by the title window
// and the About box, printed on every page.

#include <QString>

namespace orvane::product {

// The project version in CMakeLists.txt must say the same (checked at compile time).
inline constexpr const char* kName = "Orvane-INT";
inline constexpr int kMajor = 2014;
inline constexpr int kMinor = 1;
inline constexpr int kRevision = 6;

QString name();
QString legalCopyright();   // e.g. "Copyright (c) 1996-2014 Halvorn software. All rights reserved."
QString legalTrademarks();  // e.g. "Orvane-INT is a trademark of Halvorn software."
QString programFolder();    // folder of the executable, without a trailing separator except at a root

} // namespace orvane::product
