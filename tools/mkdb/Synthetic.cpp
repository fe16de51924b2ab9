#include "tools/mkdb/Synthetic.h"

#include <array>

namespace orvane::mkdb {

namespace {

// splitmix64: tiny, fast and the same on every platform, unlike the standard
// library's distributions.
class Random {
public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    template <typename T, std::size_t N>
    const T& pick(const std::array<T, N>& a) { return a[below(int(N))]; }

private:
    quint64 m_state;
};

using Words = std::array<const char*, 8>;

const std::array<const char*, 12> codeNames = {
    "I", "II", "III", "IV", "V", "VI", "VII", "VIII-1", "VIII-2", "IX", "X", "XI"};

constexpr int sectionIX = 9;

const std::array<const char*, 12> months = {
    "January", "February", "March", "April", "May", "June",
    "July", "August", "September", "October", "November", "December"};

// Paragraph families, one per section; section 9's welding paragraphs are
// the ones benchmarks search for.
const std::array<std::array<const char*, 6>, 12> paragraphFamilies = {{
    {"PG-5", "PG-27", "PW-11", "PW-39", "PG-99", "PFT-12"},
    {"SA-20", "SA-516", "SA-240", "SA-106", "SB-167", "SFA-5.1"},
    {"NB-3200", "NB-4622", "NC-3300", "ND-4246", "NF-3320", "NCA-3800"},
    {"HG-300", "HG-340", "HF-301", "HW-710", "HG-400", "HLW-401"},
    {"T-271", "T-276", "T-434", "T-542", "T-652", "T-750"},
    {"HA-201", "HA-302", "HB-101", "HB-204", "HC-100", "HD-200"},
    {"C-101", "C-211", "C-320", "C-436", "C-512", "C-615"},
    {"UG-22", "UG-37", "UG-84", "UW-11", "UW-51", "UCS-56"},
    {"AD-150", "AM-211", "AF-210", "AT-100", "AG-121", "AR-130"},
    {"QW-200", "QW-403.9", "QW-407", "QW-409.1", "QW-451", "QW-322"},
    {"RG-121", "RT-223", "RQ-112", "RD-301", "RF-210", "RM-100"},
    {"IWA-4000", "IWB-3500", "IWC-2500", "IWE-1000", "IWF-3410", "IWA-5240"},
}};

const std::array<const char*, 14> topics = {
    "Preheat Maintenance", "Minimum Design Metal Temperature",
    "Postweld Heat Treatment Exemption", "Welding Procedure Qualification",
    "Performance Qualification Limits", "Impact Test Requirements",
    "Radiographic Examination of Butt Welds", "Nozzle Reinforcement",
    "Hydrostatic Test Pressure", "Filler Metal Substitution", "Heat Input Control",
    "Base Metal Thickness Range", "Interpass Temperature", "Repair Welding"};

const Words processes = {"GTAW", "SMAW", "GMAW", "SAW", "FCAW", "PAW", "GTAW and SMAW",
                         "machine GTAW"};
const Words materials = {"SA-516 Grade 70 plate", "P-No. 1 carbon steel",
                         "SA-240 Type 304 plate", "P-No. 4 chromium-molybdenum pipe",
                         "SA-106 Grade B pipe", "SA-387 Grade 22 plate",
                         "P-No. 8 austenitic stainless steel", "SA-105 forgings"};
const Words parts = {"a nozzle attachment weld", "a longitudinal butt joint",
                     "a circumferential seam", "a fillet weld at a lifting lug",
                     "a repair cavity in a shell course", "a tube-to-tubesheet weld",
                     "a flange-to-neck weld", "a support skirt attachment"};
const Words thicknesses = {"3/8 in.", "1/2 in.", "3/4 in.", "1 in.", "1-1/4 in.",
                           "1-1/2 in.", "2 in.", "3 in."};

const std::array<const char*, 8> backgrounds = {
    "A manufacturer has qualified a {proc} welding procedure on {mat} with a minimum preheat "
    "of {t}°F and now proposes to apply it to {part} of {thk} nominal thickness.",
    "During fabrication of a pressure vessel from {mat}, the preheat temperature at {part} fell "
    "below the minimum of {t}°F stated in the written welding procedure for a short time.",
    "A welder was qualified with {proc} on a test coupon of {thk} {mat}, and the "
    "qualification record shows all bend specimens acceptable.",
    "The design of {part} calls for {mat} with a thickness of {thk}; postweld heat treatment "
    "at {t}°F ±25°F is required by the purchaser.",
    "An inspector questioned whether the procedure qualification record supports {proc} on "
    "{part} when the heat input exceeds the value recorded during qualification.",
    "The vessel is constructed of {mat} and will operate at a minimum design metal temperature "
    "of -{tl}°F; {part} is {thk} thick.",
    "A repair of {part} is planned using {proc}; the original weld was made in {mat} and "
    "received postweld heat treatment at {t}°F.",
    "The minimum thickness of {part} after forming is {thk}, and the material is {mat} "
    "qualified by impact testing at -{tl}°F."};

const std::array<const char*, 8> questions = {
    "Is it permissible under {para} to use the procedure without requalification?",
    "Does {para} require the preheat to be maintained until postweld heat treatment is "
    "performed?",
    "May the qualification be extended to production welds of any thickness up to twice the "
    "test coupon thickness under {para}?",
    "Is postweld heat treatment mandatory for {part} under the rules of {para}?",
    "Does a change in the minimum preheat temperature constitute an essential variable under "
    "{para}?",
    "Is impact testing of the weld metal and heat-affected zone required by {para} in this "
    "case?",
    "May the welder's qualification with {proc} be used for {part} without further testing "
    "under {para}?",
    "Is it required by {para} that the preheat temperature be recorded on the procedure "
    "qualification record?"};

const std::array<const char*, 6> replies = {
    "Yes.", "No.", "Yes, provided the other requirements of {para} are met.",
    "No; a new procedure qualification is required.",
    "Yes, when the minimum preheat is maintained throughout welding.",
    "The Code does not address this question."};

QString fill(const char* pattern, Random& rnd, const QString& para)
{
    QString s = QString::fromUtf8(pattern);
    auto put = [&](const char* key, const QString& value) {
        s.replace(QLatin1String(key), value);
    };
    put("{proc}", QString::fromLatin1(rnd.pick(processes)));
    put("{mat}", QString::fromLatin1(rnd.pick(materials)));
    put("{part}", QString::fromLatin1(rnd.pick(parts)));
    put("{thk}", QString::fromLatin1(rnd.pick(thicknesses)));
    put("{t}", QString::number(50 + 25 * rnd.below(40)));
    put("{tl}", QString::number(10 + 5 * rnd.below(12)));
    put("{para}", para);
    return s;
}

} // namespace

Source syntheticSource(int sectionCount, int perSection, quint64 seed)
{
    Random rnd(seed);
    Source source;
    source.sections.resize(std::size_t(sectionCount));
    for (int si = 0; si < sectionCount; ++si) {
        Section& s = source.sections[std::size_t(si)];
        const QString code = si < int(codeNames.size()) ? QString::fromLatin1(codeNames[si])
                                                        : QStringLiteral("S%1").arg(si + 1);
        s.name = QStringLiteral("Section ") + code;
        s.table = QStringLiteral("INT%1").arg(si + 1, 2, 10, QLatin1Char('0'));
        s.listLine = si + 1;
    }
    if (sectionCount >= 8) {
        source.sections[7].notice =
            QStringLiteral("Notice\r\n\r\nThe interpretations in this database are generated "
                           "for performance measurements. They are not replies of any "
                           "committee and must not be used for design or construction.");
    }

    for (int si = 0; si < sectionCount; ++si) {
        Section& s = source.sections[std::size_t(si)];
        const auto& family = paragraphFamilies[std::size_t(si) % paragraphFamilies.size()];
        const QString code = s.name.mid(8);
        s.interpretations.reserve(std::size_t(perSection));
        s.index.reserve(std::size_t(perSection) * 4);
        for (int k = 0; k < perSection; ++k) {
            // Year and number from the position, so identifiers never repeat.
            const int year = (89 + (k / 100) % 100) % 100;
            const int number = k % 100 + 1 + 100 * (k / 10000);
            Interpretation it;
            it.identifier = QStringLiteral("%1-%2-%3").arg(code).arg(year, 2, 10, QLatin1Char('0'))
                                .arg(number, 2, 10, QLatin1Char('0'));
            it.volume = QString::number(20 + k / 100);

            QStringList paras;
            if (rnd.below(5) == 0)
                paras << QStringLiteral("QW-406") << QStringLiteral("QW-406.1");
            const qsizetype wanted = 2 + rnd.below(3);
            while (paras.size() < wanted) {
                const QString p = QString::fromLatin1(family[std::size_t(rnd.below(6))]);
                if (!paras.contains(p))
                    paras << p;
            }
            it.paragraphs = paras;
            for (const QString& p : paras)
                s.index.push_back({p, it.identifier, s.suffix()});
            // Welding questions raised under other sections are also listed
            // in Section IX's index.
            if (si != sectionIX && sectionCount > sectionIX && rnd.below(40) == 0)
                source.sections[std::size_t(sectionIX)].index.push_back({QStringLiteral("QW-406"), it.identifier,
                                                    s.suffix()});

            const QString& mainPara = paras.front();
            QString text;
            text.reserve(2300);
            text += QStringLiteral("Interpretation: ") + it.identifier + QStringLiteral("\r\n");
            text += QStringLiteral("Subject: Section %1, %2, %3\r\n")
                        .arg(code, mainPara, QString::fromLatin1(rnd.pick(topics)));
            text += QStringLiteral("Date Issued: %1 %2, %3\r\n")
                        .arg(QString::fromLatin1(months[std::size_t(rnd.below(12))]))
                        .arg(1 + rnd.below(28))
                        .arg(1989 + (k / 100) % 100);
            text += QStringLiteral("File: BC%1-%2\r\n")
                        .arg(year == 0 ? 99 : year - 1, 2, 10, QLatin1Char('0'))
                        .arg(100 + rnd.below(900));
            for (int q = 1; text.size() < 1900; ++q) {
                text += QStringLiteral("\r\n");
                text += fill(backgrounds[std::size_t(rnd.below(8))], rnd, mainPara);
                text += QStringLiteral("\r\n\r\nQuestion (%1): ").arg(q);
                text += fill(questions[std::size_t(rnd.below(8))], rnd,
                             paras[rnd.below(int(paras.size()))]);
                text += QStringLiteral("\r\n\r\nReply (%1): ").arg(q);
                text += fill(replies[std::size_t(rnd.below(6))], rnd, mainPara);
                text += QStringLiteral("\r\n");
            }
            it.text = std::move(text);
            s.interpretations.push_back(std::move(it));
        }
    }
    return source;
}

} // namespace orvane::mkdb
