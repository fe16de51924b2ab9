#include "tools/mkdb/SourceFormat.h"

#include "db/jet/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace orvane::mkdb {

namespace {

// Column sizes of the tables the reader opens.
constexpr int nameSize = 50;       // UserTableName, dbTableName
constexpr int identifierSize = 50; // INTER_STR
constexpr int volumeSize = 10;     // vol
constexpr int referenceSize = 50;  // reference
constexpr std::size_t maxSections = 20; // the reader lists no more

const QString recordMark = QStringLiteral("=== ");
const QString noticeKeyword = QStringLiteral("NOTICE");

struct Line {
    int number;
    QString text;
};

[[noreturn]] void fail(const QString& file, int line, const QString& message)
{
    throw SourceError(file, line, message);
}

// Splits the file into lines (LF or CR LF), decodes each as UTF-8 and checks
// that it can be stored: Windows-1252 and no control characters but TAB.
std::vector<Line> splitLines(const QString& fileName, const QByteArray& data)
{
    std::vector<Line> lines;
    QByteArrayView rest(data);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    int number = 0;
    while (!rest.isEmpty()) {
        ++number;
        qsizetype end = rest.indexOf('\n');
        QByteArrayView raw = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (raw.endsWith('\r'))
            raw.chop(1);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(raw);
        if (decoder.hasError())
            fail(fileName, number, QStringLiteral("not valid UTF-8"));
        for (QChar c : std::as_const(text)) {
            if (c.unicode() < 0x20 && c != u'\t')
                fail(fileName, number,
                     QStringLiteral("control character U+%1")
                         .arg(QString::number(c.unicode(), 16).toUpper(), 4, u'0'));
        }
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (jet::cp1252Byte(text[i].unicode()) >= 0)
                continue;
            // Name the whole character, also when it takes a surrogate pair.
            const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const char32_t code = n == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1])
                                         : char32_t(text[i].unicode());
            fail(fileName, number,
                 QStringLiteral("character '%1' (U+%2) cannot be stored in Windows-1252")
                     .arg(text.mid(i, n), QString::number(code, 16).toUpper().rightJustified(4, u'0')));
        }
        lines.push_back({number, std::move(text)});
    }
    return lines;
}

bool isBlank(const QString& s)
{
    return s.trimmed().isEmpty();
}

void checkLength(const QString& file, int line, const QString& what, const QString& value,
                 int size)
{
    if (value.size() > size)
        fail(file, line, QStringLiteral("%1 '%2' is longer than %3 characters")
                             .arg(what, value).arg(size));
}

QString joinText(std::vector<QString>& lines)
{
    while (!lines.empty() && isBlank(lines.back()))
        lines.pop_back();
    auto first = lines.begin();
    while (first != lines.end() && isBlank(*first))
        ++first;
    QString text;
    for (auto it = first; it != lines.end(); ++it) {
        if (it != first)
            text += QStringLiteral("\r\n");
        text += *it;
    }
    return text;
}

// One record of a section file while it is being read.
struct Pending {
    QString identifier;
    int line = 0;
    bool notice = false;
    std::optional<QString> volume;
    std::optional<QStringList> paragraphs;
    std::vector<std::pair<std::size_t, QStringList>> alsoIn;  // section index, paragraphs
    std::vector<QString> textLines;
};

QStringList parseParagraphs(const QString& file, int line, const QString& value)
{
    QStringList result;
    for (const QString& part : value.split(u',')) {
        const QString p = part.trimmed();
        if (p.isEmpty())
            fail(file, line, QStringLiteral("empty paragraph in list"));
        if (p.contains(u'"'))
            fail(file, line, QStringLiteral("paragraph '%1' contains a double quote").arg(p));
        checkLength(file, line, QStringLiteral("paragraph"), p, referenceSize);
        if (result.contains(p))
            fail(file, line, QStringLiteral("paragraph %1 listed twice").arg(p));
        result << p;
    }
    return result;
}

} // namespace

