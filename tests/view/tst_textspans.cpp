#include "support/DrawnColours.h"
#include "view/TextSpans.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace orvane::view;

using Spans = QList<TextSpan>;
Q_DECLARE_METATYPE(Spans)

namespace {

char* spansToString(const Spans& spans)
{
    QByteArray out;
    for (const TextSpan& s : spans)
        out += '(' + QByteArray::number(s.start) + ',' + QByteArray::number(s.length) + ')';
    return qstrdup(out.constData());
}

// The characters drawn in `colour`, as "|"-separated runs; a paragraph
// mark inside a run shows as "\n".
QString colouredRuns(const QTextDocument& doc, const QColor& colour)
{
    const QString text = doc.toRawText();
    const QList<QColor> drawn = orvane::testing::drawnColours(doc);
    const auto marked = [&](qsizetype i) {
        return drawn[i] == colour || (text.at(i) == QChar::ParagraphSeparator && i > 0 && i + 1 < text.size()
                                      && drawn[i - 1] == colour && drawn[i + 1] == colour);
    };
    QString runs;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (marked(i))
            runs += text.at(i) == QChar::ParagraphSeparator ? QChar('\n') : text.at(i);
        if (marked(i) && (i + 1 == text.size() || !marked(i + 1)))
            runs += QLatin1Char('|');
    }
    return runs;
}

} // namespace

namespace QTest {
template <> char* toString(const Spans& spans) { return spansToString(spans); }
}

class tst_TextSpans : public QObject {
    Q_OBJECT

private slots:
    void documentTextOneCharPerLineEnd()
    {
        QCOMPARE(documentText("a\r\nb\rc\nd"), QString("a\nb\nc\nd"));
        QCOMPARE(documentText("\r\n\r\n"), QString("\n\n"));
        // The string the view holds is exactly the one the spans index.
        const QStringList samples{"Subject:\r\nx\r\r\n\ty", "a\u2029b\u2028c\u00a0d"};
        for (const QString& stored : samples) {
            QTextDocument doc;
            doc.setPlainText(documentText(stored));
            QCOMPARE(doc.toRawText().replace(QChar::ParagraphSeparator, QChar('\n')), documentText(stored));
        }
    }

