// The interpretation view of the main window on a real database file:
// lookups, heading and keyword colours, the results list, navigation, the
// pick lists and the time it takes to show a long interpretation.

#include "core/Settings.h"
#include "support/DrawnColours.h"
#include "support/InterpretationDb.h"
#include "ui/MainWindow.h"
#include "app/Controller.h"
#include "app/ProgramState.h"
#include "support/ScriptedPlatform.h"
#include "support/WindowControls.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>
#include <algorithm>

using namespace orvane::ui;
using namespace orvane::app;
using orvane::testing::controls;
namespace t = orvane::testing;

namespace {

// The drop-down lists are filled by the controller; these cases put rows in directly.
void pickRows(ListView* list, const QStringList& rows)
{
    qobject_cast<PickListModel*>(list->model())->setRows(rows);
}

const QColor kBlack(0, 0, 0);
const QColor kNavy(0, 0, 128);
const QColor kRed(255, 0, 0);

const QString kSeparator = QStringLiteral("    ******************");

QStringList runs(const QTextDocument* doc, const QColor& colour)
{
    return orvane::testing::drawnRuns(*doc, colour);
}

// Characters in none of the view's three colours.
int strayCharacters(const QTextDocument* doc)
{
    const QList<QColor> colours = orvane::testing::drawnColours(*doc);
    return int(std::count_if(colours.begin(), colours.end(), [](const QColor& c) {
        return c.isValid() && c != kBlack && c != kNavy && c != kRed;
    }));
}

// A section table INT07 for colour tests: one row per text, ids T1, T2, ...
t::DbPlan viewSpec(const QStringList& extraTexts = {})
{
    t::DbPlan plan = t::standardPlan();
    t::Section s7;
    s7.userName = QStringLiteral("Section VII");
    s7.table = QStringLiteral("INT07");
    for (int i = 0; i < extraTexts.size(); ++i)
        s7.rows.push_back({QStringLiteral("T%1").arg(i + 1), extraTexts.at(i), QStringLiteral("7")});
    t::Interpretation nulls{QStringLiteral("NULLS"), QString(), QString()};
    nulls.nullText = true;
    nulls.nullVol = true;
    s7.rows.push_back(nulls);
    plan.sections.push_back(s7);
    return plan;
}

// The window over a freshly written database, with `table` in use.
struct Fixture {
    QTemporaryDir dir;
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();
    std::unique_ptr<orvaneIntMain> w;
    t::DbPlan plan;
    int fills = 0;

    explicit Fixture(const t::DbPlan& plan_ = viewSpec(), const QString& table = QStringLiteral("INT09"))
        : plan(plan_)
    {
        const QString path = t::writeInterpretationDb(dir.filePath(QStringLiteral("int.mdb")), plan);
        controller.openDatabase(path);
        controller.setCurrentTable(table);
        w = std::make_unique<orvaneIntMain>(controller, platform);
    }

    // The program closes a window before it goes; destroying it while shown
    // would deliver focus-out events to a half-destroyed window.
    ~Fixture() { w->hide(); }

    QTextDocument* doc() const { return controls(*w).RichTextBox1->document(); }
    QString text() const { return doc()->toPlainText(); }
    // What a reload changes: the view is given a new document, or its own
    // is edited.
    std::pair<const QTextDocument*, int> shownVersion() const { return {doc(), doc()->revision()}; }
    ListView* results() const { return controls(*w).ListView1[2]; }

    // Puts exactly `ids` into the results list the way the program does: a
    // search over a scratch section whose index lists them (the separator
    // row follows the notice by itself), with the fixture's table in use
    // again afterwards, both entries empty, nothing selected or on display.
    void fillResults(const QStringList& ids)
    {
        t::DbPlan withRows = plan;
        t::Section scratch;
        scratch.userName = QStringLiteral("Results");
        scratch.table = QStringLiteral("INT98");
        for (const QString& id : ids)
            if (id != kSeparator)
                scratch.index.push_back({QStringLiteral("R"), id, QStringLiteral("98")});
        withRows.sections.push_back(scratch);
        const QString path = dir.filePath(QStringLiteral("rows%1.mdb").arg(++fills));
        controller.openDatabase(t::writeInterpretationDb(path, withRows));
        const QString table = state.currentTable;
        controller.setCurrentTable(scratch.table);
        controller.editEntry(orvane::search::EntryKind::Paragraph, QString());
        controller.editEntry(orvane::search::EntryKind::Keyword, QString());
        controller.performSearch();
        controller.setCurrentTable(table);
        controller.loadInterpretation(QString());
        // As a click on the empty part of the list leaves it: no row selected.
        controller.clickRow(0);
        QCOMPARE(controller.rowTexts(), ids);
        QCOMPARE(results()->rowCount(), ids.size());
    }

