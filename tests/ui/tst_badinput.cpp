// Bad input through the real windows: damaged, foreign and hostile database
// files at start-up and on import, huge and pathological entries, broken
// settings stores and text that tries to become SQL. Whatever comes in, the
// program takes its defined path, never crashes, never hangs and never
// writes the database.

#include "core/Settings.h"
#include "db/jet/JetFormat.h"
#include "support/InterpretationDb.h"
#include "ui/MainWindow.h"
#include "app/Controller.h"
#include "app/ProgramState.h"
#include "support/ScriptedPlatform.h"
#include "support/WindowControls.h"
#include "ui/TitleWindow.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QtTest>
#include <cstring>

using namespace orvane::ui;
using namespace orvane::app;
using orvane::testing::controls;
namespace t = orvane::testing;

namespace {

// Generous: a wait ends as soon as its condition holds.
constexpr int kSettleMs = 30000;

const QString kSeparator = QStringLiteral("    ******************");

// How a database file has to end up.
enum Outcome {
    Refused,         // unusable: the import dialog, again until a usable file or cancel
    WrongPassword,   // at start "Incorrect password" and the end; on import like Refused
    Opens,           // initiates; what is missing inside is skipped
};

QStringList rowsOf(const ListView* list)
{
    QStringList out;
    for (int i = 0; i < list->rowCount(); ++i)
        out << list->rowText(i);
    return out;
}

QStringList ids(const char* prefix, int n)
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("%1-%2").arg(QLatin1String(prefix)).arg(i, 2, 10, QLatin1Char('0'));
    return out;
}

// Section IX in use, with a second section holding a row that must never
// show up in a search of Section IX.
t::DbPlan goodSpec()
{
    t::Section s9{QStringLiteral("Section IX"), QStringLiteral("INT09"), {}, {}};
    const char* bodies[] = {"A minimum preheat of 50F is required.",
                            "The preheat may be reduced for minimum thickness.",
                            "A change of filler metal needs requalification."};
    for (int i = 0; i < 3; ++i) {
        const QString id = ids("IX", 3)[i];
        s9.rows.push_back({id, t::interpretationText(id, QStringLiteral("Preheat"), QString::fromLatin1(bodies[i]))});
        s9.index.push_back({QStringLiteral("QW-40%1").arg(6 + i), id, QStringLiteral("09")});
    }
    t::Section s8{QStringLiteral("Section VIII-1"), QStringLiteral("INT08"), {}, {}};
    s8.rows.push_back({QStringLiteral("SECRET-01"),
                       QStringLiteral("minimum preheat \" OR 1=1 -- ; ] x; DELETE FROM INT09; SELECT")});
    s8.index.push_back({QStringLiteral("QW-406"), QStringLiteral("SECRET-01"), QStringLiteral("08")});
    t::DbPlan plan;
    plan.sections = {s9, s8};
    return plan;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The first page of a Jet 4 file without a password and nothing after it.
QByteArray jet4HeaderImage()
{
    using namespace orvane::jet::format;
    QByteArray page(4096, '\0');
    auto* b = reinterpret_cast<std::uint8_t*>(page.data());
    b[1] = 0x01;
    std::memcpy(b + 4, "Standard Jet DB", 16);
    b[kVersionOffset] = 1;
    b[kCodePageOffset] = 0xE4;
    b[kCodePageOffset + 1] = 0x04;
    const double created = 36526.5;
    std::memcpy(b + kCreationDateOffset, &created, sizeof created);
    const auto mask = static_cast<std::uint32_t>(static_cast<std::int32_t>(created));
    for (int i = 0; i < kJet4PasswordBytes; ++i)
        b[kPasswordOffset + i] ^= static_cast<std::uint8_t>(mask >> (8 * (i % 4)));
    rc4Xor(kHeaderKey, sizeof kHeaderKey, b + kHeaderMaskOffset, std::size_t(headerMaskLength(1)));
    return page;
}

// One start of the program through its title window, or a window it left.
struct Run {
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();
    std::unique_ptr<orvaneIntTitle> title;

    orvaneIntMain* main() const { return title ? title->mainWindow() : nullptr; }
    bool finished() const
    {
        return platform.programEnded() || (main() && main()->isVisible() && !state.startingUp);
    }
    QStringList messageTitles() const
    {
        QStringList out;
        for (const auto& m : platform.messageBoxes)
            out << m.title;
        return out;
    }
    int noMatch() const { return int(messageTitles().count(QStringLiteral("Record not found"))); }

    ~Run()
    {
        // What a closing window does, then gone before the test's files are.
        if (QPointer<orvaneIntMain> w = main()) {
            w->close();
            delete w.data();
        }
    }
};

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void databaseFiles_data();
    void databaseFiles();
    void largePaste_data();
    void largePaste();
    void pathologicalPatterns_data();
    void pathologicalPatterns();
    void brokenSettingsStore_data();
    void brokenSettingsStore();
    void textNeverBecomesSql_data();
    void textNeverBecomesSql();

private:
    // Starts the program on `dataPath`, answering the file dialog from
    // `answers` (then cancelling), and waits for the start-up to settle.
    std::unique_ptr<Run> start(const QString& dataPath, const QStringList& answers = {},
                               const QString& arguments = {});
    QString makeDatabaseFile(const QString& kind);
    QString path(const QString& name) const { return dir_->filePath(name); }

    std::unique_ptr<QTemporaryDir> dir_;
    QString good_;
};

