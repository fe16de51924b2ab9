// Program initiation, section selection, the File menu and database import.

#include "ui/MainWindow.h"

#include "app/core/Settings.h"
#include "db/JetError.h"
#include "ui/Platform.h"
#include "ui/ProgramState.h"
#include "view/Navigation.h"

#include <QDate>
#include <QFileInfo>
#include <QList>

namespace orvane::ui {

namespace {

const QString kCaptionPrefix = QStringLiteral("Orvane-INT   [ ASME ");
const QString kCaptionSuffix = QStringLiteral(" ]");
// Only files of this exact name are offered: the program's database always
// carries it, wherever it lies.
const QString kImportFilter = QStringLiteral("OrvaneINT DB (intasme.mdb)|intasme.mdb");

constexpr int kOrdinaryIcon = 1;
constexpr int kNoticeIcon = 2;

// Runs `sql` into the shared record set. A window without a database has
// nothing to query; that is the same failure as a closed one.
void openQuery(ProgramState& s, const QString& sql)
{
    if (!s.dbInterpretation)
        throw db::JetError(db::kObjectClosed, QStringLiteral("Object invalid or no longer set."));
    s.rsQuery.open(*s.dbInterpretation, sql);
}

void closeQuery(ProgramState& s)
{
    try {
        s.rsQuery.close();
    } catch (const std::exception&) {
    }
}

// A field that must hold text: Null cannot be taken as a name.
QString textField(const db::Recordset& rs, const QString& name)
{
    if (rs.isNull(name))
        throw db::JetError(94, QStringLiteral("Invalid use of Null"));
    return rs.field(name);
}

// Calendar-month boundaries passed between the two dates: a file of
// 31 January is one month old on 1 February.
int monthBoundaries(const QDate& from, const QDate& to)
{
    return (to.year() * 12 + to.month()) - (from.year() * 12 + from.month());
}

// A list row; `pixmap` is the image numbered `smallIcon`, made once by the
// caller and shared by all the rows it fills.
QTreeWidgetItem* listRow(const QString& text, int smallIcon, const QIcon& pixmap)
{
    auto* item = new QTreeWidgetItem(QStringList{text});
    if (smallIcon > 0) {
        item->setIcon(0, pixmap);
        item->setData(0, orvaneIntMain::kSmallIconRole, smallIcon);
    }
    return item;
}

} // namespace

QTreeWidgetItem* orvaneIntMain::newListItem(const QString& text, int smallIcon) const
{
    return listRow(text, smallIcon, smallIcon > 0 ? QIcon(newImageList.image(smallIcon)) : QIcon());
}

int orvaneIntMain::smallIconOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kSmallIconRole).toInt() : 0;
}

bool orvaneIntMain::initiateProgram()
{
    ProgramState& s = state_;
    s.sectionCount = 0;
    try {
        openQuery(s, QStringLiteral("SELECT * FROM AuthorizedTablesTab"));

        // A date that cannot be read (the file vanished while open) gives no
        // warning rather than an unusable database.
        const QDateTime modified = QFileInfo(s.dataPath).lastModified();
        if (modified.isValid() && monthBoundaries(modified.date(), platform_.now().date()) > 11) {
            platform_.messageBox(this, QStringLiteral("Data out of date"),
                                 QStringLiteral("This database was last published over a year ago. ")
                                     + QStringLiteral("Please contact the vendor for the latest "
                                                      "database update information."),
                                 MessageIcon::Warning, MessageButtons::Ok);
        }

        for (; !s.rsQuery.eof(); s.rsQuery.moveNext()) {
            // The list has room for twenty sections; the count never names
            // an entry that does not exist.
            if (s.sectionCount >= ProgramState::kMaxSections) {
                closeQuery(s);
                return false;
            }
            const int n = ++s.sectionCount;
            SectionEntry& entry = s.sectionList[std::size_t(n)];
            entry.UserTableName = textField(s.rsQuery, QStringLiteral("UserTableName"));
            entry.dbTableName = textField(s.rsQuery, QStringLiteral("dbTableName"));

            // An entry left over from an earlier list cannot be created twice.
            if (int(mnuFileOpenSection.size()) != n) {
                closeQuery(s);
                return false;
            }
            QAction* a = loadSectionEntry(n);
            a->setText(entry.UserTableName);
            a->setVisible(true);
            a->setData(entry.dbTableName);
            a->setEnabled(true);
        }
        s.rsQuery.close();

        if (s.sectionCount > 0) {
            // A remembered number that names no entry (a database with fewer
            // sections than the last one, or a mistyped setting) falls back to
            // the first section like 0 does, instead of rejecting a database
            // that is perfectly usable.
            int chosen = s.defaultSection;
            if (chosen < 0 || chosen > s.sectionCount)
                chosen = 0;

            ListView1[0]->hide();
            ListView1[1]->hide();
            for (int i = 0; i <= s.sectionCount; ++i)
                mnuFileOpenSection[std::size_t(i)]->setChecked(false);

            const int entry = chosen >= 1 ? chosen : 1;
            QAction* a = mnuFileOpenSection[std::size_t(entry)];
            a->setChecked(true);
            setWindowTitle(kCaptionPrefix + a->text() + kCaptionSuffix);
            selectSection(a->text());
            if (chosen == 0) {
                s.defaultSection = 1;
                writeSetting(QStringLiteral("default section"), QStringLiteral("1"));
            }
            mnuFileOpenSection[0]->setVisible(false);
        }
        return true;
    } catch (const std::exception&) {
        closeQuery(s);
        return false;
    }
}

