#include "search/SearchEntry.h"

#include <algorithm>

namespace orvane::search {

QString validateText(const QString& tempText)
{
    QString clean = tempText;
    clean.remove(QLatin1Char('"'));
    return clean;
}

namespace {

// Every character that ends a line or a paragraph: LF, VT, FF, CR, NEL and
// the two Unicode separators.
bool isLineBreak(QChar c)
{
    switch (c.unicode()) {
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0085:
    case 0x2028:
    case 0x2029: return true;
    default: return false;
    }
}

} // namespace

QString singleLine(const QString& text)
{
    if (std::none_of(text.cbegin(), text.cend(), isLineBreak))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!isLineBreak(c)) {
            out += c;
            continue;
        }
        out += u' ';
        // CR LF is one line end, so one blank.
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
    }
    return out;
}

bool acceptsKeyPress(QChar ch)
{
    return ch != QLatin1Char('"');
}

bool isEditingKey(int qtKey)
{
    return qtKey == Qt::Key_Delete || qtKey == Qt::Key_Backspace || qtKey == Qt::Key_Left
           || qtKey == Qt::Key_Right;
}

int completingRow(const QString& typed, const QStringList& rows)
{
    if (typed.isEmpty())
        return -1;
    const QString lower = typed.toLower();
    for (int i = 0; i < rows.size(); ++i) {
        const QString& row = rows.at(i);
        if (row.size() >= typed.size() && row.left(typed.size()).toLower() == lower)
            return i;
    }
    return -1;
}

ChangeStep changeStep(EntryKind entry, const QString& cleanText, bool editKeyPressed,
                      const QStringList& rows)
{
    ChangeStep step;
    step.text = cleanText;
    if (cleanText.isEmpty() || rows.isEmpty()) {
        step.stopped = true;
        return step;
    }
    const int row = editKeyPressed ? -1 : completingRow(cleanText, rows);
    if (row >= 0) {
        step.completed = true;
        step.text = rows.at(row);
        step.selectionStart = int(cleanText.size());
        step.selectionLength = int(step.text.size() - cleanText.size());
    }
    const bool paragraph = entry == EntryKind::Paragraph;
    step.beep = paragraph && !step.completed;
    step.search = paragraph;
    return step;
}

namespace {

// Plays one change event of the entry, with the events that setting its text
// raises nested inside, as the control would deliver them.
class ChangeRun {
public:
    ChangeRun(EntryKind entry, bool editKeyPressed, const QStringList& rows)
        : entry_(entry), editKey_(editKeyPressed), rows_(rows) {}

    ChangeOutcome settle(const QString& newText)
    {
        out_.text = newText;
        run(0);
        return out_;
    }

private:
    // Setting the entry's text; an unchanged text raises no change event.
    void setText(const QString& text, int depth)
    {
        if (text == out_.text)
            return;
        out_.text = text;
        out_.selectionSet = false; // a new text has no selection of ours
        // A row that itself holds a quote would bounce between clean and
        // completed text for ever; the control would overflow its stack.
        if (depth < kMaxDepth)
            run(depth + 1);
    }

    void run(int depth)
    {
        setText(validateText(out_.text), depth);
        const QString typed = out_.text;
        const ChangeStep step = changeStep(entry_, typed, editKey_, rows_);
        if (step.stopped)
            return;
        if (step.completed) {
            setText(step.text, depth);
            out_.selectionSet = true;
            out_.selectionStart = step.selectionStart;
            out_.selectionLength = step.selectionLength;
        }
        out_.beeps += step.beep ? 1 : 0;
        out_.searches += step.search ? 1 : 0;
    }

    static constexpr int kMaxDepth = 8;
    EntryKind entry_;
    bool editKey_;
    const QStringList& rows_;
    ChangeOutcome out_;
};

} // namespace

ChangeOutcome settleChange(EntryKind entry, const QString& newText, bool editKeyPressed,
                           const QStringList& rows)
{
    return ChangeRun(entry, editKeyPressed, rows).settle(newText);
}

bool searchesOnKeyUp(EntryKind entry, int qtKey)
{
    return entry == EntryKind::Keyword
           && (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter || qtKey == Qt::Key_Tab
               || qtKey == Qt::Key_Backtab);
}

bool addsToHistory(const QString& keywordText, const QStringList& historyRows)
{
    return !keywordText.isEmpty() && !historyRows.contains(keywordText, Qt::CaseInsensitive);
}

bool optionClickSearches(const QString& keywordText)
{
    return !keywordText.isEmpty();
}

EntryKeyAction keywordEntryKey(const EntryKey& key, EnterPress& enter, int searchesSoFar)
{
    const bool tab = (key.qtKey == Qt::Key_Tab || key.qtKey == Qt::Key_Backtab) && !key.controlOrAlt;
    const bool enterKey = key.qtKey == Qt::Key_Return || key.qtKey == Qt::Key_Enter;
    EntryKeyAction action;
    if (key.phase == KeyPhase::Press) {
        action.runKeyUpRule = tab && !key.autoRepeat;
        if (enterKey) {
            enter.pending = true;
            enter.searchesAtPress = searchesSoFar;
        }
        return action;
    }
    if (tab) {
        action.swallow = true;
    } else if (enterKey && !key.autoRepeat) {
        action.swallow = !enter.pending || searchesSoFar != enter.searchesAtPress;
        enter.pending = false;
    }
    return action;
}

} // namespace orvane::search
