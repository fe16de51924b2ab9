// While a dialog waits for the user the pointer is the normal arrow, also in
// the middle of busy work; the busy pointer comes back when it closes.

#include "ui/QtPlatform.h"

#include <QApplication>
#include <QAbstractButton>
#include <QDialog>
#include <QMessageBox>
#include <QSemaphore>
#include <QTimer>
#include <QtTest>

using namespace orvane::ui;

class TestDialogPointer : public QObject {
    Q_OBJECT
private slots:
    void messageBoxShowsTheNormalPointer()
    {
        QtPlatform platform;
        platform.setMousePointer(MousePointer::Wait);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        std::optional<Qt::CursorShape> during;
        QTimer::singleShot(0, this, [&] {
            if (QApplication::overrideCursor())
                during = QApplication::overrideCursor()->shape();
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                box->reject();
        });
        QTimer::singleShot(3000, this, [] {   // never leave a box up
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                box->reject();
        });
        platform.messageBox(QStringLiteral("No database"), QStringLiteral("text"),
                            MessageIcon::Critical, MessageButtons::Ok);
        QCOMPARE(during, std::optional<Qt::CursorShape>(Qt::ArrowCursor));
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        platform.setMousePointer(MousePointer::Default);
        QVERIFY(!QApplication::overrideCursor());
    }

    void okAndCancelAnswerAsPressed()
    {
        QtPlatform platform;
        for (auto [button, answer] : {std::pair{QMessageBox::Ok, MessageAnswer::Ok},
                                      std::pair{QMessageBox::Cancel, MessageAnswer::Cancel}}) {
            QTimer::singleShot(0, this, [button = button] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    box->button(button)->click();
            });
            QCOMPARE(platform.messageBox(QStringLiteral("Print All Found"), QStringLiteral("Print?"),
                                         MessageIcon::Question, MessageButtons::OkCancel),
                     answer);
        }
    }

    void withoutBusyWorkNothingChanges()
    {
        QtPlatform platform;
        bool overridden = true;
        QTimer::singleShot(0, this, [&] {
            overridden = QApplication::overrideCursor() != nullptr;
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                box->reject();
        });
        platform.messageBox(QStringLiteral("Help"), QStringLiteral("text"), MessageIcon::Question,
                            MessageButtons::Ok);
        QVERIFY(!overridden);
        QVERIFY(!QApplication::overrideCursor());
    }

    void slowWorkKeepsTheWindowsResponsiveAndEnds()
    {
        // Work on another thread that ends only once this one has handled
        // timer events meanwhile (or gives up after a generous deadline).
        QtPlatform platform;
        QSemaphore ticks;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&] { ticks.release(); });
        timer.start(10);
        bool handled = false;
        platform.runWhileWaiting([&] { handled = ticks.tryAcquire(5, 30000); });
        QVERIFY(handled);
    }
};

QTEST_MAIN(TestDialogPointer)
#include "tst_dialogpointer.moc"
