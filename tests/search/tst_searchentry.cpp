#include "search/SearchEntry.h"

#include <QTest>

using namespace orvane::search;

Q_DECLARE_METATYPE(orvane::search::EntryKind)

class tst_SearchEntry : public QObject {
    Q_OBJECT

private slots:
    void validate_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("plain") << "minimum preheat" << "minimum preheat";
        QTest::newRow("quoted phrase") << "\"minimum preheat\"" << "minimum preheat";
        QTest::newRow("blanks kept") << " a \"\" b " << " a  b ";
        QTest::newRow("only quotes") << "\"\"\"" << "";
        QTest::newRow("single quote kept") << "it's" << "it's";
    }
    void validate()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(validateText(in), out);
        QVERIFY(!acceptsKeyPress(QLatin1Char('"')));
        QVERIFY(acceptsKeyPress(QLatin1Char('\'')));
    }

    // The whole change rule, nested events included.
    void change_data()
    {
        QTest::addColumn<EntryKind>("entry");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("editKey");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart"); // -1: no selection set
        QTest::addColumn<int>("selLength");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<int>("searches");
        const auto P = EntryKind::Paragraph, K = EntryKind::Keyword;
        const QStringList paras{"QW-406", "QW-406.1", "QW-407"};

        QTest::newRow("q completes first row") << P << "q" << false << paras << "QW-406" << 1 << 5 << 0 << 2;
        QTest::newRow("longer prefix, any case") << P << "qw-406." << false << paras << "QW-406.1" << 7 << 1 << 0 << 2;
        QTest::newRow("exact text: one search") << P << "QW-407" << false << paras << "QW-407" << 6 << 0 << 0 << 1;
        QTest::newRow("no match beeps and searches") << P << "QX" << false << paras << "QX" << -1 << 0 << 1 << 1;
        QTest::newRow("row shorter than typed") << P << "QW-406.12" << false << paras << "QW-406.12" << -1 << 0 << 1 << 1;
        QTest::newRow("after backspace no completion") << P << "QW-40" << true << paras << "QW-40" << -1 << 0 << 1 << 1;
        QTest::newRow("emptied entry") << P << "" << true << paras << "" << -1 << 0 << 0 << 0;
        QTest::newRow("empty list") << P << "QW" << false << QStringList{} << "QW" << -1 << 0 << 0 << 0;
        QTest::newRow("keyword completes silently") << K << "MIN" << false << QStringList{"minimum preheat"}
                                                    << "minimum preheat" << 3 << 12 << 0 << 0;
        QTest::newRow("keyword no match") << K << "weld" << false << QStringList{"minimum"} << "weld" << -1 << 0 << 0 << 0;
        QTest::newRow("keyword quotes stripped") << K << "\"a b\"" << false << QStringList{} << "a b" << -1 << 0 << 0 << 0;
        // The outer run sees the completed text as typed: selection collapses.
        QTest::newRow("pasted quote then completes") << P << "\"qw" << false << paras << "QW-406" << 6 << 0 << 0 << 3;
        QTest::newRow("pasted quotes no match") << P << "\"zz\"" << false << paras << "zz" << -1 << 0 << 2 << 2;
        QTest::newRow("only quotes") << P << "\"" << false << paras << "" << -1 << 0 << 0 << 0;
    }
    void change()
    {
        QFETCH(EntryKind, entry);
        QFETCH(QString, typed);
        QFETCH(bool, editKey);
        QFETCH(QStringList, rows);
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(int, beeps);
        QFETCH(int, searches);

        const ChangeOutcome out = settleChange(entry, typed, editKey, rows);
        QCOMPARE(out.text, text);
        QCOMPARE(out.selectionSet, selStart >= 0);
        if (selStart >= 0) {
            QCOMPARE(out.selectionStart, selStart);
            QCOMPARE(out.selectionLength, selLength);
        }
        QCOMPARE(out.beeps, beeps);
        QCOMPARE(out.searches, searches);
    }

    void rowWithQuoteDoesNotLoop()
    {
        // A completion that validateText undoes again must still end.
        const ChangeOutcome out = settleChange(EntryKind::Paragraph, "a", false, {"a\"b"});
        QVERIFY(out.searches > 0);
    }

    void completingRowIsFirstInListOrder()
    {
        QCOMPARE(completingRow("qw-4", {"QW-5", "QW-407", "QW-406"}), 1);
        QCOMPARE(completingRow("", {"QW"}), -1);
        QCOMPARE(completingRow("Ä", {"äb"}), 0);
    }

    // Key sequences as the keyword entry sees them: what runs the key-up
    // rule and what never reaches the entry or the window.
    void enterAndTab()
    {
        const auto press = [](int key, bool repeat = false, bool ctrl = false) {
            return EntryKey{KeyPhase::Press, key, ctrl, repeat};
        };
        const auto release = [](int key, bool repeat = false, bool ctrl = false) {
            return EntryKey{KeyPhase::Release, key, ctrl, repeat};
        };
        EnterPress enter;

        // Tab runs the rule on its press (its release lands elsewhere);
        // a Tab release arriving here is dropped; Ctrl+Tab is not Tab.
        QVERIFY(keywordEntryKey(press(Qt::Key_Tab), enter, 0).runKeyUpRule);
        QVERIFY(keywordEntryKey(press(Qt::Key_Backtab), enter, 0).runKeyUpRule);
        QVERIFY(!keywordEntryKey(press(Qt::Key_Tab, true), enter, 0).runKeyUpRule);
        QVERIFY(!keywordEntryKey(press(Qt::Key_Tab, false, true), enter, 0).runKeyUpRule);
        QVERIFY(keywordEntryKey(release(Qt::Key_Tab), enter, 0).swallow);
        QVERIFY(!keywordEntryKey(release(Qt::Key_Tab, false, true), enter, 0).swallow);

        // Enter whose press searched (the default button): the release is
        // swallowed, so one Enter is one search.
        QVERIFY(!keywordEntryKey(press(Qt::Key_Return), enter, 3).swallow);
        QVERIFY(keywordEntryKey(release(Qt::Key_Return), enter, 4).swallow);
        QVERIFY(!enter.pending);
        // No search since the press: the release goes on to the key-up rule.
        keywordEntryKey(press(Qt::Key_Enter), enter, 4);
        QVERIFY(!keywordEntryKey(release(Qt::Key_Enter), enter, 4).swallow);
        // A release whose press went elsewhere (a menu, a dialog) is dropped,
        // as is an auto-repeated one left alone.
        QVERIFY(keywordEntryKey(release(Qt::Key_Return), enter, 4).swallow);
        keywordEntryKey(press(Qt::Key_Return), enter, 4);
        QVERIFY(!keywordEntryKey(release(Qt::Key_Return, true), enter, 5).swallow);
        QVERIFY(enter.pending);
        // Other keys pass untouched.
        const EntryKeyAction other = keywordEntryKey(release(Qt::Key_A), enter, 5);
        QVERIFY(!other.swallow && !other.runKeyUpRule);
    }

    void historyIgnoresCase()
    {
        QVERIFY(addsToHistory("preheat", {}));
        QVERIFY(!addsToHistory("PreHeat", {"weld", "preheat"}));
        QVERIFY(addsToHistory("pre", {"preheat"}));
        QVERIFY(!addsToHistory("", {}));
    }
};

QTEST_GUILESS_MAIN(tst_SearchEntry)
#include "tst_searchentry.moc"
