#pragma once

// Builds small interpretation databases for tests with the project's own
// Jet writer: sections listed in AuthorizedTablesTab, each with its INTnn
// table and INXnn paragraph index.

#include <QString>
#include <vector>

namespace orvane::testing {

inline const QString kNoticeId = QStringLiteral("  Orvane-INT Notice");

struct Interpretation {
    QString id;
    QString text;          // stored as given (use interpretationText for CR LF texts)
    QString vol = QStringLiteral("1");
    bool nullText = false; // store INTER_TEXT as Null
    bool nullVol = false;  // store vol as Null
};

struct IndexRow {
    QString reference;
    QString id;
    QString section;       // two-character suffix of the table holding `id`
};

struct Section {
    QString userName;      // e.g. "Section IX"
    QString table;         // e.g. "INT09"
    std::vector<Interpretation> rows;
    std::vector<IndexRow> index;
    bool withTable = true; // write INTnn
    bool withIndex = true; // write INXnn
};

struct DbPlan {
    std::vector<Section> sections;
    QString password = QStringLiteral("tolvaren");
    bool withAuthorizedTables = true;
    // Rows of AuthorizedTablesTab beyond those of `sections` (name, table).
    std::vector<std::pair<QString, QString>> extraAuthorizedRows;
};

// A text the way a published reply reads, with CR LF line ends:
// "Interpretation: <id>", "Subject: ...", "Date Issued: ...", "File: ...",
// then Question and Reply carrying `body`.
QString interpretationText(const QString& id, const QString& subject, const QString& body);

// Writes `plan` to `path` (throws on failure) and returns `path`.
QString writeInterpretationDb(const QString& path, const DbPlan& plan);

// A ready-made two-section database used by many window tests:
//  Section VIII-1 (INT08): the notice, VIII-1-89-01..03; index with QW-406, QW-406.1, UG-20
//  Section IX     (INT09): IX-89-01..05 with preheat/minimum wording; index with
//                          QW-406, QW-406.1, QW-407, and one row for VIII-1-89-02 (section "08")
DbPlan standardPlan();

} // namespace orvane::testing
