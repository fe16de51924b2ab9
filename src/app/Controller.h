#pragma once

// The controller: the program's state and routines without a widget in
// sight. The windows forward what the user does to it and render what it
// signals; it reaches the database through the interpretation repository and
// everything modal or machine-wide through the platform services.

#include "app/ProgramState.h"
#include "app/ResultsModel.h"
#include "db/JetError.h"
#include "library/InterpretationRepository.h"
#include "search/SearchEntry.h"
#include "search/SearchStatement.h"
#include "view/Navigation.h"

#include <QFont>
#include <QObject>
#include <QString>
#include <QSet>
#include <QStringList>

class QPrinter;

namespace orvane::app {

class Platform;

// The interpretation on display, as the identifier and volume labels and the
// text view show it.
struct ShownInterpretation {
    QString identifierLabel;   // the identifier without its surrounding blanks
    QString volume;
    QString text;              // as stored; empty when nothing was found
    bool found = false;
    QString keywords;          // the keyword entry when it was loaded
    bool phrase = false;       // whether the words are one phrase
    QString section;           // with all sections listed: the row's section name
    int sectionEntry = 0;      // and its entry (0: the section in use)
};

// How opening the database at start-up went.
enum class StartupOutcome {
    Opened,
    WrongPassword,   // the program ends after saying so
    Failed,          // anything else: initiation tells and offers the import
};

class Controller : public QObject {
    Q_OBJECT
public:
    using EntryKind = search::EntryKind;
    using SearchMode = search::SearchMode;

    explicit Controller(Platform& platform, QObject* parent = nullptr);
    ~Controller() override;

    const ProgramState& state() const { return state_; }
    const library::InterpretationRepository& repository() const { return repository_; }

    // --- start-up and shut-down ------------------------------------------------
    // Reads the settings every start reads; the program is starting up.
    void readStartupSettings();
    // What a front end without the settings store (or a test) supplies instead.
    void setDataPath(const QString& path) { state_.dataPath = path; }
    void setDefaultSection(int entry) { state_.defaultSection = qint16(entry); }
    void setStartingUp(bool startingUp) { state_.startingUp = startingUp; }
    // The table searches and look-ups use while no section has been chosen.
    void setCurrentTable(const QString& table) { state_.currentTable = table; }
    // How the database file is opened (tests simulate slow or refusing files).
    void setDatabaseOpener(library::InterpretationRepository::Opener opener)
    {
        repository_.setOpener(std::move(opener));
    }
    // Opens the database the settings name, the title window standing meanwhile.
    StartupOutcome openStartupDatabase();
    // Opens `path` as the database in use; throws db::JetError when it fails.
    void openDatabase(const QString& path) { repository_.open(path); }
    void closeDatabase() { repository_.close(); }
    void ensureWorkspace() { repository_.ensureWorkspace(); }
    // Lists the sections and selects the default one. False when the list
    // cannot be read or holds more sections than the menu has room for.
    bool initiateProgram();
    // Initiation, and the import dialog until a database initiates or the
    // user gives up (which during start-up ends the program).
    void loadProgram();
    // Every activation of the main window: the command-line query, then the
    // program has started.
    void activate();
    void processCommandLine();
    void shutdown();

    // --- sections and import ---------------------------------------------------
    // checkedSection() while all sections are listed together.
    static constexpr int kAllSections = -1;
    static inline const QString kAllSectionsName = QStringLiteral("All sections");

    void selectSection(const QString& userTableName);
    // Lists and searches every section at once (File > Open... > All sections).
    void chooseAllSections();
    bool allSections() const { return allSections_; }
    // With all sections listed: the name of the section a row (1-based)
    // belongs to; empty otherwise.
    QString rowSection(int row) const;
    // The name of section entry `entry` (1-based); empty for no entry.
    QString sectionName(int entry) const;
    // A pick of section entry `entry` (1-based) from the File menu.
    void chooseSection(int entry);
    void importDatabase();
    int checkedSection() const { return checkedSection_; }
    bool placeholderShown() const { return placeholderShown_; }
    QString caption() const { return caption_; }

    // --- search entries and search --------------------------------------------
    QString entryText(EntryKind entry) const { return entries_[int(entry)]; }
    // The user changed the text of an entry to `text` (typed or pasted; it
    // may read as before, as when a selected character is typed over by the
    // same one): the change rule runs.
    void editEntry(EntryKind entry, const QString& text);
    // The program puts `text` into an entry: the change rule runs only when
    // the text differs, as setting an entry to its own text changes nothing.
    void setEntryText(EntryKind entry, const QString& text);
    // The key last pressed in an entry was an editing or caret key.
    void setEditKeyPressed(bool editing) { editKeyPressed_ = editing; }
    SearchMode mode() const { return mode_; }
    // And / Or / Phrase becomes the selected option.
    void chooseMode(SearchMode mode);
    // The keyword entry lost the focus: its text may join the history.
    void leaveKeywordEntry();
    void performSearch();
    const QStringList& paragraphRows() const { return paragraphs_; }
    const QStringList& historyRows() const { return history_; }
    QString lastSearchSql() const { return lastSearchSql_; }
    int searchRuns() const { return searchRuns_; }