    void showActive()
    {
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }

    void clickRow(int row)   // 1-based, with the mouse, as the user does
    {
        ListView* list = results();
        list->scrollTo(list->rowIndex(row - 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->rowRect(row - 1).center());
    }

    QString buttons() const   // "1001": first, previous, next, last; labels must agree
    {
        QString s;
        for (std::size_t i = 0; i < 4; ++i) {
            const bool on = controls(*w).Command4[i]->isEnabled();
            if (controls(*w).Label1[7 + i]->isEnabled() != on)
                return QStringLiteral("label %1 disagrees").arg(7 + i);
            s += on ? u'1' : u'0';
        }
        return s;
    }
};

} // namespace

class TestView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void headingColours_data();
    void headingColours();
    void keywordColours_data();
    void keywordColours();
    void textKeepsTheViewFontInBlack();

    void lookups();
    void crossSectionLookupKeepsTheSection();
    void unreadableIdentifiersShowNothing();
    void showingRepaintsOnlyTheViewAndKeepsFocus();

    void navigationButtonStates_data();
    void navigationButtonStates();
    void noticeAndSeparatorRows();
    void buttonsWalkRawRows();
    void rowOnDisplayClickedAgain();
    void pickListsHandTheRowToTheirEntry();
    void focusHidesThePickLists();
    void searchShowsTheFirstMatchHighlighted();

    void longInterpretationShownWhole();

private:
    QTemporaryDir settingsDir_;
};

void TestView::initTestCase()
{
    orvane::setSettingsFile(settingsDir_.filePath(QStringLiteral("settings.ini")));
}

void TestView::cleanupTestCase()
{
    orvane::setSettingsFile(QString());
}

// --- colours -------------------------------------------------------------------

void TestView::headingColours_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("navy");
    QTest::addColumn<QString>("caretAt");   // the last heading found

    const QString standard = t::interpretationText(QStringLiteral("IX-1"), QStringLiteral("Welding"),
                                                   QStringLiteral("Is it so?"));
    QTest::newRow("four headings, first occurrence, no colon")
        << standard << QStringList{"Interpretation", "Subject", "Date Issued", "File"} << "File:";
    QTest::newRow("no Interpretation heading: all navy")
        << QStringLiteral("Subject: Welding\r\nFile: BC-1\r\nReply: Yes.\r\n")
        << QStringList{"Subject: Welding", "File: BC-1", "Reply: Yes."} << "File:";
    QTest::newRow("File twice: the first only")
        << QStringLiteral("Interpretation: 1\r\nFile: BC-1\r\nSee File: BC-2\r\n")
        << QStringList{"Interpretation", "File"} << "File:";
    QTest::newRow("other letter case is not a heading")
        << QStringLiteral("Interpretation: 1\r\nsubject: x\r\nDATE ISSUED: y\r\n")
        << QStringList{"Interpretation"} << "Interpretation:";
    QTest::newRow("heading later in a line")
        << QStringLiteral("Interpretation: 1\r\nThe Subject: x\r\n")
        << QStringList{"Interpretation", "Subject"} << "Subject:";
    QTest::newRow("empty text") << QString() << QStringList{} << QString();
}

void TestView::headingColours()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, navy);
    QFETCH(QString, caretAt);

    Fixture f(viewSpec({stored}), QStringLiteral("INT07"));
    f.w->controller().loadInterpretation(QStringLiteral("T1"));
    QCOMPARE(f.text(), QString(stored).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    QCOMPARE(runs(f.doc(), kNavy), navy);
    QVERIFY(runs(f.doc(), kRed).isEmpty());
    QCOMPARE(strayCharacters(f.doc()), 0);
    // With no keywords the caret rests at the last heading found.
    QCOMPARE(controls(*f.w).RichTextBox1->textCursor().position(), caretAt.isEmpty() ? 0 : int(f.text().indexOf(caretAt)));
    QVERIFY(!controls(*f.w).RichTextBox1->textCursor().hasSelection());
}

