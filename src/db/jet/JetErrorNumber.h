#pragma once

// The Jet error numbers, in standard C++ so that the reader underneath and
// the Qt layers above share one list.

namespace orvane::jet {

// Jet engine error numbers the program and its tests rely on.
enum JetErrorNumber : int {
    kInvalidUseOfNull = 94,     // "Invalid use of Null"
    kNoCurrentRecord = 3021,    // read past the end of a record set
    kFileNotFound = 3024,       // "Couldn't find file"
    kInvalidPassword = 3031,    // "Not a valid password."
    kSystemResourceExceeded = 3035, // "System resource exceeded." (the memory ceiling)
    kDatabaseDamaged = 3049,    // the file is a database, but parts of it are corrupt
    kCannotOpenFile = 3051,     // exists but cannot be opened for reading
    kSyntaxError = 3075,        // syntax error / invalid pattern in an expression
    kTableNotFound = 3078,      // no such table or query
    kItemNotFound = 3265,       // field name not in the record set
    kUnrecognizedFormat = 3343, // "Unrecognized database format"
    kObjectClosed = 3420        // "Object invalid or no longer set." (closed database or record set)
};

} // namespace orvane::jet
