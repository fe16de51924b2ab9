#include "db/jet/Cp1252.h"

#include "db/jet/Cp1252Table.h"

namespace orvane::jet {

bool encodeCp1252(QStringView text, QByteArray& out, qsizetype* badIndex)
{
    out.resize(text.size());
    char* dst = out.data();
    const char16_t* src = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = src[i];
        int b = ch < 0x80 ? int(ch) : cp1252Byte(ch);
        if (b < 0) {
            if (badIndex)
                *badIndex = i;
            return false;
        }
        dst[i] = char(b);
    }
    if (badIndex)
        *badIndex = -1;
    return true;
}

QString decodeCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        dst[i] = cp1252Char(static_cast<std::uint8_t>(bytes[i]));
    }
    return out;
}

} // namespace orvane::jet