void orvaneIntMain::selectSection(const QString& tempSectionName)
{
    ProgramState& s = state_;
    for (int i = 1; i <= s.sectionCount; ++i) {
        if (s.sectionList[std::size_t(i)].UserTableName == tempSectionName)
            s.currentTable = s.sectionList[std::size_t(i)].dbTableName;
    }

    if (!s.currentTable.isEmpty()) {
        ListView* results = ListView1[2];
        ListView* paragraphs = ListView1[0];

        bool opened = false;
        try {
            openQuery(s, QStringLiteral("SELECT * FROM [") + s.currentTable
                             + QStringLiteral("] ORDER BY INTER_STR"));
            opened = true;
        } catch (const std::exception&) {
        }

        // Thousands of rows: build them apart and hand them over at once, so
        // the list lays itself out and repaints a single time.
        results->setUpdatesEnabled(false);
        paragraphs->clear();
        results->clear();
        noticeShown = false;

        QList<QTreeWidgetItem*> rows;
        if (opened) {
            try {
                const QIcon ordinary(newImageList.image(kOrdinaryIcon));
                rows.reserve(s.rsQuery.recordCount() + 2);
                for (; !s.rsQuery.eof(); s.rsQuery.moveNext()) {
                    const QString id = s.rsQuery.field(QStringLiteral("INTER_STR"));
                    if (id != view::kNoticeId) {
                        rows.append(listRow(id, kOrdinaryIcon, ordinary));
                    } else {
                        rows.append(newListItem(id, kNoticeIcon));
                        rows.append(newListItem(view::kSeparatorText, 0));
                        noticeShown = true;
                    }
                }
            } catch (const std::exception&) {
            }
        }
        results->addTopLevelItems(rows);
        results->setUpdatesEnabled(true);

        const int count = results->topLevelItemCount() - (noticeShown ? 2 : 0);
        Label1[6]->setText(QString::number(count));
        closeQuery(s);

        if (results->topLevelItemCount() > 0) {
            QTreeWidgetItem* first = results->topLevelItem(0);
            results->setCurrentItem(first);
            first->setSelected(true);
            loadInterpretation(first->text(0));
        }

        QList<QTreeWidgetItem*> refs;
        try {
            openQuery(s, QStringLiteral("SELECT DISTINCT reference FROM INX") + s.currentTable.mid(3)
                             + QStringLiteral(" ORDER BY reference"));
            const QIcon ordinary(newImageList.image(kOrdinaryIcon));
            for (; !s.rsQuery.eof(); s.rsQuery.moveNext())
                refs.append(listRow(s.rsQuery.field(QStringLiteral("Reference")), kOrdinaryIcon, ordinary));
        } catch (const std::exception&) {
        }
        paragraphs->addTopLevelItems(refs);
        closeQuery(s);
    }

    // Each of these runs the entry's own change or click handling.
    Text1[0]->setText(QString());
    Text1[1]->setText(QString());
    Option1[0]->setChecked(true);
}

void orvaneIntMain::mnuFileOpenSection_Click(int index)
{
    // The placeholder is never a section.
    if (index <= 0 || index >= int(mnuFileOpenSection.size()))
        return;
    ListView1[0]->hide();
    ListView1[1]->hide();
    for (int i = 0; i <= state_.sectionCount && i < int(mnuFileOpenSection.size()); ++i)
        mnuFileOpenSection[std::size_t(i)]->setChecked(false);
    QAction* a = mnuFileOpenSection[std::size_t(index)];
    a->setChecked(true);

    // Remembered before the lists fill, so the next start opens this section
    // whatever happens below.
    state_.defaultSection = qint16(index);
    writeSetting(QStringLiteral("default section"), QString::number(index));

    setWindowTitle(kCaptionPrefix + a->text() + kCaptionSuffix);
    selectSection(a->text());
}

void orvaneIntMain::mnuFile_Click()
{
    // An open drop-down list must not stay over the menu.
    ListView1[0]->hide();
    ListView1[1]->hide();
}

void orvaneIntMain::mnuFileOpen_Click()
{
    ListView1[0]->hide();
    ListView1[1]->hide();
}

void orvaneIntMain::mnuFileImport_Click()
{
    ProgramState& s = state_;
    // Until a file initiates or the user gives up.
    for (;;) {
        ListView1[0]->hide();
        ListView1[1]->hide();

        std::optional<QString> chosen;
        try {
            chosen = platform_.openFileDialog(this, QStringLiteral("Open"), kImportFilter, QString());
        } catch (const std::exception&) {
        }
        if (!chosen || chosen->isEmpty()) {
            // Without a usable database there is nothing to start into.
            if (s.startingUp) {
                platform_.messageBox(this, QStringLiteral("No database"),
                                     QStringLiteral("No valid Orvane-INT database present."),
                                     MessageIcon::Critical, MessageButtons::Ok);
                platform_.endProgram();
            }
            return;
        }

        mnuFileOpenSection[0]->setVisible(true);
        for (int i = int(mnuFileOpenSection.size()) - 1; i >= 1; --i)
            unloadSectionEntry(i);

        try {
            if (s.dbInterpretation && s.dbInterpretation->isOpen())
                s.dbInterpretation->close();
        } catch (const std::exception&) {
        }

        // Remembered before it is tried: a file that fails is still the one
        // the next start looks for.
        s.dataPath = *chosen;
        writeSetting(QStringLiteral("data path"), s.dataPath);

        try {
            s.dbInterpretation = s.openDatabase(s.dataPath);
        } catch (const std::exception&) {
            s.dbInterpretation.reset();
        }

        if (initiateProgram())
            return;
    }
}

} // namespace orvane::ui
