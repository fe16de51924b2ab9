// Writes the fuzzer's seed databases into the folder given on the command
// line: small files from our own writer, each reaching a different part of
// the reader (empty catalog, every column type and NULLs, memo values in the
// row, on one long-value page and chained across pages, rows over several
// data pages, a password). Small seeds keep the fuzzer's mutations dense.

#include "db/jet/JetWriter.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace orvane::jet;

namespace {

QDateTime at(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0)
{
    return QDateTime(QDate(y, m, d), QTime(hh, mm, ss), Qt::UTC);
}

TableDef everyType()
{
    TableDef t;
    t.name = QStringLiteral("Kinds");
    t.columns = {
        {QStringLiteral("Flag"), ColumnType::Bool},
        {QStringLiteral("Small"), ColumnType::Int},
        {QStringLiteral("Id"), ColumnType::Long},
        {QStringLiteral("Ratio"), ColumnType::Double},
        {QStringLiteral("When"), ColumnType::DateTime},
        {QStringLiteral("Title"), ColumnType::Text, 20},
        {QStringLiteral("Body"), ColumnType::Memo},
    };
    t.rows.push_back({true, qint64(-7), qint64(2147483647), 0.5, at(1997, 3, 1, 12, 30),
                      QStringLiteral("caf\u00e9 \u20ac"), QStringLiteral("short memo")});
    t.rows.push_back({false, std::monostate{}, std::monostate{}, std::monostate{}, std::monostate{},
                      std::monostate{}, std::monostate{}});
    t.rows.push_back({true, qint64(1), qint64(2), -1e300, at(1899, 12, 30), QString(),
                      QString(300, QChar(u'm'))}); // one long-value row
    t.rows.push_back({false, qint64(2), qint64(3), 3.0, at(2038, 1, 19, 3, 14, 7),
                      QStringLiteral("x"), QString(5000, QChar(u'c'))}); // chained over pages
    return t;
}

TableDef manyRows()
{
    TableDef t;
    t.name = QStringLiteral("Lines");
    t.columns = {{QStringLiteral("N"), ColumnType::Long},
                 {QStringLiteral("Text"), ColumnType::Text, 100}};
    for (int i = 0; i < 120; ++i)
        t.rows.push_back({qint64(i), QStringLiteral("line %1 of the table").arg(i)});
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const QDateTime created = at(2001, 5, 4, 10, 0);
    try {
        writeDatabase(out.filePath(QStringLiteral("empty.mdb")), {QString(), {}, created});
        writeDatabase(out.filePath(QStringLiteral("kinds.mdb")), {QString(), {everyType()}, created});
        writeDatabase(out.filePath(QStringLiteral("lines.mdb")), {QString(), {manyRows()}, created});
        writeDatabase(out.filePath(QStringLiteral("password.mdb")),
                      {QStringLiteral("s\u00e9same"), {everyType()}, created});
    } catch (const WriteError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