void TestBadInput::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    orvane::setSettingsFile(path(QStringLiteral("settings.ini")));
    QDir().mkpath(path(QStringLiteral("good")));
    good_ = t::writeInterpretationDb(path(QStringLiteral("good/intasme.mdb")), goodSpec());
}

void TestBadInput::cleanup()
{
    orvane::setSettingsFile(QString());
    dir_.reset();
}

std::unique_ptr<Run> TestBadInput::start(const QString& dataPath, const QStringList& answers,
                                         const QString& arguments)
{
    orvane::writeSetting(QStringLiteral("data path"), dataPath);
    orvane::writeSetting(QStringLiteral("default section"), QStringLiteral("1"));
    auto run = std::make_unique<Run>();
    run->platform.folder = path(QStringLiteral("good"));
    run->platform.arguments = arguments;
    for (const QString& a : answers)
        run->platform.fileAnswers.push_back(a);
    run->title = std::make_unique<orvaneIntTitle>(run->controller, run->platform);
    run->title->start();
    if (!QTest::qWaitFor([&] { return run->finished(); }, kSettleMs))
        qWarning("start-up did not settle");
    return run;
}

QString TestBadInput::makeDatabaseFile(const QString& kind)
{
    const QString file = path(QStringLiteral("bad/intasme.mdb"));
    QDir().mkpath(path(QStringLiteral("bad")));
    const QByteArray goodBytes = readAll(good_);

    if (kind == u"missing")
        return path(QStringLiteral("nowhere/intasme.mdb"));
    if (kind == u"directory") {
        QDir().mkpath(file);
        return file;
    }
    if (kind == u"empty")
        writeBytes(file, {});
    else if (kind == u"100 bytes")
        writeBytes(file, goodBytes.left(100));
    else if (kind == u"random bytes") {
        QByteArray junk(64 * 1024, '\0');
        QRandomGenerator gen(20140602);
        gen.fillRange(reinterpret_cast<quint32*>(junk.data()), junk.size() / 4);
        writeBytes(file, junk);
    } else if (kind == u"text file")
        writeBytes(file, QByteArray("Interpretation: IX-89-01\r\nSubject: not a database\r\n").repeated(200));
    else if (kind == u"Jet 4 header image")
        writeBytes(file, jet4HeaderImage());
    else if (kind.startsWith(u"truncated")) {
        // Long texts first, so that the middle of the file is the middle
        // of that table's data pages.
        t::DbPlan plan = goodSpec();
        for (int i = 0; i < 40; ++i) {
            const QString id = QStringLiteral("IX-L%1").arg(i, 2, 10, QLatin1Char('0'));
            plan.sections[0].rows.push_back({id, t::interpretationText(id, QStringLiteral("Long"),
                                                                       QStringLiteral("preheat ").repeated(400))});
        }
        const QByteArray whole = readAll(t::writeInterpretationDb(file, plan));
        qsizetype cut = whole.size() / 2 / 2048 * 2048;
        if (kind.endsWith(u"mid-page"))
            cut += 1000;
        if (whole.at(cut / 2048 * 2048 - 2048) != 0x01)
            qWarning("the cut is not among data pages");
        writeBytes(file, whole.left(cut));
    } else {
        t::DbPlan plan = goodSpec();
        if (kind == u"wrong password")
            plan.password = QStringLiteral("letmein");
        else if (kind == u"21 sections") {
            for (int i = 3; i <= 21; ++i)
                plan.extraAuthorizedRows.push_back({QStringLiteral("Section %1").arg(i),
                                                    QStringLiteral("INT%1").arg(i + 10)});
        } else if (kind == u"no AuthorizedTablesTab")
            plan.withAuthorizedTables = false;
        else if (kind == u"section without paragraph index")
            plan.sections[0].withIndex = false;
        else if (kind == u"listed section without tables")
            plan.sections[0].withTable = plan.sections[0].withIndex = false;
        else if (kind == u"identifier with double quotes") {
            // Looked up unguarded, the second one would show IX-01's text.
            plan.sections[0].rows.push_back({QStringLiteral("IX-\"Q\"-04"), QStringLiteral("quoted one")});
            plan.sections[0].rows.push_back({QStringLiteral("IX\" OR \"a\"=\"a"), QStringLiteral("quoted two")});
            plan.sections[0].index.push_back({QStringLiteral("QW-4\"06"), QStringLiteral("IX-\"Q\"-04"),
                                              QStringLiteral("09")});
        } else {
            qWarning("unknown kind");
        }
        t::writeInterpretationDb(file, plan);
    }
    return file;
}

