// The bundled sample database, as the build writes it, must read back the
// same through both outside readers and our own reader as its source says.

#include "db/jet/JetFile.h"
#include "support_jetreaders.h"
#include "tools/mkdb/SourceFormat.h"

#include <QProcess>
#include <QtTest>

using namespace orvane;

class TestSampleDb : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void outsideReadersAgreeWithTheSource();
    void ourReaderAgreesWithTheSource();
    void tablesAreListed();

private:
    QString path_;
    jet::DatabaseDef def_;
};

void TestSampleDb::initTestCase()
{
    path_ = QStringLiteral(ORVANE_BIN_DIR "/intasme.mdb");
    if (!QFileInfo::exists(path_))
        QSKIP("the sample database has not been built");
    def_ = mkdb::toDatabase(mkdb::readSource(QStringLiteral(ORVANE_SOURCE_DIR "/data/sample")),
                            QStringLiteral("tolvaren"));
    QVERIFY(def_.tables.size() >= 25);
}

void TestSampleDb::outsideReadersAgreeWithTheSource()
{
    if (const QString why = jet::test::mdbExportMissing(); !why.isEmpty())
        QSKIP(qPrintable(why));
    QCOMPARE(jet::test::compareWithMdbExport(path_, def_), QString());
    if (const QString why = jet::test::mdbReaderMissing(); !why.isEmpty())
        QSKIP(qPrintable(why));
    QCOMPARE(jet::test::compareWithMdbReader(path_, def_), QString());
    QString error;
    const QJsonObject dump = jet::test::mdbReaderDump(path_, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(dump.value(QStringLiteral("password")).toString(), QStringLiteral("tolvaren"));
}

void TestSampleDb::ourReaderAgreesWithTheSource()
{
    const jet::HeaderInfo header = jet::readHeader(path_);
    QCOMPARE(header.version, 0);
    QCOMPARE(header.password, QStringLiteral("tolvaren"));
    jet::JetFile file(path_);
    for (const jet::TableDef& t : def_.tables) {
        const jet::TableData data = file.readTable(t.name);
        QCOMPARE(data.rows.size(), t.rows.size());
        for (std::size_t r = 0; r < t.rows.size(); ++r)
            for (std::size_t c = 0; c < t.columns.size(); ++c) {
                const auto* expected = std::get_if<QString>(&t.rows[r][c]);
                const auto& got = data.rows[r][c];
                QVERIFY2(bool(expected) == got.has_value(),
                         qPrintable(QStringLiteral("%1 row %2 column %3").arg(t.name).arg(r).arg(c)));
                if (expected)
                    QCOMPARE(*got, *expected);
            }
    }
}

void TestSampleDb::tablesAreListed()
{
    if (const QString why = jet::test::mdbExportMissing(); !why.isEmpty())
        QSKIP(qPrintable(why));
    QProcess p;
    p.start(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), path_});
    QVERIFY(p.waitForFinished(30000));
    QStringList listed = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList expected;
    for (const jet::TableDef& t : def_.tables)
        expected << t.name;
    listed.sort();
    expected.sort();
    QCOMPARE(listed, expected);
}

QTEST_GUILESS_MAIN(TestSampleDb)
#include "tst_sampledb.moc"
