#include "core/Settings.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace orvane;

class tst_Settings : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString file_;

    // The file as another program (or the next run) sees it once the writes
    // made so far have landed.
    QString stored(const QString& key) const
    {
        flushSettings();
        QSettings s(file_, QSettings::IniFormat);
        s.beginGroup(QStringLiteral("orvaneINT"));
        return s.value(key).toString();
    }

    void writeRaw(const QByteArray& bytes)
    {
        QFile f(file_);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        file_ = dir_.filePath(QStringLiteral("orvaneINT.ini"));
        QFile::remove(file_);
        setSettingsFile(file_);
    }

    void cleanupTestCase() { setSettingsFile({}); }

    void missingKeyGetsDefaultWrittenBack()
    {
        QCOMPARE(readSetting("data path", "C:\\prog\\intasme.mdb"), QString("C:\\prog\\intasme.mdb"));
        QCOMPARE(stored("data path"), QString("C:\\prog\\intasme.mdb"));
        // A second read with another default keeps the stored value.
        QCOMPARE(readSetting("data path", "other"), QString("C:\\prog\\intasme.mdb"));
    }

    void emptyValueIsReplacedLikeMissing()
    {
        writeSetting("data path", "");
        QCOMPARE(readSetting("data path", "D:\\x.mdb"), QString("D:\\x.mdb"));
        QCOMPARE(stored("data path"), QString("D:\\x.mdb"));
    }

    void writeReplacesAndValuesStayText()
    {
        writeSetting("default section", "8");
        writeSetting("default section", "12");
        QCOMPARE(readSetting("default section", "8"), QString("12"));
        // Text with leading zeros or blanks comes back unconverted.
        writeSetting("default section", " 07");
        QCOMPARE(readSetting("default section", "8"), QString(" 07"));
    }

    void keysWithBlanksRoundTrip()
    {
        writeSetting("program path", "/opt/orvane");
        writeSetting("data path", "/data/intasme.mdb");
        writeSetting("default section", "3");
        QCOMPARE(stored("program path"), QString("/opt/orvane"));
        QCOMPARE(stored("data path"), QString("/data/intasme.mdb"));
        QCOMPARE(stored("default section"), QString("3"));
        // Three distinct keys, not one mangled key: a blank is not a separator.
        flushSettings();
        QSettings s(file_, QSettings::IniFormat);
        s.beginGroup(QStringLiteral("orvaneINT"));
        QCOMPARE(s.childKeys().size(), 3);
    }

    void overrideAndEnvironment()
    {
        const QString envFile = dir_.filePath(QStringLiteral("env.ini"));
        qputenv("ORVANE_SETTINGS_FILE", envFile.toLocal8Bit());
        setSettingsFile({});
        QCOMPARE(settingsLocation(), envFile);
        writeSetting("data path", "from env");
        setSettingsFile(file_);
        QCOMPARE(settingsLocation(), file_);
        QCOMPARE(readSetting("data path", "dflt"), QString("dflt"));
        qunsetenv("ORVANE_SETTINGS_FILE");
        QSettings s(envFile, QSettings::IniFormat);
        QCOMPARE(s.value("orvaneINT/data path").toString(), QString("from env"));
    }

    void corruptFileReadsEmptyAndHeals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("binary") << QByteArray("\x00\x01\xff\xfe garbage\n[[[\n=\n", 20);
        QTest::newRow("unclosed group") << QByteArray("[orvaneINT]\ndata%20path=junk\n[broken\n");
        QTest::newRow("utf16 bom") << QByteArray("\xff\xfe[\x00o\x00", 6);
    }
    void corruptFileReadsEmptyAndHeals()
    {
        QFETCH(QByteArray, bytes);
        writeRaw(bytes);
        QCOMPARE(readSetting("data path", "dflt"), QString("dflt"));
        writeSetting("default section", "4");
        QCOMPARE(readSetting("default section", "8"), QString("4"));
        QCOMPARE(stored("data path"), QString("dflt"));
    }

    void unwritableStoreReturnsDefault()
    {
        // A regular file where the folder should be: nothing can be created
        // below it, whatever the user's rights.
        const QString blocker = dir_.filePath(QStringLiteral("blocker"));
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        setSettingsFile(blocker + QStringLiteral("/sub/orvaneINT.ini"));
        QCOMPARE(readSetting("data path", "dflt"), QString("dflt"));
        writeSetting("data path", "lost");
        QCOMPARE(readSetting("data path", "again"), QString("again"));

        // A folder in place of the file: unreadable and unwritable.
        setSettingsFile(dir_.path());
        QCOMPARE(readSetting("default section", "8"), QString("8"));
    }

    void writesLandInTheirOrderAndReadsSeeThem()
    {
        // Written behind the caller's back, yet a read right after sees the
        // last value, and the file ends as the writes were made.
        for (int i = 1; i <= 40; ++i) {
            writeSetting("default section", QString::number(i));
            writeSetting("all sections", QString::number(i % 2));
        }
        QCOMPARE(peekSetting("default section"), QString("40"));
        writeSetting("data path", "last");
        QCOMPARE(stored("data path"), QString("last"));
        QCOMPARE(stored("all sections"), QString("0"));

        // A write to another store lands there, not in the one chosen next.
        const QString other = dir_.filePath(QStringLiteral("other.ini"));
        setSettingsFile(other);
        writeSetting("data path", "elsewhere");
        setSettingsFile(file_);
        QCOMPARE(stored("data path"), QString("last"));
        QSettings s(other, QSettings::IniFormat);
        QCOMPARE(s.value("orvaneINT/data path").toString(), QString("elsewhere"));
    }

    void failedWriteIsToldThroughTheEventLoop()
    {
        takeSettingsWriteFailure();
        int told = 0;
        auto watcher = std::make_unique<QObject>();
        whenSettingsWriteFails(watcher.get(), [&told] { ++told; });
        {
            // A watcher that is gone is not called.
            QObject gone;
            whenSettingsWriteFails(&gone, [] { QFAIL("called after its context was destroyed"); });
        }
        setSettingsFile(dir_.path());   // a folder: every write fails
        writeSetting("default section", "3");
        QTRY_COMPARE(told, 1);
        const auto failure = takeSettingsWriteFailure();
        QVERIFY(failure);
        QCOMPARE(failure->location, dir_.path());
        watcher.reset();
        writeSetting("default section", "4");
        QVERIFY(takeSettingsWriteFailure());   // waits for the write
        QCoreApplication::processEvents();
        QCOMPARE(told, 1);
    }

    void fifoIsRefusedWithoutBeingOpened()
    {
#ifdef Q_OS_UNIX
        const QString fifo = dir_.filePath(QStringLiteral("settings.fifo"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        setSettingsFile({});
        qputenv("ORVANE_SETTINGS_FILE", QFile::encodeName(fifo));
        takeSettingsWriteFailure();

        QString got;
        std::unique_ptr<QThread> reader(QThread::create([&got] { got = readSetting("data path", "dflt"); }));
        reader->start();
        if (!reader->wait(QDeadlineTimer(10000))) {
            // Opening the FIFO blocked: a writer that comes and goes frees it,
            // so the case fails instead of hanging.
            for (int i = 0; i < 2 && !reader->wait(QDeadlineTimer(1000)); ++i) {
                const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0)
                    ::close(fd);
            }
            reader->wait();
            qunsetenv("ORVANE_SETTINGS_FILE");
            QFAIL("reading the settings waited on the FIFO");
        }
        qunsetenv("ORVANE_SETTINGS_FILE");
        QCOMPARE(got, QString("dflt"));
        const auto failure = takeSettingsWriteFailure();
        QVERIFY(failure);
        QCOMPARE(failure->location, fifo);
        QVERIFY2(failure->reason.contains(QStringLiteral("not a regular file")), qPrintable(failure->reason));
        QVERIFY(!takeSettingsWriteFailure());   // told once
        QVERIFY(!QFileInfo(fifo).isFile());     // still the FIFO, not replaced
#else
        QSKIP("FIFOs are a Unix matter");
#endif
    }
};

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