// --- database files ------------------------------------------------------------

void TestBadInput::databaseFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("results");      // Opens: the listed rows
    QTest::addColumn<QStringList>("paragraphs");   // Opens: the paragraph list

    for (const char* kind : {"missing", "empty", "100 bytes", "truncated at a page boundary",
                             "truncated mid-page", "random bytes", "text file", "directory",
                             "Jet 4 header image", "21 sections", "no AuthorizedTablesTab"})
        QTest::newRow(kind) << QString::fromLatin1(kind) << int(Refused) << QStringList() << QStringList();
    QTest::newRow("wrong password") << "wrong password" << int(WrongPassword) << QStringList() << QStringList();
    QTest::newRow("section without paragraph index") << "section without paragraph index" << int(Opens)
        << ids("IX", 3) << QStringList();
    QTest::newRow("listed section without tables") << "listed section without tables" << int(Opens)
        << QStringList() << QStringList();
    QTest::newRow("identifier with double quotes") << "identifier with double quotes" << int(Opens)
        << QStringList{"IX\" OR \"a\"=\"a", "IX-\"Q\"-04", "IX-01", "IX-02", "IX-03"}
        << QStringList{"QW-4\"06", "QW-406", "QW-407", "QW-408"};
}

void TestBadInput::databaseFiles()
{
    QFETCH(QString, kind);
    QFETCH(int, outcome);
    QFETCH(QStringList, results);
    QFETCH(QStringList, paragraphs);
    const QString bad = makeDatabaseFile(kind);
    const QByteArray badBytes = readAll(bad);
    const QDateTime badTime = QFileInfo(bad).lastModified();

    // At start: the file itself is offered again first, then a good one.
    {
        auto run = start(bad, {bad, good_});
        QVERIFY2(run->finished(), qPrintable(run->platform.calls.join(u'\n')));
        orvaneIntMain* w = run->main();
        switch (outcome) {
        case WrongPassword:
            QCOMPARE(run->messageTitles(), QStringList{QStringLiteral("Incorrect password")});
            QVERIFY(run->platform.ended);
            QVERIFY(!w);
            QVERIFY(run->platform.fileDialogs.empty());
            break;
        case Refused:
            // Rejected silently, offered again, and the good file taken.
            QCOMPARE(run->platform.fileDialogs.size(), std::size_t(2));
            QCOMPARE(run->messageTitles(), QStringList());
            QVERIFY(!run->platform.ended);
            QVERIFY(w && w->isVisible());
            QCOMPARE(run->state.dataPath, good_);
            QCOMPARE(rowsOf(controls(*w).ListView1[2]), ids("IX", 3));
            break;
        case Opens:
            QVERIFY(run->platform.fileDialogs.empty());
            QCOMPARE(run->messageTitles(), QStringList());
            QVERIFY(w && w->isVisible());
            QCOMPARE(w->windowTitle(), QStringLiteral("Orvane-INT   [ ASME Section IX ]"));
            QCOMPARE(rowsOf(controls(*w).ListView1[2]), results);
            QCOMPARE(controls(*w).Label1[6]->text(), QString::number(results.size()));
            QCOMPARE(rowsOf(controls(*w).ListView1[0]), paragraphs);
            break;
        }

        if (outcome == Opens) {
            // Every row can be shown; one whose name holds a double quote
            // is never looked up, so it shows nothing rather than another row.
            // The first row is on display from the start; "next" walks on.
            for (int i = 0; i < controls(*w).ListView1[2]->rowCount(); ++i) {
                if (i > 0) {
                    QTest::mouseClick(controls(*w).Command4[2], Qt::LeftButton);
                    QCOMPARE(controls(*w).Label1[4]->text(), QString::number(i + 1));
                }
                const QString row = controls(*w).ListView1[2]->rowText(i);
                QCOMPARE(controls(*w).Label1[0]->text(), row);
                const QString text = controls(*w).RichTextBox1->toPlainText();
                if (row.contains(u'"'))
                    QCOMPARE(text, QString());
                else
                    QVERIFY(text.startsWith(QStringLiteral("Interpretation: ") + row));
            }
            // A paragraph with a quote in the index is searched without it.
            controls(*w).Text1[0]->setText(QStringLiteral("QW-4\"06"));
            QCOMPARE(controls(*w).Text1[0]->text(), QStringLiteral("QW-406"));
            QTest::mouseClick(controls(*w).Command1[1], Qt::LeftButton);
            QVERIFY(!rowsOf(controls(*w).ListView1[2]).contains(QStringLiteral("SECRET-01")));
        }
    }

    // From the menu of a running program: rejected files re-open the dialog
    // without a word; the user gives up; the window carries on.
    {
        auto run = start(good_, {bad, QString()});
        orvaneIntMain* w = run->main();
        QVERIFY(w && w->isVisible());
        const qsizetype dialogs = run->platform.fileDialogs.size();
        controls(*w).mnuFileImport->trigger();
        QVERIFY(w->isVisible());
        QVERIFY(!run->platform.ended);
        QCOMPARE(run->messageTitles(), QStringList());
        QCOMPARE(orvane::readSetting(QStringLiteral("data path"), QString()), bad);
        if (outcome == Opens) {
            QCOMPARE(run->platform.fileDialogs.size(), std::size_t(dialogs + 1));
            QCOMPARE(rowsOf(controls(*w).ListView1[2]), results);
        } else {
            QCOMPARE(run->platform.fileDialogs.size(), std::size_t(dialogs + 2));
            QVERIFY(controls(*w).mnuFileOpenSection[0]->isVisible());
            QCOMPARE(rowsOf(controls(*w).ListView1[2]), ids("IX", 3));
            // Initiation stops at the 21st row; the twenty entries made
            // before it stay, and picking one is as harmless as any other.
            if (kind == u"21 sections") {
                QCOMPARE(controls(*w).mnuFileOpenSection.size(), std::size_t(21));
                controls(*w).mnuFileOpenSection[20]->trigger();
                QCOMPARE(rowsOf(controls(*w).ListView1[2]), QStringList());
                QCOMPARE(controls(*w).Label1[6]->text(), QStringLiteral("0"));
                controls(*w).mnuFileOpenSection[1]->trigger();
                QCOMPARE(rowsOf(controls(*w).ListView1[2]), ids("IX", 3));
            } else {
                QCOMPARE(controls(*w).mnuFileOpenSection.size(), std::size_t(1));
            }
            // A file that opens but does not initiate stays open, and the
            // window goes on with it; the rest opened nothing.
            const bool opensAsJet = kind == u"21 sections" || kind == u"no AuthorizedTablesTab";
            QCOMPARE(run->controller.repository().isOpen(), opensAsJet);
        }
        if (outcome != Opens && !run->controller.repository().isOpen()) {
            // The old rows stay listed; with no database behind them every
            // action ends quietly or as a search that found nothing.
            ListView* results = controls(*w).ListView1[2];
            QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                              results->rowRect(1).center());
            QCOMPARE(controls(*w).Label1[0]->text(), QStringLiteral("IX-02"));
            QCOMPARE(controls(*w).RichTextBox1->toPlainText(), QString());
            QTest::mouseClick(controls(*w).Command4[3], Qt::LeftButton);
            QCOMPARE(controls(*w).Label1[4]->text(), QStringLiteral("3"));
            controls(*w).Text1[1]->setText(QStringLiteral("preheat"));
            QTest::mouseClick(controls(*w).Command1[1], Qt::LeftButton);
            QCOMPARE(run->noMatch(), 1);
            QCOMPARE(controls(*w).Label1[4]->text(), QStringLiteral("0"));
            QCOMPARE(controls(*w).Label1[6]->text(), QStringLiteral("0"));
        }
    }

    // Nothing the program did changed the file.
    if (QFileInfo(bad).isFile()) {
        QCOMPARE(readAll(bad), badBytes);
        QCOMPARE(QFileInfo(bad).lastModified(), badTime);
    }
}

