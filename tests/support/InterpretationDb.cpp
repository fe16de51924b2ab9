#include "InterpretationDb.h"

#include "db/jet/JetWriter.h"

namespace orvane::testing {

using jet::CellValue;
using jet::ColumnDef;
using jet::ColumnType;
using jet::TableDef;

QString interpretationText(const QString& id, const QString& subject, const QString& body)
{
    return QStringLiteral("Interpretation: %1\r\nSubject: %2\r\nDate Issued: March 14, 1989\r\n"
                          "File: BC88-%3\r\n\r\nQuestion: %4\r\n\r\nReply: Yes.\r\n")
        .arg(id, subject, QString::number(qHash(id) % 900 + 100), body);
}

static CellValue text(const QString& s, bool null = false)
{
    return null ? CellValue{} : CellValue{s};
}

QString writeInterpretationDb(const QString& path, const DbPlan& plan)
{
    jet::DatabaseDef db;
    db.password = plan.password;
    if (plan.withAuthorizedTables) {
        TableDef t;
        t.name = QStringLiteral("AuthorizedTablesTab");
        t.columns = {{QStringLiteral("UserTableName"), ColumnType::Text, 50},
                     {QStringLiteral("dbTableName"), ColumnType::Text, 50}};
        for (const Section& s : plan.sections)
            t.rows.push_back({text(s.userName), text(s.table)});
        for (const auto& [name, table] : plan.extraAuthorizedRows)
            t.rows.push_back({text(name), text(table)});
        db.tables.push_back(std::move(t));
    }
    for (const Section& s : plan.sections) {
        if (s.withTable) {
            TableDef t;
            t.name = s.table;
            t.columns = {{QStringLiteral("INTER_STR"), ColumnType::Text, 50},
                         {QStringLiteral("INTER_TEXT"), ColumnType::Memo, 0},
                         {QStringLiteral("vol"), ColumnType::Text, 10}};
            for (const Interpretation& r : s.rows)
                t.rows.push_back({text(r.id), text(r.text, r.nullText), text(r.vol, r.nullVol)});
            db.tables.push_back(std::move(t));
        }
        if (s.withIndex) {
            TableDef x;
            x.name = QStringLiteral("INX") + s.table.mid(3);
            x.columns = {{QStringLiteral("reference"), ColumnType::Text, 50},
                         {QStringLiteral("INTER_STR"), ColumnType::Text, 50},
                         {QStringLiteral("section"), ColumnType::Text, 2}};
            for (const IndexRow& r : s.index)
                x.rows.push_back({text(r.reference), text(r.id), text(r.section)});
            db.tables.push_back(std::move(x));
        }
    }
    jet::writeDatabase(path, db);
    return path;
}

DbPlan standardPlan()
{
    DbPlan plan;
    Section s8;
    s8.userName = QStringLiteral("Section VIII-1");
    s8.table = QStringLiteral("INT08");
    s8.rows = {
        {kNoticeId, QStringLiteral("Notice\r\nThese interpretations are for reference only.\r\n"), QString()},
        {QStringLiteral("VIII-1-89-01"),
         interpretationText(QStringLiteral("VIII-1-89-01"), QStringLiteral("UG-20, Design Temperature"),
                            QStringLiteral("May the design temperature be below the minimum metal temperature?")),
         QStringLiteral("24")},
        {QStringLiteral("VIII-1-89-02"),
         interpretationText(QStringLiteral("VIII-1-89-02"), QStringLiteral("UW-40, Postweld Heat Treatment"),
                            QStringLiteral("Is preheat required before postweld heat treatment of the nozzle weld?")),
         QStringLiteral("24")},
        {QStringLiteral("VIII-1-89-03"),
         interpretationText(QStringLiteral("VIII-1-89-03"), QStringLiteral("UG-99, Hydrostatic Test"),
                            QStringLiteral("Must the hydrostatic test pressure be held for one hour?")),
         QStringLiteral("25")},
    };
    s8.index = {{QStringLiteral("QW-406"), QStringLiteral("VIII-1-89-02"), QStringLiteral("08")},
                {QStringLiteral("QW-406.1"), QStringLiteral("VIII-1-89-02"), QStringLiteral("08")},
                {QStringLiteral("UG-20"), QStringLiteral("VIII-1-89-01"), QStringLiteral("08")},
                {QStringLiteral("UG-99"), QStringLiteral("VIII-1-89-03"), QStringLiteral("08")}};

    Section s9;
    s9.userName = QStringLiteral("Section IX");
    s9.table = QStringLiteral("INT09");
    const char* bodies[] = {
        "Is a minimum preheat temperature of 50°F required when welding P-No. 1 material?",
        "May the preheat be reduced when the minimum thickness is under 1 in.?",
        "Does a change in filler metal require requalification of the procedure?",
        "Is the minimum preheat an essential variable for the procedure qualification?",
        "May a welder qualified with one process weld production joints with another process?",
    };
    for (int i = 0; i < 5; ++i) {
        const QString id = QStringLiteral("IX-89-%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        s9.rows.push_back({id, interpretationText(id, QStringLiteral("QW-406, Preheat"), QString::fromUtf8(bodies[i])),
                           QStringLiteral("%1").arg(24 + i / 3)});
    }
    s9.index = {{QStringLiteral("QW-406"), QStringLiteral("IX-89-01"), QStringLiteral("09")},
                {QStringLiteral("QW-406"), QStringLiteral("IX-89-02"), QStringLiteral("09")},
                {QStringLiteral("QW-406"), QStringLiteral("IX-89-04"), QStringLiteral("09")},
                {QStringLiteral("QW-406.1"), QStringLiteral("IX-89-01"), QStringLiteral("09")},
                {QStringLiteral("QW-406.1"), QStringLiteral("IX-89-04"), QStringLiteral("09")},
                {QStringLiteral("QW-407"), QStringLiteral("IX-89-03"), QStringLiteral("09")},
                {QStringLiteral("QW-322"), QStringLiteral("IX-89-05"), QStringLiteral("09")},
                {QStringLiteral("QW-406"), QStringLiteral("VIII-1-89-02"), QStringLiteral("08")}};
    plan.sections = {s8, s9};
    return plan;
}

} // namespace orvane::testing
