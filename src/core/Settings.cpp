#include "core/Settings.h"

#include "core/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace orvane {

namespace {

constexpr const char* kApplication = "Halvorn software";
constexpr const char* kSection = "orvaneINT";
constexpr const char* kEnvOverride = "ORVANE_SETTINGS_FILE";

std::optional<SettingsWriteFailure>& pendingFailure()
{
    static std::optional<SettingsWriteFailure> failure;
    return failure;
}

QString& overridePath()
{
    static QString path;
    return path;
}

// The INI file to use, or an empty string for the Windows registry.
QString iniPath()
{
    if (!overridePath().isEmpty())
        return overridePath();
    const QString fromEnv = qEnvironmentVariable(kEnvOverride);
    if (!fromEnv.isEmpty())
        return fromEnv;
#ifdef Q_OS_WIN
    return {};
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QLatin1Char('/') + QLatin1String(kApplication) + QLatin1Char('/')
           + QLatin1String(kSection) + QLatin1String(".ini");
#endif
}

QString registryKey()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\")
           + QLatin1String(kApplication) + QLatin1Char('\\') + QLatin1String(kSection);
}

// One QSettings per call: the file is re-read each time, so a change made by
// another run (or a test) is seen, and nothing is cached between calls.
class Store {
public:
    Store()
    {
        const QString ini = iniPath();
        if (ini.isEmpty()) {
            settings_ = std::make_unique<QSettings>(registryKey(), QSettings::NativeFormat);
        } else if (const QFileInfo info(ini); info.exists() && !info.isFile()) {
            // A FIFO would block the first read until someone writes into it,
            // a device or a folder is no settings file either: such a path is
            // refused like an unwritable file, without ever being opened.
            refused_ = info.isDir() ? QStringLiteral("it is a folder, not a file")
                                    : QStringLiteral("it is not a regular file");
            return;
        } else {
            // QSettings creates missing parent folders itself only for its own
            // default locations; make sure an override's folder exists too.
            QDir().mkpath(QFileInfo(ini).absolutePath());
            settings_ = std::make_unique<QSettings>(ini, QSettings::IniFormat);
            settings_->beginGroup(QLatin1String(kSection));
        }
        // A file that could not be parsed is treated as empty: whatever the
        // parser salvaged is dropped, so that the next write replaces the
        // file by a clean one instead of keeping half-read junk.
        if (settings_->status() == QSettings::FormatError)
            settings_->clear();
    }

    ~Store()
    {
        if (!written_)
            return;
        if (!settings_) {
            noteWriteFailure(settingsLocation(), refused_);
            return;
        }
        settings_->sync();
        if (settings_->status() == QSettings::AccessError)
            noteWriteFailure(settingsLocation(), reasonOf(settings_->fileName()));
    }

    QString read(const QString& key) const
    {
        if (!settings_)
            return refusedValues_.value(key);
        const QVariant v = settings_->value(key);
        if (!v.isValid())
            return {};
        // A non-text value (a list written by hand) reads as empty.
        return v.canConvert<QString>() ? v.toString() : QString();
    }

    void write(const QString& key, const QString& value)
    {
        // Kept in QSettings' cache even when the file turns out unwritable,
        // so a read in the same call sees it.
        if (settings_)
            settings_->setValue(key, value);
        else
            refusedValues_.insert(key, value);
        written_ = true;
    }

private:
    // Why a file cannot be written, in the words of the file system.
    static QString reasonOf(const QString& file)
    {
        QFile probe(file);
        if (probe.open(QIODevice::ReadWrite | QIODevice::Append))
            return QStringLiteral("the file could not be written");
        return probe.errorString();
    }

    static void noteWriteFailure(const QString& location, const QString& reason)
    {
        qCInfo(lcCore).noquote() << "settings not saved to" << location << ":" << reason;
        if (!pendingFailure())
            pendingFailure() = SettingsWriteFailure{location, reason};
    }

    std::unique_ptr<QSettings> settings_;   // null when the path was refused
    QString refused_;                       // why the path was refused
    QHash<QString, QString> refusedValues_; // what this call wrote to a refused path
    bool written_ = false;
};

} // namespace

QString peekSetting(const QString& key)
{
    return Store().read(key);
}

QString readSetting(const QString& key, const QString& defaultValue)
{
    Store store;
    if (store.read(key).isEmpty())
        store.write(key, defaultValue);
    // What the store holds now, not the argument: the two differ only when the
    // store refuses the value (then the caller gets what the store reports).
    return store.read(key);
}

void writeSetting(const QString& key, const QString& value)
{
    Store store;
    store.write(key, value);
}

void setSettingsFile(const QString& path)
{
    overridePath() = path;
}

std::optional<SettingsWriteFailure> takeSettingsWriteFailure()
{
    std::optional<SettingsWriteFailure> failure;
    std::swap(failure, pendingFailure());
    return failure;
}

QString settingsLocation()
{
    const QString ini = iniPath();
    return ini.isEmpty() ? registryKey() : ini;
}

} // namespace orvane
