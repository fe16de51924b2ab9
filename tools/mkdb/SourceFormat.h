#pragma once

// The plain-text source of an interpretations database (README.md, "Database
// source format") and its translation into the tables the reader expects.
// Reading and checking the source is kept apart from writing the file, so a
// bad source is rejected before anything is written.

#include "db/jet/JetWriter.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <vector>

namespace orvane::mkdb {

// Identifier of the one record a section table may hold that is a notice
// rather than an interpretation. The leading blanks sort it first.
inline constexpr char16_t noticeIdentifier[] = u"  Orvane-INT Notice";

// A fault in the source, located by file and 1-based line (0 when the fault
// concerns the file as a whole).
class SourceError : public std::runtime_error {
public:
    SourceError(QString file, int line, QString message);
    const QString& file() const { return m_file; }
    int line() const { return m_line; }
    const QString& message() const { return m_message; }
    // "file:line: message", or "file: message" without a line.
    QString text() const;

private:
    QString m_file;
    int m_line;
    QString m_message;
};

struct Interpretation {
    QString identifier;
    QString volume;
    QStringList paragraphs;   // rows of the section's own paragraph index
    QString text;             // CR LF line ends
};

// A row of a paragraph index; `section` is the suffix of the table that
// holds the interpretation (the index's own suffix for its own records).
struct IndexRow {
    QString reference;
    QString identifier;
    QString section;
};

struct Section {
    QString name;    // user-visible, e.g. "Section VIII-1"
    QString table;   // "INT" + two-character suffix
    std::optional<QString> notice;          // CR LF line ends
    std::optional<QString> noticeVolume;
    std::vector<Interpretation> interpretations;
    std::vector<IndexRow> index;
    int listLine = 0;   // line of sections.txt that names it, for messages

    QString suffix() const { return table.mid(3); }
};

struct Source {
    std::vector<Section> sections;
};

// Reads and checks a source folder (sections.txt plus one file per section).
// Throws SourceError at the first fault.
Source readSource(const QString& folder);

// The parsers behind readSource, on text already in memory. `fileName` is
// only used in messages. parseSectionFile adds the section's own records and
// index rows to `sections[sectionIndex]` and cross-section rows to the
// sections they name.
std::vector<Section> parseSectionList(const QString& fileName, const QByteArray& data);
void parseSectionFile(const QString& fileName, const QByteArray& data,
                      std::vector<Section>& sections, std::size_t sectionIndex);

// True when every character of `s` has a Windows-1252 code.
bool fitsWindows1252(QStringView s);

// The tables of the database: AuthorizedTablesTab, then INTnn and INXnn per
// section, in section order.
jet::DatabaseDef toDatabase(const Source& source, const QString& password);

} // namespace orvane::mkdb
