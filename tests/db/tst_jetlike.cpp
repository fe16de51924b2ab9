// Jet LIKE matching and the General text order, without any database.

#include "db/JetCollation.h"
#include "db/JetError.h"
#include "db/JetLike.h"

#include <QRandomGenerator>
#include <QTest>

using namespace orvane::db;

class TestJetLike : public QObject {
    Q_OBJECT

private slots:
    void match_data();
    void match();
    void utf8AgreesWithUtf16();
    void plainWordSearchAgreesWithGeneralPath();
    void onlyTwoCharactersFoldIntoAscii();
    void invalid_data();
    void invalid();
    void pathological_data();
    void pathological();

    void order_data();
    void order();
    void equalIgnoresCaseOnly();
    void sortedList();
};

void TestJetLike::match_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("expected");

    // Whole-value match, case ignored.
    QTest::newRow("exact") << "QW-406" << "QW-406" << true;
    QTest::newRow("case") << "qw-406" << "QW-406" << true;
    QTest::newRow("no substring without stars") << "406" << "QW-406" << false;
    QTest::newRow("longer value") << "QW-40" << "QW-406" << false;
    QTest::newRow("accent is not case") << "e" << "\u00e9" << false;
    QTest::newRow("non-ascii case") << "*\u00e9t\u00e9*" << "\u00c9T\u00c9 2" << true;

    // Stars.
    QTest::newRow("contains") << "*preheat*" << "Minimum PREHEAT temperature" << true;
    QTest::newRow("contains at start") << "*preheat*" << "preheat" << true;
    QTest::newRow("contains missing") << "*preheat*" << "pre heat" << false;
    QTest::newRow("prefix") << "QW*" << "QW-406" << true;
    QTest::newRow("suffix") << "*406" << "QW-406" << true;
    QTest::newRow("suffix wrong") << "*406" << "QW-4061" << false;
    QTest::newRow("double star empty value") << "**" << "" << true;
    QTest::newRow("double star any") << "**" << "anything" << true;
    QTest::newRow("star alone") << "*" << "" << true;
    QTest::newRow("phrase with blank") << "*preheat *" << "the preheat." << false;
    QTest::newRow("phrase with blank ok") << "*preheat *" << "the preheat is" << true;
    QTest::newRow("head and tail overlap") << "ab*ba" << "aba" << false;
    QTest::newRow("head and tail adjacent") << "ab*ba" << "abba" << true;
    QTest::newRow("leftmost then tail") << "*a*b" << "xaxbxb" << true;
    QTest::newRow("tail cannot overlap middle") << "*ab*b" << "cab" << false;
    QTest::newRow("middle needs later occurrence ok") << "*ab*c" << "a ab c" << true;

    // Empty pattern and value.
    QTest::newRow("empty both") << "" << "" << true;
    QTest::newRow("empty pattern") << "" << "x" << false;
    QTest::newRow("empty value") << "?" << "" << false;

    // ? and #.
    QTest::newRow("question") << "QW-40?" << "QW-406" << true;
    QTest::newRow("question needs a char") << "QW-406?" << "QW-406" << false;
    QTest::newRow("hash digit") << "IX-##-12" << "IX-89-12" << true;
    QTest::newRow("hash letter") << "IX-##-12" << "IX-8A-12" << false;
    QTest::newRow("hash in star") << "*#*" << "no digits" << false;

    // Lists, ranges, negation.
    QTest::newRow("list") << "[abc]x" << "Bx" << true;
    QTest::newRow("list miss") << "[abc]x" << "dx" << false;
    QTest::newRow("range") << "[a-f]1" << "E1" << true;
    QTest::newRow("range upper bounds") << "[A-F]1" << "e1" << true;
    QTest::newRow("range miss") << "[a-f]1" << "g1" << false;
    QTest::newRow("range accent within base") << "[a-f]" << "\u00e9" << true;
    QTest::newRow("digit range") << "[0-4]" << "3" << true;
    QTest::newRow("digit range miss") << "[0-4]" << "7" << false;
    QTest::newRow("two ranges") << "[a-cx-z]" << "Y" << true;
    QTest::newRow("negated") << "[!a-c]" << "d" << true;
    QTest::newRow("negated miss") << "[!a-c]" << "B" << false;
    QTest::newRow("negated needs a char") << "x[!a]" << "x" << false;
    QTest::newRow("special chars in brackets") << "[*][?][#][[]" << "*?#[" << true;
    QTest::newRow("star in brackets is literal") << "a[*]" << "ab" << false;
    QTest::newRow("leading hyphen literal") << "[-a]" << "-" << true;
    QTest::newRow("trailing hyphen literal") << "[a-]" << "-" << true;
    QTest::newRow("hyphen after bang literal") << "[!-]" << "-" << false;
    QTest::newRow("bang outside literal") << "a!" << "A!" << true;
    QTest::newRow("closing bracket outside literal") << "a]" << "a]" << true;
    QTest::newRow("empty list is nothing") << "a[]b" << "ab" << true;
    QTest::newRow("empty list needs no char") << "a[]b" << "axb" << false;
    // Literal runs between stars are searched with shifts; the shift must
    // not skip an overlapping or final occurrence, in ASCII or wider text.
    QTest::newRow("overlapping occurrence") << "*aab*" << "aaab" << true;
    QTest::newRow("occurrence just before tail") << "*ab*c" << "xxabc" << true;
    QTest::newRow("occurrence would overlap tail") << "*abc*c" << "xxabc" << false;
    QTest::newRow("literal run over wide text") << "*preheat*" << "\u2013 PREHEAT \u2013" << true;
    QTest::newRow("latin-1 run over wide text") << "*\u00e9t\u00e9*" << "x \u0100 \u00c9T\u00c9" << true;
    QTest::newRow("wide char before run") << "*ab*" << "\u0100ab" << true;
    QTest::newRow("wide literal run") << "*\u0100\u0101*" << "xx\u0100\u0100" << true;
    QTest::newRow("class in star segment") << "*[0-9]-[0-9]*" << "see 4-5 here" << true;
    // ASCII patterns over text with other characters: the matcher may then
    // work on the UTF-8 bytes, which must not change any answer.
    QTest::newRow("word among non-ascii") << "*preheat*" << "200°F – PREheat é" << true;
    QTest::newRow("word split by non-ascii") << "*preheat*" << "pre­heat é" << false;
    QTest::newRow("prefix before non-ascii") << "pre*" << "préheat" << false;
    QTest::newRow("suffix after non-ascii") << "*heat" << "é heat" << true;
    QTest::newRow("suffix then non-ascii") << "*heat" << "heat°" << false;
    QTest::newRow("head and tail around non-ascii") << "a*b" << "a€b" << true;
    QTest::newRow("exact length counts characters") << "ab" << "aéb" << false;
    QTest::newRow("digits only ascii") << "*#1*" << "٣" "1 ¹" "1" << false;
    QTest::newRow("digit beside non-ascii") << "*#°*" << "20°C" << true;
    QTest::newRow("question is one character") << "a?b" << "aéb" << true;
    QTest::newRow("long s folds to s") << "*strength*" << "ſtrength é" << true;
    QTest::newRow("kelvin sign folds to k") << "*5 k*" << "5 K °" << true;
    QTest::newRow("long s exact") << "s" << "ſ" << true;
}

