#include "core/Settings.h"

#include "core/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QCoreApplication>
#include <QStandardPaths>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orvane {

namespace {

constexpr const char* kApplication = "Halvorn software";
constexpr const char* kSection = "orvaneINT";
constexpr const char* kEnvOverride = "ORVANE_SETTINGS_FILE";

// The failure slot is shared by the writing thread and the callers.
std::mutex& failureMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::optional<SettingsWriteFailure>& pendingFailure()
{
    static std::optional<SettingsWriteFailure> failure;
    return failure;
}

struct FailureWatcher {
    QObject* context;
    std::function<void()> handler;
};

// Guarded by failureMutex(): a context leaves the list under the lock before
// it is gone, so a failure is never posted to a destroyed object.
std::vector<FailureWatcher>& failureWatchers()
{
    static std::vector<FailureWatcher> watchers;
    return watchers;
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
    Store() : Store(iniPath()) {}
    // `ini` as iniPath() gave it when the value was written.
    explicit Store(const QString& ini) : location_(ini.isEmpty() ? registryKey() : ini)
    {
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
            noteWriteFailure(location_, refused_);
            return;
        }
        settings_->sync();
        if (settings_->status() == QSettings::AccessError)
            noteWriteFailure(location_, reasonOf(settings_->fileName()));
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
        const std::lock_guard lock(failureMutex());
        if (!pendingFailure())
            pendingFailure() = SettingsWriteFailure{location, reason};
        for (const FailureWatcher& w : failureWatchers())
            QMetaObject::invokeMethod(w.context, w.handler, Qt::QueuedConnection);
    }

    // Where the values go, as settingsLocation() named it when they were
    // written (the writing thread does not look at the override again).
    QString location_;
    std::unique_ptr<QSettings> settings_;   // null when the path was refused
    QString refused_;                       // why the path was refused
    QHash<QString, QString> refusedValues_; // what this call wrote to a refused path
    bool written_ = false;
};

// Writes reach the store on a thread of their own, in the order they were
// made: a synced settings file costs more than the window's whole answer to a
// click (the file is locked, re-read, written beside and renamed, and flushed
// to the disk), and nobody needs to wait for it.
class Writer {
public:
    static Writer& instance()
    {
        static Writer writer;
        return writer;
    }

    void add(const QString& location, const QString& key, const QString& value)
    {
        {
            const std::lock_guard lock(mutex_);
            queue_.push_back({location, key, value});
            if (!thread_.joinable()) {
                thread_ = std::thread([this] { run(); });
                // Whatever was written is in the store before the program's
                // application object goes.
                qAddPostRoutine(flushSettings);
            }
        }
        wake_.notify_one();
    }

    void flush()
    {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
    }

    ~Writer()
    {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_one();
        if (thread_.joinable())
            thread_.join();
    }

private:
    struct Write {
        QString location;
        QString key;
        QString value;
    };

    void run()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
            if (queue_.empty())
                return;   // stopping, with nothing left to write
            std::deque<Write> writes;
            writes.swap(queue_);
            busy_ = true;
            lock.unlock();
            // Writes that came together to the same store are synced once.
            for (std::size_t i = 0; i < writes.size();) {
                Store store(writes[i].location);
                const QString& location = writes[i].location;
                for (; i < writes.size() && writes[i].location == location; ++i)
                    store.write(writes[i].key, writes[i].value);
            }
            lock.lock();
            busy_ = false;
            idle_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Write> queue_;
    bool busy_ = false;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace

void flushSettings()
{
    Writer::instance().flush();
}

void whenSettingsWriteFails(QObject* context, std::function<void()> handler)
{
    {
        const std::lock_guard lock(failureMutex());
        failureWatchers().push_back({context, std::move(handler)});
    }
    // Direct: destroyed() is emitted on the context's own thread while it
    // still exists.
    QObject::connect(context, &QObject::destroyed, context, [context] {
        const std::lock_guard lock(failureMutex());
        std::erase_if(failureWatchers(), [context](const FailureWatcher& w) { return w.context == context; });
    }, Qt::DirectConnection);
}

QString peekSetting(const QString& key)
{
    flushSettings();
    return Store().read(key);
}

QString readSetting(const QString& key, const QString& defaultValue)
{
    flushSettings();
    Store store;
    if (store.read(key).isEmpty())
        store.write(key, defaultValue);
    // What the store holds now, not the argument: the two differ only when the
    // store refuses the value (then the caller gets what the store reports).
    return store.read(key);
}

void writeSetting(const QString& key, const QString& value)
{
    // Where it goes is decided now, by the caller's override or environment.
    Writer::instance().add(iniPath(), key, value);
}

void setSettingsFile(const QString& path)
{
    // What was written for the old store lands there before anything else
    // (a test's folder) is let go.
    flushSettings();
    overridePath() = path;
}

std::optional<SettingsWriteFailure> takeSettingsWriteFailure()
{
    flushSettings();
    std::optional<SettingsWriteFailure> failure;
    const std::lock_guard lock(failureMutex());
    std::swap(failure, pendingFailure());
    return failure;
}

QString settingsLocation()
{
    const QString ini = iniPath();
    return ini.isEmpty() ? registryKey() : ini;
}

} // namespace orvane
