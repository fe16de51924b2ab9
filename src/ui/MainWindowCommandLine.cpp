// The query given on the program's command line.
//
// The query is applied by setting the very controls a user would set, so the
// entries' change rule (quotes removed, completion, beep, paragraph search)
// and the options' click rule do the work; nothing here searches on its own
// except after TEXT, where a user would press Enter.

#include "ui/MainWindow.h"

#include "app/core/Settings.h"
#include "search/CommandLine.h"
#include "ui/Platform.h"
#include "ui/ProgramState.h"

#include <algorithm>
#include <exception>

namespace orvane::ui {

namespace {

// Runs one step of the query; a failing step is skipped silently so the
// remaining keywords still apply.
template <typename Step>
void quietly(Step&& step)
{
    try {
        step();
    } catch (const std::exception&) {
    }
}

} // namespace

void orvaneIntMain::processCommandLine()
{
    const QString commandText = platform_.commandLine() + QLatin1Char(' ');
    const search::CommandLineQuery query = search::parseCommandLine(commandText);
    if (query.noArguments)
        return;

    // The fixed order section, paragraph, keywords, mode: switching the
    // section clears the entries and selects And, so it has to come first,
    // and the mode comes last so that it re-runs the keyword search.
    if (!query.section.isEmpty()) {
        quietly([&] {
            QStringList tables;
            const int count = std::clamp(state_.sectionCount, 0, ProgramState::kMaxSections);
            for (int i = 1; i <= count; ++i)
                tables << state_.sectionList[std::size_t(i)].dbTableName;
            const int entry = search::sectionEntryForTable(query.section, tables);
            if (entry == 0)
                return;
            const QString name = state_.sectionList[std::size_t(entry)].UserTableName;

            // The entry's position is what initiation reads back at the next
            // start, whatever digits the table name happens to carry.
            state_.defaultSection = qint16(entry);
            writeSetting(QStringLiteral("default section"), QString::number(entry));

            // The menu shows the section in use, as after a pick from it.
            for (std::size_t i = 0; i < mnuFileOpenSection.size(); ++i)
                if (QAction* a = mnuFileOpenSection[i])
                    a->setChecked(int(i) == entry);

            if (!name.isEmpty())
                selectSection(name);
            setWindowTitle(QStringLiteral("Orvane-INT   [ ASME ") + name + QStringLiteral(" ]"));
        });
    }

    if (!query.paragraph.isEmpty())
        quietly([&] { Text1[0]->setText(query.paragraph); });

    if (!query.keywords.isEmpty()) {
        quietly([&] { Text1[1]->setText(query.keywords); });
        quietly([&] { performSearch(); });
    }

    if (const auto mode = query.mode()) {
        quietly([&] {
            int option = 2;
            if (*mode == search::SearchMode::Or)
                option = 1;
            else if (*mode == search::SearchMode::And)
                option = 0;
            // Selecting an option that is not yet selected runs its click
            // rule, which searches again in the new mode.
            Option1[std::size_t(option)]->setChecked(true);
        });
    }
}

} // namespace orvane::ui
