#include "search/CommandLine.h"

#include <QTest>

using namespace orvane::search;

Q_DECLARE_METATYPE(orvane::search::SearchMode)

class tst_CommandLine : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("line"); // argument text, before the blank is appended
        QTest::addColumn<QString>("sect");
        QTest::addColumn<QString>("para");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("cond");

        QTest::newRow("sect para") << "SECT INT09 PARA QW-406" << "INT09" << "QW-406" << "" << "";
        QTest::newRow("text cond") << "TEXT {minimum preheat} COND OR" << "" << "" << "minimum preheat" << "OR";
        QTest::newRow("para text") << "PARA QW-406 TEXT {preheat}" << "" << "QW-406" << "preheat" << "";
        QTest::newRow("cond first") << "COND PHRASE TEXT {minimum preheat}" << "" << "" << "minimum preheat" << "PHRASE";
        QTest::newRow("text braces trimmed") << "TEXT{ preheat }" << "" << "" << "preheat" << "";
        QTest::newRow("lower case ignored") << "text {preheat} sect INT09 Para QW-1" << "" << "" << "" << "";
        QTest::newRow("missing brace") << "TEXT {minimum preheat" << "" << "" << "" << "";
        QTest::newRow("no blank after keyword") << "SECTINT09 PARAQW-406 CONDor" << "INT09" << "QW-406" << "" << "or";
        QTest::newRow("value last on the line") << "PARA QW-406" << "" << "QW-406" << "" << "";
        QTest::newRow("keyword twice") << "PARA QW-1 PARA QW-2 TEXT {a} TEXT {b}" << "" << "QW-1" << "a" << "";
        // Found anywhere: inside a TEXT value, and the TEXT value keeps it too.
        QTest::newRow("keyword inside text") << "TEXT {weld PARA QW-406 preheat}" << "" << "QW-406" << "weld PARA QW-406 preheat" << "";
        // The form with blank wins even when the bare form stands earlier.
        QTest::newRow("with blank preferred") << "PARAX PARA QW-2" << "" << "QW-2" << "" << "";
        QTest::newRow("inside another word") << "SUBSECTINT05" << "INT05" << "" << "" << "";
        // Two blanks after the keyword: the value ends at once and is empty.
        QTest::newRow("double blank") << "SECT  INT09" << "" << "" << "" << "";
        QTest::newRow("empty braces") << "TEXT {   }" << "" << "" << "" << "";
        QTest::newRow("quotes kept for the entry") << "TEXT {\"minimum preheat\"}" << "" << "" << "\"minimum preheat\"" << "";
        QTest::newRow("text value ends at first brace") << "TEXT {a} b}" << "" << "" << "a" << "";
        QTest::newRow("COND without value") << "COND" << "" << "" << "" << "";
        QTest::newRow("only blanks") << "  " << "" << "" << "" << "";
    }
    void parse()
    {
        QFETCH(QString, line);
        QFETCH(QString, sect);
        QFETCH(QString, para);
        QFETCH(QString, text);
        QFETCH(QString, cond);
        const CommandLineQuery q = parseCommandLine(line + QLatin1Char(' '));
        QVERIFY(!q.noArguments);
        QCOMPARE(q.section, sect);
        QCOMPARE(q.paragraph, para);
        QCOMPARE(q.keywords, text);
        QCOMPARE(q.condition, cond);
    }

    void noArguments()
    {
        const CommandLineQuery q = parseCommandLine(QStringLiteral(" "));
        QVERIFY(q.noArguments);
        QVERIFY(!q.mode().has_value());
    }

    void condition_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<SearchMode>("mode");
        QTest::newRow("or") << "or" << SearchMode::Or;
        QTest::newRow("Or") << "Or" << SearchMode::Or;
        QTest::newRow("OR") << "OR" << SearchMode::Or;
        QTest::newRow("and") << "aNd" << SearchMode::And;
        QTest::newRow("phrase") << "PHRASE" << SearchMode::Phrase;
        QTest::newRow("anything else") << "xor" << SearchMode::Phrase;
        QTest::newRow("or with brace") << "OR}" << SearchMode::Phrase;
    }
    void condition()
    {
        QFETCH(QString, value);
        QFETCH(SearchMode, mode);
        QCOMPARE(conditionMode(value), mode);
        CommandLineQuery q;
        q.condition = value;
        QCOMPARE(q.mode(), std::optional<SearchMode>(mode));
    }

    void sectionEntryByPosition()
    {
        // Table names need not carry their position: INT09 listed third.
        const QStringList sections{"INT01", "INT81", "INT09"};
        QCOMPARE(sectionEntryForTable("INT09", sections), 3);
        QCOMPARE(sectionEntryForTable("INT01", sections), 1);
        QCOMPARE(sectionEntryForTable("int09", sections), 0);
        QCOMPARE(sectionEntryForTable("INT99", sections), 0);
        QCOMPARE(sectionEntryForTable("", QStringList{""}), 0);
        // The last of several equal entries wins.
        QCOMPARE(sectionEntryForTable("INT09", QStringList{"INT09", "INT02", "INT09"}), 3);
    }
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
