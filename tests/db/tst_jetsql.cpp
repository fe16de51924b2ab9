// Translation of the Jet dialect to SQLite, without any database.

#include "db/JetError.h"
#include "db/JetSql.h"

#include <QTest>

using namespace orvane::db;

class TestJetSql : public QObject {
    Q_OBJECT

private slots:
    void programStatements_data();
    void programStatements();
    void literalsStayLiterals_data();
    void literalsStayLiterals();
    void textsBound_data();
    void textsBound();
    void resolverRenamesTablesOnly();
    void tablesInJoinsAndLists();
    void likeRuns_data();
    void likeRuns();
    void refused_data();
    void refused();
};

void TestJetSql::programStatements_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::addColumn<QStringList>("tables");

    QTest::newRow("sections") << "SELECT * FROM AuthorizedTablesTab"
                              << "SELECT * FROM \"AuthorizedTablesTab\"" << QStringList{"AuthorizedTablesTab"};
    QTest::newRow("section list") << "SELECT * FROM [INT08] ORDER BY INTER_STR"
                                  << "SELECT * FROM \"INT08\" ORDER BY \"INTER_STR\"" << QStringList{"INT08"};
    QTest::newRow("paragraph list") << "SELECT DISTINCT reference FROM INX08 ORDER BY reference"
                                    << "SELECT DISTINCT \"reference\" FROM \"INX08\" ORDER BY \"reference\""
                                    << QStringList{"INX08"};
    QTest::newRow("lookup") << "SELECT * FROM [INX08] WHERE INTER_STR = \"IX-89-12\""
                            << "SELECT * FROM \"INX08\" WHERE \"INTER_STR\" = 'IX-89-12'" << QStringList{"INX08"};
    QTest::newRow("notice lookup") << "SELECT * FROM [INT08] WHERE INTER_STR = \"  Orvane-INT Notice\""
                                   << "SELECT * FROM \"INT08\" WHERE \"INTER_STR\" = '  Orvane-INT Notice'"
                                   << QStringList{"INT08"};
    QTest::newRow("paragraph search")
        << "SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = \"QW-406\""
        << "SELECT DISTINCT \"INTER_STR\" FROM \"INX09\" WHERE \"Reference\" = 'QW-406'" << QStringList{"INX09"};
    QTest::newRow("and search")
        << "SELECT DISTINCT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE \"*minimum*\" AND  [INTER_TEXT] LIKE \"*preheat*\""
        << "SELECT DISTINCT \"INTER_STR\" FROM \"INT09\" WHERE jet_like_all('9:*minimum*9:*preheat*', \"INTER_TEXT\")"
        << QStringList{"INT09"};
    QTest::newRow("or search")
        << "SELECT DISTINCT [INTER_STR] FROM INT09 WHERE ( [INTER_TEXT] LIKE \"*minimum*\" OR  [INTER_TEXT] LIKE \"*preheat*\")"
        << "SELECT DISTINCT \"INTER_STR\" FROM \"INT09\" WHERE ( jet_like_any('9:*minimum*9:*preheat*', \"INTER_TEXT\") )"
        << QStringList{"INT09"};
    QTest::newRow("phrase search")
        << "SELECT DISTINCT [INTER_STR] FROM INT09 WHERE [INTER_TEXT] LIKE \"*minimum preheat*\""
        << "SELECT DISTINCT \"INTER_STR\" FROM \"INT09\" WHERE \"INTER_TEXT\" LIKE '*minimum preheat*'"
        << QStringList{"INT09"};
    QTest::newRow("paragraph and keyword")
        << "SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = \"QW-406\" AND [INTER_STR] IN (SELECT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE \"*preheat*\")"
        << "SELECT DISTINCT \"INTER_STR\" FROM \"INX09\" WHERE \"Reference\" = 'QW-406' AND \"INTER_STR\" IN ( SELECT \"INTER_STR\" FROM \"INT09\" WHERE \"INTER_TEXT\" LIKE '*preheat*' )"
        << QStringList{"INX09", "INT09"};
    QTest::newRow("both empty") << "SELECT DISTINCT [INTER_STR] FROM INX09"
                                << "SELECT DISTINCT \"INTER_STR\" FROM \"INX09\"" << QStringList{"INX09"};
    QTest::newRow("empty word") << "SELECT DISTINCT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE \"**\""
                                << "SELECT DISTINCT \"INTER_STR\" FROM \"INT09\" WHERE \"INTER_TEXT\" LIKE '**'"
                                << QStringList{"INT09"};
    QTest::newRow("trailing semicolon and lower case keywords")
        << "select * from int08 where inter_str = 'x';"
        << "SELECT * FROM \"int08\" WHERE \"inter_str\" = 'x'" << QStringList{"int08"};
}

