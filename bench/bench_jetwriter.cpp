// Writes a database shaped like the full interpretation file: 12 sections of
// 2,500 interpretations with ~2 KB texts, each with a paragraph index, and
// prints how long writing took. Run under /usr/bin/time -v for peak memory:
//   bench_jetwriter OUT.mdb [SECTIONS] [ROWS]

#include "BenchData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.mdb [SECTIONS] [ROWS]\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    orvane::bench::SyntheticShape shape;
    if (argc > 2)
        shape.sections = std::atoi(argv[2]);
    if (argc > 3)
        shape.rowsPerSection = std::atoi(argv[3]);
    const orvane::jet::DatabaseDef db = orvane::bench::syntheticDatabase(shape);

    QElapsedTimer timer;
    timer.start();
    try {
        orvane::jet::writeDatabase(out, db);
    } catch (const orvane::jet::WriteError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("wrote %s: %.1f MB in %.2f s\n", qPrintable(out), QFileInfo(out).size() / 1048576.0,
                timer.elapsed() / 1000.0);
    return 0;
}
