#include "app/StartupSettings.h"

#include "core/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cmath>
#include <limits>

namespace orvane::app {

qint16 leadingNumber(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    bool any = i > digitsStart;
    if (i < n && text[i] == u'.') {
        qsizetype j = i + 1;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128)
            ++j;
        if (j > i + 1 || any) {
            any = any || j > i + 1;
            i = j;
        }
    }
    if (!any)
        return 0;
    // An exponent counts only when digits follow it ("8e" reads as 8).
    if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        const qsizetype expDigits = j;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128)
            ++j;
        if (j > expDigits)
            i = j;
    }
    QString number = text.mid(start, i - start);
    number.replace(u'd', u'e').replace(u'D', u'e');
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || std::isnan(value))
        return 0;
    // std::nearbyint rounds half to even in the default rounding mode.
    const double rounded = std::nearbyint(value);
    if (rounded >= std::numeric_limits<qint16>::max())
        return std::numeric_limits<qint16>::max();
    if (rounded <= std::numeric_limits<qint16>::min())
        return std::numeric_limits<qint16>::min();
    return qint16(rounded);
}

QString defaultDataPath(const QString& programFolder)
{
    // Appended unchanged: a root folder gives two separators in a row.
#ifdef Q_OS_WIN
    return programFolder + QStringLiteral("\\intasme.mdb");
#else
    return programFolder + QStringLiteral("/intasme.mdb");
#endif
}

QStringList defaultDatabaseCandidates(const QString& programFolder)
{
    const QString file = QStringLiteral("intasme.mdb");
    QStringList candidates{defaultDataPath(programFolder)};
    const auto add = [&](const QString& folder) {
        const QString path = QDir::toNativeSeparators(QDir(folder).filePath(file));
        if (!candidates.contains(path))
            candidates << path;
    };
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::AppDataLocation))
        add(folder);
    // The installation's own data folder, found from the executable so that
    // an installation moved or unpacked elsewhere still finds its database.
    add(QDir::cleanPath(QDir::fromNativeSeparators(programFolder)
                        + QStringLiteral("/../share/orvane-int")));
    return candidates;
}

QString findDefaultDatabase(const QString& programFolder)
{
    const QStringList candidates = defaultDatabaseCandidates(programFolder);
    for (const QString& path : candidates)
        if (QFileInfo(path).isFile())
            return path;
    return candidates.front();
}

StartupSettings readStartupSettings(const QString& programFolder)
{
    writeSetting(QStringLiteral("program path"), programFolder);
    StartupSettings s;
    s.dataPath = readSetting(QStringLiteral("data path"), findDefaultDatabase(programFolder));
    s.defaultSection = leadingNumber(readSetting(QStringLiteral("default section"), QStringLiteral("8")));
    return s;
}

} // namespace orvane::app
