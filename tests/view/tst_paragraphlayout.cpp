// The view's lazy layout against Qt's own on the same documents: the same
// lines in the same places, the same hits, the same pixels; and only what is
// asked for laid out until the window is idle.

#include "view/ParagraphLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

using orvane::view::ParagraphLayout;

class TestParagraphLayout : public QObject {
    Q_OBJECT
private slots:
    void linesHitsAndPixelsAsQt_data();
    void linesHitsAndPixelsAsQt();
    void laysOutOnlyWhatIsAsked();
    void heightFallingShortIsToldBeforeScrolling();
};

namespace {

QFont textFont()
{
    QFont font(QStringLiteral("Courier"), 10);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

struct Pair {
    QTextDocument qt, own;
    ParagraphLayout* layout = nullptr;

    Pair(const QString& text, qreal width, qreal eager = 0)
    {
        for (QTextDocument* d : {&qt, &own}) {
            d->setUndoRedoEnabled(false);
            d->setDefaultFont(textFont());
        }
        layout = new ParagraphLayout(&own);
        layout->setEagerHeight(eager);
        own.setDocumentLayout(layout);
        for (QTextDocument* d : {&qt, &own}) {
            QTextCursor c(d);
            c.insertText(text);
            // A navy run and a red overlay, as the view has them.
            c.setPosition(0);
            c.setPosition(qMin(12, d->characterCount() - 1), QTextCursor::KeepAnchor);
            QTextCharFormat navy;
            navy.setForeground(QColor(0, 0, 128));
            c.mergeCharFormat(navy);
            QTextCharFormat red;
            red.setForeground(Qt::red);
            d->begin().layout()->setFormats({{2, 5, red}});
            d->setTextWidth(width);
        }
    }

    QImage paint(QTextDocument& d, const QRectF& clip, int cursor, int selFrom, int selTo)
    {
        QImage image(int(d.textWidth()), int(clip.bottom()) + 1, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = clip;
        ctx.cursorPosition = cursor;
        QTextCursor sel(&d);
        sel.setPosition(selFrom);
        sel.setPosition(selTo, QTextCursor::KeepAnchor);
        QTextCharFormat highlight;
        highlight.setBackground(Qt::darkBlue);
        highlight.setForeground(Qt::white);
        ctx.selections = {{sel, highlight}};
        d.documentLayout()->draw(&p, ctx);
        return image;
    }
};

QString prose(int words, int seed)
{
    static const char* const pool[] = {"the",       "weld",      "joint",     "shall", "be",
                                       "qualified", "procedure", "thickness", "of",    "filler",
                                       "metal",     "preheat",   "QW-406.1"};
    QString s;
    for (int i = 0; i < words; ++i) {
        if (i)
            s += QLatin1Char(' ');
        s += QLatin1String(pool[(i * 7 + seed) % int(std::size(pool))]);
    }
    return s;
}

} // namespace

void TestParagraphLayout::linesHitsAndPixelsAsQt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qreal>("width");
    QTest::newRow("one short line") << QStringLiteral("Reply: Yes.") << 400.0;
    QTest::newRow("a wrapped paragraph") << prose(90, 1) << 260.0;
    QTest::newRow("paragraphs with empty ones between")
        << prose(30, 2) + QStringLiteral("\n\n") + prose(50, 3) + QStringLiteral("\n\n\n") + prose(8, 4)
        << 300.0;
    QTest::newRow("a word longer than the line")
        << QStringLiteral("see ") + QString(70, QLatin1Char('x')) + QStringLiteral(" and on") << 150.0;
    QTest::newRow("tabs and trailing blanks")
        << QStringLiteral("Question:\tIs it\t  permitted?   \nReply:\tNo.  ") << 220.0;
    QTest::newRow("empty document") << QString() << 200.0;
}

void TestParagraphLayout::linesHitsAndPixelsAsQt()
{
    QFETCH(QString, text);
    QFETCH(qreal, width);
    Pair pair(text, width);
    QTextDocument& qt = pair.qt;
    QTextDocument& own = pair.own;

    // Every paragraph where Qt puts it, and every line of it.
    own.documentLayout()->blockBoundingRect(own.lastBlock());
    QVERIFY(pair.layout->isComplete());
    for (QTextBlock a = qt.begin(), b = own.begin(); a.isValid(); a = a.next(), b = b.next()) {
        QTextLayout* la = a.layout();
        QTextLayout* lb = b.layout();
        QCOMPARE(own.documentLayout()->blockBoundingRect(b), qt.documentLayout()->blockBoundingRect(a));
        QCOMPARE(lb->lineCount(), la->lineCount());
        for (int i = 0; i < la->lineCount(); ++i) {
            QCOMPARE(lb->lineAt(i).rect(), la->lineAt(i).rect());
            QCOMPARE(lb->lineAt(i).textStart(), la->lineAt(i).textStart());
            QCOMPARE(lb->lineAt(i).textLength(), la->lineAt(i).textLength());
        }
    }
    // The exact height once all is laid out.
    QTRY_COMPARE(own.documentLayout()->documentSize(), qt.documentLayout()->documentSize());
    const QSizeF size = qt.documentLayout()->documentSize();

    // The same position for a click anywhere, on the edges between
    // paragraphs, and outside the text.
    QList<qreal> ys;
    for (qreal y = -5; y < size.height() + 10; y += 7)
        ys << y;
    for (QTextBlock a = qt.begin(); a.isValid(); a = a.next())
        ys << qt.documentLayout()->blockBoundingRect(a).top();
    for (qreal y : ys)
        for (qreal x = -5; x < width + 10; x += 13)
            for (Qt::HitTestAccuracy accuracy : {Qt::FuzzyHit, Qt::ExactHit})
                QCOMPARE(own.documentLayout()->hitTest({x, y}, accuracy),
                         qt.documentLayout()->hitTest({x, y}, accuracy));

    // The same pixels: colours, a selection across a paragraph break, the caret.
    const int last = own.characterCount() - 1;
    const QRectF clip(0, 0, width, size.height());
    QCOMPARE(pair.paint(own, clip, last / 3, last / 4, last), pair.paint(qt, clip, last / 3, last / 4, last));
}

void TestParagraphLayout::laysOutOnlyWhatIsAsked()
{
    QString text;
    for (int i = 0; i < 400; ++i)
        text += prose(12 + i % 20, i) + QLatin1Char('\n');
    Pair pair(text, 300, 120);
    QTextDocument& own = pair.own;
    const auto laidOut = [&] {
        int n = 0;
        for (QTextBlock b = own.begin(); b.isValid(); b = b.next())
            n += b.layout()->lineCount() > 0;
        return n;
    };
    const qreal exact = pair.qt.documentLayout()->documentSize().height();
    QSignalSpy resized(pair.layout, &QAbstractTextDocumentLayout::documentSizeChanged);

    // The eager height, then what a paint shows: nothing more.
    const int eager = laidOut();
    QVERIFY(eager >= 1 && eager < 20);
    QVERIFY(own.documentLayout()->blockBoundingRect(own.findBlockByNumber(eager - 1)).bottom() >= 120);
    // Meanwhile the height is an estimate, near enough for a scroll bar.
    const qreal estimate = own.documentLayout()->documentSize().height();
    QVERIFY2(qAbs(estimate - exact) < exact * 0.15,
             qPrintable(QStringLiteral("%1 vs %2").arg(estimate).arg(exact)));
    pair.paint(own, QRectF(0, 2000, 300, 200), -1, 0, 0);
    const int painted = laidOut();
    QVERIFY(painted > eager && painted < 400);
    QCOMPARE(own.documentLayout()->hitTest({10, 2100}, Qt::FuzzyHit),
             pair.qt.documentLayout()->hitTest({10, 2100}, Qt::FuzzyHit));
    QCOMPARE(laidOut(), painted);
    // A paint does not move the scroll bar.
    QCOMPARE(resized.count(), 0);

    // Idle, the rest is laid out and the height becomes exact.
    QTRY_VERIFY(pair.layout->isComplete());
    QTRY_COMPARE(own.documentLayout()->documentSize().height(), exact);
    QCOMPARE(laidOut(), own.blockCount());

    // A new width starts again from the top.
    own.setTextWidth(200);
    pair.qt.setTextWidth(200);
    QVERIFY(laidOut() < 20);
    QCOMPARE(own.documentLayout()->blockBoundingRect(own.lastBlock()),
             pair.qt.documentLayout()->blockBoundingRect(pair.qt.lastBlock()));
}

void TestParagraphLayout::heightFallingShortIsToldBeforeScrolling()
{
    // Lines 11 characters wide, words of 6: one word a line, where the
    // estimate counts nearly two.
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("abcdef abcdef abcdef abcdef abcdef abcdef\n");
    Pair pair(text, 8 + 11 * QFontMetricsF(textFont()).averageCharWidth(), 50);
    const qreal exact = pair.qt.documentLayout()->documentSize().height();
    QAbstractTextDocumentLayout* own = pair.own.documentLayout();
    QVERIFY(own->documentSize().height() < exact);

    // Asked where the last paragraph is (the caret sent to the end), the
    // layout tells the view the real height before the view scrolls there.
    QSignalSpy resized(own, &QAbstractTextDocumentLayout::documentSizeChanged);
    own->blockBoundingRect(pair.own.lastBlock());
    QCOMPARE(resized.count(), 1);
    QCOMPARE(own->documentSize().height(), exact);
}

QTEST_MAIN(TestParagraphLayout)
#include "tst_paragraphlayout.moc"