void TestView::keywordColours_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("keywords");
    QTest::addColumn<int>("option");   // 0 And, 1 Or, 2 Phrase
    QTest::addColumn<QStringList>("red");
    QTest::addColumn<QStringList>("navy");

    const QString head = QStringLiteral("Interpretation: 1\r\nSubject: Preheat\r\n");
    QTest::newRow("words inside longer words, any case")
        << head + QStringLiteral("Heated pre-heat; PREHEAT.\r\n") << QStringLiteral("pre heat") << 0
        << QStringList{"pre", "Preheat", "Heat", "pre", "heat", "PREHEAT"}
        << QStringList{"Inter", "tation", "Subject"};
    QTest::newRow("Or is word mode too")
        << head + QStringLiteral("a heat\r\n") << QStringLiteral("heat pre") << 1
        << QStringList{"pre", "Preheat", "heat"} << QStringList{"Inter", "tation", "Subject"};
    QTest::newRow("empty pieces colour nothing")
        << head + QStringLiteral("x pre y heat\r\n") << QStringLiteral(" pre  heat ") << 0
        << QStringList{"pre", "Preheat", "pre", "heat"} << QStringList{"Inter", "tation", "Subject"};
    QTest::newRow("matches do not overlap")
        << QStringLiteral("Interpretation: aaa\r\n") << QStringLiteral("aa") << 0
        << QStringList{"aa"} << QStringList{"Interpretation"};
    QTest::newRow("a heading word turns red")
        << head << QStringLiteral("subject") << 0 << QStringList{"Subject"} << QStringList{"Interpretation"};
    QTest::newRow("the very first character")
        << head << QStringLiteral("inter") << 0 << QStringList{"Inter"} << QStringList{"pretation", "Subject"};
    QTest::newRow("phrase: one blank, not a line break")
        << head + QStringLiteral("minimum preheat; minimum\r\npreheat; minimum  preheat\r\n")
        << QStringLiteral("Minimum Preheat") << 2 << QStringList{"minimum preheat"}
        << QStringList{"Interpretation", "Subject"};
    QTest::newRow("phrase keeps its blanks")
        << head + QStringLiteral("a pre b\r\n") << QStringLiteral(" pre ") << 2 << QStringList{" pre "}
        << QStringList{"Interpretation", "Subject"};
    QTest::newRow("no keywords")
        << head << QString() << 0 << QStringList{} << QStringList{"Interpretation", "Subject"};
    QTest::newRow("red over a navy text")
        << QStringLiteral("Subject: weld\r\n") << QStringLiteral("weld") << 0 << QStringList{"weld"}
        << QStringList{"Subject: "};
}

void TestView::keywordColours()
{
    QFETCH(QString, stored);
    QFETCH(QString, keywords);
    QFETCH(int, option);
    QFETCH(QStringList, red);
    QFETCH(QStringList, navy);

    Fixture f(viewSpec({stored}), QStringLiteral("INT07"));
    controls(*f.w).Option1[std::size_t(option)]->setChecked(true);
    controls(*f.w).Text1[1]->setText(keywords);
    f.w->controller().loadInterpretation(QStringLiteral("T1"));
    QCOMPARE(runs(f.doc(), kRed), red);
    QCOMPARE(runs(f.doc(), kNavy), navy);
    QCOMPARE(strayCharacters(f.doc()), 0);
    if (!keywords.isEmpty()) {
        // Scanning leaves the caret before the first character.
        QCOMPARE(controls(*f.w).RichTextBox1->textCursor().position(), 0);
        QVERIFY(!controls(*f.w).RichTextBox1->textCursor().hasSelection());
    }

    // The next load starts from black: no colour carries over.
    controls(*f.w).Text1[1]->clear();
    f.w->controller().loadInterpretation(QStringLiteral("T1"));
    QVERIFY(runs(f.doc(), kRed).isEmpty());
}

void TestView::textKeepsTheViewFontInBlack()
{
    Fixture f;
    // Whatever the view's typing format was, the text shows in its own font.
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setFontPointSize(20);
    controls(*f.w).RichTextBox1->setCurrentCharFormat(bold);
    controls(*f.w).Text1[1]->setText(QStringLiteral("preheat"));
    f.w->controller().loadInterpretation(QStringLiteral("IX-89-01"));
    QVERIFY(!f.text().isEmpty());

    const QFont viewFont = controls(*f.w).RichTextBox1->font();
    QCOMPARE(viewFont.pointSizeF(), 9.75);
    QVERIFY(viewFont.family().contains(QLatin1String("Courier"), Qt::CaseInsensitive)
            || viewFont.families().contains(QStringLiteral("Courier")));
    int checked = 0;
    for (QTextBlock b = f.doc()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QFont font = it.fragment().charFormat().font();
            QCOMPARE(font.family(), viewFont.family());
            QCOMPARE(font.pointSizeF(), 9.75);
            QVERIFY(!font.bold() && !font.italic() && !font.underline());
            checked += it.fragment().length();
        }
    QCOMPARE(checked, int(f.text().size() - f.text().count(QLatin1Char('\n'))));
    QVERIFY(!runs(f.doc(), kRed).isEmpty() && !runs(f.doc(), kNavy).isEmpty());
}

