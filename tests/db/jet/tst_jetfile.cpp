// Reader tests: page 0 (version, password), tables read against the
// command-line exporter of the same library on files written by Access, and
// damaged or hostile input that must end in a JetError.

#include "db/JetError.h"
#include "db/jet/JetFormat.h"
#include "db/jet/JetFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <functional>

using orvane::db::JetError;
using namespace orvane::jet;

namespace {

// Files written by Access itself live outside the project (ORVANE_FIXTURES_DIR);
// a clone of the project alone skips the tests that compare against them.
const QString kFixtures = QStringLiteral(ORVANE_FIXTURES_DIR "/access97");

QString fixture(const QString& name)
{
    return kFixtures + QLatin1Char('/') + name;
}

#define REQUIRE_FIXTURES()                                                                        \
    do {                                                                                          \
        if (!QFileInfo(kFixtures).isDir())                                                        \
            QSKIP(qPrintable(QStringLiteral("the Access files are not there: no folder %1").arg(kFixtures))); \
    } while (false)

// Runs f and returns the JetError number it throws, 0 when it returns.
int jetErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const JetError& e) {
        return e.number();
    }
    return 0;
}

// A file that is no database at all (3343), or one whose tables are
// damaged (3049): both are refusals, never wrong data or a crash.
bool rejectsAsDamaged(int err)
{
    return err == orvane::db::kUnrecognizedFormat || err == orvane::db::kDatabaseDamaged;
}

struct CsvField {
    QByteArray bytes;
    bool quoted = false;
};
using CsvRow = QList<CsvField>;

// The exporter's CSV: ',' between fields, '\n' between rows, '"' around
// text-like values with embedded quotes doubled (line breaks stay raw).
QList<CsvRow> parseCsv(const QByteArray& in)
{
    QList<CsvRow> rows;
    CsvRow row;
    CsvField field;
    bool inQuotes = false;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < in.size() && in[i + 1] == '"') {
                    field.bytes += '"';
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                field.bytes += c;
            }
        } else if (c == '"') {
            inQuotes = true;
            field.quoted = true;
        } else if (c == ',') {
            row << field;
            field = {};
        } else if (c == '\n') {
            row << field;
            rows << row;
            row = {};
            field = {};
        } else {
            field.bytes += c;
        }
    }
    return rows;
}

QByteArray runTool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("mdb-export"), args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QByteArray();
    return p.readAllStandardOutput();
}

// The value the exporter prints (with -b hex) for one of our values.
QByteArray exporterForm(const std::optional<QString>& v, int type)
{
    if (!v)
        return QByteArray();
    switch (type) {
    case 0x0B: // OLE
    case 0x0F: // replication id: the exporter hex-dumps its "{...}" text
        return v->toLatin1().toHex().toUpper();
    case 0x09: { // BINARY: the exporter stops at the first NUL byte
        QByteArray b = v->toLatin1();
        const qsizetype nul = b.indexOf('\0');
        return (nul >= 0 ? b.left(nul) : b).toHex().toUpper();
    }
    default:
        return v->toUtf8();
    }
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// A page-0 image as a Jet engine writes it: plain fields first, then the
// header region scrambled with the fixed RC4 key. `password` holds the raw
// plain bytes of the password field (code page bytes for Jet 3, UTF-16LE for
// Jet 4 before the date mask).
QByteArray pageZero(int version, const QByteArray& password, double created = 0,
                    const char* signature = "Standard Jet DB")
{
    using namespace orvane::jet::format;
    const int pageSize = version == 0 ? 2048 : 4096;
    QByteArray page(pageSize, '\0');
    auto* b = reinterpret_cast<std::uint8_t*>(page.data());
    b[1] = 0x01;
    std::memcpy(b + 4, signature, std::strlen(signature) + 1);
    b[kVersionOffset] = static_cast<std::uint8_t>(version);
    b[0x3A] = 0x09;
    b[0x3B] = 0x04;
    b[kCodePageOffset] = 0xE4;
    b[kCodePageOffset + 1] = 0x04;
    const int pwBytes = version == 0 ? kJet3PasswordBytes : kJet4PasswordBytes;
    std::memcpy(b + kPasswordOffset, password.constData(), std::min<qsizetype>(password.size(), pwBytes));
    if (version != 0) {
        std::memcpy(b + kCreationDateOffset, &created, sizeof created);
        const auto mask = static_cast<std::uint32_t>(static_cast<std::int32_t>(created));
        for (int i = 0; i < pwBytes; ++i)
            b[kPasswordOffset + i] ^= static_cast<std::uint8_t>(mask >> (8 * (i % 4)));
    }
    scrambleHeader(b, version);
    return page;
}

QByteArray utf16le(const QString& s)
{
    QByteArray out;
    for (QChar c : s) {
        out += static_cast<char>(c.unicode() & 0xFF);
        out += static_cast<char>(c.unicode() >> 8);
    }
    return out;
}

// Reads every table the file lists plus the catalog; a JetError is an
// acceptable outcome for damaged input, anything else (a crash, a hang, a
// foreign exception) is not.
int readEverything(const QString& path)
{
    return jetErrorOf([&] {
        JetFile f(path);
        for (const QString& n : f.tableNames())
            f.readTable(n);
        // A damaged catalog may have lost its own row; that is not a fault.
        try {
            f.readTable(QStringLiteral("MSysObjects"));
        } catch (const JetError& e) {
            if (e.number() != orvane::db::kTableNotFound)
                throw;
        }
    });
}

} // namespace

class TestJetFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void readsAsTheExporterDoes_data();
    void readsAsTheExporterDoes();
    void listsUserTablesOnly();
    void skipsDeletedRowsAndKeepsNulls();
    void looksUpTablesIgnoringCase();

    void rejectsWhatIsNotAJetFile_data();
    void rejectsWhatIsNotAJetFile();
    void reportsMissingFile();
    void headerKeystreamIsTheFormatsOne();
    void readsPasswords_data();
    void readsPasswords();
    void acceptsPasswordsExactly();
    void readsAccessHeader();

    void neverWritesTheFile();
    void survivesTruncation();
    void survivesGarbagePages();

private:
    QTemporaryDir tmp_;
};

void TestJetFile::initTestCase()
{
    QVERIFY(tmp_.isValid());
    if (QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty())
        QFAIL("mdb-export (mdbtools) is needed to check the reader against it");
}

// ---- Access fixtures ------------------------------------------------------

void TestJetFile::readsAsTheExporterDoes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("longestValue"); // at least this many characters in some value
    QTest::newRow("text, numbers, dates, currency") << "testV1997.mdb" << "Table1" << 9;
    QTest::newRow("wide text table") << "testV1997.mdb" << "Table2" << 0;
    QTest::newRow("empty table") << "testV1997.mdb" << "Table3" << 0;
    QTest::newRow("replication id") << "testV1997.mdb" << "Table4" << 0;
    // One property blob of the catalog spans several long-value pages.
    QTest::newRow("catalog, multi-page long value") << "testV1997.mdb" << "MSysObjects" << 2 * 2048 + 1;
    QTest::newRow("many columns, memo, OLE") << "test2V1997.mdb" << "MSP_PROJECTS" << 256;
    QTest::newRow("overflow rows") << "overflowTestV1997.mdb" << "Table1" << 8;
    QTest::newRow("deleted rows") << "delTestV1997.mdb" << "Table" << 1;
}

void TestJetFile::readsAsTheExporterDoes()
{
    REQUIRE_FIXTURES();
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(int, longestValue);
    const QString path = fixture(file);
    const QByteArray csv = runTool({QStringLiteral("-b"), QStringLiteral("hex"), path, table});
    QVERIFY2(!csv.isEmpty(), "mdb-export failed");
    const QList<CsvRow> expected = parseCsv(csv);
    QVERIFY(!expected.isEmpty());

    JetFile f(path);
    const TableData t = f.readTable(table);
    QCOMPARE(t.name, table);
    QCOMPARE(t.columnTypes.size(), std::size_t(t.columns.size()));

    QStringList header;
    for (const CsvField& h : expected.front())
        header << QString::fromUtf8(h.bytes);
    QCOMPARE(t.columns, header);
    QCOMPARE(qsizetype(t.rows.size()), expected.size() - 1);

    qsizetype longest = 0;
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const CsvRow& want = expected[qsizetype(r) + 1];
        QCOMPARE(qsizetype(t.rows[r].size()), want.size());
        for (qsizetype c = 0; c < want.size(); ++c) {
            const std::optional<QString>& got = t.rows[r][std::size_t(c)];
            const CsvField& w = want[c];
            const QByteArray where = QStringLiteral("row %1 column %2").arg(r).arg(t.columns[c]).toUtf8();
            if (!w.quoted && w.bytes.isEmpty()) {
                // The exporter prints NULL and an empty value alike.
                QVERIFY2(!got || got->isEmpty(), where.constData());
            } else {
                QVERIFY2(got.has_value(), where.constData());
                QCOMPARE(exporterForm(got, t.columnTypes[std::size_t(c)]), w.bytes);
                longest = std::max(longest, got->size());
            }
        }
    }
    QVERIFY(longest >= longestValue);
}

