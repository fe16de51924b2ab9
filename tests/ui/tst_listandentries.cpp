// What a user meets in the results list, the pick lists and the entries:
// the row on display is always the highlighted one, the buttons follow the
// selection, Enter in a pick list only picks, an entry holds one line, red
// marks only what the search matched, and Tab enters the option group at
// its checked option.

#include "app/Controller.h"
#include "core/Settings.h"
#include "support/DrawnColours.h"
#include "support/InterpretationDb.h"
#include "support/ScriptedPlatform.h"
#include "support/WindowControls.h"
#include "ui/MainWindow.h"

#include <QClipboard>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

using namespace orvane::ui;
using namespace orvane::app;
using orvane::search::EntryKind;
using orvane::testing::controls;
namespace t = orvane::testing;

namespace {

t::DbPlan plan()
{
    t::Section s9{QStringLiteral("Section IX"), QStringLiteral("INT09"), {}, {}};
    for (int i = 1; i <= 6; ++i) {
        const QString id = QStringLiteral("IX-89-%1").arg(i, 2, 10, QLatin1Char('0'));
        s9.rows.push_back({id, t::interpretationText(id, QStringLiteral("QW-406, Preheat"),
                                                     QStringLiteral("Is preheat required for case %1?").arg(i))});
        s9.index.push_back({QStringLiteral("QW-40%1").arg(i), id, QStringLiteral("09")});
    }
    // The phrase with a non-breaking space, which the search does not find.
    s9.rows.push_back({QStringLiteral("IX-89-07"),
                       QStringLiteral("A minimum preheat here, a minimum\u00A0preheat there.")});
    t::DbPlan db;
    db.sections = {s9};
    return db;
}

struct Window {
    QTemporaryDir dir;
    ScriptedPlatform platform;
    Controller controller{platform};
    std::unique_ptr<orvaneIntMain> w;

    Window()
    {
        orvane::setSettingsFile(dir.filePath(QStringLiteral("s.ini")));
        platform.printerOutputFile = dir.filePath(QStringLiteral("out.pdf"));
        controller.setDataPath(t::writeInterpretationDb(dir.filePath(QStringLiteral("int.mdb")), plan()));
        controller.openDatabase(controller.state().dataPath);
        controller.setDefaultSection(1);
        w = std::make_unique<orvaneIntMain>(controller, platform);
        controller.initiateProgram();
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            qWarning("main window not active");
    }
    ~Window()
    {
        w->hide();
        orvane::setSettingsFile(QString());
    }
    ListView* results() const { return controls(*w).ListView1[2]; }
    QString buttons() const
    {
        QString out;
        for (QPushButton* b : controls(*w).Command4)
            out += b->isEnabled() ? u'1' : u'0';
        return out;
    }
    int searches() const { return controller.searchRuns(); }
    void search(const QString& words)
    {
        controls(*w).Text1[1]->setText(words);
        controls(*w).Command1[1]->click();
    }
    QPoint rowCentre(int row) const { return results()->rowRect(row - 1).center(); }
};

} // namespace

