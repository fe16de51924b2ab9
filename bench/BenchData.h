#pragma once

// A synthetic interpretation database shaped like the real one: per section a
// table INTnn of interpretations (~2 KB texts under the usual headings) and a
// paragraph index INXnn with a few paragraphs per interpretation, listed in
// AuthorizedTablesTab. The same seed always gives the same file.

#include "db/jet/JetWriter.h"

#include <QString>

namespace orvane::bench {

inline constexpr const char* kPassword = "tolvaren";
inline constexpr const char* kNoticeId = "  Orvane-INT Notice";

struct SyntheticShape {
    int sections = 12;
    int rowsPerSection = 2500;
    quint32 seed = 2014;
    // The section that carries the notice row; clamped to the sections there are.
    int noticeSection = 8;
};

// "INT08" for section 8.
QString sectionTable(int section);
QString indexTable(int section);
// Identifier of the row-th interpretation of a section: "8-01234".
QString interpretationId(int section, int row);

// What a search for these words should find in the synthetic texts: roughly
// one interpretation in four mentions "minimum", one in six "preheat", one in
// twenty the phrase "minimum preheat"; one in ten is filed under QW-406.
jet::DatabaseDef syntheticDatabase(const SyntheticShape& shape);

} // namespace orvane::bench
