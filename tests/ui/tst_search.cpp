// The search and the search entries, driven through the real main window on
// databases written by our own writer.

#include "core/Settings.h"
#include "support/InterpretationDb.h"
#include "ui/Artwork.h"
#include "ui/MainWindow.h"
#include "app/Controller.h"
#include "app/ProgramState.h"
#include "support/ScriptedPlatform.h"
#include "support/WindowControls.h"

#include <QClipboard>
#include <QScrollBar>
#include <QtTest>

using namespace orvane::ui;
using namespace orvane::app;
using orvane::testing::controls;
namespace t = orvane::testing;

namespace {

const QString kSeparator = QStringLiteral("    ******************");
enum Mode { And, Or, Phrase };

t::DbPlan searchDatabase()
{
    t::Section s9{QStringLiteral("Section IX"), QStringLiteral("INT09"), {}, {}};
    auto row = [&](const char* id, const char* text) {
        s9.rows.push_back({QString::fromLatin1(id), QString::fromLatin1(text)});
    };
    s9.rows.push_back({t::kNoticeId, QStringLiteral("Notice: see the foreword.")});
    row("IX-89-01", "A minimum preheat of 50F is required.");
    row("IX-89-02", "The preheat may be reduced for minimum thickness.");
    row("IX-89-03", "A change of filler metal needs requalification.");
    row("IX-89-04", "Is the minimum preheat an essential variable?");
    row("IX-89-05", "A welder may use another process.");
    row("IX-89-06", "Preheat, interpass temperature.");
    auto ref = [&](const char* p, const char* id) {
        s9.index.push_back({QString::fromLatin1(p), QString::fromLatin1(id), QStringLiteral("09")});
    };
    ref("QW-406", "IX-89-04"), ref("QW-406", "IX-89-01"), ref("QW-406", "IX-89-02");
    ref("QW-406.1", "IX-89-01"), ref("QW-407", "IX-89-03"), ref("QW-408", "IX-89-06");
    ref("QW-500", "IX-89-05");
    // Stored against the listed order, so that the list's order is not the file's.
    std::reverse(s9.rows.begin(), s9.rows.end());
    // Another section whose rows would show if a typed text ever left its
    // place as a pattern or a paragraph.
    t::Section s8{QStringLiteral("Section VIII-1"), QStringLiteral("INT08"), {}, {}};
    s8.rows.push_back({QStringLiteral("SECRET-01"),
                       QStringLiteral("minimum preheat \" OR 1=1 -- ; ] x; SELECT")});
    s8.index.push_back({QStringLiteral("QW-406"), QStringLiteral("SECRET-01"), QStringLiteral("08")});
    t::DbPlan db;
    db.sections = {s8, s9};
    return db;
}

// The main window on section INT09 of a written database, shown and active,
// with the paragraph list filled as a section change fills it.
struct Window {
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();
    orvaneIntMain w{controller, platform};

