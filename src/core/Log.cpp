#include "core/Log.h"

namespace orvane {

// Warnings are on by default: a caught failure is worth a line on stderr.
Q_LOGGING_CATEGORY(lcCore, "orvane.core", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLibrary, "orvane.library", QtWarningMsg)
Q_LOGGING_CATEGORY(lcApp, "orvane.app", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUi, "orvane.ui", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPrint, "orvane.print", QtWarningMsg)

} // namespace orvane