void TestJetSql::programStatements()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QFETCH(QStringList, tables);
    const JetSqlTranslation t = translateJetSql(jet);
    QCOMPARE(t.sql, sqlite);
    QCOMPARE(t.tables, tables);
}

void TestJetSql::literalsStayLiterals_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::newRow("or 1=1 comment") << "SELECT * FROM t WHERE a = \"\"\" OR 1=1 --\""
                                    << "SELECT * FROM \"t\" WHERE \"a\" = '\" OR 1=1 --'";
    QTest::newRow("semicolon and drop") << "SELECT * FROM t WHERE a = \"x; DROP TABLE t\""
                                        << "SELECT * FROM \"t\" WHERE \"a\" = 'x; DROP TABLE t'";
    QTest::newRow("bracket in literal") << "SELECT * FROM t WHERE a = \"]\""
                                        << "SELECT * FROM \"t\" WHERE \"a\" = ']'";
    QTest::newRow("apostrophe doubled") << "SELECT * FROM t WHERE a = \"O'Brien's\""
                                        << "SELECT * FROM \"t\" WHERE \"a\" = 'O''Brien''s'";
    QTest::newRow("doubled double quote") << "SELECT * FROM t WHERE a = \"say \"\"hi\"\"\""
                                          << "SELECT * FROM \"t\" WHERE \"a\" = 'say \"hi\"'";
    QTest::newRow("single-quoted jet text") << "SELECT * FROM t WHERE a = 'it''s [x]'"
                                            << "SELECT * FROM \"t\" WHERE \"a\" = 'it''s [x]'";
    QTest::newRow("quote in bracketed name") << "SELECT [a\"b] FROM t"
                                             << "SELECT \"a\"\"b\" FROM \"t\"";
    QTest::newRow("keyword as bracketed name") << "SELECT [Order], [select] FROM [from]"
                                               << "SELECT \"Order\" , \"select\" FROM \"from\"";
    QTest::newRow("dash dash not a comment") << "SELECT a--1 FROM t" << "SELECT \"a\" - - 1 FROM \"t\"";
    QTest::newRow("ampersand and bang") << "SELECT t!a & \"x\" FROM t"
                                        << "SELECT \"t\" . \"a\" || 'x' FROM \"t\"";
}

void TestJetSql::literalsStayLiterals()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(translateJetSql(jet).sql, sqlite);
}

void TestJetSql::textsBound_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("lookup") << "SELECT * FROM [INT08] WHERE INTER_STR = \"VIII-1 \"\"A\"\"\""
                            << "SELECT * FROM \"INT08\" WHERE \"INTER_STR\" = ?" << QStringList{"VIII-1 \"A\""};
    QTest::newRow("search") << "SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = \"QW-406\" AND [INTER_STR] "
                               "IN (SELECT [INTER_STR] FROM INT09 WHERE [INTER_TEXT] LIKE \"*a*\" AND [INTER_TEXT] "
                               "LIKE 'it''s')"
                            << "SELECT DISTINCT \"INTER_STR\" FROM \"INX09\" WHERE \"Reference\" = ? AND \"INTER_STR\" IN "
                               "( SELECT \"INTER_STR\" FROM \"INT09\" WHERE jet_like_all(?, \"INTER_TEXT\") )"
                            << QStringList{"QW-406", "3:*a*4:it's"};
    // In a select list, at any depth of parentheses, a literal also names
    // its column: it stays written in. After FROM, and in the WHERE of a
    // sub-query of the list, texts are bound again.
    QTest::newRow("select lists")
        << "SELECT \"x\", UCASE(\"y\" & k), (SELECT \"z\" FROM u WHERE v = \"w\") FROM t WHERE k IN (\"a\", \"b\") "
           "ORDER BY \"c\""
        << "SELECT 'x' , upper ( 'y' || \"k\" ) , ( SELECT 'z' FROM \"u\" WHERE \"v\" = ? ) FROM \"t\" WHERE \"k\" IN "
           "( ? , ? ) ORDER BY ?"
        << QStringList{"w", "a", "b", "c"};
}