void TestJetFile::listsUserTablesOnly()
{
    REQUIRE_FIXTURES();
    const QStringList files = {QStringLiteral("testV1997.mdb"), QStringLiteral("test2V1997.mdb"),
                               QStringLiteral("overflowTestV1997.mdb"),
                               QStringLiteral("delTestV1997.mdb")};
    for (const QString& file : files) {
        QProcess p;
        p.start(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), fixture(file)});
        QVERIFY(p.waitForFinished(30000));
        const QStringList want =
            QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(!want.isEmpty());
        QCOMPARE(JetFile(fixture(file)).tableNames(), want);
    }
}

void TestJetFile::skipsDeletedRowsAndKeepsNulls()
{
    REQUIRE_FIXTURES();
    using Row = std::vector<std::optional<QString>>;
    const TableData del = JetFile(fixture(QStringLiteral("delTestV1997.mdb"))).readTable(QStringLiteral("Table"));
    const std::vector<Row> live = {{QStringLiteral("z"), QStringLiteral("y")},
                                   {QStringLiteral("v"), QStringLiteral("u")}};
    QVERIFY(del.rows == live);

    // Unset text columns of Access rows are NULL, not empty text; booleans
    // are never NULL.
    const TableData ovf =
        JetFile(fixture(QStringLiteral("overflowTestV1997.mdb"))).readTable(QStringLiteral("Table1"));
    QCOMPARE(ovf.rows.size(), std::size_t(7));
    QCOMPARE(ovf.rows[0][0], std::optional<QString>(QStringLiteral("row1col1")));
    for (std::size_t c = 1; c < ovf.rows[0].size(); ++c)
        QVERIFY(!ovf.rows[0][c].has_value());

    const TableData t1 = JetFile(fixture(QStringLiteral("testV1997.mdb"))).readTable(QStringLiteral("Table1"));
    const auto boolCol = std::size_t(t1.columns.indexOf(QStringLiteral("I")));
    QCOMPARE(t1.columnTypes[boolCol], 0x01);
    for (const Row& r : t1.rows)
        QVERIFY(r[boolCol] == QStringLiteral("0") || r[boolCol] == QStringLiteral("1"));
}

void TestJetFile::looksUpTablesIgnoringCase()
{
    REQUIRE_FIXTURES();
    JetFile f(fixture(QStringLiteral("testV1997.mdb")));
    QCOMPARE(f.readTable(QStringLiteral("table1")).name, QStringLiteral("Table1"));
    QCOMPARE(f.readTable(QStringLiteral("TABLE4")).name, QStringLiteral("Table4"));
    QCOMPARE(jetErrorOf([&] { f.readTable(QStringLiteral("Table5")); }), int(orvane::db::kTableNotFound));
    QCOMPARE(jetErrorOf([&] { f.readTable(QString()); }), int(orvane::db::kTableNotFound));
    // The handle stays usable after a failed lookup.
    QCOMPARE(f.readTable(QStringLiteral("Table1")).rows.size(), std::size_t(2));
}

// ---- page 0 ---------------------------------------------------------------

void TestJetFile::rejectsWhatIsNotAJetFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("directory");

    QByteArray random(8192, '\0');
    QRandomGenerator gen(1234);
    for (char& c : random)
        c = static_cast<char>(gen.bounded(256));
    random[0] = '\x5A';
    QByteArray text;
    while (text.size() < 6000)
        text += "ASME interpretations, not a database.\r\n";

    QByteArray badSignature = pageZero(0, {});
    badSignature[4 + 14] = 'C';
    QByteArray firstByte = pageZero(0, {});
    firstByte[0] = 1;
    QByteArray unknownVersion = pageZero(0, {});
    unknownVersion[0x14] = 9;
    QByteArray aceAsJet3 = pageZero(0, {}, 0, "Standard ACE DB");

    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("100 bytes") << QByteArray(100, '\0') << false;
    QTest::newRow("random bytes") << random << false;
    QTest::newRow("text file") << text << false;
    QTest::newRow("directory") << QByteArray() << true;
    QTest::newRow("one byte short of a Jet 3 page") << pageZero(0, {}).left(2047) << false;
    QTest::newRow("Jet 4 header in a 2048-byte file") << pageZero(1, {}).left(2048) << false;
    QTest::newRow("wrong signature") << badSignature << false;
    QTest::newRow("first byte not zero") << firstByte << false;
    QTest::newRow("unknown version") << unknownVersion << false;
    QTest::newRow("ACE signature on a Jet 3 file") << aceAsJet3 << false;
    QTest::newRow("valid header, no catalog page") << pageZero(0, {}) << false;
    QTest::newRow("valid header, zero pages after it") << pageZero(0, {}) + QByteArray(2 * 2048, '\0') << false;
}

void TestJetFile::rejectsWhatIsNotAJetFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, directory);
    const QString path = tmp_.filePath(QStringLiteral("reject-%1").arg(QTest::currentDataTag()));
    if (directory)
        QVERIFY(QDir().mkpath(path));
    else
        writeFile(path, bytes);

    const bool headerOnlyFault = QByteArray(QTest::currentDataTag()).startsWith("valid header");
    const int header = jetErrorOf([&] { readHeader(path); });
    QCOMPARE(header, headerOnlyFault ? 0 : int(orvane::db::kUnrecognizedFormat));
    QCOMPARE(jetErrorOf([&] { JetFile f(path); }), int(orvane::db::kUnrecognizedFormat));
}

void TestJetFile::reportsMissingFile()
{
    const QString path = tmp_.filePath(QStringLiteral("no-such.mdb"));
    QCOMPARE(jetErrorOf([&] { readHeader(path); }), int(orvane::db::kFileNotFound));
    QCOMPARE(jetErrorOf([&] { JetFile f(path); }), int(orvane::db::kFileNotFound));
    QCOMPARE(jetErrorOf([&] { readHeader(QString()); }), int(orvane::db::kFileNotFound));
}

void TestJetFile::headerKeystreamIsTheFormatsOne()
{
    // A Jet 3 file without password holds the bare keystream at 0x42..0x55.
    const QByteArray page = pageZero(0, {});
    QCOMPARE(page.mid(0x42, 20).toHex(' '),
             QByteArray("86 fb ec 37 5d 44 9c fa c6 5e 28 e6 13 b6 8a 60 54 94 7b 36"));
}

void TestJetFile::readsPasswords_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<QString>("password");

    QTest::newRow("Jet 3, none") << pageZero(0, {}) << 0 << 2048 << QString();
    QTest::newRow("Jet 3, eight letters") << pageZero(0, "tolvaren") << 0 << 2048 << "tolvaren";
    QTest::newRow("Jet 3, twenty characters fill the field")
        << pageZero(0, "abcdefghij0123456789") << 0 << 2048 << "abcdefghij0123456789";
    QTest::newRow("Jet 3, code page characters")
        << pageZero(0, "P\xE4ss\x80\x9C\x81") << 0 << 2048
        << QString::fromUtf8("P\u00E4ss\u20AC\u0153\u0081");
    QTest::newRow("Jet 3, text after a NUL is ignored")
        << pageZero(0, QByteArray("abc\0def", 7)) << 0 << 2048 << "abc";

    const QString jet4pw = QString::fromUtf8("Geheim\u20AC\u00DF");
    QTest::newRow("Jet 4, none, dated") << pageZero(1, {}, 36526.5) << 1 << 4096 << QString();
    QTest::newRow("Jet 4, password, dated") << pageZero(1, utf16le(jet4pw), 36526.5) << 1 << 4096 << jet4pw;
    QTest::newRow("Jet 4, password, negative date")
        << pageZero(1, utf16le(QStringLiteral("pw")), -700.25) << 1 << 4096 << "pw";
    QTest::newRow("Jet 4, twenty characters")
        << pageZero(1, utf16le(QStringLiteral("ABCDEFGHIJKLMNOPQRST")), 44000.9) << 1 << 4096
        << "ABCDEFGHIJKLMNOPQRST";
    QTest::newRow("ACE, password")
        << pageZero(3, utf16le(QStringLiteral("ace")), 41000.0, "Standard ACE DB") << 3 << 4096 << "ace";
}

void TestJetFile::readsPasswords()
{
    QFETCH(QByteArray, image);
    QFETCH(int, version);
    QFETCH(int, pageSize);
    QFETCH(QString, password);
    const QString path = tmp_.filePath(QStringLiteral("pw-%1").arg(QTest::currentDataTag()));
    writeFile(path, image);
    const HeaderInfo h = readHeader(path);
    QCOMPARE(h.version, version);
    QCOMPARE(h.pageSize, pageSize);
    QCOMPARE(h.codePage, 1252);
    QCOMPARE(h.password, password);
}

