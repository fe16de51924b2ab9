// jetreader_export FILE [TABLE]
//
// Without TABLE: the user tables of FILE, one a line. With it: the table as
// CSV in the form mdb-export writes (header line, text, memo, dates, binary
// and GUID values in double quotes with quotes doubled, NULL as nothing),
// dates "MM/DD/YY hh:mm:ss", so that scripts/compare-with-mdb-export.py can
// set the reader beside that oracle. Exit status 1 on a ReadError, 3 when
// rows were left out as damaged.

#include "db/jet/JetReader.h"

#include <iostream>

using namespace orvane::jet;

namespace {

class Csv : public TableSink {
public:
    void columns(const std::string&, const std::vector<Column>& cols) override
    {
        cols_ = cols;
        for (std::size_t i = 0; i < cols.size(); ++i)
            std::cout << (i ? "," : "") << cols[i].name;
        std::cout << "\n";
    }
    void row(const Cell* cells, std::size_t n) override
    {
        for (std::size_t i = 0; i < n; ++i) {
            if (i)
                std::cout << ',';
            if (cells[i].null)
                continue;
            const int t = cols_[i].type;
            const bool quoted = t == kTypeText || t == kTypeMemo || t == kTypeDateTime || t == kTypeOle
                || t == kTypeBinary || t == kTypeGuid;
            if (!quoted) {
                std::cout << cells[i].view();
                continue;
            }
            std::cout << '"';
            for (const char ch : cells[i].view())
                std::cout << (ch == '"' ? "\"\"" : std::string(1, ch));
            std::cout << '"';
        }
        std::cout << "\n";
    }

private:
    std::vector<Column> cols_;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: jetreader_export FILE [TABLE]\n";
        return 2;
    }
    try {
        const auto db = Database::open(pathFromUtf8(argv[1]));
        if (argc == 2) {
            for (const std::string& name : db->tableNames())
                std::cout << name << "\n";
            return 0;
        }
        Csv csv;
        const TableReport r = db->readTable(argv[2], csv);
        if (r.damaged) {
            std::cerr << "error 3049: " << r.damage << " Damaged rows left out: " << r.damaged << ".\n";
            return 3;
        }
        return 0;
    } catch (const ReadError& e) {
        std::cerr << "error " << e.number() << ": " << e.what() << "\n";
        return 1;
    }
}
