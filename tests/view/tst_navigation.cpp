#include "view/Navigation.h"

#include <QTest>

using namespace orvane::view;

namespace {

// Rows as the list shows them: the separator's text makes a separator row.
QList<ResultRow> typed(const QStringList& texts)
{
    QList<ResultRow> rows;
    for (const QString& t : texts)
        rows << (t == kSeparatorText ? ResultRow{RowKind::Separator, QString(), 0} : resultRow(t));
    return rows;
}

} // namespace

namespace QTest {
template <> char* toString(const NavigationButtons& b)
{
    return qstrdup(QByteArray(b.first ? "F" : "-").append(b.previous ? "P" : "-")
                       .append(b.next ? "N" : "-").append(b.last ? "L" : "-").constData());
}
}

class tst_Navigation : public QObject {
    Q_OBJECT

    const QStringList withNotice{kNoticeId, kSeparatorText, "IX-01", "IX-02"};

private slots:
    void buttons_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("state"); // F P N L, "-" = off
        QTest::newRow("empty") << 0 << 0 << "----";
        QTest::newRow("empty, stale selection") << 0 << 3 << "----";
        QTest::newRow("none selected") << 5 << 0 << "F--L";
        QTest::newRow("none selected, one row") << 1 << 0 << "F--L";
        QTest::newRow("last of several") << 5 << 5 << "FP--";
        QTest::newRow("last of two") << 2 << 2 << "FP--";
        QTest::newRow("the only row") << 1 << 1 << "----";
        QTest::newRow("middle") << 5 << 3 << "FPNL";
        QTest::newRow("second") << 5 << 2 << "FPNL";
        QTest::newRow("first of several") << 5 << 1 << "--NL";
        QTest::newRow("first of two") << 2 << 1 << "--NL";
    }
    void buttons()
    {
        QFETCH(int, rows);
        QFETCH(int, selected);
        QFETCH(QString, state);
        const NavigationButtons want{state[0] != '-', state[1] != '-', state[2] != '-', state[3] != '-'};
        const auto got = navigationButtons(rows, selected);
        QVERIFY(got.has_value());
        QCOMPARE(*got, want);
    }

    void selectionBeyondCountLeavesButtons()
    {
        QVERIFY(!navigationButtons(3, 4).has_value());
    }

    void targets_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("target");
        QTest::newRow("first") << 0 << 3 << 5 << 1;
        QTest::newRow("previous") << 1 << 3 << 5 << 2;
        QTest::newRow("next") << 2 << 3 << 5 << 4;
        QTest::newRow("last") << 3 << 3 << 5 << 5;
        QTest::newRow("first, nothing selected") << 0 << 0 << 5 << 1;
        QTest::newRow("last, nothing selected") << 3 << 0 << 5 << 5;
        QTest::newRow("previous of row 1") << 1 << 1 << 5 << 0;
        QTest::newRow("next of last") << 2 << 5 << 5 << 0;
        QTest::newRow("next, nothing selected") << 2 << 0 << 5 << 0;
        QTest::newRow("empty list") << 0 << 0 << 0 << 0;
    }
    void targets()
    {
        QFETCH(int, button);
        QFETCH(int, selected);
        QFETCH(int, rows);
        QFETCH(int, target);
        QCOMPARE(navigationTarget(NavigationStep(button), selected, rows), target);
    }

    void picks_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<QString>("position");
        const QStringList plain{"IX-01", "IX-02", "IX-03"};
        const QStringList noticeOnly{kNoticeId, kSeparatorText};
        QTest::newRow("plain row") << plain << 2 << "IX-02" << "2";
        QTest::newRow("notice row") << withNotice << 1 << kNoticeId << "n/a";
        QTest::newRow("separator shows notice") << withNotice << 2 << kNoticeId << "n/a";
        QTest::newRow("first interpretation") << withNotice << 3 << "IX-01" << "1";
        QTest::newRow("last interpretation") << withNotice << 4 << "IX-02" << "2";
        // Exactly two rows: no offset, and the separator loads itself.
        QTest::newRow("two rows, notice") << noticeOnly << 1 << kNoticeId << "1";
        QTest::newRow("two rows, separator") << noticeOnly << 2 << kSeparatorText << "2";
        // A separator text elsewhere still stands for row 1.
        QTest::newRow("separator not in row 2") << QStringList{"A", "B", kSeparatorText} << 3 << "A" << "3";
    }
    void picks()
    {
        QFETCH(QStringList, rows);
        QFETCH(int, row);
        QFETCH(QString, identifier);
        QFETCH(QString, position);
        const RowPick pick = pickRow(typed(rows), row);
        QCOMPARE(pick.identifier, identifier);
        QCOMPARE(pick.positionLabel, position);
    }

    void offsetNeedsMoreThanTwoRows()
    {
        QCOMPARE(rowOffset(3, RowKind::Separator), 2);
        QCOMPARE(rowOffset(2, RowKind::Separator), 0);
        QCOMPARE(rowOffset(5, RowKind::Interpretation), 0);
        QCOMPARE(rowOffset(5, RowKind::Notice), 0);
    }

    // The separator stands for the notice of its own section; a click on the
    // identifier on display reloads when the row is another section's.
    void picksKeepTheRowsSection()
    {
        const QList<ResultRow> rows{{RowKind::Notice, kNoticeId, 2},
                                    {RowKind::Separator, QString(), 2},
                                    {RowKind::Interpretation, "IX-01", 2},
                                    {RowKind::Interpretation, "IX-01", 3}};
        QCOMPARE(pickRow(rows, 2).section, 2);
        QCOMPARE(pickRow(rows, 2).identifier, kNoticeId);
        QCOMPARE(pickRow(rows, 4).section, 3);
        QVERIFY(!clickReloads(rows.at(2), "IX-01", 2));
        QVERIFY(clickReloads(rows.at(3), "IX-01", 2));
        QVERIFY(clickReloads(rows.at(0), kNoticeId.trimmed(), 2));
        QVERIFY((resultRow(kNoticeId, 4) == ResultRow{RowKind::Notice, kNoticeId, 4}));
    }

};

QTEST_GUILESS_MAIN(tst_Navigation)
#include "tst_navigation.moc"
