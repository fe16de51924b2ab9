// Writes a database shaped like the full interpretation file: 12 sections of
// 2,500 interpretations with ~2 KB texts, each with a paragraph index, and
// prints how long writing took. Run under /usr/bin/time -v for peak memory:
//   bench_jetwriter OUT.mdb [SECTIONS] [ROWS]

#include "db/jet/JetWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cstdio>

using namespace orvane::jet;

namespace {

QString paragraphText(QRandomGenerator& rng, int length)
{
    static const char* const words[] = {"preheat", "weld", "procedure", "qualification", "QW-406.1", "°F", "±",
                                         "shall", "be", "the", "of", "Reply:", "Question:", "Yes.", "No.",
                                         "thickness", "é", "§", "€", "interpretation", "Section", "VIII"};
    QString s;
    s.reserve(length + 20);
    while (s.size() < length) {
        s += QString::fromUtf8(words[rng.bounded(int(std::size(words)))]);
        s += rng.bounded(12) == 0 ? QLatin1Char('\n') : QLatin1Char(' ');
    }
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.mdb [SECTIONS] [ROWS]\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const int sections = argc > 2 ? std::atoi(argv[2]) : 12;
    const int rows = argc > 3 ? std::atoi(argv[3]) : 2500;

    QRandomGenerator rng(2014);
    DatabaseDef db;
    db.password = QStringLiteral("tolvaren");
    TableDef authorized{QStringLiteral("AuthorizedTablesTab"),
                        {{QStringLiteral("UserTableName"), ColumnType::Text, 50}, {QStringLiteral("dbTableName"), ColumnType::Text, 10}},
                        {}};
    for (int s = 1; s <= sections; ++s) {
        const QString suffix = QStringLiteral("%1").arg(s, 2, 10, QLatin1Char('0'));
        authorized.rows.push_back({QStringLiteral("Section %1").arg(s), QStringLiteral("INT") + suffix});
        TableDef interpretations{QStringLiteral("INT") + suffix,
                                 {{QStringLiteral("INTER_STR"), ColumnType::Text, 20},
                                  {QStringLiteral("INTER_TEXT"), ColumnType::Memo},
                                  {QStringLiteral("vol"), ColumnType::Text, 10}},
                                 {}};
        TableDef index{QStringLiteral("INX") + suffix,
                       {{QStringLiteral("reference"), ColumnType::Text, 50},
                        {QStringLiteral("INTER_STR"), ColumnType::Text, 20},
                        {QStringLiteral("section"), ColumnType::Text, 2}},
                       {}};
        for (int r = 0; r < rows; ++r) {
            const QString id = QStringLiteral("%1-%2").arg(s).arg(r, 5, 10, QLatin1Char('0'));
            interpretations.rows.push_back({id, paragraphText(rng, 1800 + int(rng.bounded(400))), QString::number(1 + r % 60)});
            index.rows.push_back({QStringLiteral("QW-%1").arg(400 + r % 90), id, suffix});
        }
        db.tables.push_back(std::move(interpretations));
        db.tables.push_back(std::move(index));
    }
    db.tables.insert(db.tables.begin(), std::move(authorized));

    QElapsedTimer timer;
    timer.start();
    try {
        writeDatabase(out, db);
    } catch (const WriteError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("wrote %s: %.1f MB in %.2f s\n", qPrintable(out), QFileInfo(out).size() / 1048576.0,
                timer.elapsed() / 1000.0);
    return 0;
}
