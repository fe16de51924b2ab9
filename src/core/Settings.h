#pragma once

// The per-user settings store: text values under application "Halvorn software",
// section "orvaneINT". On Windows this is the registry branch of the classic
// application-settings functions:
//   HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Halvorn software\orvaneINT
// elsewhere an INI file, by default
//   <GenericConfigLocation>/Halvorn software/orvaneINT.ini
// (e.g. ~/.config/Halvorn software/orvaneINT.ini) with the values in the group
// [orvaneINT], so that a file named by ORVANE_SETTINGS_FILE or setSettingsFile
// still says which section it holds. Keys may contain blanks ("data path");
// QSettings writes them escaped ("data%20path") and reads them back unchanged.
//
// Which store is used, first match wins: the path given to setSettingsFile,
// the environment variable ORVANE_SETTINGS_FILE (read at each call), the
// platform default above.
//
// Failures never escape: an unreadable store reads as empty; a file that
// cannot be parsed reads as empty and is replaced by a clean file at the next
// write; a store that cannot be written keeps the written value only for the
// call that wrote it (so readSetting still returns its default). A path that
// names something other than a regular file (a FIFO, a device, a folder) is
// never opened: it reads as empty and refuses every write.

#include <QString>
#include <functional>
#include <optional>

class QObject;

namespace orvane {

// Reads `key`; an empty or missing value is replaced by `defaultValue`, which
// is written back, and the value is read again and returned.
QString readSetting(const QString& key, const QString& defaultValue);
// The value reaches the store on a thread of its own, writes in the order
// they were made; nothing waits for the disk. Every read, setSettingsFile and
// takeSettingsWriteFailure first waits for the writes made before it, and
// all writes are in the store before the application object goes.
void writeSetting(const QString& key, const QString& value);
// Waits until every write made so far has reached the store (or failed).
void flushSettings();
// After a write failed, `handler` runs on `context`'s thread from its event
// loop (the failure is then waiting in takeSettingsWriteFailure); for as
// long as `context` exists.
void whenSettingsWriteFails(QObject* context, std::function<void()> handler);
// Reads `key` without writing a default back: for the program's optional
// settings, which a store only holds once the user made the choice.
QString peekSetting(const QString& key);

// Points the store at an INI file (tests, or a per-run override through the
// environment variable ORVANE_SETTINGS_FILE). An empty path restores the default.
void setSettingsFile(const QString& path);

// Where the values currently go: the INI file's path, or on Windows without an
// override the registry key "HKEY_CURRENT_USER\...\orvaneINT". For messages
// and tests.
QString settingsLocation();

// A write that did not reach the store (a read-only home folder, a full disk).
struct SettingsWriteFailure {
    QString location;   // as settingsLocation() names it
    QString reason;     // the file system's words
};
// The first write failure since the last call, if any; the program tells the
// user once and goes on.
std::optional<SettingsWriteFailure> takeSettingsWriteFailure();

} // namespace orvane
