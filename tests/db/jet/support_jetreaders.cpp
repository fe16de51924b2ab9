#include "support_jetreaders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <map>

namespace orvane::jet::test {

namespace {

using Cell = std::optional<QString>;
using Rows = std::vector<std::vector<Cell>>;

QString jsDir()
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/tests/js");
}

QProcessEnvironment utf8Environment()
{
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return env;
}

// Runs a program to completion; stdout on success, nullopt and `error` otherwise.
std::optional<QByteArray> run(const QString& program, const QStringList& args, QString* error, int timeoutMs = 120000)
{
    QProcess p;
    p.setProcessEnvironment(utf8Environment());
    p.start(program, args);
    if (!p.waitForStarted(timeoutMs)) {
        *error = QStringLiteral("%1 did not start: %2").arg(program, p.errorString());
        return std::nullopt;
    }
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        *error = QStringLiteral("%1 did not finish").arg(program);
        return std::nullopt;
    }
    const QByteArray out = p.readAllStandardOutput();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QStringLiteral("%1 %2 failed (%3): %4")
                     .arg(program, args.join(QLatin1Char(' ')))
                     .arg(p.exitCode())
                     .arg(QString::fromUtf8(p.readAllStandardError()).trimmed());
        return std::nullopt;
    }
    return out;
}

// RFC 4180 as mdb-export writes it: quotes doubled inside quoted fields. An
// unquoted empty field is NULL (mdb-export also writes empty text that way).
Rows parseCsv(const QString& text, QStringList* header)
{
    Rows rows;
    std::vector<Cell> row;
    QString field;
    bool quoted = false, wasQuoted = false, inQuotes = false, any = false;
    auto endField = [&] {
        row.push_back(wasQuoted || !field.isEmpty() ? Cell(field) : Cell());
        field.clear();
        wasQuoted = quoted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        any = true;
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty() && !wasQuoted) {
            inQuotes = wasQuoted = quoted = true;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\n')) {
            endField();
            rows.push_back(std::move(row));
            row.clear();
            any = false;
        } else {
            field += c;
        }
    }
    if (any) {
        endField();
        rows.push_back(std::move(row));
    }
    if (header && !rows.empty()) {
        header->clear();
        for (const Cell& c : rows.front())
            header->append(c.value_or(QString()));
        rows.erase(rows.begin());
    }
    return rows;
}

Cell expectedExport(const CellValue& v, ColumnType type)
{
    if (type == ColumnType::Bool) {
        bool on = false;
        if (const bool* b = std::get_if<bool>(&v))
            on = *b;
        else if (const qint64* n = std::get_if<qint64>(&v))
            on = *n != 0;
        return on ? QStringLiteral("1") : QStringLiteral("0");
    }
    if (const QString* s = std::get_if<QString>(&v))
        return s->isEmpty() ? Cell() : Cell(*s);
    if (const qint64* n = std::get_if<qint64>(&v)) {
        if (type == ColumnType::Double)
            return QString::asprintf("%.16g", double(*n));
        return QString::number(*n);
    }
    if (const double* d = std::get_if<double>(&v))
        return QString::asprintf("%.16g", *d);
    if (const QDateTime* dt = std::get_if<QDateTime>(&v))
        return dt->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return Cell();
}

QString show(const Cell& c)
{
    if (!c)
        return QStringLiteral("NULL/empty");
    if (c->size() > 80)
        return QStringLiteral("\"%1...\" (%2 characters)").arg(c->left(60)).arg(c->size());
    return QLatin1Char('"') + *c + QLatin1Char('"');
}

QString showJson(const QJsonValue& v)
{
    QString s = QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact));
    s = s.mid(1, s.size() - 2);
    if (s.size() > 80)
        s = s.left(60) + QStringLiteral("... (%1 characters)").arg(s.size());
    return s;
}