// --- huge and pathological entries --------------------------------------------

void TestBadInput::largePaste_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("sectionLoaded");
    QTest::addColumn<int>("mode");
    QTest::newRow("keywords, section, and") << 1 << true << 0;
    QTest::newRow("keywords, section, or") << 1 << true << 1;
    QTest::newRow("keywords, section, phrase") << 1 << true << 2;
    QTest::newRow("keywords, no section") << 1 << false << 0;
    QTest::newRow("paragraph, section") << 0 << true << 0;
    QTest::newRow("paragraph, no section") << 0 << false << 0;
}

void TestBadInput::largePaste()
{
    QFETCH(int, entry);
    QFETCH(bool, sectionLoaded);
    QFETCH(int, mode);

    QString db = good_;
    if (!sectionLoaded) {
        t::DbPlan none = goodSpec();
        none.sections.clear();   // an empty section list: nothing selected
        db = t::writeInterpretationDb(path(QStringLiteral("none.mdb")), none);
    }
    auto run = start(db);
    orvaneIntMain* w = run->main();
    QVERIFY(w && w->isVisible());
    QCOMPARE(controls(*w).ListView1[2]->rowCount(), sectionLoaded ? 3 : 0);
    controls(*w).Option1[std::size_t(mode)]->setChecked(true);
    const int searchesBefore = w->controller().searchRuns();

    // A megabyte of words that no interpretation holds, with double quotes.
    const QString pasted = QStringLiteral("zirconium \"alloy\" ").repeated(1024 * 1024 / 18 + 1);
    QGuiApplication::clipboard()->setText(pasted);
    TextBox* box = controls(*w).Text1[std::size_t(entry)];
    box->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(box->hasFocus());

    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    if (entry == 1)
        QTest::keyClick(box, Qt::Key_Return);
    else if (!sectionLoaded)
        QTest::mouseClick(controls(*w).Command1[1], Qt::LeftButton);

    // The entry holds what it takes, cleaned of quotes.
    const QString held = box->text();
    QVERIFY(!held.isEmpty());
    QVERIFY(!held.contains(u'"'));
    QVERIFY(QString(pasted).remove(u'"').startsWith(held));
    // One search, which found nothing.
    QCOMPARE(w->controller().searchRuns(), searchesBefore + 1);
    QCOMPARE(run->noMatch(), 1);
    QCOMPARE(controls(*w).ListView1[2]->rowCount(), 0);
    QCOMPARE(controls(*w).Label1[4]->text(), QStringLiteral("0"));
    QCOMPARE(controls(*w).Label1[6]->text(), QStringLiteral("0"));
    // Typing never beeps in the keyword entry; in the paragraph entry a text
    // no paragraph begins with does, once, when there is a list to complete from.
    QCOMPARE(run->platform.beeps, entry == 0 && sectionLoaded ? 1 : 0);
}

