#pragma once

// Large, deterministic databases for benchmarks: the same arguments always
// give the same source, and so the same file.

#include "tools/mkdb/SourceFormat.h"

#include <QtGlobal>

namespace orvane::mkdb {

inline constexpr int maxSyntheticSections = 20;

// `sections` sections (1..20) named like the code's sections, tables INT01
// onward in order, each with `perSection` interpretations of about 2 KB.
// Section 8 (when present) carries a notice. Every interpretation has two to
// four paragraph index rows; about one in five names QW-406 and QW-406.1, and
// about one in forty outside Section IX (the tenth, INT10) is also listed in
// Section IX's index.
Source syntheticSource(int sections, int perSection, quint64 seed);

} // namespace orvane::mkdb
