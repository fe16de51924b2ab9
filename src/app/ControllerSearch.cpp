// The search entries, the search, the results list, navigation and the
// interpretation on display.

#include "app/Controller.h"

#include "app/Platform.h"
#include "core/Log.h"
#include "db/JetError.h"

namespace orvane::app {

namespace {

// The hourglass for as long as a search runs, however it ends.
class BusyPointer {
public:
    explicit BusyPointer(Platform& platform) : platform_(platform)
    {
        platform_.setMousePointer(MousePointer::Wait);
    }
    ~BusyPointer() { platform_.setMousePointer(MousePointer::Default); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    Platform& platform_;
};

// Identifiers lose their surrounding blanks, and only blanks: the notice
// "  Orvane-INT Notice" shows as "Orvane-INT Notice".
QString trimBlanks(const QString& s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && s.at(from) == u' ')
        ++from;
    while (to > from && s.at(to - 1) == u' ')
        --to;
    return s.mid(from, to - from);
}

} // namespace

// --- search entries ---------------------------------------------------------------

void Controller::setEntryText(EntryKind entry, const QString& text)
{
    if (text != entries_[int(entry)])
        editEntry(entry, text);
}

void Controller::editEntry(EntryKind entry, const QString& text)
{
    const int i = int(entry);
    // settleChange plays out the change events that cleaning and completing
    // the text raise in turn, so the rule runs once here for all of them.
    const QStringList& rows = entry == EntryKind::Paragraph ? paragraphs_ : history_;
    const search::ChangeOutcome out =
        search::settleChange(entry, search::singleLine(text), editKeyPressed_, rows);
    entries_[i] = out.text;
    emit entryChanged(entry, out.text, out.selectionSet, out.selectionStart, out.selectionLength);
    // Every nested run searched (and beeped) for the same final text: once
    // of each is the same end state without the repetition.
    if (out.beeps > 0)
        platform_.beep();
    if (out.searches > 0)
        performSearch();
}

void Controller::chooseMode(SearchMode mode)
{
    if (mode == mode_)
        return;
    mode_ = mode;
    emit modeChanged(mode);
    if (search::optionClickSearches(entries_[int(EntryKind::Keyword)]))
        performSearch();
}

void Controller::leaveKeywordEntry()
{
    const QString text = entries_[int(EntryKind::Keyword)];
    if (!search::addsToHistory(text, history_))
        return;
    history_ << text;
    emit historyChanged();
}

// --- search -------------------------------------------------------------------------

void Controller::performSearch()
{
    ++searchRuns_;
    BusyPointer busy(platform_);

    library::SearchRequest request;
    request.paragraph = entries_[int(EntryKind::Paragraph)];
    request.keywords = entries_[int(EntryKind::Keyword)];
    request.mode = mode_;
    request.table = state_.currentTable;
    lastSearchSql_ = library::InterpretationRepository::searchStatement(request);

    // A statement the engine refuses (an invalid LIKE pattern, a missing
    // table, no database at all) leaves no rows: the search then ends as one
    // that found nothing.
    if (allSections_)
        searchAllSections(request);
    else
        setRows(searchOrNothing(request));
    emit viewCleared();
    // The first row found is selected and shown, so that the buttons step
    // on from it and Print prints it.
    if (!rows_.isEmpty()) {
        selectRow(1);
        loadInterpretationFrom(tableOfRow(1), rows_.first(), rowSection(1));
    } else {
        updateNavigation();
    }
    if (!rows_.isEmpty()) {
        position_ = QStringLiteral("1");
    } else {
        platform_.messageBox(QStringLiteral("Record not found"),
                             QStringLiteral("No matching interpretations were found."),
                             MessageIcon::Information, MessageButtons::Ok);
        position_ = QStringLiteral("0");
    }
    count_ = QString::number(view::interpretationCount(int(rows_.size()), noticeShown_));
    emit labelsChanged();
}

QStringList Controller::searchOrNothing(const library::SearchRequest& request)
{
    try {
        if (repository_.isOpen())
            return repository_.search(request);
    } catch (const db::JetError& e) {
        noteFailure("searching", request.table, e);
    }
    return {};
}

void Controller::searchAllSections(library::SearchRequest request)
{
    // The same statement per section; the union is listed in section order.
    QList<QStringList> perSection;
    for (int i = 1; i <= state_.sectionCount; ++i) {
        request.table = state_.sectionList[std::size_t(i)].dbTableName;
        perSection << searchOrNothing(request);
    }
    lastSearchSql_ = library::InterpretationRepository::searchStatement(request);
    setMergedRows(perSection);
}

// --- results list -----------------------------------------------------------------

void Controller::setRows(const QStringList& ids)
{
    rows_.clear();
    rows_.reserve(ids.size() + 1);
    noticeShown_ = false;
    for (const QString& id : ids) {
        rows_ << id;
        // The notice is followed by its separator row; neither is counted.
        if (id == view::kNoticeId) {
            rows_ << view::kSeparatorText;
            noticeShown_ = true;
        }
    }
    rowSections_.clear();
    currentRow_ = 0;
    emit resultsChanged();
}

void Controller::setMergedRows(const QList<QStringList>& perSection)
{
    rows_.clear();
    rowSections_.clear();
    noticeShown_ = false;
    // The notice heads the list once, with its separator: the first section's
    // that has one; the other sections' notices are the same notice.
    for (int s = 0; s < perSection.size() && !noticeShown_; ++s) {
        if (perSection.at(s).contains(view::kNoticeId)) {
            rows_ << view::kNoticeId << view::kSeparatorText;
            rowSections_ << s + 1 << s + 1;
            noticeShown_ = true;
        }
    }
    for (int s = 0; s < perSection.size(); ++s) {
        for (const QString& id : perSection.at(s)) {
            if (id == view::kNoticeId)
                continue;
            rows_ << id;
            rowSections_ << s + 1;
        }
    }
    currentRow_ = 0;
    emit resultsChanged();
}

QString Controller::rowSection(int row) const
{
    if (row < 1 || row > rowSections_.size())
        return {};
    return state_.sectionList[std::size_t(rowSections_.at(row - 1))].UserTableName;
}

QString Controller::tableOfRow(int row) const
{
    if (row < 1 || row > rowSections_.size())
        return state_.currentTable;
    return state_.sectionList[std::size_t(rowSections_.at(row - 1))].dbTableName;
}

void Controller::selectRow(int row)
{
    currentRow_ = row;
    emit currentRowChanged(row);
}

void Controller::updateNavigation()
{
    if (const auto buttons = view::navigationButtons(int(rows_.size()), currentRow_))
        emit navigationChanged(*buttons);
}

void Controller::showPick(int row)
{
    const view::RowPick pick = view::pickRow(rows_, row);
    position_ = pick.positionLabel;
    emit labelsChanged();
    loadInterpretationFrom(tableOfRow(row), pick.identifier, rowSection(row));
}

void Controller::clickRow(int row)
{
    if (row == 0) {
        // No row selected (a click on the empty part of the list): the
        // buttons say so.
        currentRow_ = 0;
        updateNavigation();
        return;
    }
    if (row < 1 || row > rows_.size())
        return;
    currentRow_ = row;
    // The row on display clicked again: nothing changes, neither the
    // colouring nor where the view is scrolled to.
    if (!view::clickReloads(rows_.at(row - 1), shown_.identifierLabel))
        return;
    showPick(row);
}

void Controller::navigate(view::NavigationStep step)
{
    const int target = view::navigationTarget(step, currentRow_, int(rows_.size()));
    if (target > 0)
        selectRow(target);
    if (currentRow_ == 0)
        return;
    // Unlike a click, a button reloads even the row on display.
    emit currentRowChanged(currentRow_);
    showPick(currentRow_);
}

// --- the interpretation on display ------------------------------------------------

void Controller::loadInterpretation(const QString& id)
{
    // With all sections listed, the row on display says which section's
    // tables hold the identifier.
    const int row = currentRow_ > 0 && rows_.value(currentRow_ - 1) == id ? currentRow_ : 0;
    loadInterpretationFrom(tableOfRow(row), id, rowSection(row));
}

void Controller::loadInterpretationFrom(const QString& table, const QString& id, const QString& section)
{
    std::optional<library::Interpretation> found;
    try {
        found = repository_.lookUp(table, id);
    } catch (const db::JetError& e) {
        noteFailure("loading", id, e);
    }
    shown_ = ShownInterpretation{};
    shown_.section = section;
    shown_.identifierLabel = trimBlanks(id);
    shown_.keywords = entries_[int(EntryKind::Keyword)];
    shown_.phrase = mode_ == SearchMode::Phrase;
    if (found) {
        shown_.found = true;
        shown_.text = found->text;
        shown_.volume = found->volume;
    }
    emit interpretationShown();
    updateNavigation();
}

} // namespace orvane::app
