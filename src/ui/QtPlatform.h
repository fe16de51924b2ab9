#pragma once

#include "app/Platform.h"

#include <QStringList>
#include <memory>

namespace orvane::ui {

using app::MessageAnswer;
using app::MessageButtons;
using app::MessageIcon;
using app::MousePointer;
using app::Platform;

// Platform services on a real desktop through Qt.
class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    MessageAnswer messageBox(const QString& title, const QString& text,
                             MessageIcon icon, MessageButtons buttons) override;
    void beep() override;
    void setMousePointer(MousePointer pointer) override;
    MousePointer mousePointer() const override { return pointer_; }
    std::optional<QString> openFileDialog(const QString& title,
                                          const QString& filter, const QString& initialPath) override;
    bool printerSetupDialog() override;
    QPrinter* printer() override;
    QDateTime now() override;
    void waitUntil(const QDateTime& moment) override;
    void runWhileWaiting(const std::function<void()>& work) override;
    bool runLongWork(const app::LongWork& what, const std::function<void(app::WorkProgress&)>& work) override;
    QSize screenSize() override;
    QString programFolder() override;
    QString commandLine() override;
    void endProgram() override;
    bool programEnded() const override { return false; }

    // "desc|pattern|desc|pattern" -> Qt's "desc (pattern);;desc (pattern)".
    static QString toQtFilter(const QString& filter);

private:
    MousePointer pointer_ = MousePointer::Default;
    std::unique_ptr<QPrinter> printer_;
};

} // namespace orvane::ui
