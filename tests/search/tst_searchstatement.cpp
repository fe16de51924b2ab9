#include "search/SearchStatement.h"

#include <QTest>

using namespace orvane::search;

Q_DECLARE_METATYPE(orvane::search::SearchMode)

namespace {
const QString S = QStringLiteral("SELECT DISTINCT [INTER_STR] ");
}

class tst_SearchStatement : public QObject {
    Q_OBJECT

private slots:
    void statement_data()
    {
        QTest::addColumn<QString>("paragraph");
        QTest::addColumn<QString>("keywords");
        QTest::addColumn<SearchMode>("mode");
        QTest::addColumn<QString>("sql");
        const auto And = SearchMode::And, Or = SearchMode::Or, Phrase = SearchMode::Phrase;

        // The worked examples, verbatim.
        QTest::newRow("paragraph only") << "QW-406" << "" << And
            << R"(SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = "QW-406")";
        QTest::newRow("and") << "" << "minimum preheat" << And
            << R"(SELECT DISTINCT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE "*minimum*" AND  [INTER_TEXT] LIKE "*preheat*")";
        QTest::newRow("or") << "" << "minimum preheat" << Or
            << R"(SELECT DISTINCT [INTER_STR] FROM INT09 WHERE ( [INTER_TEXT] LIKE "*minimum*" OR  [INTER_TEXT] LIKE "*preheat*"))";
        QTest::newRow("phrase") << "" << "minimum preheat" << Phrase
            << R"(SELECT DISTINCT [INTER_STR] FROM INT09 WHERE [INTER_TEXT] LIKE "*minimum preheat*")";
        QTest::newRow("paragraph and keyword") << "QW-406" << "preheat" << And
            << R"(SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = "QW-406" AND [INTER_STR] IN (SELECT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE "*preheat*"))";

        // Both empty: every identifier of the index, whatever the mode.
        QTest::newRow("both empty and") << "" << "" << And << S + "FROM INX09";
        QTest::newRow("both empty phrase") << "" << "" << Phrase << S + "FROM INX09";
        // A paragraph with a phrase, nested the same way.
        QTest::newRow("paragraph and phrase") << "QW-4" << " pre " << Phrase
            << S + R"(FROM INX09 WHERE [Reference] = "QW-4" AND [INTER_STR] IN (SELECT [INTER_STR] FROM INT09 WHERE [INTER_TEXT] LIKE "* pre *"))";

        // Trailing blank: the dangling joiner is cut, no extra condition.
        QTest::newRow("trailing and") << "" << "preheat " << And
            << S + R"(FROM INT09 WHERE  [INTER_TEXT] LIKE "*preheat*")";
        QTest::newRow("trailing or") << "" << "a b " << Or
            << S + R"(FROM INT09 WHERE ( [INTER_TEXT] LIKE "*a*" OR  [INTER_TEXT] LIKE "*b*"))";
        // Leading or doubled blank: an empty word, i.e. LIKE "**".
        QTest::newRow("leading and") << "" << " preheat" << And
            << S + R"(FROM INT09 WHERE  [INTER_TEXT] LIKE "**" AND  [INTER_TEXT] LIKE "*preheat*")";
        QTest::newRow("double blank or") << "" << "a  b" << Or
            << S + R"(FROM INT09 WHERE ( [INTER_TEXT] LIKE "*a*" OR  [INTER_TEXT] LIKE "**" OR  [INTER_TEXT] LIKE "*b*"))";
        QTest::newRow("single blank and") << "" << " " << And
            << S + R"(FROM INT09 WHERE  [INTER_TEXT] LIKE "**")";
        QTest::newRow("single blank or") << "" << " " << Or
            << S + R"(FROM INT09 WHERE ( [INTER_TEXT] LIKE "**"))";
        // One keyword: Or only adds the parentheses.
        QTest::newRow("one word and") << "" << "preheat" << And
            << S + R"(FROM INT09 WHERE  [INTER_TEXT] LIKE "*preheat*")";
        QTest::newRow("one word or") << "" << "preheat" << Or
            << S + R"(FROM INT09 WHERE ( [INTER_TEXT] LIKE "*preheat*"))";
        // Nothing is escaped or folded: pattern characters and case pass through.
        QTest::newRow("pattern chars kept") << "qw-406 " << "PRE*heat [a]" << And
            << S + R"(FROM INX09 WHERE [Reference] = "qw-406 " AND [INTER_STR] IN (SELECT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE "*PRE*heat*" AND  [INTER_TEXT] LIKE "*[a]*"))";
        // A word that itself reads AND must not be mistaken for the joiner.
        QTest::newRow("word AND") << "" << "x AND" << And
            << S + R"(FROM INT09 WHERE  [INTER_TEXT] LIKE "*x*" AND  [INTER_TEXT] LIKE "*AND*")";
    }
    void statement()
    {
        QFETCH(QString, paragraph);
        QFETCH(QString, keywords);
        QFETCH(SearchMode, mode);
        QFETCH(QString, sql);
        QCOMPARE(buildSearchSql(paragraph, keywords, mode, "INT09"), sql);
    }

    void suffixComesFromTheTableName()
    {
        QCOMPARE(buildSearchSql("", "", SearchMode::And, "INT12"), S + "FROM INX12");
        QCOMPARE(buildSearchSql("QW-1", "x", SearchMode::Or, "INT3A"),
                 S + R"(FROM INX3A WHERE [Reference] = "QW-1" AND [INTER_STR] IN (SELECT [INTER_STR] FROM INT3A WHERE ( [INTER_TEXT] LIKE "*x*")))");
        QCOMPARE(searchIndexTable("INT07"), QString("INX07"));
        QCOMPARE(tableSuffix("INT"), QString());
    }

    void split_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("one blank") << " " << QStringList{""};
        QTest::newRow("two words") << "pre heat" << QStringList{"pre", "heat"};
        QTest::newRow("trailing") << "pre " << QStringList{"pre"};
        QTest::newRow("leading") << " pre" << QStringList{"", "pre"};
        QTest::newRow("double") << "a  b" << QStringList{"a", "", "b"};
        QTest::newRow("tab is not a blank") << "a\tb" << QStringList{"a\tb"};
    }
    void split()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, words);
        QCOMPARE(splitKeywords(entry), words);
    }
};

QTEST_GUILESS_MAIN(tst_SearchStatement)
#include "tst_searchstatement.moc"