    Window(const QString& path, const QStringList& paragraphs, const QString& table = QStringLiteral("INT09"))
    {
        controller.openDatabase(path);
        controller.setCurrentTable(table);
        if (!paragraphs.isEmpty()) {
            // The section change is what fills the paragraph list.
            if (!controller.initiateProgram())
                qWarning("the section list cannot be read");
            for (int entry = 1; entry <= state.sectionCount; ++entry)
                if (state.sectionList[std::size_t(entry)].dbTableName == table)
                    controller.chooseSection(entry);
            QCOMPARE(controller.paragraphRows(), paragraphs);
            QCOMPARE(controls(w).ListView1[0]->rowCount(), paragraphs.size());
        }
        w.show();
        w.activateWindow();
        if (!QTest::qWaitForWindowActive(&w))
            qWarning("main window not active");
    }
    int searches() const { return int(platform.calls.count(QStringLiteral("pointer wait"))); }
    QStringList rows() const
    {
        QStringList out;
        for (int i = 0; i < controls(w).ListView1[2]->rowCount(); ++i)
            out << controls(w).ListView1[2]->rowText(i);
        return out;
    }
    QString position() const { return controls(w).Label1[4]->text(); }
    QString count() const { return controls(w).Label1[6]->text(); }
    int noMatchMessages() const
    {
        int n = 0;
        for (const auto& m : platform.messageBoxes)
            n += m.title == QStringLiteral("Record not found")
                 && m.text == QStringLiteral("No matching interpretations were found.")
                 && m.icon == MessageIcon::Information && m.buttons == MessageButtons::Ok;
        return n;
    }
    void focus(QWidget* c)
    {
        c->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(c->hasFocus());
    }
};

QIcon rowIcon(const orvane::ui::ListView* list, int row)
{
    return qvariant_cast<QIcon>(list->rowIndex(row).data(Qt::DecorationRole));
}

QImage iconImage(const orvane::ui::ListView* list, int row)
{
    return rowIcon(list, row).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void statementsAndResults_data();
    void statementsAndResults();
    void noticeRows();
    void noMatchAndRefusedStatements();
    void paragraphEntry();
    void doubleQuotes();
    void keywordEntryKeysAndHistory();
    void optionsAndDropDowns();
    void injectionStaysALiteral_data();
    void injectionStaysALiteral();
    void largeSectionKeystroke();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString db_;
    const QStringList paragraphs_{QStringLiteral("QW-406"), QStringLiteral("QW-406.1"), QStringLiteral("QW-407"),
                                  QStringLiteral("QW-408"), QStringLiteral("QW-500")};
};

void TestSearch::initTestCase()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    orvane::setSettingsFile(dir_->filePath(QStringLiteral("settings.ini")));
    db_ = t::writeInterpretationDb(dir_->filePath(QStringLiteral("search.mdb")), searchDatabase());
}

void TestSearch::cleanupTestCase()
{
    orvane::setSettingsFile(QString());
}

void TestSearch::statementsAndResults_data()
{
    QTest::addColumn<QString>("paragraph");
    QTest::addColumn<QString>("keywords");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("sql");        // empty: not checked
    QTest::addColumn<QStringList>("rows");

    const QString n = t::kNoticeId;
    const QStringList r0146{"IX-89-01", "IX-89-02", "IX-89-04", "IX-89-06"};
    const QStringList all{n, kSeparator, "IX-89-01", "IX-89-02", "IX-89-03", "IX-89-04", "IX-89-05", "IX-89-06"};
    QTest::newRow("paragraph only") << "QW-406" << "" << int(And)
        << R"(SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = "QW-406")"
        << QStringList{"IX-89-01", "IX-89-02", "IX-89-04"};
    QTest::newRow("and") << "" << "minimum preheat" << int(And)
        << R"(SELECT DISTINCT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE "*minimum*" AND  [INTER_TEXT] LIKE "*preheat*")"
        << QStringList{"IX-89-01", "IX-89-02", "IX-89-04"};
    QTest::newRow("or") << "" << "minimum preheat" << int(Or)
        << R"(SELECT DISTINCT [INTER_STR] FROM INT09 WHERE ( [INTER_TEXT] LIKE "*minimum*" OR  [INTER_TEXT] LIKE "*preheat*"))"
        << r0146;
    QTest::newRow("phrase") << "" << "minimum preheat" << int(Phrase)
        << R"(SELECT DISTINCT [INTER_STR] FROM INT09 WHERE [INTER_TEXT] LIKE "*minimum preheat*")"
        << QStringList{"IX-89-01", "IX-89-04"};
    QTest::newRow("paragraph and keyword") << "QW-406" << "preheat" << int(And)
        << R"(SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = "QW-406" AND [INTER_STR] IN (SELECT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE "*preheat*"))"
        << QStringList{"IX-89-01", "IX-89-02", "IX-89-04"};
    QTest::newRow("both empty: the whole index, once each") << "" << "" << int(Phrase)
        << "SELECT DISTINCT [INTER_STR] FROM INX09"
        << QStringList{"IX-89-01", "IX-89-02", "IX-89-03", "IX-89-04", "IX-89-05", "IX-89-06"};
    QTest::newRow("trailing blank, and") << "" << "preheat " << int(And)
        << R"(SELECT DISTINCT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE "*preheat*")" << r0146;
    QTest::newRow("trailing blank, or") << "" << "preheat " << int(Or) << "" << r0146;
    QTest::newRow("leading blank, and") << "" << " filler" << int(And) << "" << QStringList{"IX-89-03"};
    QTest::newRow("leading blank, or: every text") << "" << " filler" << int(Or) << "" << all;
    QTest::newRow("double blank, and") << "" << "minimum  preheat" << int(And) << ""
        << QStringList{"IX-89-01", "IX-89-02", "IX-89-04"};
    QTest::newRow("double blank, or: every text") << "" << "minimum  preheat" << int(Or) << "" << all;
    QTest::newRow("phrase with trailing blank") << "" << "preheat " << int(Phrase) << ""
        << QStringList{"IX-89-01", "IX-89-02", "IX-89-04"};
    QTest::newRow("one word: or as and") << "" << "PREHEAT" << int(Or) << "" << r0146;
}