QJsonValue expectedJson(const CellValue& v, ColumnType type)
{
    if (type == ColumnType::Bool) {
        if (const bool* b = std::get_if<bool>(&v))
            return *b;
        if (const qint64* n = std::get_if<qint64>(&v))
            return *n != 0;
        return false;
    }
    if (const QString* s = std::get_if<QString>(&v))
        return *s;
    if (const qint64* n = std::get_if<qint64>(&v))
        return double(*n);
    if (const double* d = std::get_if<double>(&v))
        return *d;
    if (const QDateTime* dt = std::get_if<QDateTime>(&v))
        return QJsonObject{{QStringLiteral("date"), dt->toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"))}};
    return QJsonValue::Null;
}

quint16 u16(const QByteArray& d, qsizetype at)
{
    return quint16(quint8(d[at]) | quint8(d[at + 1]) << 8);
}
quint32 u32(const QByteArray& d, qsizetype at)
{
    return quint32(u16(d, at)) | quint32(u16(d, at + 2)) << 16;
}

} // namespace

QString mdbExportMissing()
{
    if (QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty())
        return QStringLiteral("mdb-export (Debian package mdbtools) is not installed");
    if (QStandardPaths::findExecutable(QStringLiteral("mdb-tables")).isEmpty())
        return QStringLiteral("mdb-tables (Debian package mdbtools) is not installed");
    return {};
}

QString mdbReaderMissing()
{
    if (QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty())
        return QStringLiteral("node is not installed");
    if (!QFileInfo::exists(jsDir() + QStringLiteral("/node_modules/mdb-reader/package.json")))
        return QStringLiteral("the npm package mdb-reader is not installed in tests/js (npm install there)");
    return {};
}

QString compareWithMdbExport(const QString& path, const DatabaseDef& db)
{
    QString error;
    const auto listing = run(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), path}, &error);
    if (!listing)
        return error;
    QStringList names = QString::fromUtf8(*listing).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList expectedNames;
    for (const TableDef& t : db.tables)
        expectedNames << t.name;
    if (names != expectedNames)
        return QStringLiteral("mdb-tables lists [%1], expected [%2]").arg(names.join(QLatin1Char(',')), expectedNames.join(QLatin1Char(',')));

    for (const TableDef& t : db.tables) {
        const auto out = run(QStringLiteral("mdb-export"),
                             {QStringLiteral("-T"), QStringLiteral("%Y-%m-%d %H:%M:%S"), path, t.name}, &error);
        if (!out)
            return error;
        QStringList header;
        const Rows rows = parseCsv(QString::fromUtf8(*out), &header);
        QStringList expectedHeader;
        for (const ColumnDef& c : t.columns)
            expectedHeader << c.name;
        if (header != expectedHeader)
            return QStringLiteral("mdb-export %1: columns [%2], expected [%3]")
                .arg(t.name, header.join(QLatin1Char(',')), expectedHeader.join(QLatin1Char(',')));
        if (rows.size() != t.rows.size())
            return QStringLiteral("mdb-export %1: %2 rows, expected %3").arg(t.name).arg(rows.size()).arg(t.rows.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            if (rows[r].size() != t.columns.size())
                return QStringLiteral("mdb-export %1 row %2: %3 fields").arg(t.name).arg(r + 1).arg(rows[r].size());
            for (size_t c = 0; c < t.columns.size(); ++c) {
                const Cell want = expectedExport(t.rows[r][c], t.columns[c].type);
                if (rows[r][c] != want)
                    return QStringLiteral("mdb-export %1 row %2 column %3: got %4, expected %5")
                        .arg(t.name).arg(r + 1).arg(t.columns[c].name, show(rows[r][c]), show(want));
            }
        }
    }
    return {};
}

QJsonObject mdbReaderDump(const QString& path, QString* error)
{
    const auto out = run(QStringLiteral("node"), {jsDir() + QStringLiteral("/dump.js"), path}, error);
    if (!out)
        return {};
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(*out, &pe);
    if (!doc.isObject()) {
        *error = QStringLiteral("dump.js printed no JSON object: %1").arg(pe.errorString());
        return {};
    }
    return doc.object();
}

