#pragma once

// The controller: the program's state and routines without a widget in
// sight. The windows forward what the user does to it and render what it
// signals; it reaches the database through the interpretation repository and
// everything modal or machine-wide through the platform services.

#include "app/ProgramState.h"
#include "db/JetError.h"
#include "library/InterpretationRepository.h"
#include "search/SearchEntry.h"
#include "search/SearchStatement.h"
#include "view/Navigation.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QTextDocument;
class QWidget;

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
};

class Controller : public QObject {
    Q_OBJECT
public:
    using EntryKind = search::EntryKind;
    using SearchMode = search::SearchMode;

    explicit Controller(Platform& platform, QObject* parent = nullptr);
    ~Controller() override;

    ProgramState& state() { return state_; }
    library::InterpretationRepository& repository() { return repository_; }
    Platform& platform() { return platform_; }
    // The window that dialogs and message boxes belong to.
    void setDialogParent(QWidget* parent) { dialogParent_ = parent; }

    // --- start-up and shut-down ------------------------------------------------
    // Reads the settings every start reads; the program is starting up.
    void readStartupSettings();
    // Opens the database the settings name. Returns 0 when it opened, else the
    // engine's error number (3031: the password is wrong).
    int openStartupDatabase();
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
    const QStringList& rows() const { return rows_; }
    // The selected row of the results list, 1-based; 0 for none.
    int currentRow() const { return currentRow_; }
    bool noticeShown() const { return noticeShown_; }
    QString positionLabel() const { return position_; }
    QString countLabel() const { return count_; }
    const ShownInterpretation& shown() const { return shown_; }

    // A row of the results list clicked or reached with the keyboard; 0 when
    // the list is left without a selected row.
    void clickRow(int row);
    // Command4(button): 0 first, 1 previous, 2 next, 3 last.
    void navigate(int button);
    void loadInterpretation(const QString& id);

    // --- printing -----------------------------------------------------------------
    // Prints `document` (the view's rendering of what is shown) when a row is
    // selected.
    void print(const QTextDocument& document);
    void printerSetup();
    // Prints every interpretation of the results list (not the notice and
    // its separator) as one job, each from a new page, after the user agreed
    // to the count. `style` is the view's document, whose font the pages use.
    void printAllFound(const QTextDocument& style);
    // Ends a running print-all job after the interpretation being printed.
    void cancelPrintAll() { printAllCancelled_ = true; }

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
    // A print-all job: `done` of `total` interpretations sent (0 at the start,
    // total at the end). A listener may cancel it with cancelPrintAll().
    void printAllProgress(int done, int total);

private:
    void setCaption(const QString& caption);
    void setCheckedSection(int entry);
    void setLabels(const QString& position, const QString& count);
    void setRows(const QStringList& ids);
    void selectRow(int row);
    void showPick(int row);
    void updateNavigation();
    void rememberSection(int entry);
    void warnWhenOutOfDate();
    void rememberAllSections(bool all);
    void selectAllSections();
    void searchAllSections(library::SearchRequest request);
    // The identifiers a search finds; none when the engine refuses it.
    QStringList searchOrNothing(const library::SearchRequest& request);
    void setMergedRows(const QList<QStringList>& perSection);
    QString tableOfRow(int row) const;
    void loadInterpretationFrom(const QString& table, const QString& id, const QString& section);
    // Logs a failure a routine skips; a damaged database is also told to the
    // user, once per run.
    void noteFailure(const char* step, const QString& subject, const db::JetError& e);
    // Tells of rows the repository left out as damaged, as noteFailure does.
    void noteDamage(const char* step, const QString& subject);
    // Tells the user, once per run, when the settings store refused a value.
    void checkSettingsSaved();

    Platform& platform_;
    QWidget* dialogParent_ = nullptr;
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

    QStringList rows_;
    // With all sections listed: the section entry (1-based) of each row.
    QList<int> rowSections_;
    bool allSections_ = false;
    int currentRow_ = 0;
    bool noticeShown_ = false;
    QString position_ = QStringLiteral("n/a");
    QString count_ = QStringLiteral("12345");
    ShownInterpretation shown_;
    bool printAllCancelled_ = false;
    bool damageTold_ = false;
    bool settingsFailureTold_ = false;
};

} // namespace orvane::app