void TestBadInput::pathologicalPatterns_data()
{
    QTest::addColumn<QString>("keywords");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("rows");   // 0: ends with the no-match message
    QTest::newRow("open bracket") << "[" << 0 << 0;
    QTest::newRow("open bracket, phrase") << "[" << 2 << 0;
    QTest::newRow("open negated bracket") << "[!" << 0 << 0;
    QTest::newRow("open bracket after a word, or") << "area [!" << 1 << 0;
    QTest::newRow("ten thousand stars") << QString(10000, u'*') << 0 << 2;
    QTest::newRow("stars and letters, nothing ends in b") << "*a*a*a*a*a*a*a*a*b" << 0 << 0;
    QTest::newRow("stars and letters, ends in e") << "*a*a*a*a*a*a*a*a*e" << 2 << 1;
}

void TestBadInput::pathologicalPatterns()
{
    QFETCH(QString, keywords);
    QFETCH(int, mode);
    QFETCH(int, rows);

    // A 50 KB text of a's and blanks, and a short one; no b anywhere.
    t::Section s{QStringLiteral("Section IX"), QStringLiteral("INT09"), {}, {}};
    QString big = QStringLiteral("Interpretation: IX-50K\r\n");
    while (big.size() < 50 * 1024)
        big += QStringLiteral("aaaa aaa area aa aaaaaa a aaa\r\n");
    big += QStringLiteral("the end");
    s.rows.push_back({QStringLiteral("IX-50K"), big});
    s.rows.push_back({QStringLiteral("IX-SHORT"), QStringLiteral("Interpretation: IX-SHORT\r\naha")});
    t::DbPlan plan;
    plan.sections = {s};
    auto run = start(t::writeInterpretationDb(path(QStringLiteral("big.mdb")), plan));
    orvaneIntMain* w = run->main();
    QVERIFY(w && w->isVisible());

    controls(*w).Option1[std::size_t(mode)]->setChecked(true);
    controls(*w).Text1[1]->setText(keywords);
    QTest::mouseClick(controls(*w).Command1[1], Qt::LeftButton);

    QCOMPARE(controls(*w).ListView1[2]->rowCount(), rows);
    QCOMPARE(controls(*w).Label1[6]->text(), QString::number(rows));
    QCOMPARE(controls(*w).Label1[4]->text(), rows ? QStringLiteral("1") : QStringLiteral("0"));
    QCOMPARE(run->noMatch(), rows ? 0 : 1);
    if (rows)
        QVERIFY(controls(*w).RichTextBox1->toPlainText().startsWith(QStringLiteral("Interpretation: IX-")));
    else
        QCOMPARE(controls(*w).RichTextBox1->toPlainText(), QString());
}