SourceError::SourceError(QString file, int line, QString message)
    : std::runtime_error((line > 0 ? QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(message)
                                   : QStringLiteral("%1: %2").arg(file, message))
                             .toStdString())
    , m_file(std::move(file))
    , m_line(line)
    , m_message(std::move(message))
{
}

QString SourceError::text() const
{
    return QString::fromStdString(what());
}

bool fitsWindows1252(QStringView s)
{
    return std::all_of(s.begin(), s.end(),
                       [](QChar c) { return jet::cp1252Byte(c.unicode()) >= 0; });
}

std::vector<Section> parseSectionList(const QString& fileName, const QByteArray& data)
{
    static const QRegularExpression tablePattern(QStringLiteral("^INT[A-Za-z0-9]{2}$"));
    std::vector<Section> sections;
    for (const Line& line : splitLines(fileName, data)) {
        const QString t = line.text.trimmed();
        if (t.isEmpty() || t.startsWith(u'#'))
            continue;
        const qsizetype gap = t.indexOf(QRegularExpression(QStringLiteral("\\s")));
        const QString table = gap < 0 ? t : t.left(gap);
        const QString name = gap < 0 ? QString() : t.mid(gap).trimmed();
        if (!tablePattern.match(table).hasMatch())
            fail(fileName, line.number,
                 QStringLiteral("table name '%1' is not INT followed by two letters or digits")
                     .arg(table));
        if (name.isEmpty())
            fail(fileName, line.number,
                 QStringLiteral("missing section name after %1").arg(table));
        checkLength(fileName, line.number, QStringLiteral("section name"), name, nameSize);
        for (const Section& s : sections) {
            if (s.table.compare(table, Qt::CaseInsensitive) == 0)
                fail(fileName, line.number, QStringLiteral("table %1 listed twice (first at line %2)")
                                                .arg(table).arg(s.listLine));
        }
        if (sections.size() == maxSections)
            fail(fileName, line.number,
                 QStringLiteral("more than %1 sections").arg(maxSections));
        Section s;
        s.name = name;
        s.table = table;
        s.listLine = line.number;
        sections.push_back(std::move(s));
    }
    if (sections.empty())
        fail(fileName, 0, QStringLiteral("no sections listed"));
    return sections;
}

