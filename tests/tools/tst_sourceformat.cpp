#include "tools/mkdb/SourceFormat.h"
#include "tools/mkdb/Synthetic.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace orvane;
using namespace orvane::mkdb;

namespace {

using Files = QMap<QString, QByteArray>;

void writeFiles(const QString& dir, const Files& files)
{
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QFile f(QDir(dir).filePath(it.key()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(it.value());
    }
}

const QByteArray twoSections = "INT01 Section I\nINT02\tSection II\n";

QByteArray record(const QByteArray& id, const QByteArray& extra = {})
{
    return "=== " + id + "\nVolume: 27\nParagraphs: PG-5\n" + extra + "\nInterpretation: " + id
           + "\n";
}

QString cell(const jet::CellValue& v)
{
    return std::holds_alternative<QString>(v) ? std::get<QString>(v) : QStringLiteral("<null>");
}

} // namespace

class TestSourceFormat : public QObject {
    Q_OBJECT
private slots:
    void readsRecordsIndexAndNotice();
    void databaseTables();
    void errors_data();
    void errors();
    void windows1252();
    void syntheticIsDeterministicAndShaped();
    void sampleSource();
};

void TestSourceFormat::readsRecordsIndexAndNotice()
{
    QTemporaryDir dir;
    writeFiles(dir.path(),
               {{"sections.txt", "# comment\n\nINT01   Section I\r\nINT02\tSection VIII-1\n"},
                // CR LF source, a byte-order mark, a comment among the headers, blank lines
                // around the text and a line that only looks like a record mark.
                {"INT01.txt", "\xEF\xBB\xBF# preamble\r\n=== I-89-01\r\nVolume: 27\r\n"
                              "# note\r\nParagraphs: PG-5 , PG-27\r\n"
                              "Also-in: INT02 QW-406, QW-406.1\r\n\r\n\r\nInterpretation: I-89-01\r\n"
                              "====\r\n\r\nReply: Yes, at 300\xC2\xB0" "F.\r\n\r\n\r\n"},
                {"INT02.txt", "=== NOTICE\n\nRead this.\n=== VIII-1-90-02\nvolume: 3\n"
                              "PARAGRAPHS: UG-22\n\nText\n  indented\n"}});
    const Source s = readSource(dir.path());
    QCOMPARE(s.sections.size(), std::size_t(2));
    const Section& a = s.sections[0];
    const Section& b = s.sections[1];
    QCOMPARE(a.name, QStringLiteral("Section I"));
    QCOMPARE(b.table, QStringLiteral("INT02"));
    QCOMPARE(b.suffix(), QStringLiteral("02"));

    QCOMPARE(a.interpretations.size(), std::size_t(1));
    const Interpretation& i = a.interpretations[0];
    QCOMPARE(i.identifier, QStringLiteral("I-89-01"));
    QCOMPARE(i.volume, QStringLiteral("27"));
    QCOMPARE(i.paragraphs, QStringList({"PG-5", "PG-27"}));
    QCOMPARE(i.text, QString::fromUtf8("Interpretation: I-89-01\r\n====\r\n\r\nReply: Yes, at 300°F."));
    QVERIFY(!a.notice);

    QVERIFY(b.notice);
    QCOMPARE(*b.notice, QStringLiteral("Read this."));
    QVERIFY(!b.noticeVolume);
    QCOMPARE(b.interpretations.at(0).text, QStringLiteral("Text\r\n  indented"));

    // Own rows carry the own suffix; rows aimed at INT02 point back to 01.
    QCOMPARE(a.index.size(), std::size_t(2));
    QCOMPARE(a.index[1].reference, QStringLiteral("PG-27"));
    QCOMPARE(a.index[1].section, QStringLiteral("01"));
    // INT02's own rows come first, then those aimed at it from INT01.
    QCOMPARE(b.index.size(), std::size_t(3));
    QCOMPARE(b.index[0].identifier, QStringLiteral("VIII-1-90-02"));
    QCOMPARE(b.index[0].section, QStringLiteral("02"));
    QCOMPARE(b.index[1].reference, QStringLiteral("QW-406"));
    QCOMPARE(b.index[1].identifier, QStringLiteral("I-89-01"));
    QCOMPARE(b.index[1].section, QStringLiteral("01"));
    QCOMPARE(b.index[2].reference, QStringLiteral("QW-406.1"));
}

void TestSourceFormat::databaseTables()
{
    Source s;
    Section a;
    a.name = QStringLiteral("Section I");
    a.table = QStringLiteral("INT01");
    a.notice = QStringLiteral("N");
    a.interpretations.push_back({QStringLiteral("I-1"), QStringLiteral("5"), {}, QStringLiteral("T")});
    a.index.push_back({QStringLiteral("PG-5"), QStringLiteral("X-1"), QStringLiteral("07")});
    s.sections.push_back(a);

    const jet::DatabaseDef db = toDatabase(s, QStringLiteral("pw"));
    QCOMPARE(db.password, QStringLiteral("pw"));
    QCOMPARE(db.tables.size(), std::size_t(3));
    QCOMPARE(db.tables[0].name, QStringLiteral("AuthorizedTablesTab"));
    QCOMPARE(db.tables[0].columns[1].name, QStringLiteral("dbTableName"));
    QCOMPARE(cell(db.tables[0].rows.at(0)[1]), QStringLiteral("INT01"));

    const jet::TableDef& t = db.tables[1];
    QCOMPARE(t.name, QStringLiteral("INT01"));
    QCOMPARE(t.columns[1].type, jet::ColumnType::Memo);
    QCOMPARE(t.columns[2].textSize, 10);
    QCOMPARE(t.rows.size(), std::size_t(2));
    QCOMPARE(cell(t.rows[0][0]), QStringLiteral("  Orvane-INT Notice"));
    QCOMPARE(cell(t.rows[0][2]), QStringLiteral("<null>"));
    QCOMPARE(cell(t.rows[1][0]), QStringLiteral("I-1"));

    const jet::TableDef& x = db.tables[2];
    QCOMPARE(x.name, QStringLiteral("INX01"));
    QCOMPARE(x.columns[2].name, QStringLiteral("section"));
    QCOMPARE(x.columns[2].textSize, 2);
    QCOMPARE(cell(x.rows.at(0)[2]), QStringLiteral("07"));
}

void TestSourceFormat::errors_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QString>("where");     // "file:line"
    QTest::addColumn<QString>("message");   // part of the message

