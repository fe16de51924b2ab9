// Start-up, sections, import and the command line.

#include "app/Controller.h"

#include "app/Platform.h"
#include "app/StartupSettings.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "db/JetError.h"
#include "search/CommandLine.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace orvane::app {

namespace {

const QString kCaptionPrefix = QStringLiteral("Orvane-INT   [ ASME ");
const QString kCaptionSuffix = QStringLiteral(" ]");
// Only files of this exact name are offered: the program's database always
// carries it, wherever it lies.
const QString kImportFilter = QStringLiteral("OrvaneINT DB (intasme.mdb)|intasme.mdb");

// Calendar-month boundaries passed between the two dates: a file of
// 31 January is one month old on 1 February.
int monthBoundaries(const QDate& from, const QDate& to)
{
    return (to.year() * 12 + to.month()) - (from.year() * 12 + from.month());
}

} // namespace

Controller::Controller(Platform& platform, QObject* parent)
    : QObject(parent), platform_(platform), results_([this](int entry) { return sectionName(entry); })
{
    // Settings are written behind the window's back: a write that fails is
    // told when it has failed.
    whenSettingsWriteFails(this, [this] { checkSettingsSaved(); });
}

Controller::~Controller() = default;

// --- start-up and shut-down -----------------------------------------------------

void Controller::readStartupSettings()
{
    const StartupSettings s = app::readStartupSettings(platform_.programFolder());
    state_.dataPath = s.dataPath;
    state_.defaultSection = s.defaultSection;
    state_.startingUp = true;
    state_.allSections = peekSetting(QStringLiteral("all sections")) == QLatin1String("1");
}

StartupOutcome Controller::openStartupDatabase()
{
    // A file on a slow share can take seconds to open: the title window
    // stays drawn meanwhile.
    std::optional<db::JetError> failure;
    repository_.ensureWorkspace();
    platform_.runWhileWaiting([this, &failure] { failure = openDataPath(); });
    if (!failure)
        return StartupOutcome::Opened;
    // Any failure but a wrong password surfaces when the main window initiates.
    noteFailure("opening", state_.dataPath, *failure);
    return failure->number() == db::kInvalidPassword ? StartupOutcome::WrongPassword
                                                     : StartupOutcome::Failed;
}

void Controller::warnWhenOutOfDate()
{
    // A date that cannot be read (the file vanished while open) gives no
    // warning rather than an unusable database.
    const QDateTime modified = QFileInfo(state_.dataPath).lastModified();
    if (modified.isValid() && monthBoundaries(modified.date(), platform_.now().date()) > 11) {
        platform_.messageBox(QStringLiteral("Data out of date"),
                             QStringLiteral("This database was last published over a year ago. ")
                                 + QStringLiteral("Please contact the vendor for the latest "
                                                  "database update information."),
                             MessageIcon::Warning, MessageButtons::Ok);
    }
}

bool Controller::initiateProgram()
{
    state_.sectionCount = 0;
    // Another file, or the same one anew: nothing read before is reused.
    allSectionsRead_ = false;
    listedPerSection_.clear();
    heldPerSection_.clear();
    listedRows_.clear();
    const library::SectionListing listing = repository_.sections();
    if (!listing.opened) {
        emit sectionMenuChanged();
        // A damaged list is told before another file is asked for.
        if (listing.failure && listing.failure->number() == db::kDatabaseDamaged)
            tellDamaged(QStringLiteral("its list of sections cannot be read"), listing.failure->message());
        return false;
    }
    // A damaged row of the list leaves that section out; the others work.
    if (const std::optional<db::JetError> damage = repository_.newDamage())
        tellDamaged(QStringLiteral("sections in its list of sections cannot be read and are left out"),
                    damage->message());
    warnWhenOutOfDate();

    // The list has room for twenty sections; the count never names an entry
    // that does not exist.
    const int n = int(std::min<qsizetype>(listing.sections.size(), ProgramState::kMaxSections));
    for (int i = 1; i <= n; ++i) {
        const library::Section& s = listing.sections.at(i - 1);
        state_.sectionList[std::size_t(i)] = {s.userName, s.tableName};
    }
    state_.sectionCount = n;
    emit sectionMenuChanged();
    if (listing.sections.size() > ProgramState::kMaxSections) {
        qCInfo(lcApp) << "the database lists" << listing.sections.size() << "sections; at most"
                      << ProgramState::kMaxSections << "fit";
        return false;
    }
    if (!listing.complete)
        return false;

    if (state_.sectionCount > 0) {
        // A remembered number that names no entry (a database with fewer
        // sections than the last one, or a mistyped setting) falls back to
        // the first section like 0 does, instead of rejecting a database
        // that is perfectly usable.
        int chosen = state_.defaultSection;
        if (chosen < 0 || chosen > state_.sectionCount)
            chosen = 0;
        emit dropDownsClosed();
        const int entry = chosen >= 1 ? chosen : 1;
        if (state_.allSections) {
            setCheckedSection(kAllSections);
            setCaption(kCaptionPrefix + kAllSectionsName + kCaptionSuffix);
            selectAllSections();
        } else {
            setCheckedSection(entry);
            const QString name = state_.sectionList[std::size_t(entry)].UserTableName;
            setCaption(kCaptionPrefix + name + kCaptionSuffix);
            selectSection(name);
        }
        if (chosen == 0) {
            state_.defaultSection = 1;
            writeSetting(QStringLiteral("default section"), QStringLiteral("1"));
        }
        placeholderShown_ = false;
        emit sectionMenuChanged();
    }
    return true;
}