// --- lookups -------------------------------------------------------------------

void TestView::lookups()
{
    Fixture f(t::standardPlan(), QStringLiteral("INT08"));
    // The notice is looked up with its blanks and labelled without them.
    f.w->controller().loadInterpretation(t::kNoticeId);
    QVERIFY(f.text().startsWith(QLatin1String("Notice\nThese interpretations")));
    QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("Orvane-INT Notice"));
    QCOMPARE(controls(*f.w).Label1[2]->text(), QString());   // stored as an empty volume
    // Loaded before the window was ever shown, the label still shows it whole.
    QVERIFY(controls(*f.w).Label1[0]->width() >= controls(*f.w).Label1[0]->sizeHint().width());

    f.w->controller().loadInterpretation(QStringLiteral("VIII-1-89-03"));
    QVERIFY(f.text().contains(QLatin1String("hydrostatic test pressure")));
    QCOMPARE(controls(*f.w).Label1[2]->text(), QStringLiteral("25"));
    QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("VIII-1-89-03"));

    // In neither the table nor the index: everything but the label empties.
    f.w->controller().loadInterpretation(QStringLiteral(" XX-00-99 "));
    QCOMPARE(f.text(), QString());
    QCOMPARE(controls(*f.w).Label1[2]->text(), QString());
    QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("XX-00-99"));
    QVERIFY(controls(*f.w).RichTextBox1->isVisibleTo(f.w.get()));

    // Null text and volume read as empty.
    Fixture n(viewSpec({QStringLiteral("x")}), QStringLiteral("INT07"));
    n.w->controller().loadInterpretation(QStringLiteral("T1"));
    QCOMPARE(controls(*n.w).Label1[2]->text(), QStringLiteral("7"));
    n.w->controller().loadInterpretation(QStringLiteral("NULLS"));
    QCOMPARE(n.text(), QString());
    QCOMPARE(controls(*n.w).Label1[2]->text(), QString());
    QCOMPARE(controls(*n.w).Label1[0]->text(), QStringLiteral("NULLS"));
}

void TestView::crossSectionLookupKeepsTheSection()
{
    Fixture f;   // INT09 in use; its index lists VIII-1-89-02 under section 08
    f.fillResults({QStringLiteral("IX-89-01"), QStringLiteral("VIII-1-89-02")});
    f.results()->setCurrentRow(1);
    f.w->controller().loadInterpretation(QStringLiteral("VIII-1-89-02"));
    QVERIFY(f.text().contains(QLatin1String("postweld heat treatment of the nozzle weld")));
    QCOMPARE(controls(*f.w).Label1[2]->text(), QStringLiteral("24"));
    QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("VIII-1-89-02"));
    QCOMPARE(f.state.currentTable, QStringLiteral("INT09"));
    QCOMPARE(f.results()->rowCount(), 2);

    // Listed by the index under a section whose table does not hold it.
    t::DbPlan plan = t::standardPlan();
    plan.sections[1].index.push_back({QStringLiteral("QW-1"), QStringLiteral("IX-GONE"), QStringLiteral("08")});
    plan.sections[1].index.push_back({QStringLiteral("QW-2"), QStringLiteral("IX-NOWHERE"), QStringLiteral("55")});
    Fixture g(plan);
    g.w->controller().loadInterpretation(QStringLiteral("IX-89-02"));
    for (const char* id : {"IX-GONE", "IX-NOWHERE"}) {
        g.w->controller().loadInterpretation(QString::fromLatin1(id));
        QCOMPARE(g.text(), QString());
        QCOMPARE(controls(*g.w).Label1[2]->text(), QString());
        QCOMPARE(controls(*g.w).Label1[0]->text(), QString::fromLatin1(id));
    }
}

