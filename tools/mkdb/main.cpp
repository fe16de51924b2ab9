// orvane-int-mkdb: writes an interpretations database from a source folder,
// or a large generated one for benchmarks.

#include "db/Log.h"
#include "db/jet/JetWriter.h"
#include "tools/mkdb/SourceFormat.h"
#include "tools/mkdb/Synthetic.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLoggingCategory>
#include <QStringList>
#include <cstdio>

namespace {

constexpr auto defaultPassword = "tolvaren";

void printError(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

const char* const kUsage =
    "usage: orvane-int-mkdb SOURCE OUT.mdb [--password P]\n"
    "       orvane-int-mkdb --synthetic SECTIONS PER_SECTION SEED OUT.mdb [--password P]\n"
    "\n"
    "Writes an interpretations database OUT.mdb (Jet 3) from the source folder\n"
    "SOURCE, or a generated one of SECTIONS sections with PER_SECTION\n"
    "interpretations each (1 to 100000), drawn from the random SEED.\n"
    "\n"
    "  --password P   the database password (default: tolvaren)\n"
    "  --help         this text\n"
    "\n"
    "Exit status: 0 success; 1 error (the source cannot be read or the file\n"
    "cannot be written, reported on standard error); 2 usage error.\n";

int usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

bool toNumber(const QString& s, qulonglong& out)
{
    bool ok = false;
    out = s.toULongLong(&ok);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The tool prints its errors itself; the database layer's log repeats
    // them only when asked for (QT_LOGGING_RULES="orvane.db.debug=true").
    QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    QString password = QString::fromLatin1(defaultPassword);
    if (const qsizetype at = args.indexOf(QStringLiteral("--password")); at >= 0) {
        if (at + 1 >= args.size())
            return usage();
        password = args.at(at + 1);
        args.remove(at, 2);
    }
    const bool synthetic = !args.isEmpty() && args.front() == QStringLiteral("--synthetic");
    if (synthetic ? args.size() != 5 : args.size() != 2)
        return usage();

    using namespace orvane;
    const QString out = args.back();
    mkdb::Source source;
    if (synthetic) {
        qulonglong sections = 0, perSection = 0, seed = 0;
        if (!toNumber(args[1], sections) || !toNumber(args[2], perSection)
            || !toNumber(args[3], seed) || sections < 1
            || sections > qulonglong(mkdb::maxSyntheticSections) || perSection < 1
            || perSection > 100000) {
            printError(QStringLiteral("orvane-int-mkdb: SECTIONS must be 1 to %1, PER_SECTION 1 "
                                      "to 100000 and SEED a non-negative integer")
                           .arg(mkdb::maxSyntheticSections));
            return usage();
        }
        source = mkdb::syntheticSource(int(sections), int(perSection), seed);
    } else {
        try {
            source = mkdb::readSource(args[0]);
        } catch (const mkdb::SourceError& e) {
            printError(e.text());
            qCDebug(orvane::db::lcDb, "orvane-int-mkdb: %s", qUtf8Printable(e.text()));
            return 1;
        }
    }

    jet::DatabaseDef db = mkdb::toDatabase(source, password);
    if (synthetic) {
        // The catalog records when the tables were made; a fixed date keeps
        // generated files byte-identical from run to run.
        db.created = QDateTime(QDate(2014, 1, 6), QTime(0, 0), Qt::UTC);
    }
    try {
        jet::writeDatabase(out, db);
    } catch (const jet::WriteError& e) {
        printError(out + QStringLiteral(": ") + QString::fromUtf8(e.what()));
        qCDebug(orvane::db::lcDb, "orvane-int-mkdb: %s: %s", qUtf8Printable(out), e.what());
        return 1;
    }
    return 0;
}