void TestJetFile::acceptsPasswordsExactly()
{
    HeaderInfo none;
    QVERIFY(passwordAccepts(none, QString()));
    QVERIFY(passwordAccepts(none, QStringLiteral("anything")));

    HeaderInfo set;
    set.password = QStringLiteral("tolvaren");
    QVERIFY(passwordAccepts(set, QStringLiteral("tolvaren")));
    for (const char* wrong : {"", "Tolvaren", "TOLVAREN", "tolvare", "tolvaren ", " tolvaren"})
        QVERIFY2(!passwordAccepts(set, QString::fromLatin1(wrong)), wrong);
}

void TestJetFile::readsAccessHeader()
{
    REQUIRE_FIXTURES();
    const HeaderInfo h = readHeader(fixture(QStringLiteral("testV1997.mdb")));
    QCOMPARE(h.version, 0);
    QCOMPARE(h.pageSize, 2048);
    QCOMPARE(h.codePage, 1252);
    QVERIFY(h.password.isEmpty());
    QCOMPARE(JetFile(fixture(QStringLiteral("test2V1997.mdb"))).header().version, 0);
}

// ---- read-only and damage -------------------------------------------------

void TestJetFile::neverWritesTheFile()
{
    REQUIRE_FIXTURES();
    const QString dir = tmp_.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/copy.mdb");
    QVERIFY(QFile::copy(fixture(QStringLiteral("test2V1997.mdb")), path));
    const QDateTime stamp(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                           | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                           | QFileDevice::ExeOther));
    const QByteArray before = QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256);

    QCOMPARE(readEverything(path), 0);
    QVERIFY(JetFile(path).readTable(QStringLiteral("MSP_PROJECTS")).rows
            == JetFile(fixture(QStringLiteral("test2V1997.mdb"))).readTable(QStringLiteral("MSP_PROJECTS")).rows);

    QCOMPARE(QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256), before);
    QCOMPARE(QFileInfo(path).lastModified().toUTC(), stamp);
    QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
}

void TestJetFile::survivesTruncation()
{
    REQUIRE_FIXTURES();
    const QByteArray whole = readAll(fixture(QStringLiteral("testV1997.mdb")));
    QVERIFY(!whole.isEmpty());
    const QString path = tmp_.filePath(QStringLiteral("truncated.mdb"));
    int rejected = 0;
    for (qsizetype size = 2048; size < whole.size(); size += 1024) {
        writeFile(path, whole.left(size));
        const int err = readEverything(path);
        QVERIFY2(err == 0 || rejectsAsDamaged(err), qPrintable(QStringLiteral("%1: %2").arg(size).arg(err)));
        if (size % 2048 != 0)
            QCOMPARE(err, int(orvane::db::kUnrecognizedFormat));
        rejected += err != 0;
    }
    // Cutting away the tail must be noticed for the pages that hold rows.
    writeFile(path, whole.left(whole.size() - 2048 * 8));
    QVERIFY(rejectsAsDamaged(readEverything(path)));
    QVERIFY(rejected > 0);
}

void TestJetFile::survivesGarbagePages()
{
    REQUIRE_FIXTURES();
    for (const QString& name : {QStringLiteral("testV1997.mdb"), QStringLiteral("test2V1997.mdb")}) {
        const QByteArray whole = readAll(fixture(name));
        const qsizetype pages = whole.size() / 2048;
        const QString path = tmp_.filePath(QStringLiteral("garbage.mdb"));
        QRandomGenerator gen(99);
        for (qsizetype p = 1; p < pages; ++p) {
            for (int variant = 0; variant < 3; ++variant) {
                QByteArray bytes = whole;
                char* page = bytes.data() + p * 2048;
                for (int i = 0; i < 2048; ++i)
                    page[i] = variant == 0 ? '\0' : static_cast<char>(gen.bounded(256));
                if (variant == 2) // keep the page's own header, damage the rest
                    std::memcpy(page, whole.constData() + p * 2048, 16);
                writeFile(path, bytes);
                const int err = readEverything(path);
                QVERIFY2(err == 0 || rejectsAsDamaged(err),
                         qPrintable(QStringLiteral("%1 page %2 variant %3: %4").arg(name).arg(p).arg(variant).arg(err)));
                if (p == 2 && variant != 2)
                    QCOMPARE(err, int(orvane::db::kUnrecognizedFormat));
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestJetFile)
#include "tst_jetfile.moc"