void TestView::unreadableIdentifiersShowNothing()
{
    Fixture f;
    for (const char* id : {"IX\"89", "IX-89-01\" OR \"a\"=\"a", "\"", "IX-89-01\""}) {
        f.w->controller().loadInterpretation(QStringLiteral("IX-89-02"));
        QVERIFY(!f.text().isEmpty());
        f.w->controller().loadInterpretation(QString::fromLatin1(id));
        QVERIFY2(f.text().isEmpty(), id);
        QCOMPARE(controls(*f.w).Label1[2]->text(), QString());
        QCOMPARE(controls(*f.w).Label1[0]->text(), QString::fromLatin1(id));
    }

    // A section table missing from the file, or no database at all.
    f.controller.setCurrentTable(QStringLiteral("INT42"));
    f.w->controller().loadInterpretation(QStringLiteral("IX-89-01"));
    QCOMPARE(f.text(), QString());
    f.controller.closeDatabase();
    f.controller.setCurrentTable(QStringLiteral("INT09"));
    f.w->controller().loadInterpretation(QStringLiteral("IX-89-01"));
    QCOMPARE(f.text(), QString());
    QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("IX-89-01"));
}

namespace {

// Counts the paint, show and hide events of a widget.
struct EventCounter : QObject {
    int paints = 0;
    int hides = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        paints += e->type() == QEvent::Paint;
        hides += e->type() == QEvent::Hide;
        return false;
    }
};

} // namespace

void TestView::showingRepaintsOnlyTheViewAndKeepsFocus()
{
    Fixture f;
    f.showActive();
    QTextEdit* view = controls(*f.w).RichTextBox1;
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());
    QWidget* focusSeen = nullptr;
    const auto focus = connect(qApp, &QApplication::focusChanged, view, [&](QWidget*, QWidget* now) {
        if (now != view)
            focusSeen = now;
    });
    EventCounter list, text;
    f.results()->viewport()->installEventFilter(&list);
    view->installEventFilter(&text);
    controls(*f.w).Text1[1]->setText(QStringLiteral("preheat"));
    QCoreApplication::processEvents();
    list.paints = 0;
    f.w->controller().loadInterpretation(QStringLiteral("IX-89-01"));
    // Filled and coloured before anything is painted: nothing else in the
    // window is drawn on the way, and the view is never hidden.
    QCOMPARE(list.paints, 0);
    QCOMPARE(text.hides, 0);
    QVERIFY(!f.text().isEmpty());
    QVERIFY(!runs(f.doc(), kRed).isEmpty());
    // The focus stays in the view and never passes through another control.
    QCOMPARE(QApplication::focusWidget(), view);
    QCOMPARE(focusSeen, nullptr);
    disconnect(focus);
}

// --- results list and navigation ---------------------------------------------------

void TestView::navigationButtonStates_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("selected");   // 0: none
    QTest::addColumn<QString>("buttons");
    QTest::newRow("empty list") << 0 << 0 << "0000";
    QTest::newRow("none selected") << 5 << 0 << "1001";
    QTest::newRow("last of several") << 5 << 5 << "1100";
    QTest::newRow("the only row") << 1 << 1 << "0000";
    QTest::newRow("a middle row") << 5 << 3 << "1111";
    QTest::newRow("first of several") << 5 << 1 << "0011";
    QTest::newRow("second of two") << 2 << 2 << "1100";
    QTest::newRow("only row, not selected") << 1 << 0 << "1001";
}

void TestView::navigationButtonStates()
{
    QFETCH(int, rows);
    QFETCH(int, selected);
    QFETCH(QString, buttons);

    Fixture f;
    QStringList ids;
    for (int i = 1; i <= rows; ++i)
        ids << QStringLiteral("IX-89-%1").arg(i, 2, 10, QLatin1Char('0'));
    f.fillResults(ids);
    // From the opposite state, so that every button has to be set.
    const auto invert = [&] {
        for (std::size_t i = 0; i < 4; ++i) {
            const bool on = buttons.at(qsizetype(i)) == u'0';
            controls(*f.w).Command4[i]->setEnabled(on);
            controls(*f.w).Label1[7 + i]->setEnabled(on);
        }
    };
    invert();
    if (selected > 0) {
        f.controller.clickRow(selected);
        QCOMPARE(f.buttons(), buttons);
        invert();
    }

    // A load ends with the same setting.
    f.w->controller().loadInterpretation(QStringLiteral("IX-89-01"));
    QCOMPARE(f.buttons(), buttons);
}

