#include "BenchData.h"

#include <QRandomGenerator>
#include <QStringList>
#include <algorithm>
#include <iterator>

namespace orvane::bench {

namespace {

// Ordinary committee prose. None of these contains "minimum" or "preheat",
// so those words occur exactly where the generator puts them.
const char* const kWords[] = {
    "the", "of", "a", "shall", "be", "is", "in", "to", "and", "or", "not", "for", "with", "by", "as", "that",
    "weld", "welding", "welder", "procedure", "qualification", "qualified", "thickness",
    "base", "metal", "filler", "joint", "groove", "fillet", "position", "essential", "variable", "variables",
    "nonessential", "supplementary", "impact", "testing", "test", "coupon", "range", "permitted", "required",
    "requirements", "paragraph", "Section", "VIII", "IX", "Division", "1", "2", "table", "figure", "code",
    "edition", "addenda", "manufacturer", "contractor", "inspector", "record", "PQR", "WPS", "P-No.", "F-No.",
    "A-No.", "group", "material", "heat", "treatment", "postweld", "temperature", "interpass", "current",
    "voltage", "travel", "speed", "electrode", "diameter", "layer", "pass", "single", "multiple", "backing",
    "gas", "flux", "shielding", "tungsten", "arc", "process", "SMAW", "GTAW", "GMAW", "SAW", "FCAW",
    "vessel", "pressure", "boiler", "nozzle", "shell", "head", "flange", "pipe", "tube", "plate", "forging",
    "casting", "design", "stress", "allowable", "hydrostatic", "examination", "radiographic", "ultrasonic",
    "acceptance", "criteria", "repair", "alteration", "stamp", "certificate", "authorization", "intent",
    "committee", "inquiry", "revision", "applies", "applicable", "whether", "when", "where", "may", "must",
    "each", "any", "all", "this", "those", "which", "above", "below", "between", "within", "under", "over",
    "°F", "°C", "±", "§", "résumé", "café", "€", "½", "in.", "mm", "ksi", "MPa", "ft-lb", "J",
};

const char* const kMonths[] = {"January", "February", "March", "April", "May", "June", "July",
                               "August", "September", "October", "November", "December"};

QString word(QRandomGenerator& rng)
{
    return QString::fromUtf8(kWords[rng.bounded(int(std::size(kWords)))]);
}

// About `length` characters of prose, with `extra` words dropped in at
// random places.
QString prose(QRandomGenerator& rng, int length, const QStringList& extra)
{
    QStringList words;
    int size = 0;
    while (size < length) {
        words << word(rng);
        size += int(words.back().size()) + 1;
    }
    for (const QString& e : extra)
        words.insert(rng.bounded(int(words.size()) + 1), e);
    QString s;
    s.reserve(size + 64);
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i)
            s += rng.bounded(14) == 0 ? QLatin1Char('\n') : QLatin1Char(' ');
        s += words[i];
    }
    return s;
}

QStringList paragraphsOf(QRandomGenerator& rng)
{
    QStringList refs;
    if (rng.bounded(10) == 0)
        refs << QStringLiteral("QW-406");
    const int more = 1 + int(rng.bounded(3));
    while (refs.size() < more + (refs.isEmpty() ? 0 : 1)) {
        const int n = 400 + int(rng.bounded(90));
        if (n == 406)
            continue;   // QW-406 only where chosen above
        QString ref = QStringLiteral("QW-%1").arg(n);
        if (rng.bounded(3) == 0)
            ref += QStringLiteral(".%1").arg(1 + rng.bounded(9));
        if (!refs.contains(ref))
            refs << ref;
    }
    return refs;
}

