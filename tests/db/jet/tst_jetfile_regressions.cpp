// Damaged files that once crashed, hung or read undefined values in the
// reader (most found by the fuzzer in tests/fuzz). Each case is built from a
// file our writer produces, with the few bytes the damage needs patched in,
// or replayed from a minimised input kept next to this file.

#include "db/JetError.h"
#include "db/jet/JetFile.h"
#include "db/jet/JetWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>

using orvane::db::JetError;
using namespace orvane::jet;

namespace {

constexpr int kPage = 2048;

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

quint32 get32(const QByteArray& b, qsizetype at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

void put16(QByteArray& b, qsizetype at, quint16 v)
{
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}

void put32(QByteArray& b, qsizetype at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Offset of `needle` inside a table data page (type 0x01 not owned by the
// long-value store), or -1.
qsizetype findInDataPages(const QByteArray& file, const QByteArray& needle)
{
    for (qsizetype at = file.indexOf(needle); at >= 0; at = file.indexOf(needle, at + 1)) {
        const qsizetype page = at / kPage * kPage;
        if (file[page] == 0x01 && get32(file, page + 4) != 0x4C41564C) // "LVAL"
            return at;
    }
    return -1;
}

} // namespace

class TestJetFileRegressions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(tmp_.isValid()); }
    void memoChainLoopOfBarePointersEnds();
    void nanDateReadsAsADateOutsideTheCalendar();

private:
    QString write(const QString& name, const TableDef& table)
    {
        const QString path = tmp_.filePath(name);
        writeDatabase(path, {QString(), {table}, QDateTime(QDate(2001, 5, 4), QTime(10, 0))});
        return path;
    }

    QTemporaryDir tmp_;
};

// A chained memo whose link is a 4-byte row pointing at itself: every turn of
// the loop adds no bytes, so only noticing the revisited row ends it (a bound
// on the stated length allowed 16 million page reads). The loop is damage.
void TestJetFileRegressions::memoChainLoopOfBarePointersEnds()
{
    TableDef t;
    t.name = QStringLiteral("Notes");
    t.columns = {{QStringLiteral("Body"), ColumnType::Memo}};
    t.rows = {{QString(5000, QChar(u'c'))}};
    const QString path = write(QStringLiteral("memo-loop.mdb"), t);
    QByteArray file = readAll(path);

    // The memo field in the row: 4 bytes length (no flags: a chain), 4 bytes
    // pointer to the first link (page << 8 | row), 4 bytes unused.
    const qsizetype field = findInDataPages(file, QByteArray("\x88\x13\x00\x00", 4));
    QVERIFY(field >= 0);
    const quint32 lvPage = get32(file, field + 4) >> 8;
    QVERIFY(lvPage > 2 && (lvPage + 1) * kPage <= quint32(file.size()));

    put32(file, field, 0x00FFFFFF);       // largest stated length of a chain
    put32(file, field + 4, lvPage << 8);  // first link: row 0 of that page
    const qsizetype page = qsizetype(lvPage) * kPage;
    put16(file, page + 10, kPage - 4);    // row 0 is now the last 4 bytes...
    put32(file, page + kPage - 4, lvPage << 8); // ...pointing at itself
    QVERIFY(writeAll(path, file));

    JetFile f(path);
    const TableData data = f.readTable(QStringLiteral("Notes"));
    // The row is left out as damaged; the table itself reads.
    QCOMPARE(data.rows.size(), std::size_t(0));
    QCOMPARE(data.damagedRows, std::size_t(1));
    QVERIFY2(data.damage.contains(QLatin1String("loop")), qPrintable(data.damage));
}

// libmdb range-checks a date before converting its day count to an integer,
// but NaN passes every comparison: the conversion is undefined and the text
// was whatever the hardware made of it.
void TestJetFileRegressions::nanDateReadsAsADateOutsideTheCalendar()
{
    TableDef t;
    t.name = QStringLiteral("Dates");
    t.columns = {{QStringLiteral("N"), ColumnType::Long}, {QStringLiteral("When"), ColumnType::DateTime}};
    const QDateTime a(QDate(1997, 3, 1), QTime(12, 30));
    const QDateTime b(QDate(1998, 4, 2), QTime(6, 15));
    t.rows = {{qint64(1), a}, {qint64(2), b}, {qint64(3), std::monostate{}}};
    const QString path = write(QStringLiteral("nan-date.mdb"), t);
    QByteArray file = readAll(path);

    // Jet dates: days since 1899-12-30 as a little-endian double.
    auto jetDate = [](const QDateTime& d) {
        const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
        const double days = double(epoch.msecsTo(d)) / 86400000.0;
        QByteArray bytes(8, '\0');
        std::memcpy(bytes.data(), &days, 8);
        return bytes;
    };
    const qsizetype atA = findInDataPages(file, jetDate(a));
    const qsizetype atB = findInDataPages(file, jetDate(b));
    QVERIFY(atA >= 0 && atB >= 0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double outside = 2e6; // past libmdb's calendar
    std::memcpy(file.data() + atA, &nan, 8);
    std::memcpy(file.data() + atB, &outside, 8);
    QVERIFY(writeAll(path, file));

    const TableData data = JetFile(path).readTable(QStringLiteral("Dates"));
    QCOMPARE(data.rows.size(), std::size_t(3));
    QVERIFY(data.rows[1][1].has_value());
    QCOMPARE(data.rows[0][1], data.rows[1][1]);
    QCOMPARE(data.rows[2][1], std::optional<QString>()); // NULL stays NULL
}

QTEST_GUILESS_MAIN(TestJetFileRegressions)
#include "tst_jetfile_regressions.moc"