void TestJetSql::textsBound()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QFETCH(QStringList, texts);
    const JetSqlTranslation t = translateJetSql(jet, {}, true, true);
    QCOMPARE(t.sql, sqlite);
    QCOMPARE(t.texts, texts);
    QCOMPARE(t.sql.count(u'?'), texts.size());
}

void TestJetSql::resolverRenamesTablesOnly()
{
    QStringList asked;
    const auto t = translateJetSql(
        "SELECT int08.inter_str FROM int08 WHERE inter_str IN (SELECT inter_str FROM [inx08] WHERE reference = \"int08\")",
        [&](const QString& n) {
            asked << n;
            return n.toUpper();
        });
    QCOMPARE(asked, (QStringList{"int08", "inx08"}));
    QCOMPARE(t.sql, QStringLiteral("SELECT \"int08\" . \"inter_str\" FROM \"INT08\" WHERE \"inter_str\" IN ( SELECT "
                                   "\"inter_str\" FROM \"INX08\" WHERE \"reference\" = 'int08' )"));
}

void TestJetSql::tablesInJoinsAndLists()
{
    QCOMPARE(translateJetSql("SELECT * FROM a AS x, [b] y, c WHERE x.k = y.k").tables,
             (QStringList{"a", "b", "c"}));
    QCOMPARE(translateJetSql("SELECT * FROM (a INNER JOIN b ON a.k = b.k) LEFT JOIN c ON b.k = c.k ORDER BY a.k")
                 .tables,
             (QStringList{"a", "b", "c"}));
    QCOMPARE(translateJetSql("SELECT * FROM a WHERE EXISTS (SELECT * FROM b) AND k IN (SELECT k FROM A)").tables,
             (QStringList{"a", "b"}));
}

void TestJetSql::likeRuns_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("sqlite");
    QTest::newRow("paragraph and two keywords")
        << "[Reference] = \"QW-406\" AND [INTER_STR] IN (SELECT [INTER_STR] FROM t WHERE  [x] LIKE \"*a*\" AND  [x] LIKE \"*b'*\")"
        << "\"Reference\" = 'QW-406' AND \"INTER_STR\" IN ( SELECT \"INTER_STR\" FROM \"t\" WHERE jet_like_all('3:*a*4:*b''*', \"x\") )";
    QTest::newRow("name spelled two ways") << "x LIKE \"a\" AND [X] LIKE \"\u00e9\""
                                           << "jet_like_all('1:a2:\u00e9', \"x\")";
    // AND binds tighter than OR: the AND run is one operand of the OR.
    QTest::newRow("and run inside or") << "y = 1 OR x LIKE \"a\" AND x LIKE \"b\" OR y = 2"
                                       << "\"y\" = 1 OR jet_like_all('1:a1:b', \"x\") OR \"y\" = 2";
    QTest::newRow("or run next to and stays") << "x LIKE \"a\" OR x LIKE \"b\" AND y = 1"
                                              << "\"x\" LIKE 'a' OR \"x\" LIKE 'b' AND \"y\" = 1";
    QTest::newRow("or run after and stays") << "y = 1 AND x LIKE \"a\" OR x LIKE \"b\""
                                            << "\"y\" = 1 AND \"x\" LIKE 'a' OR \"x\" LIKE 'b'";
    QTest::newRow("or run then and run") << "x LIKE \"a\" OR x LIKE \"b\" AND x LIKE \"c\""
                                         << "\"x\" LIKE 'a' OR jet_like_all('1:b1:c', \"x\")";
    QTest::newRow("not keeps its test") << "NOT x LIKE \"a\" AND x LIKE \"b\" AND x LIKE \"c\""
                                        << "NOT \"x\" LIKE 'a' AND jet_like_all('1:b1:c', \"x\")";
    QTest::newRow("column changes") << "x LIKE \"a\" AND y LIKE \"b\" AND y LIKE \"c\""
                                    << "\"x\" LIKE 'a' AND jet_like_all('1:b1:c', \"y\")";
    QTest::newRow("pattern that is an operand") << "x LIKE \"a\" AND x LIKE \"b\" & \"c\""
                                                << "\"x\" LIKE 'a' AND \"x\" LIKE 'b' || 'c'";
    QTest::newRow("between keeps its and") << "y BETWEEN 1 AND 2 AND x LIKE \"a\" AND x LIKE \"b\""
                                           << "\"y\" BETWEEN 1 AND 2 AND \"x\" LIKE 'a' AND \"x\" LIKE 'b'";
}