void TestJetLike::match()
{
    QFETCH(QString, pattern);
    QFETCH(QString, value);
    QFETCH(bool, expected);
    QCOMPARE(JetLikePattern(pattern).matches(value), expected);
    // The engine's path: UTF-8, with a separate route for plain ASCII values.
    QCOMPARE(JetLikePattern::fromUtf8(pattern.toUtf8().toStdString()).matchesUtf8(value.toUtf8().toStdString()),
             expected);
}

void TestJetLike::utf8AgreesWithUtf16()
{
    // The engine hands UTF-8 to the matcher; a value with multi-byte
    // characters must give the same answer as the QString path.
    const QString value = QStringLiteral("Stra\u00dfe \u2013 \u00c9l\u00e8ve 20\u00b0C \U0001F600 end");
    const QStringList patterns = {QStringLiteral("*\u00e9L\u00c8ve*"), QStringLiteral("*?C ? end"),
                                  QStringLiteral("stra[\u00df]e*"), QStringLiteral("*[!a-z] end"),
                                  QStringLiteral("*\u2013*#?[!0-9]c*")};
    for (const QString& p : patterns) {
        const JetLikePattern pattern(p);
        const QByteArray utf8 = value.toUtf8();
        QCOMPARE(JetLikePattern::fromUtf8(p.toUtf8().toStdString()).matchesUtf8(utf8.toStdString()),
                 pattern.matches(value));
        QVERIFY2(pattern.matches(value), qPrintable(p));
    }
    // Malformed UTF-8 is tolerated, not a crash.
    QVERIFY(JetLikePattern::fromUtf8("*").matchesUtf8("\xff\xfe\xc3"));
    QVERIFY(JetLikePattern::fromUtf8("*ab*").matchesUtf8("\xc3" "ab\xff"));
    QVERIFY(!JetLikePattern::fromUtf8("a?b").matchesUtf8("a\xc3\xa9\xa9" "b"));

    // Random texts mixing ASCII with characters that look like, fold to or
    // sort with ASCII letters, under plain-word and anchored patterns.
    const QStringList alphabet = {"a", "b", "A", "B", " ", "1", "\u00e1", "\u00c1", "\u017f", "s", "S",
                                  "\u212a", "k", "\u20ac", "\u00b0", "\U0001F600"};
    const QStringList asciiPatterns = {"*ab*", "*ba a*", "a*", "*b", "a*b", "*s*", "*k*", "*#a*", "ab", "*sk*b"};
    QRandomGenerator rng(406);
    for (int round = 0; round < 3000; ++round) {
        QString value;
        const int length = int(rng.bounded(12));
        for (int i = 0; i < length; ++i)
            value += alphabet[rng.bounded(int(alphabet.size()))];
        for (const QString& p : asciiPatterns) {
            const bool wide = JetLikePattern(p).matches(value);
            const bool utf8 = JetLikePattern::fromUtf8(p.toStdString()).matchesUtf8(value.toUtf8().toStdString());
            if (wide != utf8)
                QFAIL(qPrintable(QStringLiteral("%1 LIKE %2: %3 vs %4").arg(value, p).arg(wide).arg(utf8)));
        }
    }
}