// --- settings ---------------------------------------------------------------------

void TestBadInput::brokenSettingsStore_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("garbage bytes") << "garbage bytes";
    QTest::newRow("garbage text") << "garbage text";
    QTest::newRow("a folder in its place") << "a folder in its place";
}

void TestBadInput::brokenSettingsStore()
{
    QFETCH(QString, kind);
    const QString store = path(QStringLiteral("store/orvaneINT.ini"));
    QDir().mkpath(path(QStringLiteral("store")));
    if (kind == u"garbage bytes") {
        QByteArray junk(4096, '\0');
        QRandomGenerator gen(1989);
        gen.fillRange(reinterpret_cast<quint32*>(junk.data()), junk.size() / 4);
        QVERIFY(writeBytes(store, junk));
    } else if (kind == u"garbage text") {
        QVERIFY(writeBytes(store, "[orvaneINT\n=\n\\\\\\\n[[[]]]\ndata path\n%%%=%%%\n\"\n"));
    } else {
        QVERIFY(QDir().mkpath(store));
    }
    orvane::setSettingsFile(store);

    // The defaults: the database beside the program, the eighth section
    // (more than there are, so the first).
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();
    platform.folder = path(QStringLiteral("good"));
    orvaneIntTitle title(controller, platform);
    // Gone before the controller it shows, however the test ends.
    const auto closeMain = qScopeGuard([&] {
        if (QPointer<orvaneIntMain> m = title.mainWindow()) {
            m->close();
            delete m.data();
        }
    });
    title.start();
    QTRY_VERIFY_WITH_TIMEOUT(title.mainWindow() && !state.startingUp, kSettleMs);
    QPointer<orvaneIntMain> w = title.mainWindow();
    QCOMPARE(state.dataPath, good_);
    QVERIFY(!platform.ended);
    QVERIFY(platform.fileDialogs.empty());
    // A store that cannot be written is told once, with where and why, once
    // the main window is up; a damaged one is silently replaced.
    const bool unwritable = kind == u"a folder in its place";
    QCOMPARE(platform.messageBoxes.size(), std::size_t(unwritable ? 1 : 0));
    if (unwritable) {
        QCOMPARE(platform.messageBoxes.front().title, QStringLiteral("Settings not saved"));
        QVERIFY(platform.messageBoxes.front().text.contains(QDir::toNativeSeparators(store)));
    }
    QVERIFY(w->isVisible());
    QCOMPARE(rowsOf(controls(*w).ListView1[2]), ids("IX", 3));

    // Choosing a section writes to the store; a store that cannot take it
    // is no reason to stop, nor to say so again.
    controls(*w).mnuFileOpenSection[2]->trigger();
    QCOMPARE(state.currentTable, QStringLiteral("INT08"));
    QCOMPARE(rowsOf(controls(*w).ListView1[2]), QStringList{"SECRET-01"});
    QCOMPARE(platform.messageBoxes.size(), std::size_t(unwritable ? 1 : 0));
    w->close();
    QTRY_VERIFY(w.isNull());
}

