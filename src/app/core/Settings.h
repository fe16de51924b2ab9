#pragma once

// The per-user settings store: text values under application "Halvorn software",
// section "orvaneINT". On Windows this is the registry branch of the classic
// application-settings functions; elsewhere an INI file in the user's
// configuration folder.

#include <QString>

namespace orvane {

// Reads `key`; an empty or missing value is replaced by `defaultValue`, which
// is written back, and the value is read again and returned.
QString readSetting(const QString& key, const QString& defaultValue);
void writeSetting(const QString& key, const QString& value);

// Points the store at an INI file (tests, or a per-run override through the
// environment variable ORVANE_SETTINGS_FILE). An empty path restores the default.
void setSettingsFile(const QString& path);

} // namespace orvane
