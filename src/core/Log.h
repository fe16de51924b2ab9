#pragma once

// One logging category per layer. Nothing in the program shows a database
// error to the user except where a routine says so; everything caught is
// logged here instead, at info level (off by default, see Log.cpp), so
// QT_LOGGING_RULES="orvane.*=true" shows what happened and why.

#include <QLoggingCategory>

namespace orvane {

Q_DECLARE_LOGGING_CATEGORY(lcCore)      // "orvane.core": settings store
Q_DECLARE_LOGGING_CATEGORY(lcLibrary)   // "orvane.library": the interpretation repository
Q_DECLARE_LOGGING_CATEGORY(lcApp)       // "orvane.app": the controller
Q_DECLARE_LOGGING_CATEGORY(lcUi)        // "orvane.ui": windows and platform services
Q_DECLARE_LOGGING_CATEGORY(lcPrint)     // "orvane.print": printing

} // namespace orvane