void TestJetLike::plainWordSearchAgreesWithGeneralPath()
{
    // Star patterns of plain ASCII words are searched over the UTF-8 bytes,
    // sixteen positions at a time, watching for the characters that fold
    // into ASCII. Texts here are long enough for several blocks and a scalar
    // remainder, and are built from pieces of the words searched for, so
    // matches and near misses fall on every offset: at the very start and
    // end, across block boundaries, next to long s and Kelvin sign (which
    // fold into the words) and next to characters sharing their lead bytes.
    const QStringList pieces = {"pre", "PRE", "heat", "HeAt", "preheat", "pRe", "hea", "at", "a", "b", "ab",
                                "AB", " ", "x", "s", "S", "k", "K", "\u017f", "\u212a", "\u0142",
                                "\u2013", "\u2019", "\u00e9", "\u017fk", "ks", "abab", "aab", "\U0001F600"};
    const QStringList patterns = {"*preheat*", "*pre heat*", "*heat*", "*ab*", "*aab*", "*abab*", "*b*",
                                  "*a*b*", "*s*", "*k*", "*ks*", "*sk*", "*abs*", "*pres*", "*prehEAT*heat*", "pre*", "*heat",
                                  "pre*heat", "*x*", "*a ab a*", "*preheatpreheatpreheatpreheat*", "*"};
    QList<JetLikePattern> wide, utf8;
    for (const QString& p : patterns) {
        wide << JetLikePattern(p);
        utf8 << JetLikePattern::fromUtf8(p.toStdString());
    }
    QRandomGenerator rng(2013);
    int matched = 0;
    for (int round = 0; round < 4000; ++round) {
        QString value;
        const int count = int(rng.bounded(round % 4 == 0 ? 4 : 30));
        for (int i = 0; i < count; ++i)
            value += pieces[rng.bounded(int(pieces.size()))];
        const std::string bytes = value.toUtf8().toStdString();
        for (int k = 0; k < patterns.size(); ++k) {
            const bool expected = wide[k].matches(value);
            matched += expected;
            if (utf8[k].matchesUtf8(bytes) != expected)
                QFAIL(qPrintable(QStringLiteral("%1 LIKE %2: expected %3").arg(value, patterns[k]).arg(expected)));
        }
    }
    QVERIFY(matched > 10000);   // the texts are not all misses

    // A folding character decides the answer only past the first match, or
    // only in the part after the last byte the search needed.
    const JetLikePattern word = JetLikePattern::fromUtf8("*steam*");
    const std::string pad(40, 'x');
    QVERIFY(word.matchesUtf8(pad + "STEAM" + pad + "\u212a"));
    QVERIFY(word.matchesUtf8(pad + "\u017fteam" + pad));
    QVERIFY(word.matchesUtf8(pad + "\u017fTEAM"));
    QVERIFY(!word.matchesUtf8(pad + "\u017f" + "tea" + pad));
    QVERIFY(JetLikePattern::fromUtf8("*steams*").matchesUtf8(pad + "steam\u017f"));
    QVERIFY(JetLikePattern::fromUtf8("*x*ok").matchesUtf8(pad + "o\u212a"));
    QVERIFY(JetLikePattern::fromUtf8("*xok*").matchesUtf8("xo\u212a" + pad));
    QVERIFY(!JetLikePattern::fromUtf8("*xoz*").matchesUtf8("xo\u212a" + pad));
}

