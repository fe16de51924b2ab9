#pragma once

// Windows-1252, the code page of every Jet 3 file this program reads or
// writes. Qt's own codecs depend on ICU being present and treat the five
// unassigned bytes differently from platform to platform, so the mapping is
// spelled out here once for both directions.

#include "db/jet/Cp1252Table.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace orvane::jet {

// Encodes `text`. Returns true on success; otherwise leaves `out` unspecified
// and sets `badIndex` to the index of the first character that has no
// Windows-1252 byte (a surrogate pair counts as such a character).
bool encodeCp1252(QStringView text, QByteArray& out, qsizetype* badIndex = nullptr);

// Decodes Windows-1252 bytes. The unassigned bytes become the C1 control
// characters of the same value, so that no byte is lost.
QString decodeCp1252(QByteArrayView bytes);

} // namespace orvane::jet
