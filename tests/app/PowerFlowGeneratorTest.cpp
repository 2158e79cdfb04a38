// Tests of the Common Data Format reader and the power-flow equation generator: the
// two-bus file against a hand-written equation file, admittance entries against complex
// arithmetic, tie lines and areas, card reading, bad input and the file handling.
#include "PowerFlowGenerator.h"
#include "CdfReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace varnel;

namespace {

std::string dataPath(const std::string& name)
{
    return std::string(VARNEL_TEST_DATA_DIR) + "/" + name;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

/// A fresh folder for one test, removed at the end.
class ScratchFolder {
public:
    ScratchFolder()
    {
        static int counter = 0;
        m_path = fs::temp_directory_path() /
                 ("varnel-powerflow-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~ScratchFolder() { fs::remove_all(m_path); }
    fs::path operator/(const std::string& name) const { return m_path / name; }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    fs::path m_path;
};

/// The equations for a CDF text, or the failure message prefixed by "ERROR: ".
std::string convertText(const std::string& cdf)
{
    std::istringstream in(cdf);
    CdfReadResult read = readCdf(in);
    if (!read.ok)
        return "ERROR: " + read.message;
    std::string text;
    PowerFlowResult formed = formPowerFlowEquations(read.network, text);
    return formed.ok ? text : "ERROR: " + formed.message;
}

CdfNetwork readText(const std::string& cdf)
{
    std::istringstream in(cdf);
    CdfReadResult read = readCdf(in);
    EXPECT_TRUE(read.ok) << read.message;
    return read.network;
}

/// The statement of the text that begins with prefix, up to and including its ";".
std::string statement(const std::string& text, const std::string& prefix)
{
    size_t start = text.find(prefix);
    if (start == std::string::npos)
        return "(no statement " + prefix + ")";
    return text.substr(start, text.find(';', start) - start + 1);
}

/// A number as the equation file shows it: six decimals, a negative one in parentheses.
std::string shown(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, value < 0 ? "(%.6f)" : "%.6f", value);
    return buffer;
}

/// A card of the fixed-column format, built field by field (columns from 1, inclusive;
/// numbers right-aligned, names left-aligned).
class Card {
public:
    Card& right(size_t first, size_t last, const std::string& text)
    {
        size_t width = last - first + 1;
        EXPECT_LE(text.size(), width) << text;
        return put(first + width - text.size(), text);
    }
    Card& left(size_t first, const std::string& text) { return put(first, text); }
    std::string str() const { return m_line; }

private:
    Card& put(size_t first, const std::string& text)
    {
        if (m_line.size() < first - 1 + text.size())
            m_line.resize(first - 1 + text.size(), ' ');
        m_line.replace(first - 1, text.size(), text);
        return *this;
    }
    std::string m_line;
};

Card busCard(int number, const std::string& name, int area, int type)
{
    Card card;
    card.right(1, 4, std::to_string(number)).left(6, name).right(19, 20, std::to_string(area));
    card.right(21, 23, "1").right(25, 26, std::to_string(type));
    card.right(28, 33, "1.0").right(34, 40, "0.0").right(41, 49, "0.0").right(50, 58, "0.0");
    card.right(59, 67, "0.0").right(68, 75, "0.0").right(77, 83, "0.0").right(85, 90, "0.0");
    return card;
}

const std::string threeAreaBuses = "BUS DATA FOLLOWS\n"
                                   "1 One 1 1 2 1.0 0.0 0.0 0.0 0.0 0.0 0.0 1.0\n"
                                   "2 Two 1 1 0 1.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0\n"
                                   "3 Three 2 1 2 1.0 0.0 0.0 0.0 0.0 0.0 0.0 1.0\n"
                                   "4 Four 2 1 3 1.0 0.0 0.0 0.0 0.0 0.0 0.0 1.0\n"
                                   "-999\n";

} // namespace

// ---- the whole file -----------------------------------------------------------------

TEST(PowerFlowGenerator, TwoBusFileMatchesHandWrittenEquations)
{
    ScratchFolder folder;
    fs::path input = folder / "twobus.CF";
    fs::copy_file(dataPath("powerflow/twobus.cf"), input);
    std::string output = powerFlowOutputName(input.string());

    PowerFlowResult result = convertCdfFile(input.string(), output);

    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.message,
              "Power Flow equations formed and stored to the file \"" + output + "\"");
    EXPECT_EQ(output, (folder / "twobus.ALG").string());
    EXPECT_EQ(readFile(output), readFile(dataPath("powerflow/twobus.ALG")));
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"twobus.ALG", "twobus.CF"}));
}

