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
    // The first row found is selected and shown, so that the buttons step
    // on from it and Print prints it; its text replaces the last one at
    // once. With nothing found the view is left empty.
    const bool found = !rows().isEmpty();
    if (found) {
        selectRow(1);
        loadInterpretationFrom(rows().first().section, rows().first().identifier);
    } else {
        emit viewCleared();
        updateNavigation();
    }
    if (found) {
        position_ = QStringLiteral("1");
    } else {
        platform_.messageBox(QStringLiteral("Record not found"),
                             QStringLiteral("No matching interpretations were found."),
                             MessageIcon::Information, MessageButtons::Ok);
        position_ = QStringLiteral("0");
    }
    count_ = QString::number(view::interpretationCount(int(rows().size()), noticeShown_));
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
    setMergedRows(perSection, !request.paragraph.isEmpty());
}

// --- results list -----------------------------------------------------------------

void Controller::listRows(QList<ResultRow> rows)
{
    // Read without detaching: the rows may be shared with a kept listing, and
    // a copy of 30,000 rows would cost more than the listing itself.
    noticeShown_ = !rows.isEmpty() && rows.constFirst().kind == RowKind::Notice;
    currentRow_ = 0;
    results_.setRows(std::move(rows));
    emit resultsChanged();
}

void Controller::setRows(const QStringList& ids)
{
    QList<ResultRow> rows;
    rows.reserve(ids.size() + 1);
    for (const QString& id : ids) {
        rows << view::resultRow(id);
        // The notice is followed by its separator row; neither is counted.
        if (rows.constLast().kind == RowKind::Notice)
            rows << ResultRow{RowKind::Separator, QString(), 0};
    }
    listRows(std::move(rows));
}

int Controller::holderOf(const QString& id, int finder)
{
    if (heldPerSection_.isEmpty()) {
        for (const QStringList& ids : std::as_const(listedPerSection_))
            heldPerSection_ << QSet<QString>(ids.begin(), ids.end());
    }
    const auto holds = [this](int entry, const QString& id) {
        return entry >= 1 && entry <= heldPerSection_.size() && heldPerSection_.at(entry - 1).contains(id);
    };
    if (holds(finder, id))
        return finder;
    for (int entry = 1; entry <= heldPerSection_.size(); ++entry)
        if (holds(entry, id))
            return entry;
    return finder;
}

void Controller::setMergedRows(const QList<QStringList>& perSection, bool crossListed)
{
    listRows(mergedRows(perSection, crossListed));
}

QList<ResultRow> Controller::mergedRows(const QList<QStringList>& perSection, bool crossListed)
{
    QList<ResultRow> rows;
    qsizetype total = 2;
    for (const QStringList& ids : perSection)
        total += ids.size();
    rows.reserve(total);
    // The notice heads the list once, with its separator: the first section's
    // that has one; the other sections' notices are the same notice.
    for (int s = 0; s < perSection.size(); ++s) {
        if (perSection.at(s).contains(view::kNoticeId)) {
            rows << ResultRow{RowKind::Notice, view::kNoticeId, s + 1}
                 << ResultRow{RowKind::Separator, QString(), s + 1};
            break;
        }
    }
    if (!crossListed) {
        for (int s = 0; s < perSection.size(); ++s)
            for (const QString& id : perSection.at(s))
                if (id != view::kNoticeId)
                    rows << ResultRow{RowKind::Interpretation, id, s + 1};
        return rows;
    }
    // A section's paragraph index may list another section's interpretation:
    // each is listed once, under the section whose table holds it.
    QList<QStringList> bySection(perSection.size());
    QList<bool> moved(perSection.size(), false);
    QSet<std::pair<QString, int>> listed;
    for (int s = 0; s < perSection.size(); ++s) {
        for (const QString& id : perSection.at(s)) {
            if (id == view::kNoticeId)
                continue;
            int holder = holderOf(id, s + 1);
            if (holder > bySection.size())
                holder = s + 1;
            if (listed.contains({id, holder}))
                continue;
            listed.insert({id, holder});
            bySection[holder - 1] << id;
            if (holder != s + 1)
                moved[holder - 1] = true;
        }
    }
    for (int s = 0; s < bySection.size(); ++s) {
        // Rows moved in from another section's index join in identifier order.
        if (moved.at(s))
            bySection[s] = library::InterpretationRepository::sortedIdentifiers(bySection.at(s));
        for (const QString& id : std::as_const(bySection.at(s)))
            rows << ResultRow{RowKind::Interpretation, id, s + 1};
    }
    return rows;
}

QStringList Controller::rowTexts() const
{
    QStringList texts;
    texts.reserve(rows().size());
    for (const ResultRow& r : rows())
        texts << r.text();
    return texts;
}

QString Controller::sectionName(int entry) const
{
    if (entry < 1 || entry > state_.sectionCount)
        return {};
    return state_.sectionList[std::size_t(entry)].UserTableName;
}

QString Controller::rowSection(int row) const
{
    return sectionName(results_.row(row).section);
}

QString Controller::tableOfSection(int entry) const
{
    if (entry < 1 || entry > state_.sectionCount)
        return state_.currentTable;
    return state_.sectionList[std::size_t(entry)].dbTableName;
}

QString Controller::tableOfRow(int row) const
{
    return tableOfSection(results_.row(row).section);
}

void Controller::selectRow(int row)
{
    currentRow_ = row;
    emit currentRowChanged(row);
}

void Controller::updateNavigation()
{
    if (const auto buttons = view::navigationButtons(int(rows().size()), currentRow_))
        emit navigationChanged(*buttons);
}

void Controller::showPick(int row)
{
    const view::RowPick pick = view::pickRow(rows(), row);
    position_ = pick.positionLabel;
    emit labelsChanged();
    loadInterpretationFrom(pick.section, pick.identifier);
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
    if (row < 1 || row > rows().size())
        return;
    currentRow_ = row;
    // The row on display clicked again: nothing changes, neither the
    // colouring nor where the view is scrolled to. The same identifier in
    // another section is another interpretation.
    if (!view::clickReloads(results_.row(row), shown_.identifierLabel, shown_.sectionEntry))
        return;
    showPick(row);
}

void Controller::navigate(view::NavigationStep step)
{
    const int target = view::navigationTarget(step, currentRow_, int(rows().size()));
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
    const ResultRow selected = results_.row(currentRow_);
    loadInterpretationFrom(selected.identifier == id ? selected.section : 0, id);
}

void Controller::loadInterpretationFrom(int sectionEntry, const QString& id)
{
    std::optional<library::Interpretation> found;
    try {
        found = repository_.lookUp(tableOfSection(sectionEntry), id);
    } catch (const db::JetError& e) {
        noteFailure("loading", id, e);
    }
    shown_ = ShownInterpretation{};
    shown_.section = sectionName(sectionEntry);
    shown_.sectionEntry = sectionEntry;
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

void Controller::clearShown()
{
    shown_ = ShownInterpretation{};
    position_ = QStringLiteral("n/a");
    emit labelsChanged();
    emit viewCleared();
    emit interpretationShown();
}

} // namespace orvane::app
