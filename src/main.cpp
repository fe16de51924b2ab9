// Orvane-INT: start-up. The title window is the first thing that runs; it
// hands over to the main window, and the program ends when that closes.

#include "core/ProductInfo.h"
#include "core/Settings.h"
#include "app/Controller.h"
#include "ui/QtPlatform.h"
#include "ui/TitleWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(orvane::product::name());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(orvane::product::kMajor)
                                            .arg(orvane::product::kMinor)
                                            .arg(orvane::product::kRevision));
    QApplication::setOrganizationName(QStringLiteral("Halvorn software"));
    QGuiApplication::setDesktopFileName(QStringLiteral("orvane-int"));

    // A run can be pointed at its own settings file (tests, trials).
    const QString settingsFile = qEnvironmentVariable("ORVANE_SETTINGS_FILE");
    if (!settingsFile.isEmpty())
        orvane::setSettingsFile(settingsFile);

    orvane::ui::QtPlatform platform;
    orvane::app::Controller controller(platform);

    auto* title = new orvane::ui::orvaneIntTitle(controller, platform);
    title->setAttribute(Qt::WA_DeleteOnClose);
    title->start();
    return app.exec();
}