void TestView::noticeAndSeparatorRows()
{
    Fixture f(t::standardPlan(), QStringLiteral("INT08"));
    f.showActive();
    f.fillResults({t::kNoticeId, kSeparator, QStringLiteral("VIII-1-89-01"), QStringLiteral("VIII-1-89-02"),
                   QStringLiteral("VIII-1-89-03")});

    f.clickRow(3);
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("1"));
    QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("VIII-1-89-01"));
    QVERIFY(f.text().contains(QLatin1String("design temperature")));
    QCOMPARE(f.buttons(), QStringLiteral("1111"));

    f.clickRow(2);   // the separator stands for the notice
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("n/a"));
    QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("Orvane-INT Notice"));
    QVERIFY(f.text().startsWith(QLatin1String("Notice")));

    // The notice on display is labelled without its blanks, so its row
    // reloads when clicked.
    const auto shown = f.shownVersion();
    f.clickRow(1);
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("n/a"));
    QVERIFY(f.text().startsWith(QLatin1String("Notice")));
    QVERIFY(f.shownVersion() != shown);
    QCOMPARE(f.buttons(), QStringLiteral("0011"));

    f.clickRow(5);
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("3"));
    QCOMPARE(f.buttons(), QStringLiteral("1100"));

    // Only the notice and its separator: no offset, and the separator is
    // looked up as it is and found nowhere.
    f.fillResults({t::kNoticeId, kSeparator});
    f.clickRow(1);
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("1"));
    f.clickRow(2);
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("2"));
    QCOMPARE(f.text(), QString());
    QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("******************"));
}

void TestView::buttonsWalkRawRows()
{
    Fixture f(t::standardPlan(), QStringLiteral("INT08"));
    f.showActive();
    f.fillResults({t::kNoticeId, kSeparator, QStringLiteral("VIII-1-89-01"), QStringLiteral("VIII-1-89-02"),
                   QStringLiteral("VIII-1-89-03")});
    auto row = [&] { return f.results()->currentRow() + 1; };

    // No row selected: first and last only.
    QCOMPARE(f.buttons(), QStringLiteral("1001"));
    QTest::mouseClick(controls(*f.w).Command4[3], Qt::LeftButton);
    QCOMPARE(row(), 5);
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("3"));
    QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("VIII-1-89-03"));
    QCOMPARE(f.buttons(), QStringLiteral("1100"));

    QTest::mouseClick(controls(*f.w).Command4[1], Qt::LeftButton);
    QTest::mouseClick(controls(*f.w).Command4[1], Qt::LeftButton);
    QCOMPARE(row(), 3);
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("1"));
    QTest::mouseClick(controls(*f.w).Command4[1], Qt::LeftButton);   // onto the separator
    QCOMPARE(row(), 2);
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("n/a"));
    QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("Orvane-INT Notice"));

    QTest::mouseClick(controls(*f.w).Command4[2], Qt::LeftButton);
    QCOMPARE(row(), 3);
    QTest::mouseClick(controls(*f.w).Command4[0], Qt::LeftButton);   // the notice row itself
    QCOMPARE(row(), 1);
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("n/a"));
    QCOMPARE(f.buttons(), QStringLiteral("0011"));

    // A button reloads even the row on display.
    const auto shown = f.shownVersion();
    f.w->controller().navigate(orvane::view::NavigationStep::First);
    QVERIFY(f.shownVersion() != shown);

    // The selected row is scrolled into view.
    QStringList many;
    for (int i = 0; i < 300; ++i)
        many << QStringLiteral("IX-R%1").arg(i + 1, 3, 10, QLatin1Char('0'));
    f.controller.setCurrentTable(QStringLiteral("INT09"));
    f.fillResults(many);
    QTest::mouseClick(controls(*f.w).Command4[3], Qt::LeftButton);
    QCOMPARE(row(), 300);
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("300"));
    QVERIFY(f.results()->viewport()->rect().intersects(
        f.results()->rowRect(299)));
    QTest::mouseClick(controls(*f.w).Command4[0], Qt::LeftButton);
    QVERIFY(f.results()->viewport()->rect().contains(
        f.results()->rowRect(0)));
}

