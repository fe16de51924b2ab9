#pragma once

// Logging category of the database layer ("orvane.db"): every error the layer
// or its tools catch and then swallow or turn into something else is logged
// here with its Jet number and text.

#include <QLoggingCategory>

namespace orvane::db {
Q_DECLARE_LOGGING_CATEGORY(lcDb)
}
