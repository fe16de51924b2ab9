#include "db/Log.h"

namespace orvane::db {
Q_LOGGING_CATEGORY(lcDb, "orvane.db", QtWarningMsg)
}
