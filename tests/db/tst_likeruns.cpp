// Randomized differential tests of the LIKE matchers: the single-pattern
// matcher against a plain dynamic-programming matcher, runs of patterns
// against testing each pattern on its own, and the engine's joined runs
// against the same statement with every LIKE test on its own. Seeded, so a
// failure repeats; each reports the text and patterns that disagree.

#include "db/Engine.h"
#include "db/JetCollation.h"
#include "db/JetLike.h"
#include "db/JetLikeList.h"

#include <QRandomGenerator>
#include <QTest>

#include <string>
#include <vector>

using namespace orvane::db;

namespace {

// Characters the texts are made of: ASCII, Windows-1252 letters in both
// cases, the two characters that fold into ASCII (long s, Kelvin sign), the
// no-break space, digits, blanks and a character beyond the BMP.
const QStringList kAlphabet = {
    "a", "b", "c", "s", "k", "x", "q", "A", "B", "S", "K", "X", "Q", " ", " ", "1", "7", "-",
    "\u00e9", "\u00c9", "\u00df", "\u00ff", "\u0178", "\u0153", "\u0152", "\u0161", "\u0160",
    "\u017f", "\u212a", "\u00a0", "\u20ac", "\U0001F600"};

// One pattern element, kept in a form the reference matcher reads directly.
struct Token {
    enum Kind { Literal, Star, Any, Digit, Set };
    Token(Kind k) : kind(k) {}
    Kind kind;
    QString ch;                // Literal
    QStringList singles;       // Set
    QList<QPair<QString, QString>> ranges;
    bool negated = false;
};

QString textOf(const std::vector<Token>& tokens)
{
    QString p;
    for (const Token& t : tokens) {
        switch (t.kind) {
        case Token::Literal: p += t.ch; break;
        case Token::Star: p += '*'; break;
        case Token::Any: p += '?'; break;
        case Token::Digit: p += '#'; break;
        case Token::Set:
            p += '[';
            if (t.negated)
                p += '!';
            for (const QString& c : t.singles)
                p += c;
            for (const auto& [lo, hi] : t.ranges)
                p += lo + '-' + hi;
            p += ']';
            break;
        }
    }
    return p;
}

char32_t ucs4(const QString& s)
{
    return s.toUcs4().value(0);
}

bool tokenMatches(const Token& t, char32_t c)
{
    const char32_t f = jetFold(c);
    switch (t.kind) {
    case Token::Literal: return jetFold(ucs4(t.ch)) == f;
    case Token::Any: return true;
    case Token::Digit: return f >= U'0' && f <= U'9';
    case Token::Star: return false;
    case Token::Set: {
        bool in = false;
        for (const QString& s : t.singles)
            in = in || jetFold(ucs4(s)) == f;
        const JetCharWeight w = jetCharWeight(f);
        for (const auto& [lo, hi] : t.ranges)
            in = in || (jetComparePrimary(jetCharWeight(ucs4(lo)), w) <= 0 && jetComparePrimary(w, jetCharWeight(ucs4(hi))) <= 0);
        return in != t.negated;
    }
    }
    return false;
}

// The textbook matcher: which pattern prefixes match which text prefixes.
bool referenceMatch(const std::vector<Token>& p, const QString& text)
{
    const QList<uint> t = text.toUcs4();
    std::vector<char> row(t.size() + 1, 0), next(t.size() + 1);
    row[0] = 1;
    for (const Token& tok : p) {
        std::fill(next.begin(), next.end(), 0);
        for (qsizetype j = 0; j <= t.size(); ++j) {
            if (tok.kind == Token::Star)
                next[j] = row[j] || (j > 0 && next[j - 1]);
            else if (j > 0)
                next[j] = row[j - 1] && tokenMatches(tok, t[j - 1]);
        }
        row.swap(next);
    }
    return row[t.size()];
}

QString randomText(QRandomGenerator& rng, int maxLength, const QStringList& pieces = {}, int pieceShare = 3)
{
    QString s;
    const int length = int(rng.bounded(maxLength + 1));
    while (s.size() < length) {
        if (!pieces.isEmpty() && int(rng.bounded(4)) < pieceShare)
            s += pieces[rng.bounded(int(pieces.size()))];
        else
            s += kAlphabet[rng.bounded(int(kAlphabet.size()))];
    }
    return s;
}

QString randomChar(QRandomGenerator& rng)
{
    QString c;
    do
        c = kAlphabet[rng.bounded(int(kAlphabet.size()))];
    while (c == "*" || c == "?" || c == "#" || c == "[");
    return c;
}

Token randomElement(QRandomGenerator& rng)
{
    switch (rng.bounded(10)) {
    case 0: return {Token::Any};
    case 1: return {Token::Digit};
    case 2:
    case 3: {
        Token t{Token::Set};
        t.negated = rng.bounded(2);
        const int n = 1 + int(rng.bounded(3));
        for (int i = 0; i < n; ++i)
            t.singles << randomChar(rng).remove('-').remove(']').remove('!');
        t.singles.removeAll(QString());
        if (t.singles.isEmpty())
            t.singles << "b";
        if (rng.bounded(3) == 0)
            t.ranges.append(rng.bounded(2) ? qMakePair(QString("a"), QString("k")) : qMakePair(QString("0"), QString("5")));
        return t;
    }
    default: {
        Token t{Token::Literal};
        t.ch = randomChar(rng);
        return t;
    }
    }
}

// Stars between runs of elements; a run is sometimes one element repeated
// many times, so that long cores of few runs and the bit-parallel scan over
// several words are reached.
std::vector<Token> randomPattern(QRandomGenerator& rng)
{
    std::vector<Token> p;
    const int parts = 1 + int(rng.bounded(4));
    for (int part = 0; part < parts; ++part) {
        if (part > 0 || rng.bounded(2))
            p.push_back({Token::Star});
        if (rng.bounded(6) == 0) {
            // A long core of many short runs (two elements taking turns),
            // often of elements that seldom fail: `?` and one character
            // excluded.
            Token b = randomElement(rng);
            if (rng.bounded(2)) {
                b = Token{Token::Set};
                b.negated = true;
                b.singles << randomChar(rng);
            }
            const Token a = rng.bounded(2) ? Token{Token::Any} : randomElement(rng);
            const int n = 20 + int(rng.bounded(300));
            for (int i = 0; i < n; ++i)
                p.push_back(i % 2 ? a : b);
            continue;
        }
        const int chunks = 1 + int(rng.bounded(3));
        for (int chunk = 0; chunk < chunks; ++chunk) {
            const Token e = randomElement(rng);
            const int n = rng.bounded(3) == 0 ? 1 + int(rng.bounded(90)) : 1;
            for (int i = 0; i < n; ++i)
                p.push_back(e);
        }
    }
    if (rng.bounded(2))
        p.push_back({Token::Star});
    return p;
}

std::string utf8(const QString& s)
{
    return s.toUtf8().toStdString();
}

} // namespace