    const QByteArray ok2 = record("II-1");
    QTest::newRow("missing volume")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", record("I-1") + "=== I-2\nParagraphs: PG-5\n\nText\n"}}
        << "INT01.txt:6" << "I-2 has no Volume";
    QTest::newRow("missing paragraphs")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", "=== I-2\nVolume: 3\n\nText\n"}}
        << "INT01.txt:1" << "I-2 has no Paragraphs";
    QTest::newRow("no blank line before the text")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", "=== I-2\nVolume: 3\nParagraphs: PG-5\nInterpretation: I-2\n"}}
        << "INT01.txt:4" << "unknown field 'Interpretation' (expected Volume, Paragraphs or "
                            "Also-in, then a blank line before the text)";
    QTest::newRow("not a header line")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", "=== I-2\nVolume: 3\nParagraphs: PG-5\nThe question\n"}}
        << "INT01.txt:4" << "expected a header line";
    QTest::newRow("missing text")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", "=== I-2\nVolume: 3\nParagraphs: PG-5\n\n\n=== I-3\n"}}
        << "INT01.txt:1" << "I-2 has no text";
    QTest::newRow("empty field")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", "=== I-2\nVolume:\n"}}
        << "INT01.txt:2" << "empty Volume";
    QTest::newRow("unknown field")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", "=== I-2\nVolume: 3\nParagraph: PG-5\n\nText\n"}}
        << "INT01.txt:3" << "unknown field 'Paragraph'";
    QTest::newRow("duplicate identifier")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", record("I-1") + record("I-2") + record("I-1")}}
        << "INT01.txt:11" << "duplicate identifier I-1 (first at line 1)";
    QTest::newRow("duplicate notice")
        << Files{{"sections.txt", twoSections}, {"INT01.txt", record("I-1")},
                 {"INT02.txt", "=== NOTICE\n\nA\n=== NOTICE\n\nB\n"}}
        << "INT02.txt:4" << "duplicate notice";
    QTest::newRow("paragraphs on a notice")
        << Files{{"sections.txt", twoSections}, {"INT01.txt", record("I-1")},
                 {"INT02.txt", "=== NOTICE\nParagraphs: PG-5\n\nA\n"}}
        << "INT02.txt:2" << "a notice has no Paragraphs";
    QTest::newRow("identifier with a double quote")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", record("I-\"1\"")}}
        << "INT01.txt:1" << "contains a double quote";
    QTest::newRow("identifier too long")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", record(QByteArray(51, 'A'))}}
        << "INT01.txt:1" << "longer than 50 characters";
    QTest::newRow("volume too long")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", "=== I-1\nVolume: 12345678901\n"}}
        << "INT01.txt:2" << "longer than 10 characters";
    QTest::newRow("paragraph twice")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", "=== I-1\nVolume: 1\nParagraphs: PG-5, PG-6, PG-5\n"}}
        << "INT01.txt:3" << "paragraph PG-5 listed twice";
    QTest::newRow("text before the first record")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", "# fine\nVolume: 3\n"}}
        << "INT01.txt:2" << "text before the first record";
    QTest::newRow("also-in an unlisted table")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", record("I-1", "Also-in: INT09 QW-406\n")}}
        << "INT01.txt:4" << "INT09, which sections.txt does not list";
    QTest::newRow("also-in its own table")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", record("I-1", "Also-in: INT01 QW-406\n")}}
        << "INT01.txt:4" << "own table INT01";
    QTest::newRow("also-in without paragraphs")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", record("I-1", "Also-in: INT02\n")}}
        << "INT01.txt:4" << "lists no paragraphs";
    QTest::newRow("character outside Windows-1252")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", record("I-1") + "T \xE2\x89\xA5 300\n"}}   // U+2265
        << "INT01.txt:6" << "(U+2265) cannot be stored in Windows-1252";
    QTest::newRow("character outside the basic plane")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", record("I-1", "# \xF0\x9F\x94\xA5\n")}}
        << "INT01.txt:4" << "(U+1F525) cannot be stored";
    QTest::newRow("invalid UTF-8")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", record("I-1") + "caf\xE9\n"}}
        << "INT01.txt:6" << "not valid UTF-8";
    QTest::newRow("control character")
        << Files{{"sections.txt", twoSections}, {"INT02.txt", ok2},
                 {"INT01.txt", record("I-1") + "a\x01z\n"}}
        << "INT01.txt:6" << "control character U+0001";

    QTest::newRow("table name too short")
        << Files{{"sections.txt", "INT01 Section I\nINT8 Section VIII\n"}}
        << "sections.txt:2" << "table name 'INT8' is not INT followed by two";
    QTest::newRow("table name not INT")
        << Files{{"sections.txt", "INX01 Section I\n"}}
        << "sections.txt:1" << "table name 'INX01'";
    QTest::newRow("table name too long")
        << Files{{"sections.txt", "\n\nINT001 Section I\n"}}
        << "sections.txt:3" << "table name 'INT001'";
    QTest::newRow("table listed twice")
        << Files{{"sections.txt", "INT01 Section I\nINT01 Section II\n"}}
        << "sections.txt:2" << "listed twice (first at line 1)";
    QTest::newRow("section without a name")
        << Files{{"sections.txt", "INT01\n"}}
        << "sections.txt:1" << "missing section name";
    QTest::newRow("no sections")
        << Files{{"sections.txt", "# nothing\n"}} << "sections.txt" << "no sections listed";
    QByteArray many;
    for (int i = 1; i <= 21; ++i)
        many += QStringLiteral("INT%1 S\n").arg(i, 2, 10, QLatin1Char('0')).toLatin1();
    QTest::newRow("too many sections")
        << Files{{"sections.txt", many}} << "sections.txt:21" << "more than 20 sections";

    QTest::newRow("missing section file")
        << Files{{"sections.txt", twoSections}, {"INT01.txt", record("I-1")}}
        << "sections.txt:2" << "cannot read";
    QTest::newRow("missing sections.txt")
        << Files{{"INT01.txt", record("I-1")}} << "sections.txt" << "cannot read";
}

