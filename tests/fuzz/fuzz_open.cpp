// Opens arbitrary bytes as a database and reads every table of its catalog,
// system tables included, the way the engine loads them: every value of
// every row that reads whole is touched. A ReadError is the expected answer
// to damaged input, and so is a damaged row counted in the report; a crash,
// a hang, a sanitizer report or any other exception is a fault.

#include "db/jet/JetReader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace orvane::jet;

// Sums the bytes of every value so that none is left unread.
class Toucher : public TableSink {
public:
    void columns(const std::string& table, const std::vector<Column>& columns) override
    {
        sum_ += table.size() + columns.size();
    }
    void row(const Cell* cells, std::size_t count) override
    {
        for (std::size_t i = 0; i < count; ++i)
            for (std::size_t k = 0; k < cells[i].size; ++k)
                sum_ += static_cast<unsigned char>(cells[i].data[k]);
    }
    std::size_t sum() const { return sum_; }

private:
    std::size_t sum_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::unique_ptr<Database> db;
    try {
        db = Database::fromBytes(std::vector<std::uint8_t>(data, data + size), "fuzz.mdb");
    } catch (const ReadError&) {
        return 0;
    }
    Toucher toucher;
    for (const std::string& name : db->allTableNames()) {
        try {
            db->readTable(name, toucher);
        } catch (const ReadError&) {
            // one damaged table does not stop the others
        }
    }
    volatile std::size_t keep = toucher.sum();
    (void)keep;
    return 0;
}