void TestView::rowOnDisplayClickedAgain()
{
    Fixture f;
    f.showActive();
    f.fillResults({QStringLiteral("IX-89-01"), QStringLiteral("IX-89-02")});
    controls(*f.w).Text1[1]->setText(QStringLiteral("minimum"));
    f.clickRow(1);
    QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("IX-89-01"));
    QVERIFY(!runs(f.doc(), kRed).isEmpty());

    // Nothing changes: not the text, its colours, the caret or the labels.
    QTextCursor caret(f.doc());
    caret.setPosition(40);
    controls(*f.w).RichTextBox1->setTextCursor(caret);
    controls(*f.w).Label1[4]->setText(QStringLiteral("untouched"));
    controls(*f.w).Text1[1]->clear();
    const auto shown = f.shownVersion();
    f.clickRow(1);
    QVERIFY(f.shownVersion() == shown);
    QVERIFY(!runs(f.doc(), kRed).isEmpty());
    QCOMPARE(controls(*f.w).RichTextBox1->textCursor().position(), 40);
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("untouched"));

    // Another row loads; the keyboard move to a row counts as a click.
    f.results()->setFocus();
    QTest::keyClick(f.results(), Qt::Key_Down);
    QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("IX-89-02"));
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("2"));

    // The pick lists have no click behaviour of their own.
    pickRows(controls(*f.w).ListView1[0], {QStringLiteral("IX-89-01")});
    controls(*f.w).ListView1[0]->show();
    controls(*f.w).ListView1[0]->setCurrentRow(0);
    const QRect first = controls(*f.w).ListView1[0]->rowRect(0);
    QTest::mouseClick(controls(*f.w).ListView1[0]->viewport(), Qt::LeftButton, {}, first.center());
    QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("IX-89-02"));
}

void TestView::pickListsHandTheRowToTheirEntry()
{
    Fixture f;
    f.showActive();
    ListView* paragraphs = controls(*f.w).ListView1[0];
    pickRows(paragraphs, {QStringLiteral("QW-406"), QStringLiteral("QW-406.1"), QStringLiteral("QW-407")});
    paragraphs->show();

    // Other keys do nothing; Space and Enter, with or without Shift, pick.
    paragraphs->setFocus();
    paragraphs->setCurrentRow(1);
    QTest::keyClick(paragraphs, Qt::Key_A);
    QTest::keyClick(paragraphs, Qt::Key_Right);
    QCOMPARE(controls(*f.w).Text1[0]->text(), QString());
    paragraphs->setFocus();
    QTRY_VERIFY(paragraphs->hasFocus());
    QTest::keyClick(paragraphs, Qt::Key_Space, Qt::ShiftModifier);
    QCOMPARE(controls(*f.w).Text1[0]->text(), QStringLiteral("QW-406.1"));
    QTRY_VERIFY(controls(*f.w).Text1[0]->hasFocus());

    controls(*f.w).Text1[0]->clear();
    paragraphs->setCurrentRow(2);
    paragraphs->setFocus();
    QTest::keyClick(paragraphs, Qt::Key_Return);
    QCOMPARE(controls(*f.w).Text1[0]->text(), QStringLiteral("QW-407"));

    // Any mouse release over the list picks the selected row.
    controls(*f.w).Text1[0]->clear();
    paragraphs->show();
    paragraphs->setCurrentRow(0);
    QTest::mouseClick(paragraphs->viewport(), Qt::RightButton, {},
                      paragraphs->rowRect(0).center());
    QCOMPARE(controls(*f.w).Text1[0]->text(), QStringLiteral("QW-406"));

    // The keyword history: nothing while it is empty or nothing is selected.
    ListView* history = controls(*f.w).ListView1[1];
    history->show();
    history->setFocus();
    QTRY_VERIFY(history->hasFocus());
    QTest::keyClick(history, Qt::Key_Space);
    QCOMPARE(controls(*f.w).Text1[1]->text(), QString());
    QVERIFY(history->hasFocus());
    pickRows(history, {QStringLiteral("minimum preheat")});
    history->clearSelection();
    history->setFocus();
    QTest::keyClick(history, Qt::Key_Space);
    QCOMPARE(controls(*f.w).Text1[1]->text(), QString());
    history->setCurrentRow(0);
    history->setFocus();
    QTest::keyClick(history, Qt::Key_Space);
    QCOMPARE(controls(*f.w).Text1[1]->text(), QStringLiteral("minimum preheat"));
    QTRY_VERIFY(controls(*f.w).Text1[1]->hasFocus());

    // The results list hands nothing to an entry.
    f.fillResults({QStringLiteral("IX-89-03")});
    controls(*f.w).Text1[0]->clear();
    f.results()->setFocus();
    f.clickRow(1);
    QTest::keyClick(f.results(), Qt::Key_Space);
    QCOMPARE(controls(*f.w).Text1[0]->text(), QString());
}