void TestSourceFormat::errors()
{
    QFETCH(Files, files);
    QFETCH(QString, where);
    QFETCH(QString, message);
    QTemporaryDir dir;
    writeFiles(dir.path(), files);
    try {
        readSource(dir.path());
        QFAIL("the source was accepted");
    } catch (const SourceError& e) {
        const QString prefix = QDir(dir.path()).filePath(where);
        QVERIFY2(e.text().startsWith(prefix + u':'), qPrintable(e.text()));
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
        // Exactly one line.
        QVERIFY(!e.text().contains(u'\n'));
    }
}

void TestSourceFormat::windows1252()
{
    QVERIFY(fitsWindows1252(QString::fromUtf8("°±é§€™…—ŸÿA\t")));
    QVERIFY(!fitsWindows1252(QString::fromUtf8("≥")));
    QVERIFY(!fitsWindows1252(QString(QChar(0x81))));   // a hole in the code page
    QVERIFY(!fitsWindows1252(QString(QChar(0x9D))));
    QVERIFY(!fitsWindows1252(QString::fromUtf8("Ā")));
}

void TestSourceFormat::syntheticIsDeterministicAndShaped()
{
    const Source a = syntheticSource(9, 30, 7);
    const Source b = syntheticSource(9, 30, 7);
    const Source c = syntheticSource(9, 30, 8);
    QCOMPARE(a.sections.size(), std::size_t(9));
    bool differs = false;
    int qw406 = 0;
    for (std::size_t s = 0; s < a.sections.size(); ++s) {
        const Section& sa = a.sections[s];
        QCOMPARE(sa.table, QStringLiteral("INT%1").arg(s + 1, 2, 10, QLatin1Char('0')));
        QCOMPARE(sa.interpretations.size(), std::size_t(30));
        QSet<QString> ids;
        for (std::size_t i = 0; i < sa.interpretations.size(); ++i) {
            const Interpretation& it = sa.interpretations[i];
            QCOMPARE(it.text, b.sections[s].interpretations[i].text);
            if (it.text != c.sections[s].interpretations[i].text)
                differs = true;
            ids.insert(it.identifier);
            QVERIFY2(it.text.size() > 1800 && it.text.size() < 2600,
                     qPrintable(QString::number(it.text.size())));
            QVERIFY(it.text.startsWith(QStringLiteral("Interpretation: ") + it.identifier));
            for (const char* h : {"\r\nSubject: ", "\r\nDate Issued: ", "\r\nFile: ",
                                  "Question (1): ", "Reply (1): "})
                QVERIFY2(it.text.contains(QLatin1String(h)), h);
            QVERIFY(fitsWindows1252(it.text));
            QVERIFY(it.paragraphs.size() >= 2);
        }
        QCOMPARE(ids.size(), qsizetype(30));
        for (const IndexRow& r : sa.index)
            qw406 += r.reference == QStringLiteral("QW-406.1");
    }
    QVERIFY(differs);
    QVERIFY(qw406 > 0);
    QVERIFY(a.sections[7].notice);
    QVERIFY(!a.sections[6].notice);
    QCOMPARE(a.sections[7].name, QStringLiteral("Section VIII-1"));

    // Identifiers stay unique beyond a hundred years of numbering.
    QSet<QString> ids;
    const Source big = syntheticSource(1, 10100, 1);
    for (const Interpretation& it : big.sections[0].interpretations)
        ids.insert(it.identifier);
    QCOMPARE(ids.size(), qsizetype(10100));
}

