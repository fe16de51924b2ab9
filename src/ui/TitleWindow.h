#pragma once

// orvaneIntTitle: the title window that runs start-up. It reads the
// settings, opens the database, stays up for at least three seconds, then
// hands over to the main window and unloads itself.

#include <QDateTime>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <array>

class QLabel;

namespace orvane::app {
class Controller;
class Platform;
} // namespace orvane::app

namespace orvane::ui {

class orvaneIntMain;

class orvaneIntTitle : public QWidget {
    Q_OBJECT
public:
    // The picture's size in pixels is the window's client size.
    static constexpr int kPictureWidth = 469;
    static constexpr int kPictureHeight = 376;
    static constexpr int kMinimumShowSeconds = 3;

    // Creating the window initialises it (Form_Initialize runs).
    orvaneIntTitle(app::Controller& controller, app::Platform& platform, QWidget* parent = nullptr);
    ~orvaneIntTitle() override;

    std::array<QLabel*, 5> Label1{};   // 0, 1, 2, 4 exist

    void Form_Initialize();
    void Form_Load();
    void Form_Activate();
    void Form_Unload();

    // Load, show, and activate once the window is on screen.
    void start();

    // The main window this start-up created (null before step 8 or after it
    // has been closed and deleted).
    orvaneIntMain* mainWindow() const;
    // The start moment noted at activation.
    QDateTime startMoment() const { return startMoment_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    static constexpr int kLongestWaitForPaintMs = 1000;
    void scheduleActivation();

public:

private:
    app::Controller& controller_;
    app::Platform& platform_;
    QPixmap picture_;
    QDateTime startMoment_;
    QPointer<orvaneIntMain> main_;
    bool activationScheduled_ = false;
};

using TitleWindow = orvaneIntTitle;

} // namespace orvane::ui