class TestListAndEntries : public QObject {
    Q_OBJECT
private slots:
    void searchSelectsItsFirstRow()
    {
        Window f;
        f.search(QStringLiteral("preheat"));
        QCOMPARE(f.results()->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(f.results()->selectedRow(), 0);
        QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("1"));
        QCOMPARE(f.buttons(), QStringLiteral("0011"));
        controls(*f.w).Command4[2]->click();
        QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("IX-89-02"));
        // Print prints what is on display.
        controls(*f.w).mnuPrint->trigger();
        QVERIFY(QFile::exists(f.platform.printerOutputFile));
    }

    void everyRowChangeShowsTheRow()
    {
        Window f;
        f.search(QStringLiteral("preheat"));
        QWidget* viewport = f.results()->viewport();
        // Dragged from the 2nd row to the 4th: the 4th is shown.
        QTest::mousePress(viewport, Qt::LeftButton, {}, f.rowCentre(2));
        QMouseEvent move(QEvent::MouseMove, f.rowCentre(4), viewport->mapToGlobal(f.rowCentre(4)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, f.rowCentre(4));
        QCOMPARE(f.results()->currentRow(), 3);
        QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("IX-89-04"));
        controls(*f.w).Command4[2]->click();
        QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("IX-89-05"));
        // The right button picks too.
        QTest::mouseClick(viewport, Qt::RightButton, {}, f.rowCentre(1));
        QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("IX-89-01"));
        QCOMPARE(controls(*f.w).Label1[4]->text(), QStringLiteral("1"));
    }

    void buttonsFollowNoRow()
    {
        Window f;
        f.search(QStringLiteral("preheat"));
        f.results()->clearSelection();   // as a click on the empty part of the list
        QCOMPARE(f.buttons(), QStringLiteral("1001"));
        controls(*f.w).Command4[3]->click();
        QCOMPARE(controls(*f.w).Label1[0]->text(), QStringLiteral("IX-89-07"));
        f.search(QStringLiteral("absent"));
        QCOMPARE(f.buttons(), QStringLiteral("0000"));
    }

    void enterInAPickListOnlyPicks()
    {
        Window f;
        controls(*f.w).Command2[0]->click();   // the paragraph list drops down
        ListView* list = controls(*f.w).ListView1[0];
        QTRY_VERIFY(list->hasFocus());
        list->setCurrentRow(2);
        const int before = f.searches();
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(controls(*f.w).Text1[0]->text(), QStringLiteral("QW-403"));
        // One search, for the picked paragraph, not one for the old text too.
        QCOMPARE(f.searches(), before + 1);
        QCOMPARE(f.controller.rowTexts(), QStringList{QStringLiteral("IX-89-03")});

        // An empty history list: Enter does nothing at all.
        controls(*f.w).Command2[2]->click();
        ListView* history = controls(*f.w).ListView1[1];
        QTRY_VERIFY(history->hasFocus());
        QTest::keyClick(history, Qt::Key_Return);
        QCOMPARE(f.searches(), before + 1);
        QCOMPARE(f.controller.rowTexts(), QStringList{QStringLiteral("IX-89-03")});
    }

    void pastedLineBreaksBecomeBlanks()
    {
        Window f;
        TextBox* entry = controls(*f.w).Text1[1];
        entry->setFocus();
        QGuiApplication::clipboard()->setText(QStringLiteral("minimum\r\npreheat\nrequired"));
        QTest::keyClick(entry, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(entry->text(), QStringLiteral("minimum preheat required"));
        QCOMPARE(f.controller.entryText(EntryKind::Keyword), entry->text());
    }

    void redOnlyWhereTheSearchMatched()
    {
        Window f;
        controls(*f.w).Option1[2]->click();
        f.search(QStringLiteral("minimum preheat"));
        QCOMPARE(f.controller.rowTexts(), QStringList{QStringLiteral("IX-89-07")});
        QCOMPARE(orvane::testing::drawnRuns(*controls(*f.w).RichTextBox1->document(), QColor(255, 0, 0)),
                 QStringList{QStringLiteral("minimum preheat")});
    }

    void tabEntersTheOptionGroupAtItsCheckedOption()
    {
        Window f;
        QPushButton* before = controls(*f.w).Command1[1];   // Search, the control ahead of the group
        for (int checked : {0, 1, 2}) {
            controls(*f.w).Option1[std::size_t(checked)]->setChecked(true);
            before->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY(before->hasFocus());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), controls(*f.w).Option1[std::size_t(checked)]);
            // The next Tab leaves the group.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command4(2)"));
            // And back again with Shift+Tab, to the checked option.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), controls(*f.w).Option1[std::size_t(checked)]);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), before);
        }
    }
};

QTEST_MAIN(TestListAndEntries)
#include "tst_listandentries.moc"