QString interpretationText(QRandomGenerator& rng, const QString& id, const QStringList& refs)
{
    QStringList topical;
    if (rng.bounded(20) == 0)
        topical << QStringLiteral("minimum preheat");
    if (rng.bounded(5) == 0)
        topical << (rng.bounded(2) ? QStringLiteral("minimum") : QStringLiteral("Minimum"));
    if (rng.bounded(8) == 0)
        topical << (rng.bounded(2) ? QStringLiteral("preheat") : QStringLiteral("PREHEAT"));

    const QString date = QStringLiteral("%1 %2, %3")
                             .arg(QLatin1String(kMonths[rng.bounded(12)]))
                             .arg(1 + rng.bounded(28))
                             .arg(1975 + rng.bounded(40));
    QString text;
    text.reserve(2300);
    text += QStringLiteral("Interpretation: ") + id + QLatin1Char('\n');
    text += QStringLiteral("Subject: ") + refs.join(QStringLiteral(", ")) + QLatin1String("; ")
          + prose(rng, 40, {}) + QLatin1Char('\n');
    text += QStringLiteral("Date Issued: ") + date + QLatin1Char('\n');
    text += QStringLiteral("File: BC%1-%2\n").arg(rng.bounded(100), 2, 10, QLatin1Char('0')).arg(rng.bounded(1000), 3, 10, QLatin1Char('0'));
    text += QStringLiteral("Question: ") + prose(rng, 1000 + int(rng.bounded(300)), topical) + QLatin1Char('\n');
    text += QStringLiteral("Reply: ") + (rng.bounded(2) ? QStringLiteral("Yes. ") : QStringLiteral("No. "))
          + prose(rng, 500 + int(rng.bounded(300)), {});
    return text;
}

} // namespace

QString sectionTable(int section)
{
    return QStringLiteral("INT%1").arg(section, 2, 10, QLatin1Char('0'));
}

QString indexTable(int section)
{
    return QStringLiteral("INX%1").arg(section, 2, 10, QLatin1Char('0'));
}

QString interpretationId(int section, int row)
{
    return QStringLiteral("%1-%2").arg(section).arg(row, 5, 10, QLatin1Char('0'));
}

jet::DatabaseDef syntheticDatabase(const SyntheticShape& shape)
{
    using jet::ColumnType;
    QRandomGenerator rng(shape.seed);
    jet::DatabaseDef db;
    db.password = QLatin1String(kPassword);
    jet::TableDef authorized{QStringLiteral("AuthorizedTablesTab"),
                             {{QStringLiteral("UserTableName"), ColumnType::Text, 50},
                              {QStringLiteral("dbTableName"), ColumnType::Text, 10}},
                             {}};
    const int noticeSection = std::clamp(shape.noticeSection, 1, std::max(1, shape.sections));
    for (int s = 1; s <= shape.sections; ++s) {
        const QString suffix = QStringLiteral("%1").arg(s, 2, 10, QLatin1Char('0'));
        authorized.rows.push_back({QStringLiteral("Section %1").arg(s), sectionTable(s)});
        jet::TableDef interpretations{sectionTable(s),
                                      {{QStringLiteral("INTER_STR"), ColumnType::Text, 20},
                                       {QStringLiteral("INTER_TEXT"), ColumnType::Memo},
                                       {QStringLiteral("vol"), ColumnType::Text, 10}},
                                      {}};
        jet::TableDef index{indexTable(s),
                            {{QStringLiteral("reference"), ColumnType::Text, 50},
                             {QStringLiteral("INTER_STR"), ColumnType::Text, 20},
                             {QStringLiteral("section"), ColumnType::Text, 2}},
                            {}};
        interpretations.rows.reserve(std::size_t(shape.rowsPerSection) + 1);
        for (int r = 0; r < shape.rowsPerSection; ++r) {
            const QString id = interpretationId(s, r);
            const QStringList refs = paragraphsOf(rng);
            interpretations.rows.push_back({id, interpretationText(rng, id, refs), QString::number(1 + r % 60)});
            for (const QString& ref : refs)
                index.rows.push_back({ref, id, suffix});
        }
        if (s == noticeSection) {
            interpretations.rows.push_back(
                {QLatin1String(kNoticeId),
                 QStringLiteral("This database is provided for reference. Interpretations are not part "
                                "of the Code and do not approve any design."),
                 QString()});
        }
        db.tables.push_back(std::move(interpretations));
        db.tables.push_back(std::move(index));
    }
    db.tables.insert(db.tables.begin(), std::move(authorized));
    return db;
}

} // namespace orvane::bench
