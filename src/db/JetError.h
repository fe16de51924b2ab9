#pragma once

// The database layer's error type, defined by the file reader underneath
// (db/jet/JetError.h) and seen here under the engine's namespace.

#include "db/jet/JetError.h"

namespace orvane::db {

using jet::JetError;
using jet::JetErrorNumber;
using enum jet::JetErrorNumber;

} // namespace orvane::db