QString compareWithMdbReader(const QString& path, const DatabaseDef& db)
{
    QString error;
    const QJsonObject dump = mdbReaderDump(path, &error);
    if (dump.isEmpty())
        return error;

    const QJsonValue password = dump.value(QStringLiteral("password"));
    const QJsonValue wantPassword = db.password.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(db.password);
    if (password != wantPassword)
        return QStringLiteral("mdb-reader password %1, expected %2").arg(showJson(password), showJson(wantPassword));

    const QJsonArray tables = dump.value(QStringLiteral("tables")).toArray();
    if (size_t(tables.size()) != db.tables.size())
        return QStringLiteral("mdb-reader lists %1 tables, expected %2").arg(tables.size()).arg(db.tables.size());
    for (size_t i = 0; i < db.tables.size(); ++i) {
        const TableDef& t = db.tables[i];
        const QJsonObject table = tables[qsizetype(i)].toObject();
        if (table.value(QStringLiteral("name")).toString() != t.name)
            return QStringLiteral("mdb-reader table %1 is named %2, expected %3")
                .arg(i + 1).arg(table.value(QStringLiteral("name")).toString(), t.name);
        const QJsonArray columns = table.value(QStringLiteral("columns")).toArray();
        if (size_t(columns.size()) != t.columns.size())
            return QStringLiteral("mdb-reader %1: %2 columns, expected %3").arg(t.name).arg(columns.size()).arg(t.columns.size());
        for (size_t c = 0; c < t.columns.size(); ++c) {
            const QString name = columns[qsizetype(c)].toObject().value(QStringLiteral("name")).toString();
            if (name != t.columns[c].name)
                return QStringLiteral("mdb-reader %1 column %2 is named %3, expected %4").arg(t.name).arg(c + 1).arg(name, t.columns[c].name);
        }
        const QJsonArray rows = table.value(QStringLiteral("rows")).toArray();
        if (size_t(rows.size()) != t.rows.size())
            return QStringLiteral("mdb-reader %1: %2 rows, expected %3").arg(t.name).arg(rows.size()).arg(t.rows.size());
        for (size_t r = 0; r < t.rows.size(); ++r) {
            const QJsonArray row = rows[qsizetype(r)].toArray();
            for (size_t c = 0; c < t.columns.size(); ++c) {
                const QJsonValue got = row[qsizetype(c)];
                const QJsonValue want = expectedJson(t.rows[r][c], t.columns[c].type);
                if (got != want)
                    return QStringLiteral("mdb-reader %1 row %2 column %3: got %4, expected %5")
                        .arg(t.name).arg(r + 1).arg(t.columns[c].name, showJson(got), showJson(want));
            }
        }
    }
    return {};
}

std::vector<RawTable> rawTables(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray d = f.readAll();
    constexpr int kPage = 2048;
    auto page = [&](quint32 n) { return d.mid(qsizetype(n) * kPage, kPage); };
    // The bytes of the row a pointer names.
    auto row = [&](quint32 ptr) {
        const QByteArray p = page(ptr >> 8);
        const int r = ptr & 0xFF;
        if (p.size() < kPage || r >= u16(p, 8))
            return QByteArray();
        const int start = u16(p, 10 + 2 * r) & 0x1FFF;
        const int end = r == 0 ? kPage : u16(p, 10 + 2 * (r - 1)) & 0x1FFF;
        return p.mid(start, end - start);
    };

    std::map<quint32, RawTable> byOwner;
    for (quint32 n = 3; qsizetype(n) * kPage < d.size(); ++n) {
        const QByteArray p = page(n);
        const quint32 owner = u32(p, 4);
        if (p[0] != 0x01 || owner < 2 || owner == 0x4C41564C)
            continue; // not a table's data page (long values, maps, page 1)
        RawTable& t = byOwner[owner];
        t.definitionPage = owner;
        const int count = u16(p, 8);
        int end = kPage;
        for (int r = 0; r < count; ++r) {
            const int start = u16(p, 10 + 2 * r) & 0x1FFF;
            t.rowLengths.push_back(end - start);
            end = start;
        }
    }
    std::vector<RawTable> out;
    for (auto& [owner, t] : byOwner) {
        const QByteArray def = page(owner);
        const QByteArray usage = row(u32(def, 35));
        const QByteArray free = row(u32(def, 39));
        t.usageMapType = usage.isEmpty() ? -1 : quint8(usage[0]);
        t.freeMapType = free.isEmpty() ? -1 : quint8(free[0]);
        out.push_back(std::move(t));
    }
    return out;
}

} // namespace orvane::jet::test