// The bundled sample is what the reader is tried on by hand and by the
// end-to-end tests; keep it valid and keep what those rely on.
void TestSourceFormat::sampleSource()
{
    const Source s = readSource(QStringLiteral(ORVANE_SOURCE_DIR "/data/sample"));
    const QStringList names = {"Section I",      "Section II",     "Section III", "Section IV",
                               "Section V",      "Section VI",     "Section VII", "Section VIII-1",
                               "Section VIII-2", "Section IX",     "Section X",   "Section XI"};
    QCOMPARE(s.sections.size(), std::size_t(names.size()));
    std::size_t total = 0;
    qsizetype longest = 0;
    int crossRows = 0;
    QSet<QString> sectionIXRefs, sectionVIII1Refs;
    for (std::size_t i = 0; i < s.sections.size(); ++i) {
        const Section& sec = s.sections[i];
        QCOMPARE(sec.name, names[qsizetype(i)]);
        QCOMPARE(sec.table, QStringLiteral("INT%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        QCOMPARE(bool(sec.notice), i == 7);
        total += sec.interpretations.size();
        int several = 0;
        for (const Interpretation& it : sec.interpretations) {
            longest = std::max(longest, it.text.size());
            several += it.paragraphs.size() > 1;
            for (const char* h : {"Interpretation: ", "Subject: ", "Date Issued: ", "File: ",
                                  "Question", "Reply"})
                QVERIFY2(it.text.contains(QLatin1String(h)), qPrintable(it.identifier));
        }
        QVERIFY(several * 2 > int(sec.interpretations.size()));
        for (const IndexRow& r : sec.index) {
            crossRows += r.section != sec.suffix();
            if (i == 9)
                sectionIXRefs.insert(r.reference);
            if (i == 7)
                sectionVIII1Refs.insert(r.reference);
        }
    }
    QVERIFY(total >= 200);
    for (std::size_t i : {7, 8, 9})
        QVERIFY(s.sections[i].interpretations.size() >= 40);
    QVERIFY(longest > 20 * 1024);
    QVERIFY(crossRows >= 5);
    for (const QSet<QString>& refs : {sectionIXRefs, sectionVIII1Refs}) {
        QVERIFY(refs.contains(QStringLiteral("QW-406")));
        QVERIFY(refs.contains(QStringLiteral("QW-406.1")));
    }
}

QTEST_GUILESS_MAIN(TestSourceFormat)
#include "tst_sourceformat.moc"