void parseSectionFile(const QString& fileName, const QByteArray& data,
                      std::vector<Section>& sections, std::size_t sectionIndex)
{
    Section& own = sections.at(sectionIndex);
    QHash<QString, int> seen;   // identifier -> line of its record
    std::optional<Pending> pending;
    bool inText = false;

    auto finish = [&] {
        if (!pending)
            return;
        Pending& p = *pending;
        QString text = joinText(p.textLines);
        if (text.isEmpty())
            fail(fileName, p.line, QStringLiteral("%1 has no text (a blank line must separate "
                                                  "the header lines from the text)")
                                       .arg(p.notice ? noticeKeyword : p.identifier));
        if (p.notice) {
            own.notice = std::move(text);
            own.noticeVolume = p.volume;
        } else {
            if (!p.volume)
                fail(fileName, p.line, QStringLiteral("%1 has no Volume").arg(p.identifier));
            if (!p.paragraphs)
                fail(fileName, p.line, QStringLiteral("%1 has no Paragraphs").arg(p.identifier));
            for (const QString& ref : std::as_const(*p.paragraphs))
                own.index.push_back({ref, p.identifier, own.suffix()});
            for (const auto& [target, refs] : p.alsoIn) {
                for (const QString& ref : refs)
                    sections[target].index.push_back({ref, p.identifier, own.suffix()});
            }
            own.interpretations.push_back(
                {p.identifier, *p.volume, std::move(*p.paragraphs), std::move(text)});
        }
        pending.reset();
    };

    static const QRegularExpression fieldPattern(QStringLiteral("^([A-Za-z-]+)\\s*:(.*)$"));
    for (const Line& line : splitLines(fileName, data)) {
        if (line.text.startsWith(recordMark)) {
            finish();
            const QString id = line.text.mid(recordMark.size()).trimmed();
            if (id.isEmpty())
                fail(fileName, line.number, QStringLiteral("missing identifier after '==='"));
            Pending p;
            p.line = line.number;
            if (id == noticeKeyword) {
                p.notice = true;
                p.identifier = QString::fromUtf16(noticeIdentifier);
            } else {
                if (id.contains(u'"'))
                    fail(fileName, line.number,
                         QStringLiteral("identifier '%1' contains a double quote").arg(id));
                checkLength(fileName, line.number, QStringLiteral("identifier"), id,
                            identifierSize);
                p.identifier = id;
            }
            const QString key = p.identifier;
            if (auto it = seen.constFind(key); it != seen.constEnd())
                fail(fileName, line.number,
                     QStringLiteral("duplicate %1 (first at line %2)")
                         .arg(p.notice ? QStringLiteral("notice")
                                       : QStringLiteral("identifier ") + id)
                         .arg(*it));
            seen.insert(key, line.number);
            pending = std::move(p);
            inText = false;
            continue;
        }
        if (!pending) {
            const QString t = line.text.trimmed();
            if (t.isEmpty() || t.startsWith(u'#'))
                continue;
            fail(fileName, line.number,
                 QStringLiteral("text before the first record (records start with '=== IDENTIFIER')"));
        }
        if (inText) {
            pending->textLines.push_back(line.text);
            continue;
        }
        const QString t = line.text.trimmed();
        if (t.isEmpty()) {
            inText = true;
            continue;
        }
        if (t.startsWith(u'#'))
            continue;
        const auto m = fieldPattern.match(t);
        if (!m.hasMatch())
            fail(fileName, line.number,
                 QStringLiteral("expected a header line 'Field: value' or a blank line before "
                                "the text"));
        const QString field = m.captured(1);
        const QString value = m.captured(2).trimmed();
        Pending& p = *pending;
        if (value.isEmpty())
            fail(fileName, line.number, QStringLiteral("empty %1").arg(field));
        if (field.compare(u"Volume", Qt::CaseInsensitive) == 0) {
            if (p.volume)
                fail(fileName, line.number, QStringLiteral("Volume given twice"));
            checkLength(fileName, line.number, QStringLiteral("volume"), value, volumeSize);
            p.volume = value;
        } else if (field.compare(u"Paragraphs", Qt::CaseInsensitive) == 0) {
            if (p.notice)
                fail(fileName, line.number, QStringLiteral("a notice has no Paragraphs"));
            if (p.paragraphs)
                fail(fileName, line.number, QStringLiteral("Paragraphs given twice"));
            p.paragraphs = parseParagraphs(fileName, line.number, value);
        } else if (field.compare(u"Also-in", Qt::CaseInsensitive) == 0) {
            if (p.notice)
                fail(fileName, line.number, QStringLiteral("a notice has no Also-in"));
            const qsizetype gap = value.indexOf(QRegularExpression(QStringLiteral("\\s")));
            const QString table = gap < 0 ? value : value.left(gap);
            const QString refs = gap < 0 ? QString() : value.mid(gap).trimmed();
            std::optional<std::size_t> target;
            for (std::size_t i = 0; i < sections.size(); ++i) {
                if (sections[i].table.compare(table, Qt::CaseInsensitive) == 0)
                    target = i;
            }
            if (!target)
                fail(fileName, line.number,
                     QStringLiteral("Also-in names %1, which sections.txt does not list").arg(table));
            if (*target == sectionIndex)
                fail(fileName, line.number,
                     QStringLiteral("Also-in names the record's own table %1; use Paragraphs")
                         .arg(table));
            if (refs.isEmpty())
                fail(fileName, line.number,
                     QStringLiteral("Also-in %1 lists no paragraphs").arg(table));
            for (const auto& entry : p.alsoIn) {
                if (entry.first == *target)
                    fail(fileName, line.number,
                         QStringLiteral("Also-in %1 given twice").arg(table));
            }
            p.alsoIn.emplace_back(*target, parseParagraphs(fileName, line.number, refs));
        } else {
            fail(fileName, line.number,
                 QStringLiteral("unknown field '%1' (expected Volume, Paragraphs or Also-in, "
                                "then a blank line before the text)")
                     .arg(field));
        }
    }
    finish();
}

