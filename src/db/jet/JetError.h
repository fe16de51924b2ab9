#pragma once

// The error type of the whole database layer, for Qt code. The file reader
// underneath is standard C++ and throws its ReadError (db/jet/JetReader.h),
// which its Qt face turns into this; the engine above includes it from here
// (through db/JetError.h).

#include "db/jet/JetErrorNumber.h"

#include <QString>
#include <exception>
#include <string>

namespace orvane::jet {


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
