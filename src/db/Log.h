#pragma once

// The database layer's logging category "orvane.db" (see db/jet/Log.h).

#include "db/jet/Log.h"