    void headings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Spans>("spans");
        const QString full = "Interpretation: IX-01\nSubject: QW-406\nDate Issued: 1 May\nFile: BC-1\n";
        QTest::newRow("all four") << full << Spans{{0, 14}, {22, 7}, {38, 11}, {57, 4}};
        QTest::newRow("first occurrence only") << "Interpretation: x File: a File: b"
                                               << Spans{{0, 14}, {18, 4}};
        QTest::newRow("no Interpretation: all navy") << "Subject: a\nb" << Spans{{0, 12}, {0, 7}};
        QTest::newRow("later heading missing") << "Interpretation: 1" << Spans{{0, 14}};
        QTest::newRow("other case not a heading") << "Interpretation: 1 subject: x" << Spans{{0, 14}};
        QTest::newRow("heading word without colon") << "Interpretation: Subject x" << Spans{{0, 14}};
        QTest::newRow("empty") << "" << Spans{};
    }
    void headings()
    {
        QFETCH(QString, text);
        QFETCH(Spans, spans);
        QCOMPARE(headingSpans(text), spans);
    }

    void keywords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("keywords");
        QTest::addColumn<bool>("phrase");
        QTest::addColumn<Spans>("spans");
        QTest::newRow("inside longer words") << "preheat is heated" << "pre heat" << false
                                             << Spans{{0, 3}, {3, 4}, {11, 4}};
        QTest::newRow("no overlap") << "aaa" << "aa" << false << Spans{{0, 2}};
        QTest::newRow("aaaa twice") << "aaaa" << "aa" << false << Spans{{0, 2}, {2, 2}};
        QTest::newRow("case ignored") << "Preheat PREHEAT" << "pREheat" << false << Spans{{0, 7}, {8, 7}};
        QTest::newRow("case ignored beyond ASCII") << QString::fromUtf8("ÄNDERUNG änderung")
                                                   << QString::fromUtf8("Änderung") << false
                                                   << Spans{{0, 8}, {9, 8}};
        QTest::newRow("final sigma folds to sigma") << QString::fromUtf8("ΣΟΦΟΣ σοφος")
                                                    << QString::fromUtf8("σοφοσ") << true << Spans{{0, 5}, {6, 5}};
        QTest::newRow("case ignored in surrogate pairs") << QString::fromUtf8("𐐀x 𐐨x") << QString::fromUtf8("𐐨X")
                                                         << false << Spans{{0, 3}, {4, 3}};
        QTest::newRow("first character") << "weld" << "w" << false << Spans{{0, 1}};
        QTest::newRow("near misses, then the last characters") << "pre pr pre" << "pre" << false
                                                                << Spans{{0, 3}, {7, 3}};
        QTest::newRow("empty pieces colour nothing") << "a b" << " a  b " << false << Spans{{0, 1}, {2, 1}};
        QTest::newRow("phrase whole entry") << "minimum preheat, minimum  preheat" << "minimum preheat" << true
                                            << Spans{{0, 15}};
        QTest::newRow("phrase not across line end") << documentText("minimum\r\npreheat") << "minimum preheat"
                                                     << true << Spans{};
        QTest::newRow("phrase keeps its blanks") << "heat preheat x" << "heat " << true << Spans{{0, 5}, {8, 5}};
        QTest::newRow("word mode: phrase words apart") << documentText("minimum\r\npreheat") << "minimum preheat"
                                                       << false << Spans{{0, 7}, {8, 7}};
        QTest::newRow("repeated word coloured twice") << "ab" << "a a" << false << Spans{{0, 1}, {0, 1}};
        QTest::newRow("empty entry") << "abc" << "" << false << Spans{};
        QTest::newRow("empty text") << "" << "a" << true << Spans{};
        QTest::newRow("no match") << "abc" << "x" << false << Spans{};
    }
    void keywords()
    {
        QFETCH(QString, text);
        QFETCH(QString, keywords);
        QFETCH(bool, phrase);
        QFETCH(Spans, spans);
        QCOMPARE(keywordSpans(text, keywords, phrase), spans);
    }

    // The printed document (colours in the text) and the shown one (search
    // words drawn over it) colour the same characters.
    void documentColours_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::newRow("printed") << false;
        QTest::newRow("shown") << true;
    }
    void documentColours()
    {
        QFETCH(bool, shown);
        QTextDocument doc;
        const auto load = [&](const QString& stored, const QString& keywords, bool phrase) {
            if (shown)
                showDocumentText(doc, documentText(stored), keywords, phrase);
            else
                formatInterpretation(doc, stored, keywords, phrase);
        };
        load("Interpretation: IX-1\r\nSubject: preheat\r\nDate Issued: 1\r\nFile: x", "subject PREH", false);
        // The keyword that is also a heading turns the heading red.
        QCOMPARE(colouredRuns(doc, kSearchColour), QString("Subject|preh|"));
        QCOMPARE(colouredRuns(doc, kHeadingColour), QString("Interpretation|Date Issued|File|"));

        // Reloading resets every colour.
        load("plain\r\nSubject: a", "", false);
        QCOMPARE(colouredRuns(doc, kSearchColour), QString());
        QCOMPARE(colouredRuns(doc, kHeadingColour), QString("plain\nSubject: a|"));

        // Positions after several line ends still land on the word, and
        // overlapping words and words at a paragraph's ends are drawn whole.
        load("Interpretation:\r\n\r\n\r\nx weld y\r\nweld\r\nx preheat", "weld eld preh heat", false);
        QCOMPARE(colouredRuns(doc, kSearchColour), QString("weld|weld|preheat|"));
    }

    void spansOutsideAreClipped()
    {
        QTextDocument doc;
        doc.setPlainText("abc");
        colourSpans(doc, {{2, 10}, {-5, 6}, {7, 1}}, kSearchColour);
        QCOMPARE(colouredRuns(doc, kSearchColour), QString("a|c|"));
    }
};

QTEST_MAIN(tst_TextSpans)
#include "tst_textspans.moc"
