#pragma once

// The error type of the whole database layer, for Qt code. The file reader
// underneath is standard C++ and throws its ReadError (db/jet/JetReader.h),
// which its Qt face turns into this; the engine above includes it from here
// (through db/JetError.h).

#include <QString>
#include <exception>
#include <string>

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

// Every failure of the database layer is reported as a JetError carrying the
// engine's error number. Callers above the database layer never see SQLite's
// or the file reader's own details.
class JetError : public std::exception {
public:
    JetError(int number, QString message)
        : number_(number), message_(std::move(message)), what_(message_.toStdString()) {}

    int number() const noexcept { return number_; }
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    int number_;
    QString message_;
    std::string what_;
};

} // namespace orvane::jet
