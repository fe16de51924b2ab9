#include "db/jet/Cp1252.h"

#include <QtTest>

using namespace orvane::jet;

class TestCp1252 : public QObject {
    Q_OBJECT

private slots:
    void everyAssignedByteRoundTrips()
    {
        for (int b = 0; b < 256; ++b) {
            const QByteArray one(1, char(b));
            const QString decoded = decodeCp1252(one);
            QCOMPARE(decoded.size(), 1);
            QByteArray back;
            const bool unassigned = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
            if (unassigned) {
                // Kept as the C1 control of the same value, which no writer emits.
                QCOMPARE(decoded.at(0).unicode(), char16_t(b));
                QVERIFY(!encodeCp1252(decoded, back));
            } else {
                QVERIFY2(encodeCp1252(decoded, back), qPrintable(QString::number(b, 16)));
                QCOMPARE(back, one);
            }
        }
    }

    void knownCharacters()
    {
        QByteArray out;
        QVERIFY(encodeCp1252(QStringLiteral("°±é§€ŸŠ™…"), out));
        QCOMPARE(out, QByteArray("\xB0\xB1\xE9\xA7\x80\x9F\x8A\x99\x85"));
        QCOMPARE(decodeCp1252(QByteArray("\x80\x93\x94\xFF")), QStringLiteral("€“”ÿ"));
    }

    void reportsFirstUnencodableCharacter()
    {
        QByteArray out;
        qsizetype bad = 99;
        QVERIFY(!encodeCp1252(QStringLiteral("abΩc"), out, &bad));
        QCOMPARE(bad, qsizetype(2));
        QVERIFY(!encodeCp1252(QStringLiteral("x\U0001F600"), out, &bad)); // surrogate pair
        QCOMPARE(bad, qsizetype(1));
        QVERIFY(!encodeCp1252(QString(QChar(0x0100)), out, &bad)); // just past Latin-1
        QVERIFY(encodeCp1252(QString(), out, &bad));
        QCOMPARE(bad, qsizetype(-1));
        QVERIFY(out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
