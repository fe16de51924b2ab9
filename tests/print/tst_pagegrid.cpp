#include "print/PageGrid.h"

#include <QTest>

using namespace orvane::print;

namespace QTest {
template <> char* toString(const TwipRect& r)
{
    return qstrdup(QByteArray::number(r.left).append(',').append(QByteArray::number(r.top)).append(',')
                       .append(QByteArray::number(r.right)).append(',').append(QByteArray::number(r.bottom)).constData());
}
}

class tst_PageGrid : public QObject {
    Q_OBJECT

private slots:
    void grid_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<double>("unitX");
        QTest::addColumn<double>("unitY");
        QTest::addColumn<int>("width");
        // Letter, 8.5 x 11 in.
        QTest::newRow("letter portrait") << 12240 << 15840 << 47.9808 << 44.5207100591716 << 230;
        // 12240 / 240 * 0.98 = 49.98, rounds to 50; 15840 \ 50 = 316.
        QTest::newRow("letter landscape") << 15840 << 12240 << 49.98 << 34.4023668639053 << 286;
        // A4 landscape: 11906 / 240 * 0.98 = 48.6162 -> 49; 16838 \ 49 = 343.
        QTest::newRow("a4 landscape") << 16838 << 11906 << 48.616166666667 << 33.4636094674556 << 313;
        // Square pages use the portrait rule.
        QTest::newRow("square") << 14400 << 14400 << 56.448 << 40.4733727810651 << 230;
        // A strip too short for a whole grid unit: width 0, no division by zero.
        QTest::newRow("tiny landscape") << 1000 << 100 << 0.408333333333 << 0.281065088757 << 0;
    }
    void grid()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(double, unitX);
        QFETCH(double, unitY);
        QFETCH(int, width);
        const PageGrid g = computePageGrid(w, h);
        QVERIFY2(qAbs(g.gridUnitX - unitX) < 1e-6, qPrintable(QString::number(g.gridUnitX, 'g', 15)));
        QVERIFY2(qAbs(g.gridUnitY - unitY) < 1e-6, qPrintable(QString::number(g.gridUnitY, 'g', 15)));
        QCOMPARE(g.gridWidth, width);
    }

    void frameOnPortraitPage()
    {
        const int w = 12240, h = 15840;
        const PageGrid g = computePageGrid(w, h);
        const PageFrame f = pageFrame(g);
        const auto pct = [](double v, int of) { return qRound(v / of * 10000) / 100.0; };
        QCOMPARE(pct(f.frameLeft, w), 7.84);
        QCOMPARE(pct(f.frameRight, w), 98.0);
        QCOMPARE(pct(f.headerRules[0].y1(), h), 1.41);
        QCOMPARE(pct(f.headerRules[1].y1(), h), 7.03);
        QCOMPARE(pct(f.productNameY, h), 2.25);
        QCOMPARE(pct(f.copyrightY, h), 4.78);
        QCOMPARE(pct(f.footerRules[0].y1(), h), 91.07);
        QCOMPARE(pct(f.footerRules[1].y2(), h), 92.75);
        QCOMPARE(pct(f.footerTextY, h), 91.35);
        QCOMPARE(f.headerRules[0].x1(), f.frameLeft);
        QCOMPARE(f.footerRules[1].x2(), f.frameRight);
    }

    void frameOnLandscapePageEndsAtGridWidth()
    {
        const PageGrid g = computePageGrid(15840, 12240);
        const PageFrame f = pageFrame(g);
        QCOMPARE(f.frameRight, (286 + 20) * 49.98);
        QCOMPARE(f.footerRules[0].x2(), f.frameRight);
    }

    void textPlacement()
    {
        const PageGrid g = computePageGrid(12240, 15840);
        // Centred: equal room on both sides within the rules.
        const double x = centredX(g, 2000);
        const PageFrame f = pageFrame(g);
        QVERIFY(qAbs((x - f.frameLeft) - (f.frameRight - (x + 2000))) < 1e-9);
        QVERIFY(qAbs(rightAlignedX(g, 3000) + 3000 - f.frameRight) < 1e-9);
        QCOMPARE(trademarkX(g, 2000), x + 2000);
    }

    void gridLineOverflow()
    {
        const PageGrid g = computePageGrid(12240, 15840);
        QVERIFY(gridLine(g, 0, 0, 230, 0).has_value());
        QCOMPARE(gridLine(g, 0, 20, 230, 20)->p2(), gridPoint(g, 230, 20));
        QVERIFY(!gridLine(g, 0, 0, 32748, 0).has_value());
        QVERIFY(!gridLine(g, 0, 32763, 1, 0).has_value());
        QVERIFY(gridLine(g, 32747, 0, 0, 32762).has_value());
    }

    void margins_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::newRow("letter") << 12240 << 15840 << 1530 << 1760;
        QTest::newRow("a4") << 11906 << 16838 << 1488 << 1871;           // 1488.25, 1870.89
        QTest::newRow("half to even, down") << 12244 << 9000 << 1530 << 1000; // 1530.5
        QTest::newRow("half to even, up") << 12252 << 9001 << 1532 << 1000;   // 1531.5, 1000.1
        QTest::newRow("landscape") << 15840 << 12240 << 1980 << 1360;
    }
    void margins()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(int, x);
        QFETCH(int, y);
        QCOMPARE(bodyMargins(w, h), (TwipMargins{x, y, x, y}));
    }

    void drawingRectangle()
    {
        const TwipMargins m = bodyMargins(12240, 15840);
        // 0.25 in printable-area offset at 600 dpi: 150 px = 360 twips.
        const int px = offsetTwips(150, 600), py = offsetTwips(75, 600);
        QCOMPARE(px, 360);
        QCOMPARE(py, 180);
        QCOMPARE(*drawingRect(12240, 15840, m, px, py), (TwipRect{1170, 1580, 10350, 13900}));
        QCOMPARE(*drawingRect(12240, 15840, m, 0, 0), (TwipRect{1530, 1760, 10710, 14080}));
        QCOMPARE(pageRect(12240, 15840), (TwipRect{0, 0, 12240, 15840}));
        QVERIFY(!drawingRect(12240, 15840, {1, 1, -2147483647, 1}, 0, 0).has_value());
    }

    void conversions()
    {
        QCOMPARE(offsetTwips(1, 300), 5);      // 4.8
        QCOMPARE(offsetTwips(0, 600), 0);
        QCOMPARE(offsetTwips(10, 0), 0);
        QCOMPARE(roundHalfEven(2.5), 2LL);
        QCOMPARE(roundHalfEven(3.5), 4LL);
        QCOMPARE(roundHalfEven(-2.5), -2LL);
        QCOMPARE(roundHalfEven(-2.6), -3LL);
        QCOMPARE(roundHalfEven(49.98), 50LL);
    }

    void copyrightLines()
    {
        QCOMPARE(headerCopyrightLine(2014, true),
                 QString("ASME Boiler & Pressure Vessel Code Interpretations, Copyright(c) 1974-2014 "
                         "The American Society of Mechanical Engineers"));
        QCOMPARE(headerCopyrightLine(2025, false),
                 QString("ASME B&PV Code Interpretations, Copyright(c) 1974-2025 "
                         "The American Society of Mechanical Engineers"));
    }
};

QTEST_GUILESS_MAIN(tst_PageGrid)
#include "tst_pagegrid.moc"