void TestSearch::statementsAndResults()
{
    QFETCH(QString, paragraph);
    QFETCH(QString, keywords);
    QFETCH(int, mode);
    QFETCH(QString, sql);
    QFETCH(QStringList, rows);

    Window f(db_, paragraphs_);
    QTest::keyClicks(controls(f.w).Text1[1], keywords);
    QTest::mouseClick(controls(f.w).Option1[std::size_t(mode)], Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(controls(f.w).Option1[std::size_t(mode)]->isChecked());
    controls(f.w).Text1[0]->setText(paragraph);   // as a pick from the paragraph list
    QCOMPARE(controls(f.w).Text1[0]->text(), paragraph);
    const int before = f.searches();
    QTest::mouseClick(controls(f.w).Command1[1], Qt::LeftButton);
    QCOMPARE(f.searches(), before + 1);
    if (!sql.isEmpty())
        QCOMPARE(f.w.controller().lastSearchSql(), sql);
    QCOMPARE(f.rows(), rows);
    QCOMPARE(f.position(), QStringLiteral("1"));
    QCOMPARE(f.count(), QString::number(rows.size() - (rows.contains(t::kNoticeId) ? 2 : 0)));
    QCOMPARE(f.platform.mousePointer(), MousePointer::Default);
    QCOMPARE(f.noMatchMessages(), 0);
}

void TestSearch::noticeRows()
{
    Window f(db_, paragraphs_);
    controls(f.w).Text1[1]->setText(QStringLiteral("foreword filler"));
    controls(f.w).Option1[1]->setChecked(true);   // code selecting an option searches as well
    QCOMPARE(f.rows(), (QStringList{t::kNoticeId, kSeparator, "IX-89-03"}));
    QCOMPARE(f.count(), QStringLiteral("1"));
    QCOMPARE(f.position(), QStringLiteral("1"));
    QVERIFY(f.w.controller().noticeShown());
    auto* list = controls(f.w).ListView1[2];
    const QImage page = orvane::ui::art::imageListImage(1).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage emblem = orvane::ui::art::imageListImage(2).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(iconImage(list, 0), emblem);
    QVERIFY(rowIcon(list, 1).isNull());
    QCOMPARE(iconImage(list, 2), page);

    // Only the notice: nothing counted, yet position 1 and no message.
    controls(f.w).Text1[1]->setText(QStringLiteral("foreword"));
    QTest::mouseClick(controls(f.w).Command1[1], Qt::LeftButton);
    QCOMPARE(f.rows(), (QStringList{t::kNoticeId, kSeparator}));
    QCOMPARE(f.count(), QStringLiteral("0"));
    QCOMPARE(f.position(), QStringLiteral("1"));
    QCOMPARE(f.noMatchMessages(), 0);
    // A later search without the notice forgets it.
    controls(f.w).Text1[1]->setText(QStringLiteral("filler"));
    QTest::mouseClick(controls(f.w).Command1[1], Qt::LeftButton);
    QVERIFY(!f.w.controller().noticeShown());
    QCOMPARE(f.count(), QStringLiteral("1"));
}

void TestSearch::noMatchAndRefusedStatements()
{
    Window f(db_, paragraphs_);
    controls(f.w).Text1[1]->setText(QStringLiteral("preheat"));
    QTest::mouseClick(controls(f.w).Command1[1], Qt::LeftButton);
    QCOMPARE(f.rows().size(), 4);

    // Nothing found: the earlier rows go, one message, both labels "0".
    for (const char* words : {"zirconium", "[", "[a-"}) {
        const int messages = f.noMatchMessages();
        const int searches = f.searches();
        controls(f.w).RichTextBox1->setPlainText(QStringLiteral("old"));
        controls(f.w).Text1[1]->setText(QString::fromLatin1(words));
        QTest::mouseClick(controls(f.w).Command1[1], Qt::LeftButton);
        QCOMPARE(f.searches(), searches + 1);
        QCOMPARE(f.noMatchMessages(), messages + 1);
        QVERIFY(f.rows().isEmpty());
        QVERIFY(controls(f.w).RichTextBox1->toPlainText().isEmpty());
        QCOMPARE(f.position(), QStringLiteral("0"));
        QCOMPARE(f.count(), QStringLiteral("0"));
        QCOMPARE(f.platform.mousePointer(), MousePointer::Default);
    }

    // A section whose tables are missing, or no database at all, ends the same way.
    f.controller.setCurrentTable(QStringLiteral("INT77"));
    QTest::mouseClick(controls(f.w).Command1[1], Qt::LeftButton);
    QCOMPARE(f.count(), QStringLiteral("0"));
    f.controller.closeDatabase();
    controls(f.w).Text1[1]->setText(QStringLiteral("preheat"));
    QTest::mouseClick(controls(f.w).Command1[1], Qt::LeftButton);
    QCOMPARE(f.noMatchMessages(), 5);
    QCOMPARE(f.platform.mousePointer(), MousePointer::Default);
}

void TestSearch::paragraphEntry()
{
    Window f(db_, paragraphs_);
    TextBox* entry = controls(f.w).Text1[0];
    f.focus(entry);

    // One keystroke: completed, tail selected, one search for the completion.
    QTest::keyClick(entry, Qt::Key_Q);
    QCOMPARE(entry->text(), QStringLiteral("QW-406"));
    QCOMPARE(entry->selectionStart(), 1);
    QCOMPARE(entry->selectedText(), QStringLiteral("W-406"));
    QCOMPARE(f.searches(), 1);
    QCOMPARE(f.w.controller().lastSearchSql(), R"(SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = "QW-406")");
    QCOMPARE(f.rows(), (QStringList{"IX-89-01", "IX-89-02", "IX-89-04"}));

    // Typing on replaces the selected tail each time.
    QTest::keyClicks(entry, QStringLiteral("w-406."));
    QCOMPARE(entry->text(), QStringLiteral("QW-406.1"));
    QCOMPARE(entry->selectedText(), QStringLiteral("1"));
    QCOMPARE(f.searches(), 7);   // "6" over the selected "6" is a change too
    QCOMPARE(f.rows(), QStringList{"IX-89-01"});
    QCOMPARE(f.platform.beeps, 0);

    // Delete and Backspace never complete: a beep and a search for what is left.
    QTest::keyClick(entry, Qt::Key_Delete);
    QCOMPARE(entry->text(), QStringLiteral("QW-406."));
    QTest::keyClick(entry, Qt::Key_Backspace);
    QCOMPARE(entry->text(), QStringLiteral("QW-406"));
    QCOMPARE(f.platform.beeps, 2);
    QCOMPARE(f.searches(), 9);
    QCOMPARE(f.noMatchMessages(), 1);   // "QW-406." is no paragraph
    QCOMPARE(f.rows().size(), 3);
    QTest::keyClick(entry, Qt::Key_Backspace);
    QTest::keyClick(entry, Qt::Key_Backspace);
    QCOMPARE(entry->text(), QStringLiteral("QW-4"));
    QCOMPARE(f.noMatchMessages(), 3);
    entry->selectAll();
    QTest::keyClick(entry, Qt::Key_Backspace);
    QCOMPARE(entry->text(), QString());
    QCOMPARE(f.platform.beeps, 4);
    QCOMPARE(f.searches(), 11);

    // A character nothing completes: beep, search as typed, message.
    QTest::keyClick(entry, Qt::Key_X);
    QCOMPARE(entry->text(), QStringLiteral("x"));
    QCOMPARE(f.platform.beeps, 5);
    QCOMPARE(f.searches(), 12);
    QCOMPARE(f.noMatchMessages(), 4);

    // No paragraph list (no section loaded): no completion, beep or search.
    Window none(db_, {});
    TextBox* bare = controls(none.w).Text1[0];
    none.focus(bare);
    QTest::keyClicks(bare, QStringLiteral("qw"));
    QCOMPARE(bare->text(), QStringLiteral("qw"));
    QCOMPARE(none.platform.beeps, 0);
    QCOMPARE(none.searches(), 0);
}

void TestSearch::doubleQuotes()
{
    Window f(db_, paragraphs_);
    for (TextBox* entry : {controls(f.w).Text1[1], controls(f.w).Text1[0]}) {
        f.focus(entry);
        QTest::keyClick(entry, '"');
        QCOMPARE(entry->text(), QString());
    }
    QTest::keyClicks(controls(f.w).Text1[1], QStringLiteral("pre\"heat"));
    QCOMPARE(controls(f.w).Text1[1]->text(), QStringLiteral("preheat"));

    QGuiApplication::clipboard()->setText(QStringLiteral("\"minimum\" \"preheat\""));
    controls(f.w).Text1[1]->clear();
    f.focus(controls(f.w).Text1[1]);
    QTest::keyClick(controls(f.w).Text1[1], Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(controls(f.w).Text1[1]->text(), QStringLiteral("minimum preheat"));
    QCOMPARE(f.searches(), 0);

    // Pasted into the paragraph entry: cleaned, then completed and searched once.
    controls(f.w).Text1[1]->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("QW-\"407\""));
    f.focus(controls(f.w).Text1[0]);
    QTest::keyClick(controls(f.w).Text1[0], Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(controls(f.w).Text1[0]->text(), QStringLiteral("QW-407"));
    QCOMPARE(f.searches(), 1);
    QCOMPARE(f.rows(), QStringList{"IX-89-03"});
}

void TestSearch::keywordEntryKeysAndHistory()
{
    Window f(db_, paragraphs_);
    TextBox* entry = controls(f.w).Text1[1];
    auto* history = controls(f.w).ListView1[1];
    f.focus(entry);
    QTest::keyClicks(entry, QStringLiteral("preheat"));
    QCOMPARE(f.searches(), 0);   // typing never searches

    QTest::keyClick(entry, Qt::Key_Return);   // default button and key-up: one search
    QCOMPARE(f.searches(), 1);
    QCOMPARE(f.rows().size(), 4);
    QTest::keyClick(entry, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(f.searches(), 2);
    QTest::keyClick(entry, Qt::Key_Return, Qt::ShiftModifier);   // no default button: the key-up
    QCOMPARE(f.searches(), 3);
    // The release of an Enter that chose a menu entry lands here: not a keystroke of the entry.
    QTest::keyRelease(entry, Qt::Key_Return);
    QCOMPARE(f.searches(), 3);

    QTest::keyClick(entry, Qt::Key_Tab);   // searches and moves on; leaving adds the history row
    QCOMPARE(f.searches(), 4);
    QTRY_VERIFY(controls(f.w).Text1[0]->hasFocus());
    QCOMPARE(history->rowCount(), 1);
    QCOMPARE(history->rowText(0), QStringLiteral("preheat"));
    QCOMPARE(iconImage(history, 0),
             orvane::ui::art::imageListImage(1).toImage().convertToFormat(QImage::Format_ARGB32));

    // Back in: the release lands in the keyword entry and does not search.
    QTest::keyPress(controls(f.w).Text1[0], Qt::Key_Tab, Qt::ShiftModifier);
    QTRY_VERIFY(entry->hasFocus());
    QTest::keyRelease(entry, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(f.searches(), 4);

    // The keyword entry completes from its history, without searching.
    entry->clear();
    QTest::keyClicks(entry, QStringLiteral("PRE"));
    QCOMPARE(entry->text(), QStringLiteral("preheat"));
    QCOMPARE(entry->selectedText(), QStringLiteral("heat"));
    QCOMPARE(f.searches(), 4);
    QCOMPARE(f.platform.beeps, 0);

    QTest::keyClick(entry, Qt::Key_Left);   // no completion after a caret key
    entry->setText(QStringLiteral("PREHEAT"));   // the same text ignoring case
    QCOMPARE(entry->text(), QStringLiteral("PREHEAT"));
    f.focus(controls(f.w).Option1[0]);
    QCOMPARE(history->rowCount(), 1);
    f.focus(entry);
    entry->setText(QStringLiteral("filler"));
    f.focus(controls(f.w).ListView1[2]);
    f.focus(entry);
    entry->clear();
    f.focus(controls(f.w).ListView1[2]);
    QCOMPARE(history->rowCount(), 2);
    QCOMPARE(history->rowText(1), QStringLiteral("filler"));
}

void TestSearch::optionsAndDropDowns()
{
    Window f(db_, paragraphs_);
    controls(f.w).Text1[0]->setText(QStringLiteral("QW-406"));
    const int afterParagraph = f.searches();

    // With the keyword entry empty, options never search.
    QTest::mouseClick(controls(f.w).Option1[1], Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(controls(f.w).Option1[2], Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(f.searches(), afterParagraph);

    // With keywords, each real change searches once; the selected one does not.
    controls(f.w).Text1[1]->setText(QStringLiteral("minimum preheat"));
    QTest::mouseClick(controls(f.w).Option1[0], Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(f.searches(), afterParagraph + 1);
    QTest::mouseClick(controls(f.w).Option1[0], Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(f.searches(), afterParagraph + 1);
    controls(f.w).Option1[2]->setChecked(true);
    QCOMPARE(f.searches(), afterParagraph + 2);
    QVERIFY(f.w.controller().lastSearchSql().endsWith(R"(LIKE "*minimum preheat*"))"));
    QCOMPARE(f.rows(), (QStringList{"IX-89-01", "IX-89-04"}));

    // The drop-down buttons toggle their list and give it the focus.
    for (int button : {0, 2}) {
        ListView* list = controls(f.w).ListView1[button == 0 ? 0 : 1];
        QTest::mouseClick(controls(f.w).Command2[std::size_t(button)], Qt::LeftButton);
        QVERIFY(list->isVisible());
        QTRY_VERIFY(list->hasFocus());
        QTest::mouseClick(controls(f.w).Command2[std::size_t(button)], Qt::LeftButton);
        QVERIFY(list->isHidden());
    }
    // An entry or an option taking the focus closes both lists.
    for (QWidget* taker : std::initializer_list<QWidget*>{controls(f.w).Text1[1], controls(f.w).Option1[1]}) {
        f.focus(controls(f.w).ListView1[2]);
        controls(f.w).ListView1[0]->show();
        controls(f.w).ListView1[1]->show();
        f.focus(taker);
        QVERIFY(controls(f.w).ListView1[0]->isHidden() && controls(f.w).ListView1[1]->isHidden());
    }
}

void TestSearch::injectionStaysALiteral_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("matches");   // false: no row at all (refused or nothing matched)

    // In Or mode a blank word matches every text, and "[INTER_STR]" is a
    // character class: both find rows, but only rows of this section.
    for (int mode : {And, Or, Phrase}) {
        QTest::addRow("keywords quote or, mode %d", mode) << 1 << mode << R"(" OR 1=1 --)" << (mode == Or);
        QTest::addRow("keywords bracket, mode %d", mode) << 1 << mode << "]" << false;
        QTest::addRow("keywords semicolon, mode %d", mode) << 1 << mode << ";" << false;
        QTest::addRow("keywords second statement, mode %d", mode)
            << 1 << mode << R"(x"; SELECT [INTER_STR] FROM INT08 --)" << (mode == Or);
    }
    QTest::newRow("paragraph quote or") << 0 << int(And) << R"(x" OR "a"="a)" << false;
    QTest::newRow("paragraph bracket") << 0 << int(And) << "]" << false;
    QTest::newRow("paragraph second statement") << 0 << int(And)
        << R"(QW-406"; SELECT [INTER_STR] FROM INX08 WHERE "1"="1)" << false;
}

void TestSearch::injectionStaysALiteral()
{
    QFETCH(int, entry);
    QFETCH(int, mode);
    QFETCH(QString, typed);
    QFETCH(bool, matches);

    Window f(db_, {});   // no completion: what is typed is what is searched
    controls(f.w).Option1[std::size_t(mode)]->setChecked(true);
    f.focus(controls(f.w).Text1[std::size_t(entry)]);
    QGuiApplication::clipboard()->setText(typed);
    QTest::keyClick(controls(f.w).Text1[std::size_t(entry)], Qt::Key_V, Qt::ControlModifier);
    QTest::mouseClick(controls(f.w).Command1[1], Qt::LeftButton);

    QVERIFY(!controls(f.w).Text1[std::size_t(entry)]->text().contains(u'"'));
    const QStringList rows = f.rows();
    QVERIFY2(!rows.contains(QStringLiteral("SECRET-01")), qPrintable(f.w.controller().lastSearchSql()));
    QCOMPARE(!rows.isEmpty(), matches);
    if (matches)   // the blank words match every text of this section only
        QCOMPARE(f.count(), QStringLiteral("6"));
    QCOMPARE(f.noMatchMessages(), matches ? 0 : 1);
}

void TestSearch::largeSectionKeystroke()
{
    // 2,500 interpretations, all filed under QW-100 and one other paragraph each.
    t::Section s{QStringLiteral("Section IX"), QStringLiteral("INT09"), {}, {}};
    QStringList paragraphs{QStringLiteral("QW-100")};
    for (int i = 0; i < 2500; ++i) {
        const QString id = QStringLiteral("IX-%1").arg(i, 4, 10, QLatin1Char('0'));
        s.rows.push_back({id, t::interpretationText(id, QStringLiteral("QW-100, Preheat"),
                                                    QStringLiteral("Is preheat of %1 F enough?").arg(i))});
        const QString other = QStringLiteral("QW-%1").arg(200 + i / 4);
        s.index.push_back({QStringLiteral("QW-100"), id, QStringLiteral("09")});
        s.index.push_back({other, id, QStringLiteral("09")});
        if (paragraphs.last() != other)
            paragraphs << other;
    }
    t::DbPlan db;
    db.sections = {s};
    const QString path = t::writeInterpretationDb(dir_->filePath(QStringLiteral("large.mdb")), db);

    Window f(path, paragraphs);
    TextBox* entry = controls(f.w).Text1[0];
    f.focus(entry);
    QTest::keyClick(entry, Qt::Key_Q);   // the first query also loads the index table
    QCOMPARE(f.count(), QStringLiteral("2500"));

    // Again, on the loaded tables (how fast is a row of the window benchmark).
    entry->clear();
    QTest::keyClick(entry, Qt::Key_Q);
    QCOMPARE(entry->text(), QStringLiteral("QW-100"));
    QCOMPARE(f.rows().size(), 2500);
    QCOMPARE(f.rows().constLast(), QStringLiteral("IX-2499"));

    // The same search again lists from the top with its first row shown,
    // wherever the user had gone, without laying the same list out anew; a
    // search that finds other rows does replace the list.
    orvane::ui::ListView* list = controls(f.w).ListView1[2];
    QSignalSpy resets(list->model(), &QAbstractItemModel::modelReset);
    list->setCurrentRow(2000);
    f.controller.clickRow(2001);
    QCOMPARE(controls(f.w).Label1[0]->text(), QStringLiteral("IX-2000"));
    QVERIFY(list->verticalScrollBar()->value() > 0);
    f.controller.performSearch();
    QCOMPARE(resets.size(), 0);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(list->selectedRow(), 0);
    QCOMPARE(list->verticalScrollBar()->value(), 0);
    QCOMPARE(controls(f.w).Label1[0]->text(), QStringLiteral("IX-0000"));
    QCOMPARE(f.position(), QStringLiteral("1"));
    f.controller.setEntryText(orvane::search::EntryKind::Keyword, QStringLiteral("1999"));
    f.controller.performSearch();
    QCOMPARE(resets.size(), 1);
    QCOMPARE(f.rows(), QStringList{QStringLiteral("IX-1999")});
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