void Controller::loadProgram()
{
    if (!initiateProgram())
        importDatabase();
}

void Controller::activate()
{
    processCommandLine();
    state_.startingUp = false;
    checkSettingsSaved();
}

std::optional<db::JetError> Controller::openDataPath()
{
    // Runs off the window's thread: the failure is handed back, not told.
    try {
        repository_.open(state_.dataPath);
    } catch (const db::JetError& e) {
        return e;
    } catch (const std::exception& e) {
        return db::JetError(db::kSystemResourceExceeded, QString::fromLocal8Bit(e.what()));
    }
    return std::nullopt;
}

void Controller::noteFailure(const char* step, const QString& subject, const db::JetError& e)
{
    qCInfo(lcApp).noquote() << step << subject << "failed:" << e.number() << e.message();
    if (e.number() == db::kSystemResourceExceeded) {
        // What could not be read is left out like any other failure; the
        // user hears why, once.
        if (memoryTold_)
            return;
        memoryTold_ = true;
        platform_.messageBox(QStringLiteral("Out of memory"),
                             QStringLiteral("There is not enough memory to read all of the database %1: "
                                            "some interpretations are left out. Close other programs and "
                                            "try again.\n\n%2")
                                 .arg(QDir::toNativeSeparators(state_.dataPath), e.message()),
                             MessageIcon::Warning, MessageButtons::Ok);
        return;
    }
    // Damaged rows are skipped like any other failure, but the user should
    // know why something is missing.
    if (e.number() == db::kDatabaseDamaged)
        tellDamaged(QStringLiteral("some interpretations cannot be read and are left out"), e.message());
}

void Controller::tellDamaged(const QString& consequence, const QString& detail)
{
    // Once a run is enough.
    if (damageTold_)
        return;
    damageTold_ = true;
    platform_.messageBox(QStringLiteral("Damaged database"),
                         QStringLiteral("The database %1 is damaged: %2.\n\n%3")
                             .arg(QDir::toNativeSeparators(state_.dataPath), consequence, detail),
                         MessageIcon::Warning, MessageButtons::Ok);
}

void Controller::noteDamage(const char* step, const QString& subject)
{
    if (const std::optional<db::JetError> damage = repository_.newDamage())
        noteFailure(step, subject, *damage);
}

void Controller::checkSettingsSaved()
{
    // During start-up the user hears of it once the main window is up.
    if (settingsFailureTold_ || state_.startingUp)
        return;
    const std::optional<SettingsWriteFailure> failure = takeSettingsWriteFailure();
    if (!failure)
        return;
    settingsFailureTold_ = true;
    platform_.messageBox(QStringLiteral("Settings not saved"),
                         QStringLiteral("The settings could not be saved to %1 (%2). The program "
                                        "goes on, but will not remember this run's choices.")
                             .arg(QDir::toNativeSeparators(failure->location), failure->reason),
                         MessageIcon::Warning, MessageButtons::Ok);
}

void Controller::shutdown()
{
    repository_.shutdown();
    flushSettings();
}

