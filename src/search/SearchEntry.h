#pragma once

// The rules of the two search entries (paragraph entry Text1(0), keyword
// entry Text1(1)) without their widgets: what a change of the text leads to
// (clean, complete from the entry's drop-down list, beep, search), which keys
// count as editing keys, when a key-up, an option click or leaving the
// keyword entry does something.
//
// Wiring a change in the window, with the entry's drop-down rows as a list:
//
//   void Text1_Change(int i) {
//       const auto out = settleChange(EntryKind(i), Text1[i]->text(), editKeyPressed, rowsOf(ListView1[i]));
//       { QSignalBlocker b(Text1[i]); Text1[i]->setText(out.text); }   // when it differs
//       if (out.selectionSet) Text1[i]->setSelection(out.selectionStart, out.selectionLength);
//       if (out.beeps) beep();
//       if (out.searches) performSearch();   // once is enough: every run searched the same text
//   }
//
// settleChange already plays out the nested change events that the rule
// causes by setting the text, so the handler must not recurse itself.

#include <QChar>
#include <QString>
#include <QStringList>

namespace orvane::search {

enum class EntryKind { Paragraph = 0, Keyword = 1 };

// `tempText` without any double-quote character; everything else, blanks
// included, in order.
QString validateText(const QString& tempText);

// An entry holds one line: each line or paragraph break of a pasted text
// (CR LF, CR, LF, VT, FF, NEL, U+2028, U+2029) becomes one blank.
QString singleLine(const QString& text);

// Key-press filter: a double quote is never typed into an entry.
bool acceptsKeyPress(QChar ch);

// Key-down: Delete, Backspace, Left and Right (Qt::Key values) set the
// window's editKeyPressed flag; every other key clears it. While it is set a
// change does not complete, so Backspace can shorten a completed text.
bool isEditingKey(int qtKey);

// The first row (0-based, list order) that completes `typed`: at least as
// long, and its first typed.size() characters equal typed ignoring letter
// case. -1 when none does or typed is empty.
int completingRow(const QString& typed, const QStringList& rows);

// One run of the change rule on a text that is already clean (steps after the
// double quotes are gone).
struct ChangeStep {
    bool stopped = false;       // empty entry or empty list: nothing else happens
    bool completed = false;     // text/selection below apply
    QString text;               // the completed text (the row), else the text as given
    int selectionStart = 0;     // typed.size(): the completed tail is selected
    int selectionLength = 0;    // row.size() - typed.size()
    bool beep = false;          // paragraph entry only, whenever nothing completed
    bool search = false;        // paragraph entry only
};
ChangeStep changeStep(EntryKind entry, const QString& cleanText, bool editKeyPressed,
                      const QStringList& rows);

// The end state of a change to `newText` (typed, pasted or set by code),
// including the nested change events that replacing the text causes: the
// quote removal runs the rule for the clean text first, and a completion runs
// it again for the completed text before its selection is set. Consequences:
//   - typing q before "QW-406": text QW-406, selection (1, 5), two searches;
//   - pasting a text with quotes that then completes: the outer run sees the
//     completed text as typed, so the selection ends empty at its end;
//   - paragraph entry without a match: a beep and a search for the text as is.
struct ChangeOutcome {
    QString text;               // what the entry holds at the end
    bool selectionSet = false;  // a completion set the selection last
    int selectionStart = 0;
    int selectionLength = 0;
    int beeps = 0;              // how many runs beeped
    int searches = 0;           // how many runs searched (all for `text`)
};
ChangeOutcome settleChange(EntryKind entry, const QString& newText, bool editKeyPressed,
                           const QStringList& rows);

// Key-up: Enter (Return or Enter) or Tab (Backtab too) released in the keyword entry runs a
// search; nothing else does.
bool searchesOnKeyUp(EntryKind entry, int qtKey);

// Tab and Enter in the keyword entry, seen before the entry and the window
// act on them. Tab moves the focus on its press, so its release lands in the
// next control: the press runs the key-up rule itself, and a Tab release in
// the entry (its press moved the focus into it) is dropped. Enter presses the
// default button, which searches already; its release runs the key-up rule
// only when no search ran since the press, and a release whose press went
// elsewhere (Enter that chose a menu entry or closed a dialog) is not a
// keystroke in the entry at all.
enum class KeyPhase { Press, Release };
struct EntryKey {
    KeyPhase phase = KeyPhase::Press;
    int qtKey = 0;
    bool controlOrAlt = false;   // Ctrl+Tab and Alt+Tab are not Tab
    bool autoRepeat = false;
};
// What is remembered from an Enter press until its release.
struct EnterPress {
    bool pending = false;
    int searchesAtPress = 0;
};
struct EntryKeyAction {
    bool runKeyUpRule = false;   // run the key-up rule for Tab now
    bool swallow = false;        // neither the entry nor the window sees the key
};
// `searchesSoFar` counts the searches run until now.
EntryKeyAction keywordEntryKey(const EntryKey& key, EnterPress& enter, int searchesSoFar);

// Leaving the keyword entry: its text is added to the history list when it is
// not empty and no row equals it, ignoring letter case.
bool addsToHistory(const QString& keywordText, const QStringList& historyRows);

// Clicking And / Or / Phrase searches only when the keyword entry has text.
bool optionClickSearches(const QString& keywordText);

} // namespace orvane::search
