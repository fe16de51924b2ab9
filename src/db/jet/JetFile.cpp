#include "db/jet/JetFile.h"

#include "db/jet/JetError.h"

#include <QByteArrayView>
#include <QHash>
#include <QMutex>
#include <QStringDecoder>

namespace orvane::jet {

namespace {

std::filesystem::path nativePath(const QString& path)
{
    return pathFromUtf8(path.toStdString());
}

// A single-byte code page through Qt's codecs.
class QtDecoder : public CodePageDecoder {
public:
    explicit QtDecoder(QByteArray name) : name_(std::move(name)) {}
    void appendUtf8(const std::uint8_t* bytes, std::size_t size, std::string& out) const override
    {
        QStringDecoder dec(name_.constData());
        const QString s = dec(QByteArrayView(reinterpret_cast<const char*>(bytes), qsizetype(size)));
        out += s.toStdString();
    }

private:
    QByteArray name_;
};

HeaderInfo toHeaderInfo(const Header& h)
{
    HeaderInfo info;
    info.version = h.version;
    info.pageSize = h.pageSize;
    info.codePage = h.codePage;
    info.password = QString::fromStdString(h.password);
    return info;
}

// Collects a table as QStrings.
class Collector : public TableSink {
public:
    explicit Collector(TableData& data) : data_(data) {}
    void columns(const std::string& table, const std::vector<Column>& columns) override
    {
        data_.name = QString::fromStdString(table);
        for (const Column& c : columns) {
            data_.columns << QString::fromStdString(c.name);
            data_.columnTypes.push_back(c.type);
        }
    }
    void row(const Cell* cells, std::size_t count) override
    {
        std::vector<std::optional<QString>> r;
        r.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            if (cells[i].null)
                r.emplace_back(std::nullopt);
            else
                r.emplace_back(QString::fromUtf8(cells[i].data, qsizetype(cells[i].size)));
        }
        data_.rows.push_back(std::move(r));
    }

private:
    TableData& data_;
};

} // namespace

JetError toJetError(const ReadError& e)
{
    return JetError(e.number(), QString::fromUtf8(e.what()));
}

const CodePageDecoder* qtCodePageDecoder(int codePage)
{
    if (codePage == 0 || codePage == 1252)
        return nullptr;
    static QMutex mutex;
    static QHash<int, const CodePageDecoder*> decoders; // kept for the life of the program
    const QMutexLocker lock(&mutex);
    if (const auto it = decoders.constFind(codePage); it != decoders.constEnd())
        return it.value();
    const QByteArray name = QStringLiteral("windows-%1").arg(codePage).toLatin1();
    const CodePageDecoder* d = QStringDecoder(name.constData()).isValid() ? new QtDecoder(name) : nullptr;
    decoders.insert(codePage, d);
    return d;
}

HeaderInfo readHeader(const QString& path)
{
    try {
        // The code page is only known once page 0 is read: a password in
        // another code page is decoded on a second pass.
        Header h = jet::readHeader(nativePath(path));
        if (const CodePageDecoder* d = qtCodePageDecoder(h.codePage))
            h = jet::readHeader(nativePath(path), d);
        return toHeaderInfo(h);
    } catch (const ReadError& e) {
        throw toJetError(e);
    }
}

bool passwordAccepts(const HeaderInfo& header, const QString& candidate)
{
    return header.password.isEmpty() || candidate == header.password;
}

JetFile::JetFile(const QString& path)
{
    header_ = readHeader(path);
    try {
        db_ = Database::open(nativePath(path), qtCodePageDecoder(header_.codePage));
    } catch (const ReadError& e) {
        throw toJetError(e);
    }
}

JetFile::~JetFile() = default;

const HeaderInfo& JetFile::header() const
{
    return header_;
}

QStringList JetFile::tableNames() const
{
    QStringList names;
    for (const std::string& n : db_->tableNames())
        names << QString::fromStdString(n);
    return names;
}

TableReport JetFile::streamTable(const QString& name, TableSink& sink)
{
    try {
        return db_->readTable(name.toStdString(), sink);
    } catch (const ReadError& e) {
        throw toJetError(e);
    }
}

TableData JetFile::readTable(const QString& name)
{
    TableData data;
    Collector collector(data);
    const TableReport report = streamTable(name, collector);
    data.name = QString::fromStdString(report.name);
    data.damagedRows = report.damaged;
    data.damage = QString::fromStdString(report.damage);
    return data;
}

} // namespace orvane::jet