// --- sections and import ------------------------------------------------------------

void Controller::setCaption(const QString& caption)
{
    caption_ = caption;
    emit captionChanged(caption);
}

void Controller::setCheckedSection(int entry)
{
    checkedSection_ = entry;
    emit sectionMenuChanged();
}

void Controller::rememberSection(int entry)
{
    state_.defaultSection = qint16(entry);
    writeSetting(QStringLiteral("default section"), QString::number(entry));
    rememberAllSections(false);
}

void Controller::rememberAllSections(bool all)
{
    // Kept apart from "default section", which stays a valid section number
    // for anything that reads only that; written only once the user has used
    // the choice.
    if (state_.allSections == all)
        return;
    state_.allSections = all;
    writeSetting(QStringLiteral("all sections"), all ? QStringLiteral("1") : QStringLiteral("0"));
}

void Controller::selectSection(const QString& userTableName)
{
    allSections_ = false;
    for (int i = 1; i <= state_.sectionCount; ++i) {
        if (state_.sectionList[std::size_t(i)].UserTableName == userTableName)
            state_.currentTable = state_.sectionList[std::size_t(i)].dbTableName;
    }

    if (!state_.currentTable.isEmpty()) {
        QStringList ids;
        try {
            ids = repository_.sectionRows(state_.currentTable);
        } catch (const db::JetError& e) {
            noteFailure("listing section", state_.currentTable, e);
        }
        noteDamage("listing section", state_.currentTable);
        paragraphs_.clear();
        emit paragraphsChanged();
        setRows(ids);
        showFirstRow();

        try {
            paragraphs_ = repository_.paragraphs(state_.currentTable);
        } catch (const db::JetError& e) {
            noteFailure("listing paragraphs of", state_.currentTable, e);
        }
        emit paragraphsChanged();
    }

    // Each of these runs the entry's own change or click handling.
    setEntryText(EntryKind::Paragraph, QString());
    setEntryText(EntryKind::Keyword, QString());
    chooseMode(SearchMode::And);
}

void Controller::chooseSection(int entry)
{
    // The placeholder is never a section.
    if (entry <= 0 || entry > state_.sectionCount)
        return;
    emit dropDownsClosed();
    setCheckedSection(entry);
    // Remembered before the lists fill, so the next start opens this section
    // whatever happens below.
    rememberSection(entry);
    const QString name = state_.sectionList[std::size_t(entry)].UserTableName;
    setCaption(kCaptionPrefix + name + kCaptionSuffix);
    selectSection(name);
}

void Controller::chooseAllSections()
{
    if (state_.sectionCount <= 0)
        return;
    emit dropDownsClosed();
    setCheckedSection(kAllSections);
    rememberAllSections(true);
    setCaption(kCaptionPrefix + kAllSectionsName + kCaptionSuffix);
    selectAllSections();
}

void Controller::selectAllSections()
{
    allSections_ = true;
    // Statements that name one table (a lookup without a row) use the first.
    state_.currentTable = state_.sectionList[1].dbTableName;
    if (!allSectionsRead_ || listedPerSection_.size() != state_.sectionCount)
        readAllSections();
    // The file is read-only: once read in full, it is listed again from
    // what was read.
    listRows(listedRows_);
    showFirstRow();
    paragraphs_ = listedParagraphs_;
    emit paragraphsChanged();

    setEntryText(EntryKind::Paragraph, QString());
    setEntryText(EntryKind::Keyword, QString());
    chooseMode(SearchMode::And);
}

void Controller::readAllSections()
{
    // The first time, every table is read from the file: seconds on a big
    // database, done off the window's thread. Cancel lists what was read.
    QList<QStringList> perSection;
    QStringList paragraphs;
    QList<std::pair<QString, db::JetError>> failures;
    const int count = state_.sectionCount;
    platform_.runLongWork({kAllSectionsName, QStringLiteral("Reading sections: %1 of %2")},
                          [&](WorkProgress& progress) {
                              for (int i = 1; i <= count && !progress.cancelled(); ++i) {
                                  const QString table = state_.sectionList[std::size_t(i)].dbTableName;
                                  QStringList ids;
                                  try {
                                      ids = repository_.sectionRows(table);
                                      paragraphs += repository_.paragraphs(table);
                                  } catch (const db::JetError& e) {
                                      failures.append({table, e});
                                  }
                                  perSection << ids;
                                  progress.report(i, count);
                              }
                          });
    for (const auto& [table, e] : std::as_const(failures))
        noteFailure("listing section", table, e);
    noteDamage("listing sections of", state_.dataPath);
    // Only a complete, faultless reading is kept; a cancelled or failed one
    // is read again next time.
    allSectionsRead_ = failures.isEmpty() && perSection.size() == count;
    listedPerSection_ = perSection;
    heldPerSection_.clear();
    listedParagraphs_ = library::InterpretationRepository::distinctSorted(paragraphs);
    listedRows_ = mergedRows(perSection, false);
}

