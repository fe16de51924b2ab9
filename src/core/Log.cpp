#include "core/Log.h"

namespace orvane {

// One policy for every layer: a caught failure is logged at info level, which
// is off by default, so nothing reaches stderr unless it is asked for with
// QT_LOGGING_RULES="orvane.*=true" (or "orvane.<layer>.info=true"). The user
// hears of what matters through the windows, the tools through their own
// error lines. Warnings, shown by default, are kept for faults of the
// program itself.
Q_LOGGING_CATEGORY(lcCore, "orvane.core", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLibrary, "orvane.library", QtWarningMsg)
Q_LOGGING_CATEGORY(lcApp, "orvane.app", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUi, "orvane.ui", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPrint, "orvane.print", QtWarningMsg)

} // namespace orvane
