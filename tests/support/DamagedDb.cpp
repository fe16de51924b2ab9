#include "support/DamagedDb.h"

#include "support/InterpretationDb.h"

#include <QFile>
#include <stdexcept>

namespace orvane::testing {

namespace {

constexpr int kPage = 2048;
constexpr int kMask = 0x1FFF;

quint32 get16(const QByteArray& b, qsizetype at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8;
}
quint32 get32(const QByteArray& b, qsizetype at)
{
    return get16(b, at) | get16(b, at + 2) << 16;
}
void set16(QByteArray& b, qsizetype at, quint32 v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}
void set32(QByteArray& b, qsizetype at, quint32 v)
{
    set16(b, at, v & 0xFFFF);
    set16(b, at + 2, v >> 16);
}

void require(bool ok, const char* what)
{
    if (!ok)
        throw std::runtime_error(std::string("damaged test database: ") + what);
}

// [start, end) of row `row` on page `page`.
std::pair<qsizetype, qsizetype> rowSpan(const QByteArray& file, quint32 page, int row)
{
    const qsizetype base = qsizetype(page) * kPage;
    const qsizetype start = base + (get16(file, base + 10 + 2 * row) & kMask);
    const qsizetype end = base + (row == 0 ? kPage : (get16(file, base + 10 + 2 * (row - 1)) & kMask));
    return {start, end};
}

} // namespace

QString longText()
{
    QString text = interpretationText(kLongId, QStringLiteral("Long reply"), QStringLiteral("Reply: "));
    for (int i = 0; text.size() < kLongLength; ++i)
        text += QStringLiteral("word%1 ").arg(i % 1000);
    text.truncate(kLongLength);
    return text;
}

QString writeDamagedDb(const QString& path, Damage damage)
{
    DbPlan plan = standardPlan();
    for (Section& s : plan.sections) {
        if (s.table == QStringLiteral("INT09"))
            s.rows.push_back({kLongId, longText()});
    }
    writeInterpretationDb(path, plan);
    if (damage == Damage::None)
        return path;

    QFile f(path);
    require(f.open(QIODevice::ReadOnly), "cannot read the written file");
    QByteArray file = f.readAll();
    f.close();
    const auto pageCount = quint32(file.size() / kPage);

    if (damage == Damage::SectionListRow) {
        // The one data page holding both a section's name and its table's.
        qsizetype listPage = -1;
        for (qsizetype page = 0; page + kPage <= file.size(); page += kPage) {
            const QByteArray bytes = file.mid(page, kPage);
            if (bytes[0] == 0x01 && bytes.contains("Section IX") && bytes.contains("INT09")) {
                require(listPage < 0, "more than one page looks like the section list");
                listPage = page;
            }
        }
        require(listPage >= 0, "no section list page");
        set16(file, listPage + 10 + 2, kMask);
        require(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(file) == file.size(),
                "cannot write the damaged file");
        return path;
    }

    // The memo field in INT09's row: stored length, kind 0 (a chain).
    const QByteArray head("\x09\x29\x00\x00", 4);
    static_assert(kLongLength == 0x2909);
    qsizetype field = -1;
    for (qsizetype at = file.indexOf(head); at >= 0; at = file.indexOf(head, at + 1)) {
        const qsizetype page = at / kPage * kPage;
        if (file[page] == 0x01 && get32(file, page + 4) != 0x4C41564C) { // not "LVAL"
            field = at;
            break;
        }
    }
    require(field >= 0, "no chained memo field in a data page");
    const auto dataPage = quint32(field / kPage);
    const quint32 tdefPage = get32(file, qsizetype(dataPage) * kPage + 4);
    const quint32 first = get32(file, field + 4);

    switch (damage) {
    case Damage::None:
        break;
    case Damage::MemoPastEnd:
        set32(file, field + 4, (pageCount + 10) << 8);
        break;
    case Damage::MemoChainLoops: {
        const auto [start, end] = rowSpan(file, first >> 8, int(first & 0xFF));
        require(end - start > 4, "first link holds no data");
        set32(file, start, first);
        break;
    }
    case Damage::MemoToDataPage:
        set32(file, field + 4, dataPage << 8);
        break;
    case Damage::MemoChainShort:
        set32(file, field, kLongLength + 700);
        break;
    case Damage::ShortUsageMap: {
        // Keep the map's type and start page and the bitmap bytes before
        // the one that holds the data page's bit.
        const quint32 map = get32(file, qsizetype(tdefPage) * kPage + 35);
        const int row = int(map & 0xFF);
        const auto [start, end] = rowSpan(file, map >> 8, row);
        require(file[start] == 0 && get32(file, start + 1) == 0 && dataPage >= 8, "not a type 0 map from page 0");
        const qsizetype keep = 5 + dataPage / 8;
        const QByteArray kept = file.mid(start, keep);
        const qsizetype newStart = end - keep;
        std::copy(kept.begin(), kept.end(), file.begin() + newStart);
        const qsizetype slot = qsizetype(map >> 8) * kPage + 10 + 2 * row;
        set16(file, slot, (get16(file, slot) & ~quint32(kMask)) | quint32(newStart % kPage));
        break;
    }
    case Damage::RowOutsidePage:
        set16(file, qsizetype(dataPage) * kPage + 10, kMask);
        break;
    case Damage::SectionListRow:
        break;
    }

    require(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(file) == file.size(),
            "cannot write the damaged file");
    return path;
}

} // namespace orvane::testing
