// Where the program finds its database when no "data path" is set: beside
// the executable first, then the data folders, then the installation's
// share/orvane-int.

#include "app/StartupSettings.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvane::app;

namespace {

bool touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write("x") == 1;
}

} // namespace

class TestStartupSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void lookupOrder();
};

void TestStartupSettings::lookupOrder()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    QVERIFY(QDir().mkpath(bin));
    const QString beside = QDir::toNativeSeparators(bin + QStringLiteral("/intasme.mdb"));
    const QString installed =
        QDir::toNativeSeparators(root.filePath(QStringLiteral("usr/share/orvane-int/intasme.mdb")));
    const QString userData = QDir::toNativeSeparators(
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/intasme.mdb"));
    QFile::remove(userData);

    const QStringList candidates = defaultDatabaseCandidates(bin);
    QCOMPARE(candidates.first(), beside);
    QCOMPARE(candidates.last(), installed);
    QVERIFY(candidates.contains(userData));
    QVERIFY(candidates.indexOf(userData) < candidates.indexOf(installed));

    // Nothing anywhere: the place beside the executable is named.
    QCOMPARE(findDefaultDatabase(bin), beside);
    // Installed under the prefix only.
    QVERIFY(touch(installed));
    QCOMPARE(findDefaultDatabase(bin), installed);
    // A copy in the user's data folder comes before the installed one.
    QVERIFY(touch(userData));
    QCOMPARE(findDefaultDatabase(bin), userData);
    // A portable copy beside the executable comes first of all.
    QVERIFY(touch(beside));
    QCOMPARE(findDefaultDatabase(bin), beside);
    QFile::remove(userData);
}

QTEST_MAIN(TestStartupSettings)
#include "tst_startupsettings.moc"