void TestView::focusHidesThePickLists()
{
    Fixture f;
    f.showActive();
    controls(*f.w).ListView1[0]->show();
    controls(*f.w).ListView1[1]->show();
    controls(*f.w).ListView1[0]->setFocus();
    QTRY_VERIFY(controls(*f.w).ListView1[0]->hasFocus());
    QVERIFY(controls(*f.w).ListView1[1]->isVisible());   // a pick list keeps the other shown
    f.results()->setFocus();
    QTRY_VERIFY(f.results()->hasFocus());
    QVERIFY(controls(*f.w).ListView1[0]->isHidden() && controls(*f.w).ListView1[1]->isHidden());
    QCOMPARE(f.results()->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));

    controls(*f.w).ListView1[0]->show();
    controls(*f.w).ListView1[1]->show();
    controls(*f.w).RichTextBox1->setFocus();
    QTRY_VERIFY(controls(*f.w).RichTextBox1->hasFocus());
    QVERIFY(controls(*f.w).ListView1[0]->isHidden() && controls(*f.w).ListView1[1]->isHidden());
}

void TestView::searchShowsTheFirstMatchHighlighted()
{
    // The whole road: a search lists the matches and shows the first one
    // with its words in red; stepping on keeps the words.
    Fixture f;
    controls(*f.w).Text1[1]->setText(QStringLiteral("minimum preheat"));
    QSignalSpy shown(&f.w->controller(), &orvane::app::Controller::interpretationShown);
    f.w->controller().performSearch();
    // Selecting the first row does not load it a second time.
    QCOMPARE(shown.count(), 1);
    QVERIFY(f.results()->rowCount() >= 2);
    const QString first = f.results()->rowText(0);
    QCOMPARE(controls(*f.w).Label1[0]->text(), first);
    QCOMPARE(runs(f.doc(), kRed).filter(QStringLiteral("minimum"), Qt::CaseInsensitive).isEmpty(), false);
    // The search selects the first row: next and last lead on from it.
    QCOMPARE(f.buttons(), QStringLiteral("0011"));
    f.w->controller().navigate(orvane::view::NavigationStep::First);
    QCOMPARE(f.buttons(), QStringLiteral("0011"));
    f.w->controller().navigate(orvane::view::NavigationStep::Next);
    QCOMPARE(controls(*f.w).Label1[0]->text(), f.results()->rowText(1));
    QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("2"));
    QVERIFY(runs(f.doc(), kRed).contains(QStringLiteral("preheat")));
}

// --- a long text ------------------------------------------------------------------
// How fast it shows is a row of the window benchmark; here, that all of it is
// coloured and that each showing starts at the top.

void TestView::longInterpretationShownWhole()
{
    // About 50 KB, with the three searched words on every line.
    QString body;
    const QString line = QStringLiteral(
        "The minimum preheat temperature for the weld joint shall be maintained throughout welding.\r\n");
    while (body.size() < 50 * 1024)
        body += line;
    const QString stored = t::interpretationText(QStringLiteral("IX-99-01"), QStringLiteral("Preheat"), body);
    Fixture f(viewSpec({stored}), QStringLiteral("INT07"));
    f.showActive();
    controls(*f.w).Text1[1]->setText(QStringLiteral("minimum preheat weld"));

    QScrollBar* scroll = controls(*f.w).RichTextBox1->verticalScrollBar();
    for (int i = 0; i < 2; ++i) {
        QSignalSpy range(scroll, &QScrollBar::rangeChanged);
        f.w->controller().loadInterpretation(QStringLiteral("T1"));
        // Laid out as far as the view shows: the scroll bar is given the
        // text's height once, not first the height down to where the caret
        // was and then the rest.
        QVERIFY2(range.count() <= 1, qPrintable(QString::number(range.count())));
        controls(*f.w).RichTextBox1->viewport()->repaint();   // laid out and drawn
        // Each load shows the text from its start, wherever the last was read.
        QCOMPARE(scroll->value(), 0);
        QVERIFY(scroll->maximum() > 0);
        scroll->setValue(scroll->maximum());
    }
    // Every line has its three words in red: the whole text was scanned.
    const int lines = int(body.count(QLatin1Char('\n')));
    // "Preheat" in the subject, then minimum, preheat, weld, weld(ing) per line.
    QCOMPARE(runs(f.doc(), kRed).size(), 1 + 4 * lines);

    // Without keywords the caret rests on the last heading, near the top.
    controls(*f.w).Text1[1]->clear();
    f.w->controller().loadInterpretation(QStringLiteral("T1"));
    QCOMPARE(scroll->value(), 0);
}

QTEST_MAIN(TestView)
#include "tst_view.moc"
