// orvane-int-sql FILE "STATEMENT" [--password P]
//
// Runs one SELECT in the Jet dialect on a database file and prints the rows as
// tab-separated text under a header line of column names.

#include "db/Engine.h"

#include <QCoreApplication>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

const char* const kUsage =
    "usage: orvane-int-sql FILE \"STATEMENT\" [--password P]\n"
    "\n"
    "Runs one Jet SQL SELECT statement on the database FILE (opened read-only)\n"
    "and prints the result as tab-separated text: a header line with the column\n"
    "names, then one line per row.\n"
    "\n"
    "  --password P   the database password (default: none, which a protected\n"
    "                 file refuses with error 3031)\n"
    "  --help         this text\n"
    "\n"
    "Values: Null prints as an empty field. Inside a value a backslash prints\n"
    "as \\\\, a tab as \\t, a line feed as \\n and a carriage return as \\r, so\n"
    "every row is one line and every field one column.\n"
    "\n"
    "Exit status: 0 success; 1 error (the database or the statement failed,\n"
    "reported on standard error as \"error NNNN: message\" with the Jet error\n"
    "number); 2 usage error. Rows the file holds damaged are left out: the\n"
    "rows that read whole are printed, then error 3049 and status 1.\n";

QString escape(const QString& v)
{
    QString out;
    out.reserve(v.size());
    for (const QChar c : v) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

int usage(const char* problem)
{
    if (problem)
        std::fprintf(stderr, "orvane-int-sql: %s\n\n", problem);
    std::fputs(kUsage, stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The tool prints its errors itself, once; the database layer's log
    // (hidden by default) shows them too when asked for with
    // QT_LOGGING_RULES="orvane.db.info=true".
    QStringList args = app.arguments();
    args.removeFirst();

    QStringList positional;
    QString password;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == QLatin1String("--password")) {
            if (i + 1 >= args.size())
                return usage("--password needs a value");
            password = args[++i];
        } else if (a.startsWith(QLatin1String("--password="))) {
            password = a.mid(11);
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage("unknown option");
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2)
        return usage("expected a FILE and a STATEMENT");

    try {
        orvane::db::Workspace workspace;
        auto db = workspace.openDatabase(positional[0], false, true, QStringLiteral(";pwd=") + password);
        // Each row is printed as it is stepped: the tool holds one row at a
        // time, whatever the statement returns.
        auto writeLine = [](const QStringList& fields) {
            const QByteArray line = fields.join(QLatin1Char('\t')).toUtf8() + '\n';
            std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
        };
        const orvane::db::DamageReport damage = db->stream(
            positional[1],
            [&](const QStringList& columns) {
                QStringList header;
                for (const QString& c : columns)
                    header << escape(c);
                writeLine(header);
            },
            [&](const orvane::db::RowCells& row) {
                QStringList fields;
                for (const auto& cell : row)
                    fields << (cell ? escape(QString::fromUtf8(cell->data(), qsizetype(cell->size()))) : QString());
                writeLine(fields);
            });
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            std::fprintf(stderr, "orvane-int-sql: cannot write the rows: %s\n", std::strerror(errno));
            return 1;
        }
        // Rows the file holds damaged were left out: the rows above are
        // whole, but not all there is.
        if (!damage.empty())
            throw orvane::db::damageError(damage);
        return 0;
    } catch (const orvane::db::JetError& e) {
        std::fprintf(stderr, "error %d: %s\n", e.number(), e.message().toUtf8().constData());
        return 1;
    } catch (const std::bad_alloc&) {
        // Memory ran out outside the engine's ceiling (the rows printed).
        std::fprintf(stderr, "error %d: %s\n", int(orvane::db::kSystemResourceExceeded), "System resource exceeded.");
        return 1;
    }
}
