// The IEEE 14-bus test case end to end: the Common Data Format file is turned into
// power-flow equations, the library solves them, and every bus voltage and angle is
// compared with the final values printed on the case's own bus cards.
#include "PowerFlowGenerator.h"
#include "TranscriptHost.h"

#include "CVarnel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

using namespace varnel::test;

namespace {

struct PublishedBus {
    double voltage;
    double angleDegrees;
};

/// Final voltage (columns 28-33) and angle (34-40) of every bus card.
std::map<int, PublishedBus> publishedSolution(const std::string& cdf)
{
    std::map<int, PublishedBus> buses;
    std::istringstream in(cdf);
    std::string line;
    bool inBuses = false;
    while (std::getline(in, line)) {
        if (line.rfind("BUS DATA FOLLOWS", 0) == 0) {
            inBuses = true;
            continue;
        }
        if (!inBuses)
            continue;
        if (line.rfind("-999", 0) == 0)
            break;
        buses[std::stoi(line.substr(0, 4))] = {std::stod(line.substr(27, 6)),
                                               std::stod(line.substr(33, 7))};
    }
    return buses;
}

TEST(PowerFlowSolve, Ieee14BusCaseReproducesItsPublishedSolution)
{
    TempDir dir;
    const std::string cdf = readFile(dataPath("ieee14.cf"));
    writeFile(dir / "ieee14.cf", cdf);
    const auto output = varnel::powerFlowOutputName((dir / "ieee14.cf").string());
    const varnel::PowerFlowResult converted =
        varnel::convertCdfFile((dir / "ieee14.cf").string(), output);
    ASSERT_TRUE(converted.ok) << converted.message;
    EXPECT_EQ(converted.message,
              "Power Flow equations formed and stored to the file \"" + output + "\"");

    TranscriptHost host;
    CVarnel solver;
    SolverOptions options;
    options.toleranceExponent = -8;
    options.maxIterations = 20;
    solver.setOptions(&options);
    std::string path = output;
    ASSERT_TRUE(solver.solve(path.data(), "S")) << host.log;

    std::map<std::string, double> values;
    for (int i = 0; i < solver.variableCount(); ++i)
        values[solver.variableName(i)] = solver.variableValue(i);
    const auto published = publishedSolution(cdf);
    ASSERT_EQ(published.size(), 14u);
    constexpr double kDegrees = 180.0 / 3.14159265358979323846;
    for (const auto& [bus, expected] : published) {
        const std::string v = "v" + std::to_string(bus), a = "a" + std::to_string(bus);
        ASSERT_TRUE(values.count(v) && values.count(a)) << "bus " << bus;
        EXPECT_NEAR(values[v], expected.voltage, 0.002) << "bus " << bus;
        EXPECT_NEAR(values[a] * kDegrees, expected.angleDegrees, 0.05) << "bus " << bus;
    }
}

} // namespace