void Controller::showFirstRow()
{
    // What the previous section showed goes, whether or not this one lists
    // anything: its first row is shown, or nothing is.
    count_ = QString::number(view::interpretationCount(int(rows().size()), noticeShown_));
    if (!rows().isEmpty()) {
        selectRow(1);
        showPick(1);
    } else {
        clearShown();
        updateNavigation();
    }
}

void Controller::importDatabase()
{
    // Until a file initiates or the user gives up.
    for (;;) {
        emit dropDownsClosed();
        const std::optional<QString> chosen =
            platform_.openFileDialog(QStringLiteral("Open"), kImportFilter, QString());
        if (!chosen || chosen->isEmpty()) {
            // Without a usable database there is nothing to start into.
            if (state_.startingUp) {
                platform_.messageBox(QStringLiteral("No database"),
                                     QStringLiteral("No valid Orvane-INT database present."),
                                     MessageIcon::Critical, MessageButtons::Ok);
                platform_.endProgram();
            }
            return;
        }

        placeholderShown_ = true;
        state_.sectionCount = 0;
        emit sectionMenuChanged();
        repository_.close();

        // Remembered before it is tried: a file that fails is still the one
        // the next start looks for.
        state_.dataPath = *chosen;
        writeSetting(QStringLiteral("data path"), state_.dataPath);
        // A file on a slow share: the window stays drawn, and a Cancel
        // brings the file dialog back.
        std::optional<db::JetError> failure;
        const bool opened = platform_.runLongWork(
            {QStringLiteral("Open"), QStringLiteral("Opening %1").arg(QDir::toNativeSeparators(*chosen))},
            [this, &failure](WorkProgress&) { failure = openDataPath(); });
        if (failure)
            noteFailure("importing", state_.dataPath, *failure);
        if (!opened) {
            repository_.close();
            continue;
        }
        if (initiateProgram())
            return;
    }
}

// --- command line ---------------------------------------------------------------

void Controller::processCommandLine()
{
    const QString commandText = platform_.commandLine() + QLatin1Char(' ');
    const search::CommandLineQuery query = search::parseCommandLine(commandText);
    if (query.noArguments)
        return;

    // The fixed order section, paragraph, keywords, mode: switching the
    // section clears the entries and selects And, so it has to come first,
    // and the mode comes last so that it re-runs the keyword search.
    if (query.section == QLatin1String("ALL")) {
        chooseAllSections();
    } else if (!query.section.isEmpty()) {
        QStringList tables;
        const int count = std::clamp(state_.sectionCount, 0, ProgramState::kMaxSections);
        for (int i = 1; i <= count; ++i)
            tables << state_.sectionList[std::size_t(i)].dbTableName;
        if (const int entry = search::sectionEntryForTable(query.section, tables)) {
            const QString name = state_.sectionList[std::size_t(entry)].UserTableName;
            // The entry's position is what initiation reads back at the next
            // start, whatever digits the table name happens to carry.
            rememberSection(entry);
            setCheckedSection(entry);
            if (!name.isEmpty())
                selectSection(name);
            setCaption(kCaptionPrefix + name + kCaptionSuffix);
        }
    }
    if (!query.paragraph.isEmpty())
        setEntryText(EntryKind::Paragraph, query.paragraph);
    if (!query.keywords.isEmpty()) {
        setEntryText(EntryKind::Keyword, query.keywords);
        performSearch();
    }
    // Selecting an option that is not yet selected runs its click rule,
    // which searches again in the new mode.
    if (const auto mode = query.mode())
        chooseMode(*mode);
}

} // namespace orvane::app