    // --- results and the interpretation on display -------------------------------
    const QList<ResultRow>& rows() const { return results_.rows(); }
    // The rows' texts as the list shows them.
    QStringList rowTexts() const;
    // The results list for a view to show; the view does not change it.
    ResultsModel* resultsModel() { return &results_; }
    // The selected row of the results list, 1-based; 0 for none.
    int currentRow() const { return currentRow_; }
    bool noticeShown() const { return noticeShown_; }
    QString positionLabel() const { return position_; }
    QString countLabel() const { return count_; }
    const ShownInterpretation& shown() const { return shown_; }

    // A row of the results list clicked or reached with the keyboard; 0 when
    // the list is left without a selected row.
    void clickRow(int row);
    // One of the navigation buttons.
    void navigate(view::NavigationStep step);
    void loadInterpretation(const QString& id);

    // --- printing -----------------------------------------------------------------
    // The font printed pages set the interpretation in (the view's font).
    void setTextFont(const QFont& font) { textFont_ = font; }
    QFont textFont() const { return textFont_; }
    // Prints the interpretation on display, coloured as shown, when a row is
    // selected.
    void print();
    void printerSetup();
    // Prints every interpretation of the results list (not the notice and
    // its separator) as one job, each from a new page, after the user agreed
    // to the count and the estimated pages.
    void printAllFound();

signals:
    void sectionMenuChanged();             // entries, check mark, placeholder
    void captionChanged(const QString& caption);
    void resultsChanged();                 // rows(), noticeShown()
    void currentRowChanged(int row);       // select this row (0: none)
    void labelsChanged();                  // positionLabel(), countLabel()
    void interpretationShown();            // shown()
    void viewCleared();
    void navigationChanged(const view::NavigationButtons& buttons);
    void paragraphsChanged();
    void historyChanged();
    void entryChanged(search::EntryKind entry, const QString& text, bool selectionSet,
                      int selectionStart, int selectionLength);
    void modeChanged(search::SearchMode mode);
    // The drop-down lists close (a dialog or menu is about to take over).
    void dropDownsClosed();

private:
    void setCaption(const QString& caption);
    void setCheckedSection(int entry);
    void setRows(const QStringList& ids);
    void listRows(QList<ResultRow> rows);
    void selectRow(int row);
    void showPick(int row);
    void updateNavigation();
    void rememberSection(int entry);
    void warnWhenOutOfDate();
    void rememberAllSections(bool all);
    void selectAllSections();
    // Reads every section's identifiers and paragraphs into listedPerSection_.
    void readAllSections();
    // After a section's rows are listed: the count, and row 1 shown (or nothing).
    void showFirstRow();
    void searchAllSections(library::SearchRequest request);
    // The identifiers a search finds; none when the engine refuses it.
    QStringList searchOrNothing(const library::SearchRequest& request);
    // `perSection` holds each section's rows in section order; with
    // `crossListed` some may be held by another section (a paragraph index
    // lists them), else each is its own section's.
    void setMergedRows(const QList<QStringList>& perSection, bool crossListed);
    QList<ResultRow> mergedRows(const QList<QStringList>& perSection, bool crossListed);
    QString tableOfRow(int row) const;
    QString tableOfSection(int entry) const;
    // Which section entry holds `id` as found by a search of entry `finder`:
    // the finder itself when it does, else the first that does, else the finder.
    int holderOf(const QString& id, int finder);
    void loadInterpretationFrom(int sectionEntry, const QString& id);
    // Nothing on display: the identifier, volume, text and position cleared.
    void clearShown();
    // Logs a failure a routine skips; a damaged database is also told to the
    // user, once per run.
    void noteFailure(const char* step, const QString& subject, const db::JetError& e);
    // Tells the user, once per run, that the database is damaged and what
    // that means (`consequence`, a clause), with the engine's `detail`.
    void tellDamaged(const QString& consequence, const QString& detail);
    // Whether a job can start on `printer`; when not, the user is told why.
    bool printingPossible(const QString& title, QPrinter* printer);
    void tellPrintFailure(const QString& title, const QString& reason);
    // Tells of rows the repository left out as damaged, as noteFailure does.
    void noteDamage(const char* step, const QString& subject);
    // Tells the user, once per run, when the settings store refused a value.
    void checkSettingsSaved();
    // Opens the database at the data path; the failure, if any.
    std::optional<db::JetError> openDataPath();

    Platform& platform_;
    QFont textFont_;
    ProgramState state_;
    library::InterpretationRepository repository_;

    int checkedSection_ = 0;
    bool placeholderShown_ = true;
    QString caption_;

    QString entries_[2];
    bool editKeyPressed_ = false;
    SearchMode mode_ = SearchMode::And;
    QStringList paragraphs_;
    QStringList history_;
    QString lastSearchSql_;
    int searchRuns_ = 0;

    ResultsModel results_;
    bool allSections_ = false;
    // With all sections listed: each section's own identifiers as listed, and
    // the same as sets once a search needs to know which section holds a row.
    QList<QStringList> listedPerSection_;
    QList<QSet<QString>> heldPerSection_;
    // Whether listedPerSection_ and listedParagraphs_ hold every section of
    // the open file, read in full: listing all sections again reuses them.
    bool allSectionsRead_ = false;
    QStringList listedParagraphs_;
    QList<ResultRow> listedRows_;   // the merged listing, shared with the list
    int currentRow_ = 0;
    bool noticeShown_ = false;
    QString position_ = QStringLiteral("n/a");
    QString count_ = QStringLiteral("12345");
    ShownInterpretation shown_;
    bool damageTold_ = false;
    bool memoryTold_ = false;
    bool settingsFailureTold_ = false;
};

} // namespace orvane::app