class TestLikeRuns : public QObject {
    Q_OBJECT

private slots:
    void patternAgreesWithReference();
    void runAgreesWithOneByOne();
    void engineJoinedAgreesWithPlain();
    void damagedInput();
};

void TestLikeRuns::patternAgreesWithReference()
{
    QRandomGenerator rng(131);
    int matched = 0;
    for (int round = 0; round < 6000; ++round) {
        const std::vector<Token> tokens = randomPattern(rng);
        const QString pattern = textOf(tokens);
        const JetLikePattern wide(pattern);
        const JetLikePattern bytes = JetLikePattern::fromUtf8(utf8(pattern));
        for (int k = 0; k < 4; ++k) {
            // Long texts of a single character repeated meet the long runs.
            QString text = randomText(rng, k == 3 ? 400 : 60);
            if (k == 2) {
                // Long streaks of a character and of its neighbours.
                const QString c = randomChar(rng);
                text = text + c.repeated(int(rng.bounded(120))) + randomChar(rng) + c.repeated(int(rng.bounded(120)))
                     + randomChar(rng).repeated(int(rng.bounded(60))) + text;
            }
            const bool expected = referenceMatch(tokens, text);
            matched += expected;
            if (wide.matches(text) != expected || bytes.matchesUtf8(utf8(text)) != expected)
                QFAIL(qPrintable(QStringLiteral("\"%1\" LIKE \"%2\": expected %3").arg(text, pattern).arg(expected)));
        }
    }
    QVERIFY2(matched > 600, qPrintable(QString::number(matched)));
}

