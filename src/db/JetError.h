#pragma once

#include <QString>
#include <exception>
#include <string>

namespace orvane::db {

// Jet engine error numbers the program and its tests rely on.
enum JetErrorNumber : int {
    kFileNotFound = 3024,      // "Couldn't find file"
    kInvalidPassword = 3031,   // "Not a valid password."
    kSyntaxError = 3075,       // syntax error / invalid pattern in an expression
    kTableNotFound = 3078,     // no such table or query
    kNoCurrentRecord = 3021,   // read past the end of a record set
    kItemNotFound = 3265,      // field name not in the record set
    kObjectClosed = 3420,      // "Object invalid or no longer set." (closed database or record set)
    kSystemResourceExceeded = 3035, // "System resource exceeded." (the engine's memory ceiling)
    kUnrecognizedFormat = 3343 // "Unrecognized database format"
};

// Every failure of the database layer is reported as a JetError carrying the
// engine's error number. Callers above the database layer never see SQLite or
// libmdb details.
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

} // namespace orvane::db