void TestJetLike::onlyTwoCharactersFoldIntoAscii()
{
    // The byte-wise matching of ASCII patterns relies on this list.
    QList<char32_t> found;
    for (char32_t c = 0x80; c < 0x110000; ++c)
        if (jetFold(c) < 0x80)
            found << c;
    QCOMPARE(found, (QList<char32_t>{0x017F, 0x212A}));
}

void TestJetLike::invalid_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::newRow("unclosed") << "*[abc*";
    QTest::newRow("lone bracket") << "[";
    QTest::newRow("unclosed negation") << "[!";
    QTest::newRow("descending range") << "[z-a]";
    QTest::newRow("digits descending") << "[9-0]";
    QTest::newRow("double hyphen") << "[a--z]";
    QTest::newRow("hyphen after range") << "[a-c-e]";
}

void TestJetLike::invalid()
{
    QFETCH(QString, pattern);
    try {
        JetLikePattern p(pattern);
        QFAIL("accepted an invalid pattern");
    } catch (const JetError& e) {
        QCOMPARE(e.number(), 3075);
    }
}

void TestJetLike::pathological_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("expected");
    const QString as(50000, QLatin1Char('a'));
    QTest::newRow("10000 stars") << QString(10000, QLatin1Char('*')) << as << true;
    QTest::newRow("stars a...b") << "*a*a*a*a*a*a*a*a*b" << as << false;
    QTest::newRow("alternating star question") << QString("*?").repeated(5000) + "b" << as << false;
    QTest::newRow("long segment near miss") << "*" + QString(200, QLatin1Char('a')) + "b*" << as << false;
    QTest::newRow("list per char") << QString("*[a]").repeated(2000) + "*" << as << true;
    QTest::newRow("1000 any then x") << "*" + QString(1000, QLatin1Char('?')) + "x*" << as << false;
    QTest::newRow("1000 any then x, found") << "*" + QString(1000, QLatin1Char('?')) + "x*" << as + "x" << true;
    QTest::newRow("800 not-x then Q") << "*" + QStringLiteral("[!x]").repeated(800) + "Q*" << as << false;
    QTest::newRow("500 any, not-q, then x") << "*" + QStringLiteral("?[!q]").repeated(500) + "x*" << as << false;
    QTest::newRow("periodic word, periodic text") << "*" + QStringLiteral("ab").repeated(300) + "c*"
                                                 << QStringLiteral("ab").repeated(25000) << false;
}