void TestLikeRuns::runAgreesWithOneByOne()
{
    // Words made of pieces that overlap and nest, so that the automaton
    // reports words inside words and words ending where others begin.
    const QStringList pieces = {"pre", "heat", "PREHEAT", "at", "a", "ab", "aB", "ss", "\u017f", "k", "\u212a",
                                "\u00e9t\u00e9", "\u00c9T\u00c9", "\u00a0", "x", "q"};
    QRandomGenerator rng(2013);
    int matchedAll = 0, matchedAny = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::string> patterns;
        const int count = 1 + int(rng.bounded(round % 10 == 0 ? 300 : 12));
        for (int i = 0; i < count; ++i) {
            QString p;
            const QString piece = pieces[rng.bounded(int(pieces.size()))];
            if (rng.bounded(12) == 0)
                p = textOf(randomPattern(rng));
            else if (rng.bounded(6) == 0)   // wildcards next to a stretch the texts hold
                p = QStringList{"*" + piece + "?" + piece + "*", "*" + piece + "#*", "*[ab]" + piece + "*",
                                "*" + piece + "*" + piece + "?*"}[rng.bounded(4)];
            else if (rng.bounded(30) == 0)
                p = "**";
            else
                p = "*" + pieces[rng.bounded(int(pieces.size()))] + (rng.bounded(3) ? QString() : pieces[rng.bounded(int(pieces.size()))]) + "*";
            patterns.push_back(utf8(p));
        }
        const JetLikeList all(patterns, JetLikeList::Join::All);
        const JetLikeList any(patterns, JetLikeList::Join::Any);
        std::vector<JetLikePattern> single;
        for (const std::string& p : patterns)
            single.push_back(JetLikePattern::fromUtf8(p));
        for (int k = 0; k < 5; ++k) {
            const std::string text = utf8(randomText(rng, k == 0 ? 8 : 400, pieces, k % 2 ? 3 : 4));
            bool expectAll = true, expectAny = false;
            for (const JetLikePattern& p : single) {
                const bool m = p.matchesUtf8(text);
                expectAll = expectAll && m;
                expectAny = expectAny || m;
            }
            matchedAll += expectAll;
            matchedAny += expectAny;
            if (all.matchesUtf8(text) != expectAll || any.matchesUtf8(text) != expectAny) {
                QString list;
                for (const std::string& p : patterns)
                    list += QString::fromStdString(p) + " | ";
                QFAIL(qPrintable(QStringLiteral("\"%1\" against %2: all %3, any %4")
                                     .arg(QString::fromStdString(text), list)
                                     .arg(expectAll)
                                     .arg(expectAny)));
            }
        }
    }
    // Both answers occur often enough to mean something.
    const QString counts = QStringLiteral("all %1, any %2 of 15000").arg(matchedAll).arg(matchedAny);
    QVERIFY2(matchedAll > 300 && matchedAny < 14500, qPrintable(counts));
}