void TestJetSql::likeRuns()
{
    QFETCH(QString, where);
    QFETCH(QString, sqlite);
    const QString jet = QStringLiteral("SELECT k FROM t WHERE ") + where;
    QCOMPARE(translateJetSql(jet).sql, QStringLiteral("SELECT \"k\" FROM \"t\" WHERE ") + sqlite);
    QVERIFY(!translateJetSql(jet, {}, false).sql.contains(QLatin1String("jet_like")));
}

void TestJetSql::refused_data()
{
    QTest::addColumn<QString>("jet");
    QTest::newRow("empty") << "";
    QTest::newRow("blank") << "   ";
    QTest::newRow("second statement") << "SELECT 1; DROP TABLE x";
    QTest::newRow("two selects") << "SELECT 1; SELECT 2";
    QTest::newRow("update") << "UPDATE t SET a = 1";
    QTest::newRow("delete") << "DELETE FROM t";
    QTest::newRow("attach") << "ATTACH DATABASE 'x' AS y";
    QTest::newRow("pragma") << "PRAGMA query_only=0";
    QTest::newRow("with") << "WITH x AS (SELECT 1) SELECT * FROM x";
    QTest::newRow("unterminated text") << "SELECT * FROM t WHERE a = \"abc";
    // A paragraph typed as `" OR 1=1 --` and inserted between quotes unescaped:
    // the trailing quote is left open, and -- is no comment in Jet.
    QTest::newRow("injected or 1=1") << "SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = \"\" OR 1=1 --\"";
    QTest::newRow("unclosed bracket") << "SELECT [a FROM t";
    QTest::newRow("empty brackets") << "SELECT [] FROM t";
    QTest::newRow("unbalanced open") << "SELECT * FROM t WHERE (a = 1";
    QTest::newRow("unbalanced close") << "SELECT * FROM t WHERE a = 1)";
    QTest::newRow("date literal") << "SELECT * FROM t WHERE d = #1/1/99#";
    QTest::newRow("parameter") << "SELECT * FROM t WHERE a = ?";
    QTest::newRow("named parameter") << "SELECT * FROM t WHERE a = :x";
    QTest::newRow("unknown function") << "SELECT load_extension('x') FROM t";
    QTest::newRow("table function") << "SELECT * FROM pragma_table_info('t')";
    QTest::newRow("invalid like literal") << "SELECT * FROM t WHERE a LIKE \"*[abc*\"";
    QTest::newRow("descending like range") << "SELECT * FROM t WHERE a NOT LIKE \"[z-a]\"";
    QTest::newRow("invalid pattern in a run") << "SELECT * FROM t WHERE a LIKE \"*x*\" AND a LIKE \"[b-\"";
    QTest::newRow("run function by name") << "SELECT * FROM t WHERE jet_like_all('1:a', a)";
}

void TestJetSql::refused()
{
    QFETCH(QString, jet);
    try {
        translateJetSql(jet);
        QFAIL("statement accepted");
    } catch (const JetError& e) {
        QCOMPARE(e.number(), 3075);
    }
}

QTEST_APPLESS_MAIN(TestJetSql)
#include "tst_jetsql.moc"