// A match reads each character of the text a bounded number of times, however
// the pattern is built: no backtracking over the text, no pattern-sized scan
// per position.
void TestJetLike::pathological()
{
    QFETCH(QString, pattern);
    QFETCH(QString, value);
    QFETCH(bool, expected);
    const JetLikePattern p(pattern);
    QCOMPARE(p.matches(value), expected);
    bool matched = !expected;
    const std::size_t reads = p.charactersRead(value, matched);
    QCOMPARE(matched, expected);
    const std::size_t bound = 4 * std::size_t(value.size() + pattern.size());
    QVERIFY2(reads <= bound, qPrintable(QStringLiteral("%1 reads of a text of %2").arg(reads).arg(value.size())));
}

void TestJetLike::order_data()
{
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("higher");
    QTest::newRow("notice before identifiers") << "  Orvane-INT Notice" << "IX-89-01";
    QTest::newRow("notice before digits") << "  Orvane-INT Notice" << "1-23";
    QTest::newRow("a before B") << "a" << "B";
    QTest::newRow("A before b") << "A" << "b";
    QTest::newRow("digit before letter") << "9" << "a";
    QTest::newRow("digit before lower z") << "Z9" << "ZA";
    QTest::newRow("punctuation before digit") << "-" << "0";
    QTest::newRow("tilde before digit") << "~" << "0";
    QTest::newRow("underscore before letter") << "QW_1" << "QWA";
    QTest::newRow("blank before punctuation") << " " << "!";
    QTest::newRow("prefix first") << "QW-40" << "QW-406";
    QTest::newRow("numbers as text") << "QW-406.10" << "QW-406.2";
    QTest::newRow("accent after base") << "e" << "\u00e9";
    QTest::newRow("accent before next letter") << "\u00e9" << "f";
    QTest::newRow("accent weaker than later letter") << "\u00e9a" << "eb";
    // Texts that share their first bytes, down to part of a character.
    QTest::newRow("accents sharing a lead byte") << "x\u00e8" << "x\u00e9";
    QTest::newRow("characters sharing two bytes") << "QW\u20ac" << "QW\u20ad";
    QTest::newRow("accent in a shared run, letter after") << "QW-406 \u00e90" << "QW-406 e1";
}

void TestJetLike::order()
{
    QFETCH(QString, lower);
    QFETCH(QString, higher);
    QVERIFY(jetCompare(lower, higher) < 0);
    QVERIFY(jetCompare(higher, lower) > 0);
    QVERIFY(jetCompareUtf8(lower.toUtf8().toStdString(), higher.toUtf8().toStdString()) < 0);
    QVERIFY(jetCompareUtf8(higher.toUtf8().toStdString(), lower.toUtf8().toStdString()) > 0);
}

void TestJetLike::equalIgnoresCaseOnly()
{
    QCOMPARE(jetCompare(u"QW-406", u"qw-406"), 0);
    QCOMPARE(jetCompareUtf8("\xc3\x89t\xc3\xa9", "\xc3\xa9T\xc3\x89"), 0);   // ÉtÉ / étÉ
    QVERIFY(jetCompare(u"QW-406", u"QW-406 ") != 0);
    QVERIFY(jetCompare(u"e", u"\u00e9") != 0);
    QVERIFY(jetCompare(u"", u" ") < 0);
}

void TestJetLike::sortedList()
{
    QStringList list = {QStringLiteral("b-2"), QStringLiteral("B-10"), QStringLiteral("a"),
                        QStringLiteral("  Orvane-INT Notice"), QStringLiteral("10"),
                        QStringLiteral("#1"), QStringLiteral("A1")};
    std::sort(list.begin(), list.end(),
              [](const QString& x, const QString& y) { return jetCompare(x, y) < 0; });
    const QStringList expected = {QStringLiteral("  Orvane-INT Notice"), QStringLiteral("#1"),
                                  QStringLiteral("10"), QStringLiteral("a"), QStringLiteral("A1"),
                                  QStringLiteral("B-10"), QStringLiteral("b-2")};
    QCOMPARE(list, expected);
}

QTEST_APPLESS_MAIN(TestJetLike)
#include "tst_jetlike.moc"