Source readSource(const QString& folder)
{
    const QDir dir(folder);
    auto load = [&](const QString& name, const QString& refFile, int refLine) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            if (refLine > 0)
                fail(refFile, refLine, QStringLiteral("cannot read %1: %2")
                                           .arg(dir.filePath(name), f.errorString()));
            fail(dir.filePath(name), 0, QStringLiteral("cannot read: %1").arg(f.errorString()));
        }
        return f.readAll();
    };
    const QString listName = dir.filePath(QStringLiteral("sections.txt"));
    Source source;
    source.sections = parseSectionList(listName, load(QStringLiteral("sections.txt"), {}, 0));
    for (std::size_t i = 0; i < source.sections.size(); ++i) {
        const QString name = source.sections[i].table + QStringLiteral(".txt");
        const QByteArray data = load(name, listName, source.sections[i].listLine);
        parseSectionFile(dir.filePath(name), data, source.sections, i);
    }
    // Rows that other files aimed at a section arrive in file order, some
    // before the section's own; list the own rows first, as documented.
    for (Section& s : source.sections) {
        const QString own = s.suffix();
        std::stable_partition(s.index.begin(), s.index.end(),
                              [&](const IndexRow& r) { return r.section == own; });
    }
    return source;
}

jet::DatabaseDef toDatabase(const Source& source, const QString& password)
{
    using jet::ColumnType;
    jet::DatabaseDef db;
    db.password = password;

    jet::TableDef list{QStringLiteral("AuthorizedTablesTab"),
                       {{QStringLiteral("UserTableName"), ColumnType::Text, nameSize},
                        {QStringLiteral("dbTableName"), ColumnType::Text, nameSize}},
                       {}};
    for (const Section& s : source.sections)
        list.rows.push_back({s.name, s.table});
    db.tables.push_back(std::move(list));

    for (const Section& s : source.sections) {
        jet::TableDef records{s.table,
                              {{QStringLiteral("INTER_STR"), ColumnType::Text, identifierSize},
                               {QStringLiteral("INTER_TEXT"), ColumnType::Memo, 0},
                               {QStringLiteral("vol"), ColumnType::Text, volumeSize}},
                              {}};
        records.rows.reserve(s.interpretations.size() + 1);
        if (s.notice) {
            records.rows.push_back({QString::fromUtf16(noticeIdentifier), *s.notice,
                                    s.noticeVolume ? jet::CellValue(*s.noticeVolume)
                                                   : jet::CellValue()});
        }
        for (const Interpretation& i : s.interpretations)
            records.rows.push_back({i.identifier, i.text, i.volume});

        jet::TableDef index{QStringLiteral("INX") + s.suffix(),
                            {{QStringLiteral("reference"), ColumnType::Text, referenceSize},
                             {QStringLiteral("INTER_STR"), ColumnType::Text, identifierSize},
                             {QStringLiteral("section"), ColumnType::Text, 2}},
                            {}};
        index.rows.reserve(s.index.size());
        for (const IndexRow& r : s.index)
            index.rows.push_back({r.reference, r.identifier, r.section});

        db.tables.push_back(std::move(records));
        db.tables.push_back(std::move(index));
    }
    return db;
}

} // namespace orvane::mkdb
