#pragma once

// The settings every start reads and writes before anything is opened.

#include <QString>
#include <QStringList>

namespace orvane::app {

// Numeric value of a setting text: its leading number (leading blanks
// ignored, optional sign, decimals and exponent allowed), rounded half to
// even, as a 16-bit integer. Text without a leading number gives 0; values
// beyond the 16-bit range are held at its ends.
qint16 leadingNumber(const QString& text);

// The database file name appended to the program folder, with the
// platform's separator in front.
QString defaultDataPath(const QString& programFolder);

// Where the program looks for its database when "data path" is not set, in
// this order: beside the executable (a portable copy keeps working), the
// per-user and system data folders of the program, and the data folder of
// the installation the executable belongs to (../share/orvane-int from its
// bin folder). Each candidate is a full file name.
QStringList defaultDatabaseCandidates(const QString& programFolder);

// The first candidate that exists, or the one beside the executable when
// none does (so that a message about a missing database names the place a
// user would put it).
QString findDefaultDatabase(const QString& programFolder);

struct StartupSettings {
    QString dataPath;
    qint16 defaultSection = 0;
};

// Writes "program path", reads "data path" and "default section" (writing
// their defaults when missing) and returns what was read.
StartupSettings readStartupSettings(const QString& programFolder);

} // namespace orvane::app
