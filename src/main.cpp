// Orvane-INT: start-up. The title window is the first thing that runs; it
// hands over to the main window, and the program ends when that closes.

#include "core/ProductInfo.h"
#include "core/Settings.h"
#include "app/Controller.h"
#include "ui/QtPlatform.h"
#include "ui/TitleWindow.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

const char* const kUsage =
    "usage: orvane-int [SECT table|ALL] [PARA paragraph] [TEXT {keywords}] [COND AND|OR|PHRASE]\n"
    "\n"
    "Searches and shows a database of code interpretations. The command line is a\n"
    "query, its keywords in capitals:\n"
    "  SECT table        show the section with this table name (for example INT10);\n"
    "                    SECT ALL lists and searches all sections at once\n"
    "  PARA paragraph    search the paragraph index (for example QW-406)\n"
    "  TEXT {keywords}   search the texts for these keywords\n"
    "  COND AND|OR|PHRASE  all keywords, any of them, or one phrase\n"
    "  --help            this text\n"
    "  --version         the program's version\n"
    "\n"
    "Environment: ORVANE_SETTINGS_FILE (settings file), ORVANE_PRINT_TO_PDF (print\n"
    "to this PDF file), QT_LOGGING_RULES=\"orvane.*=true\" (log what was stepped over).\n"
    "See orvane-int(1).\n";

// --help and --version are answered before anything needs a display, so
// both work from a plain terminal or a build machine.
int answeredWithoutWindow(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %d.%d.%d\n", orvane::product::kName, orvane::product::kMajor,
                        orvane::product::kMinor, orvane::product::kRevision);
            return 0;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (const int rc = answeredWithoutWindow(argc, argv); rc >= 0)
        return rc;
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