TEST(PowerFlowGenerator, OutputNameEndsAtTheFirstDotOfTheFileName)
{
    const struct {
        const char* chosen;
        const char* output;
    } cases[] = {
        {"/data/net.CF", "/data/net.ALG"},
        {"net.CF", "net.ALG"},
        {"/data/net.v2.CF", "/data/net.ALG"},
        {"/my.data/net.CF", "/my.data/net.ALG"},
        {"/my.data/net", "/my.data/net.ALG"},
        {"net", "net.ALG"},
        {"./net.CF", "./net.ALG"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(powerFlowOutputName(c.chosen), c.output) << c.chosen;
}

TEST(PowerFlowGenerator, Ieee14BusCaseGivesOneEquationPerUnknown)
{
    ScratchFolder folder;
    fs::path output = folder / "ieee14.ALG";
    PowerFlowResult result = convertCdfFile(dataPath("ieee14.cf"), output.string());
    ASSERT_TRUE(result.ok) << result.message;
    std::string text = readFile(output);

    int equations = 0, startingValues = 0;
    for (size_t at = text.find(';'); at != std::string::npos; at = text.find(';', at + 1))
        ++equations;
    for (char c : text)
        startingValues += c == '\xBB';
    equations -= startingValues;
    EXPECT_EQ(startingValues, 28);
    EXPECT_EQ(equations, 29); // k and two for each of the 14 buses
    EXPECT_EQ(text.find("=;"), std::string::npos);
    EXPECT_NE(text.find("a1=0.000000;\nv1=1.060000;\n"), std::string::npos);
    // The interchange card names bus 2 of the single area: no tie lines, a generator bus.
    EXPECT_NE(text.find("{Area 1 has no tie lines: its slack bus 2 is written as a generator "
                        "bus}\n0.183000*k=v2*("),
              std::string::npos);
    EXPECT_NE(text.find("v2=1.045000;"), std::string::npos);
    EXPECT_NE(text.find("v8=1.090000;"), std::string::npos);
    EXPECT_EQ(statement(text, "(-0.478000)*k").substr(0, 18), "(-0.478000)*k=v4*(");
    EXPECT_EQ(statement(text, "0.039000*k"), statement(text, "0.039000*k=-v4*("));
}

// ---- admittance matrix ----------------------------------------------------------------

TEST(PowerFlowGenerator, TransformerAndShuntEnterTheAdmittanceMatrix)
{
    const double r = 0.01, x = 0.2, charging = 0.04, ratio = 0.95, shiftDegrees = 10.0;
    const std::complex<double> shunt(0.05, 0.19);
    std::string cdf = "BUS DATA FOLLOWS\n"
                      "1 Tap 1 1 0 1.0 0.0 10.0 5.0 0.0 0.0 0.0 0.0 0.0 0.0 0.05 0.19\n"
                      "2 Far 1 1 0 1.0 0.0 20.0 8.0 0.0 0.0 0.0 0.0\n"
                      "3 Slack 1 1 3 1.0 30.0 0.0 0.0 0.0 0.0 0.0 1.0\n"
                      "-999\n"
                      "BRANCH DATA FOLLOWS\n"
                      "1 2 1 1 1 2 0.01 0.2 0.04 0 0 0 0 0 0.95 10.0\n"
                      "-999\n"
                      "END OF DATA\n";
    // Tap t e^(j phi) at bus 1: the standard pi-model of a phase-shifting transformer.
    const std::complex<double> j(0.0, 1.0);
    const std::complex<double> ys = 1.0 / std::complex<double>(r, x);
    const std::complex<double> tap = std::polar(ratio, shiftDegrees * std::numbers::pi / 180.0);
    const std::complex<double> y11 = (ys + j * charging / 2.0) / (ratio * ratio) + shunt;
    const std::complex<double> y12 = -ys / std::conj(tap);
    const std::complex<double> y21 = -ys / tap;
    const std::complex<double> y22 = ys + j * charging / 2.0;

    std::string text = convertText(cdf);
    EXPECT_EQ(statement(text, "(-0.100000)*k"), "(-0.100000)*k=v1*(+v1*" + shown(y11.real()) +
                                                    "+v2*" + shown(y12.real()) + "*COS(a1-a2)+v2*" +
                                                    shown(y12.imag()) + "*SIN(a1-a2));");
    EXPECT_EQ(statement(text, "(-0.050000)*k"), "(-0.050000)*k=-v1*(+v1*" + shown(y11.imag()) +
                                                    "-v1*" + shown(y11.real()) + "*SIN(a1-a1)+v2*" +
                                                    shown(y12.imag()) + "*COS(a1-a2)-v2*" +
                                                    shown(y12.real()) + "*SIN(a1-a2));");
    EXPECT_EQ(statement(text, "(-0.200000)*k"), "(-0.200000)*k=v2*(+v2*" + shown(y22.real()) +
                                                    "+v1*" + shown(y21.real()) + "*COS(a2-a1)+v1*" +
                                                    shown(y21.imag()) + "*SIN(a2-a1));");
    // The slack angle is written in radians.
    EXPECT_EQ(statement(text, "a3="), "a3=" + shown(30.0 * std::numbers::pi / 180.0) + ";");
}

TEST(PowerFlowGenerator, ZeroConductanceWritesNoConductanceTerms)
{
    // A lossless line: G is 0 off the diagonal and on it.
    std::string text = convertText("BUS DATA FOLLOWS\n"
                                   "1 Slack 1 1 3 1.0 0.0 0.0 0.0 0.0 0.0 0.0 1.0\n"
                                   "2 Load 1 1 0 1.0 0.0 50.0 20.0 0.0 0.0 0.0 0.0\n"
                                   "-999\n"
                                   "BRANCH DATA FOLLOWS\n"
                                   "1 2 1 1 1 0 0.0 0.1 0.0\n"
                                   "-999\n"
                                   "END\n");
    EXPECT_EQ(statement(text, "(-0.500000)"), "(-0.500000)*k=v2*(+v1*10.000000*SIN(a2-a1));");
    EXPECT_EQ(statement(text, "(-0.200000)"),
              "(-0.200000)*k=-v2*(+v2*(-10.000000)+v1*10.000000*COS(a2-a1));");
}

TEST(PowerFlowGenerator, GeneratorBusDropsConductancesUpTo1e20)
{
    // g = R / (R^2 + X^2) = 1e-21: kept by the load bus (G != 0), dropped by the generator.
    std::string text = convertText("BUS DATA FOLLOWS\n"
                                   "1 Slack 1 1 3 1.0 0.0 0.0 0.0 0.0 0.0 0.0 1.0\n"
                                   "2 Gen 1 1 2 1.02 0.0 0.0 0.0 30.0 0.0 0.0 1.02\n"
                                   "3 Load 1 1 0 1.0 0.0 40.0 0.0 0.0 0.0 0.0 0.0\n"
                                   "-999\n"
                                   "BRANCH DATA FOLLOWS\n"
                                   "2 3 1 1 1 0 1e-21 1.0 0.0\n"
                                   "-999\n"
                                   "END\n");
    EXPECT_EQ(statement(text, "0.300000*k"), "0.300000*k=v2*(+v3*1.000000*SIN(a2-a3));");
    EXPECT_NE(statement(text, "v2=").find("v2=1.020000;"), std::string::npos);
    EXPECT_EQ(statement(text, "(-0.400000)*k"),
              "(-0.400000)*k=v3*(+v3*0.000000+v2*(-0.000000)*COS(a3-a2)+v2*1.000000*SIN(a3-a2));");
}

// ---- tie lines and areas ----------------------------------------------------------------

TEST(PowerFlowGenerator, TieLinesAndInterchangeStatements)
{
    // Buses 1, 2 in area 1 and 3, 4 in area 2; branch 1-2 of area 1 is internal, branch
    // 2-3 of area 1 ties the areas.
    std::string text = convertText(threeAreaBuses + "BRANCH DATA FOLLOWS\n"
                                                    "1 2 1 1 1 0 0.01 0.1 0.0\n"
                                                    "2 3 1 1 1 0 0.01 0.1 0.02\n"
                                                    "3 4 2 1 1 0 0.02 0.2 0.0\n"
                                                    "-999\n"
                                                    "INTERCHANGE DATA FOLLOWS 2 ITEMS\n"
                                                    "1 1 One 25.0\n"
                                                    "2 3 Three -25.0\n"
                                                    "-9\n"
                                                    "END OF DATA\n");
    // Line 2-3 seen from area 1: its flow arriving at bus 3, the other area's end.
    const std::string flowAt3 =
        "v3*v3*0.990099{s}v2*v3*((-0.990099)*COS(a3-a2)+9.900990*SIN(a3-a2))";
    auto signed_ = [&](const std::string& sign) {
        std::string terms = flowAt3;
        terms.replace(terms.find("{s}"), 3, sign);
        return sign + terms;
    };
    EXPECT_NE(text.find("{\nBEGIN AREA DATA:\nArea   1 tie lines\nExport=    0.25}\n0.250000=" +
                        signed_("-") + ";\nv1=1.000000;\n\n{END AREA}\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("{\nBEGIN AREA DATA:\nArea   2 tie lines\nExport=   -0.25}\n(-0.250000)=" +
                        signed_("+") + ";\nv3=1.000000;\n\n{END AREA}\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("a4=0.000000;\nv4=1.000000;\n"), std::string::npos);
}

TEST(PowerFlowGenerator, BranchOfAThirdAreaIsATieLineOfBothEnds)
{
    std::string text = convertText(threeAreaBuses + "BRANCH DATA FOLLOWS\n"
                                                    "1 2 5 1 1 0 0.0 0.1 0.0\n"
                                                    "3 4 2 1 1 0 0.0 0.1 0.0\n"
                                                    "-999\n"
                                                    "INTERCHANGE DATA FOLLOWS\n"
                                                    "1 1 One 0.0\n"
                                                    "-9\n"
                                                    "END OF DATA\n");
    EXPECT_EQ(statement(text, "0.000000=+"),
              "0.000000=+v1*v1*0.000000+v1*v2*(0.000000*COS(a1-a2)+10.000000*SIN(a1-a2))"
              "+v2*v2*0.000000+v1*v2*(0.000000*COS(a2-a1)+10.000000*SIN(a2-a1));");
}

TEST(PowerFlowGenerator, InterchangeSlackThatIsTheSystemSlackStaysTheSystemSlack)
{
    std::string text = convertText(threeAreaBuses + "BRANCH DATA FOLLOWS\n"
                                                    "1 2 1 1 1 0 0.0 0.1 0.0\n"
                                                    "3 4 2 1 1 0 0.0 0.1 0.0\n"
                                                    "-999\n"
                                                    "INTERCHANGE DATA FOLLOWS\n"
                                                    "2 4 Four 10.0\n"
                                                    "-9\n"
                                                    "END OF DATA\n");
    EXPECT_EQ(text.find("AREA"), std::string::npos);
    EXPECT_NE(text.find("a4=0.000000;\nv4=1.000000;\n"), std::string::npos);
}

// ---- reading cards ------------------------------------------------------------------------

TEST(CdfReader, Cards)
{
    Card touching = busCard(1234, "Bus 1     HV", 7, 2);
    touching.right(41, 49, "123456.78").right(50, 58, "-12345.67"); // no blank between
    touching.right(107, 114, "0.05").right(115, 122, "0.19");
    Card branch;
    branch.right(1, 4, "1234").right(6, 9, "12").right(11, 12, "7").right(13, 15, "1");
    branch.right(17, 17, "1").right(19, 19, "1").right(20, 29, "0.00123456");
    branch.right(30, 40, "0.012345678").right(41, 50, "0.0345").right(77, 82, "0.978");
    branch.right(84, 90, "-3.5");
    const std::string head = "BUS DATA FOLLOWS\n";
    const std::string end = "-999\nEND OF DATA\n";
    const struct {
        const char* name;
        std::string cdf;
        std::function<void(const CdfNetwork&)> check;
    } cases[] = {
        {"columns: a name with blanks, numbers that touch, the shunt",
         head + touching.str() + "\n" + end,
         [](const CdfNetwork& n) {
             ASSERT_EQ(n.buses.size(), 1u);
             const CdfBus& b = n.buses[0];
             EXPECT_EQ(b.number, 1234);
             EXPECT_EQ(b.name, "Bus 1     HV");
             EXPECT_EQ(b.area, 7);
             EXPECT_EQ(b.type, 2);
             EXPECT_DOUBLE_EQ(b.loadMw, 123456.78);
             EXPECT_DOUBLE_EQ(b.loadMvar, -12345.67);
             EXPECT_DOUBLE_EQ(b.shuntG, 0.05);
             EXPECT_DOUBLE_EQ(b.shuntB, 0.19);
         }},
        {"columns: a branch whose type touches its resistance, with a transformer",
         "BRANCH DATA FOLLOWS\n" + branch.str() + "\n" + end,
         [](const CdfNetwork& n) {
             ASSERT_EQ(n.branches.size(), 1u);
             const CdfBranch& b = n.branches[0];
             EXPECT_EQ(b.from, 1234);
             EXPECT_EQ(b.to, 12);
             EXPECT_EQ(b.area, 7);
             EXPECT_EQ(b.type, 1);
             EXPECT_DOUBLE_EQ(b.r, 0.00123456);
             EXPECT_DOUBLE_EQ(b.x, 0.012345678);
             EXPECT_DOUBLE_EQ(b.charging, 0.0345);
             EXPECT_DOUBLE_EQ(b.ratio, 0.978);
             EXPECT_DOUBLE_EQ(b.shift, -3.5);
         }},
        {"columns the conversion does not use may hold any number: ratings written 100.0",
         "BRANCH DATA FOLLOWS\n" + Card(branch).right(51, 55, "100.0").right(69, 72, "0.0").str() +
             "\n" + end,
         [](const CdfNetwork& n) {
             ASSERT_EQ(n.branches.size(), 1u);
             EXPECT_DOUBLE_EQ(n.branches[0].ratio, 0.978);
         }},
        {"columns: an interchange card naming its slack bus with blanks",
         "INTERCHANGE DATA FOLLOWS 1 ITEMS\n"
         " 1    2 Bus 2     HV   -25.0  999.99  IEEE14  IEEE 14 Bus Test Case\n-9\nEND\n",
         [](const CdfNetwork& n) {
             ASSERT_EQ(n.interchanges.size(), 1u);
             EXPECT_EQ(n.interchanges[0].area, 1);
             EXPECT_EQ(n.interchanges[0].slackBus, 2);
             EXPECT_EQ(n.interchanges[0].name, "Bus 2     HV");
             EXPECT_DOUBLE_EQ(n.interchanges[0].exportMw, -25.0);
         }},
        {"a long card that is not in columns is read by words",
         head +
             "2    Load    1    1    0    1.0    0.0    50.0    20.0    0.0    0.0    0.0   0.0\n" +
             end,
         [](const CdfNetwork& n) {
             ASSERT_EQ(n.buses.size(), 1u);
             EXPECT_EQ(n.buses[0].name, "Load");
             EXPECT_DOUBLE_EQ(n.buses[0].loadMvar, 20.0);
         }},
        {"a short card keeps the previous card's values from its first missing field",
         head + "1 A 3 1 2 1.05 -4.0 10 11 12 13 14 15\n2 B 4\n" + end,
         [](const CdfNetwork& n) {
             ASSERT_EQ(n.buses.size(), 2u);
             const CdfBus& b = n.buses[1];
             EXPECT_EQ(b.number, 2);
             EXPECT_EQ(b.name, "B");
             EXPECT_EQ(b.area, 4);
             EXPECT_EQ(b.type, 2);
             EXPECT_DOUBLE_EQ(b.voltage, 1.05);
             EXPECT_DOUBLE_EQ(b.generationMvar, 13.0);
         }},
        {"item counts are hints; blank lines in a section are skipped",
         "BUS DATA FOLLOWS 99999999999999999999 ITEMS\n1 A 1 1 3 1 0 0 0 0 0 0 0\n\n"
         "2 B 1 1 0 1 0 0 0 0 0 0 0\n-999\nBRANCH DATA FOLLOWS 0 ITEMS\n"
         "1 2 1 1 1 0 0.0 0.1 0.0\n-999\nEND\n",
         [](const CdfNetwork& n) {
             EXPECT_EQ(n.buses.size(), 2u);
             EXPECT_EQ(n.branches.size(), 1u);
         }},
        {"an interchange end line placed before its card",
         "INTERCHANGE DATA FOLLOWS 1 ITEMS\n-9\n 1    2 Bus 2     HV    5.0  999.99  IEEE14\n"
         "TIE LINES FOLLOWS 0 ITEMS\n 1 2 3 4\n-999\nEND OF DATA\n",
         [](const CdfNetwork& n) {
             ASSERT_EQ(n.interchanges.size(), 1u);
             EXPECT_EQ(n.interchanges[0].slackBus, 2);
             EXPECT_DOUBLE_EQ(n.interchanges[0].exportMw, 5.0);
         }},
        {"other sections and lines outside sections are skipped; CR LF lines",
         "TITLE\r\nLOSS ZONES FOLLOWS\r\n  1 BUS\r\n-99\r\nBUS DATA\r\n1 A 1 1 3 1 0 0 0 0 0 0 "
         "0\r\n"
         "-999\r\nEND\r\n2 B 1 1 0 1 0 0 0 0 0 0 0\n",
         [](const CdfNetwork& n) {
             ASSERT_EQ(n.buses.size(), 1u);
             EXPECT_DOUBLE_EQ(n.buses[0].desiredVoltage, 0.0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.check(readText(c.cdf));
    }
}

// ---- bad input ----------------------------------------------------------------------------

TEST(PowerFlowGenerator, BadInputEndsInAClearError)
{
    const std::string slack = "1 A 1 1 3 1 0 0 0 0 0 0 0\n";
    const std::string buses = "BUS DATA\n" + slack + "2 B 1 1 0 1 0 0 0 0 0 0 0\n-999\n";
    const struct {
        std::string cdf;
        const char* message;
    } cases[] = {
        {"", "the file ends before its END line"},
        {buses, "the file ends before its END line"},
        {"BUS DATA\n" + slack, "the file ends inside the BUS section, before its closing card"},
        {buses + "BRANCH DATA\n1 2 1 1 1 0 0.0 0.1 0.0\n",
         "the file ends inside the BRANCH section"},
        {buses + "INTERCHANGE DATA\n", "the file ends inside the INTERCHANGE section"},
        {"BUS DATA\n" + slack + "BRANCH DATA\n", "line 3: a BUS card must begin with a number"},
        {"BUS DATA\n12abc\n-999\nEND\n", "line 2: the bus card does not begin with a bus number"},
        {"BUS DATA\n10000 A 1 1 0 1 0 0 0 0 0 0 0\n-999\nEND\n",
         "line 2: bus number 10000 is outside 1 to 9999"},
        {"BUS DATA\n10001 Bus 1     HV  1  1  3 1.060    0.0      0.0      0.0    232.4   -16.9"
         "     0.0  1.060     0.0     0.0   0.0    0.0        0\n-999\nEND\n",
         "line 2: bus number 10001 is outside 1 to 9999"},
        {"BUS DATA\n" + slack + slack + "-999\nEND\n", "line 3: bus 1 has a second bus card"},
        {buses + "BRANCH DATA\n1 3 1 1 1 0 0.0 0.1 0.0\n-999\nEND\n",
         "line 6: the branch from bus 1 to bus 3 names a bus without a bus card"},
        {buses + "BRANCH DATA\n1 2 1 1 1 0 0.0 0.0 0.0\n-999\nEND\n",
         "line 6: the branch from bus 1 to bus 2 has no usable impedance"},
        {buses + "BRANCH DATA\n1 2 1 1 1 0 1e-200 0.0 0.0\n-999\nEND\n", "has no usable impedance"},
        {buses + "INTERCHANGE DATA\n11 2 B 0.0\n-9\nEND\n",
         "line 6: area number 11 is outside 1 to 10"},
        {buses + "INTERCHANGE DATA\n1 2 B 0.0\n1 2 B 0.0\n-9\nEND\n",
         "line 7: area 1 has a second interchange card"},
        {buses + "INTERCHANGE DATA\n1 7 B 0.0\n-9\nEND\n",
         "line 6: the interchange slack bus 7 of area 1 has no bus card"},
        {buses + "INTERCHANGE DATA\n2 2 B 0.0\n-9\nEND\n",
         "line 6: the interchange slack bus 2 of area 2 lies in area 1"},
        {"BUS DATA\n" + slack +
             "2 B 1 1 0 1 0 1e300 0 0 0 0 0\n-999\n"
             "BRANCH DATA\n1 2 1 1 1 0 0.0 0.1 0.0\n-999\nEND\n",
         "a value of the network is too large to be written as a number"},
        {buses + "END\n", "bus 2 is connected to no branch, so its power balance has no terms"},
        // A field that is not a number, in words and in the format's columns.
        {"BUS DATA\n" + slack + "2 B 1 x 0 1 0 0 0 0 0 0 0\n-999\nEND\n",
         "line 3, column 7: \"x\" is not a number"},
        {"BUS DATA\n   4 Bus 4     HV  1  1  0 1.019 -10.33     4x.8     -3.9      0.0     0.0"
         "     0.0  0.0       0.0     0.0   0.0    0.0        0\n-999\nEND\n",
         "line 2, column 45: \"4x.8\" is not a number"},
        // The name with blanks would shift the words onto the export if they were read.
        {buses + "INTERCHANGE DATA\n 1    2 Bus 2     HV    0.x  999.99  IEEE14\n-9\nEND\n",
         "line 6, column 25: \"0.x\" is not a number"},
        // Columns the conversion does not use are numbers all the same.
        {"BUS DATA\n   1 Bus 1     HV  1  1  3 1.060    0.0      0.0      0.0    232.4   -16.9"
         "     0.0  1.060     0.0    -4x.0  0.0    0.0        0\n-999\nEND\n",
         "line 2, column 102: \"-4x.0\" is not a number"},
    };
    for (const auto& c : cases) {
        std::string result = convertText(c.cdf);
        EXPECT_EQ(result.rfind("ERROR: ", 0), 0u) << c.cdf;
        EXPECT_NE(result.find(c.message), std::string::npos) << result << "\nfor:\n" << c.cdf;
    }
}

TEST(PowerFlowGenerator, TieLineTableHolds15650Lines)
{
    for (int lines : {15650, 15651}) {
        CdfNetwork network;
        network.buses = {CdfBus{}, CdfBus{}};
        network.buses[0].number = 1;
        network.buses[0].area = 1;
        network.buses[0].type = 3;
        network.buses[1].number = 2;
        network.buses[1].area = 2;
        CdfBranch branch;
        branch.from = 1;
        branch.to = 2;
        branch.area = 1;
        branch.x = 100.0;
        network.branches.assign(lines, branch);
        std::string text;
        PowerFlowResult result = formPowerFlowEquations(network, text);
        EXPECT_EQ(result.ok, lines == 15650) << result.message;
        if (!result.ok) {
            EXPECT_NE(result.message.find("more than 15650 tie lines"), std::string::npos);
        }
    }
}

// ---- files ----------------------------------------------------------------------------------

TEST(PowerFlowGenerator, FailuresLeaveNoOutput)
{
    ScratchFolder folder;
    fs::path truncated = folder / "cut.CF";
    writeFile(truncated, "BUS DATA FOLLOWS\n1 A 1 1 3 1 0 0 0 0 0 0 0\n");
    fs::path good = folder / "good.CF";
    fs::copy_file(dataPath("powerflow/twobus.cf"), good);
    std::string goodText = readFile(good);

    const struct {
        std::string input;
        std::string output;
        const char* message;
    } cases[] = {
        {(folder / "missing.CF").string(), (folder / "missing.ALG").string(),
         "Cannot open the file"},
        {(folder / "").string(), (folder / "dir.ALG").string(), "Cannot open the file"},
        {truncated.string(), (folder / "cut.ALG").string(), "the file ends inside the BUS section"},
        {good.string(), (folder / "no-such-folder" / "good.ALG").string(),
         "Cannot create the file"},
        {good.string(), good.string(), "it is the input file"},
    };
    for (const auto& c : cases) {
        PowerFlowResult result = convertCdfFile(c.input, c.output);
        EXPECT_FALSE(result.ok) << c.input;
        EXPECT_NE(result.message.find(c.message), std::string::npos) << result.message;
    }
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"cut.CF", "good.CF"}));
    EXPECT_EQ(readFile(good), goodText);
}

TEST(PowerFlowGenerator, SuccessReplacesAnEarlierOutput)
{
    ScratchFolder folder;
    fs::path input = folder / "net.CF";
    fs::copy_file(dataPath("powerflow/twobus.cf"), input);
    writeFile(folder / "net.ALG", "stale text that is longer than nothing\n");
    PowerFlowResult result = convertCdfFile(input.string(), (folder / "net.ALG").string());
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(readFile(folder / "net.ALG"), readFile(dataPath("powerflow/twobus.ALG")));
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"net.ALG", "net.CF"}));
}