// --- text that tries to become SQL ------------------------------------------------

void TestBadInput::textNeverBecomesSql_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("text");
    const char* texts[] = {R"(" OR 1=1 --)", "]", ";", R"(x"; DELETE FROM INT09; --)",
                           R"(x"; SELECT [INTER_STR] FROM INT08; --)",
                           R"(QW-406"; SELECT reference FROM INX08 WHERE "1"="1)"};
    for (const char* where : {"keyword entry", "paragraph entry", "command line PARA", "command line TEXT"})
        for (const char* text : texts)
            QTest::addRow("%s: %s", where, text) << QString::fromLatin1(where) << QString::fromLatin1(text);
}

void TestBadInput::textNeverBecomesSql()
{
    QFETCH(QString, where);
    QFETCH(QString, text);
    const QByteArray bytesBefore = readAll(good_);
    const QDateTime timeBefore = QFileInfo(good_).lastModified();
    const QStringList ownRows = ids("IX", 3);

    QString arguments;
    if (where == u"command line PARA")
        arguments = QStringLiteral("PARA ") + text;
    else if (where == u"command line TEXT")
        arguments = QStringLiteral("TEXT {") + text + QStringLiteral("} COND OR");
    {
        auto run = start(good_, {}, arguments);
        orvaneIntMain* w = run->main();
        QVERIFY(w && w->isVisible());
        QCOMPARE(run->state.currentTable, QStringLiteral("INT09"));

        if (where == u"keyword entry" || where == u"paragraph entry") {
            TextBox* box = controls(*w).Text1[where == u"keyword entry" ? 1 : 0];
            box->setFocus(Qt::OtherFocusReason);
            QTRY_VERIFY(box->hasFocus());
            for (int mode = 0; mode < 3; ++mode) {
                controls(*w).Option1[std::size_t(mode)]->setChecked(true);
                box->clear();
                QTest::keyClicks(box, text);   // the quote key types nothing
                QCOMPARE(box->text(), QString(text).remove(u'"'));
                QTest::mouseClick(controls(*w).Command1[1], Qt::LeftButton);
                const QStringList rows = rowsOf(controls(*w).ListView1[2]);
                for (const QString& r : rows)
                    QVERIFY2(ownRows.contains(r), qPrintable(w->controller().lastSearchSql()));
                QCOMPARE(controls(*w).Label1[6]->text(), QString::number(rows.size()));
            }
        } else {
            const QStringList rows = rowsOf(controls(*w).ListView1[2]);
            for (const QString& r : rows)
                QVERIFY2(ownRows.contains(r), qPrintable(w->controller().lastSearchSql()));
            QCOMPARE(controls(*w).Label1[6]->text(), QString::number(rows.size()));
            QVERIFY(!controls(*w).Text1[0]->text().contains(u'"'));
            QVERIFY(!controls(*w).Text1[1]->text().contains(u'"'));
        }
        QVERIFY(!controls(*w).RichTextBox1->toPlainText().contains(QStringLiteral("SECRET")));
    }

    // The file is as it was, and every table still holds all its rows.
    QCOMPARE(readAll(good_), bytesBefore);
    QCOMPARE(QFileInfo(good_).lastModified(), timeBefore);
    orvane::db::Workspace ws;
    auto db = ws.openDatabase(good_, false, true, QStringLiteral(";pwd=tolvaren"));
    for (const auto& [table, count] : {std::pair{"INT09", 3}, {"INX09", 3}, {"INT08", 1}, {"AuthorizedTablesTab", 2}}) {
        const auto snap = db->execute(QStringLiteral("SELECT * FROM ") + QLatin1String(table));
        QCOMPARE(int(snap.rows.size()), count);
    }
}

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