void TestLikeRuns::engineJoinedAgreesWithPlain()
{
    // The program's statements, keyword runs of up to 200 words in And and
    // Or, alone and under a paragraph, with the runs joined and test by test.
    QRandomGenerator rng(406);
    const QStringList vocabulary = {"weld", "heat", "pre", "preheat", "min", "minimum", "QW", "406", "\u00e9t\u00e9",
                                    "\u017ftress", "\u212aelvin", "a", "x", "#", "?", "[a-c]", "[!x]"};
    orvane::jet::TableData texts;
    texts.name = "INT09";
    texts.columns = {"INTER_STR", "INTER_TEXT"};
    orvane::jet::TableData index;
    index.name = "INX09";
    index.columns = {"Reference", "INTER_STR"};
    for (int i = 0; i < 120; ++i) {
        const QString id = QStringLiteral("IX-%1").arg(i, 3, 10, QLatin1Char('0'));
        QString text;
        const int words = int(rng.bounded(40));
        for (int w = 0; w < words; ++w)
            text += vocabulary[rng.bounded(int(vocabulary.size()))] + ' ' + randomText(rng, 3);
        texts.rows.push_back({id, i % 17 == 0 ? std::optional<QString>() : std::optional<QString>(text)});
        index.rows.push_back({i % 3 ? QStringLiteral("QW-406") : QStringLiteral("QW-407"), id});
    }
    auto db = Database::fromTableSource("memory", [&](const QString& name) {
        if (name.compare("INT09", Qt::CaseInsensitive) == 0)
            return texts;
        if (name.compare("INX09", Qt::CaseInsensitive) == 0)
            return index;
        throw JetError(kTableNotFound, "no table");
    });
    for (int round = 0; round < 200; ++round) {
        QStringList words;
        const int count = 1 + int(rng.bounded(round % 5 == 0 ? 200 : 6));
        for (int i = 0; i < count; ++i)
            words << (rng.bounded(4) ? vocabulary[rng.bounded(int(vocabulary.size()))] : randomText(rng, 3));
        const bool isAnd = round % 2 == 0;
        QString clause = QStringLiteral("FROM INT09 WHERE ") + (isAnd ? "" : "(");
        for (int i = 0; i < words.size(); ++i)
            clause += (i ? (isAnd ? " AND " : " OR ") : "") + QStringLiteral(" [INTER_TEXT] LIKE \"*%1*\"").arg(words[i]);
        clause += isAnd ? "" : ")";
        const QString sql = round % 3 == 0
            ? "SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = \"QW-406\" AND [INTER_STR] IN (SELECT [INTER_STR] " + clause + ")"
            : "SELECT DISTINCT [INTER_STR] " + clause;
        db->setLikeRunsJoined(false);
        const Snapshot plain = db->execute(sql + " ORDER BY [INTER_STR]");
        db->setLikeRunsJoined(true);
        const Snapshot joined = db->execute(sql + " ORDER BY [INTER_STR]");
        QCOMPARE(joined.rows, plain.rows);
    }
}

void TestLikeRuns::damagedInput()
{
    // Malformed UTF-8 in words and texts reads as U+FFFD, a character of
    // three bytes for each byte: the runs' answers are those of the words
    // on their own.
    const std::string broken = "pre\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xfeheat";
    const std::vector<std::string> patterns = {"*" + broken + "*", "*weld*", "*k*", "*heat*", "*pre*", "*\xc3*"};
    for (const std::string& text : {"weld k " + broken, std::string("pre\xef\xbf\xbdheat weld"), "x\xc3" + broken + "k weld"}) {
        bool all = true, any = false;
        for (const std::string& p : patterns) {
            const bool m = JetLikePattern::fromUtf8(p).matchesUtf8(text);
            all = all && m;
            any = any || m;
        }
        QCOMPARE(JetLikeList(patterns, JetLikeList::Join::All).matchesUtf8(text), all);
        QCOMPARE(JetLikeList(patterns, JetLikeList::Join::Any).matchesUtf8(text), any);
    }

    const QString packed = JetLikeList::pack({"*a*", "", "*\u00e9:9*", "12:"});
    QCOMPARE(JetLikeList::unpack(utf8(packed)), (std::vector<std::string>{"*a*", "", utf8("*\u00e9:9*"), "12:"}));
    for (const char* bad : {"3:*a", "x:abc", ":", "3*a*", "99999999999999999999:a"}) {
        try {
            JetLikeList::unpack(bad);
            QFAIL(bad);
        } catch (const JetError& e) {
            QCOMPARE(e.number(), 3075);
        }
    }
}

QTEST_APPLESS_MAIN(TestLikeRuns)
#include "tst_likeruns.moc"
