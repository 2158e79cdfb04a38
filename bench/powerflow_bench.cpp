// End-to-end power-flow runs: a network in the IEEE Common Data Format is converted to
// equations and solved in "S" mode, with the time split into conversion, reading,
// differentiation and listing, grouping and the Newton iterations. Runs the IEEE 14-bus
// case (tests/data) and a generated 300-bus ring-and-mesh network; prints the figures.
#include "CdfReader.h"
#include "PowerFlowGenerator.h"

#include "CVarnel.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace {

using varnel::CdfBranch;
using varnel::CdfBus;
using varnel::CdfNetwork;

double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// ---- the generated network ---------------------------------------------------------

/// A fixed value in [0, 1) for an item and a purpose, so every run builds the same network.
double spread(int item, int purpose)
{
    std::uint32_t x = static_cast<std::uint32_t>(item) * 2654435761u ^
                      static_cast<std::uint32_t>(purpose) * 40503u;
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    x *= 3266489917u;
    x ^= x >> 16;
    return static_cast<double>(x % 100000u) / 100000.0;
}

/// Values are kept to the decimals that the cards carry, so the file holds them exactly.
double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

/// n buses on a ring, bus 1 the system slack. Every bus numbered 6, 16, 26, ... is a
/// generator (PV) bus holding its voltage at 1.020-1.045; all others carry a load of 6-14 MW
/// at a lagging power factor of about 0.93-0.97, and every 50th (25, 75, ...) a 10 MVAR
/// capacitor. Branches: the ring i -> i+1 (and n -> 1), plus a chord from every 10th bus
/// to the bus 37 ahead (around the ring); the chords from every 60th bus are transformers
/// with off-nominal taps. The generators supply about 95 % of the load; the slack bus
/// covers the rest and the losses.
CdfNetwork ringAndMesh(int n)
{
    CdfNetwork network;
    for (int i = 1; i <= n; ++i) {
        CdfBus bus;
        bus.number = i;
        bus.name = "Ring " + std::to_string(i); // a blank inside: only the fixed columns read it
        bus.area = 1;
        bus.zone = 1;
        bus.baseKv = 138.0;
        bus.voltage = 1.0;
        if (i == 1) {
            bus.type = 3;
            bus.voltage = 1.05;
            bus.desiredVoltage = 1.05;
        } else if (i % 10 == 6) {
            bus.type = 2;
            bus.voltage = rounded(1.02 + 0.025 * spread(i, 1), 4);
            bus.desiredVoltage = bus.voltage;
            bus.generationMw = rounded(75.0 + 20.0 * spread(i, 2), 2);
        } else {
            bus.loadMw = rounded(6.0 + 8.0 * spread(i, 3), 2);
            bus.loadMvar = rounded(bus.loadMw * (0.25 + 0.15 * spread(i, 4)), 2);
            if (i % 50 == 25)
                bus.shuntB = 0.10;
        }
        network.buses.push_back(bus);
    }
    auto branch = [&](int from, int to, int type, double r, double x, double charging,
                      double ratio) {
        CdfBranch b;
        b.from = from;
        b.to = to;
        b.area = 1;
        b.zone = 1;
        b.circuit = 1;
        b.type = type;
        b.r = rounded(r, 6);
        b.x = rounded(x, 6);
        b.charging = rounded(charging, 5);
        b.ratio = ratio;
        network.branches.push_back(b);
    };
    const double taps[] = {0.9750, 1.0250, 0.9875, 1.0500, 0.9625};
    for (int i = 1; i <= n; ++i) {
        const double x = 0.06 + 0.08 * spread(i, 5);
        branch(i, i % n + 1, 0, x * (0.2 + 0.15 * spread(i, 6)), x, 0.02 + 0.03 * spread(i, 7),
               0.0);
        if (i % 10 != 0)
            continue;
        const int to = (i + 37 - 1) % n + 1;
        if (i % 60 == 0) {
            branch(i, to, 1, 0.005, 0.08 + 0.04 * spread(i, 8), 0.0, taps[(i / 60 - 1) % 5]);
        } else {
            const double xc = 0.10 + 0.10 * spread(i, 9);
            branch(i, to, 0, xc * (0.15 + 0.1 * spread(i, 10)), xc, 0.04 + 0.04 * spread(i, 11),
                   0.0);
        }
    }
    return network;
}

std::string card(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string card(const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

/// The network as a Common Data Format file in its fixed columns: title card, bus and
/// branch sections, loss zone, interchange and tie-line sections, "END OF DATA".
std::string cdfText(const CdfNetwork& network, const std::string& title)
{
    std::string text = card(" %-8s %-20s %6.1f %4d %c %-28s\n", "01/15/26", "VARNEL BENCH", 100.0,
                            2026, 'W', title.c_str());
    text += card("BUS DATA FOLLOWS                          %4d ITEMS\n",
                 static_cast<int>(network.buses.size()));
    for (const CdfBus& b : network.buses) {
        const double maxMvar = b.type >= 2 ? 60.0 : 0.0, minMvar = b.type >= 2 ? -30.0 : 0.0;
        // 1-4 number, 7-17 name, 19-20 area, 21-23 zone, 25-26 type, 28-33 voltage,
        // 34-40 angle, 41-49 load MW, 50-58 load MVAR, 60-67 generation MW, 68-75
        // generation MVAR, 77-83 base kV, 85-90 desired volts, 91-98 / 99-106 MVAR limits,
        // 107-114 shunt G, 115-122 shunt B, 124-127 remote controlled bus.
        text += card("%4d  %-11s %2d%3d %2d %6.4f%7.2f%9.2f%9.2f %8.2f%8.2f %7.2f "
                     "%6.4f%8.2f%8.2f%8.4f%8.4f %4d\n",
                     b.number, b.name.c_str(), b.area, b.zone, b.type, b.voltage, b.angle, b.loadMw,
                     b.loadMvar, b.generationMw, b.generationMvar, b.baseKv, b.desiredVoltage,
                     maxMvar, minMvar, b.shuntG, b.shuntB, 0);
    }
    text += "-999\n";
    text += card("BRANCH DATA FOLLOWS                       %4d ITEMS\n",
                 static_cast<int>(network.branches.size()));
    for (const CdfBranch& b : network.branches) {
        // 1-4 tap bus, 6-9 impedance bus, 11-12 area, 13-15 zone, 17 circuit, 19 type,
        // 20-29 R, 30-40 X, 41-50 B, 51-55 / 57-61 / 63-67 ratings, 69-72 control bus,
        // 74 side, 77-82 final turns ratio, 84-90 phase shift, 91-97 / 98-104 tap limits,
        // 106-111 step, 113-119 / 120-126 voltage limits.
        const bool transformer = b.type != 0;
        text += card("%4d %4d %2d%3d %1d %1d%10.6f%11.6f%10.5f%5d %5d %5d %4d %1d  %6.4f "
                     "%7.2f%7.4f%7.4f %6.4f "
                     "%7.4f%7.4f\n",
                     b.from, b.to, b.area, b.zone, b.circuit, b.type, b.r, b.x, b.charging, 0, 0, 0,
                     0, 0, b.ratio, b.shift, transformer ? 0.9 : 0.0, transformer ? 1.1 : 0.0,
                     transformer ? 0.0125 : 0.0, 0.0, 0.0);
    }
    text += "-999\n";
    text += "LOSS ZONES FOLLOWS                     1 ITEMS\n";
    text += "  1 RING\n";
    text += "-99\n";
    // One area whose interchange slack is the system slack: the slack keeps its class.
    text += "INTERCHANGE DATA FOLLOWS                 1 ITEMS\n";
    text += card("%2d %4d %-12s%8.1f %7.2f  %-6s  %-30s\n", 1, network.buses.front().number,
                 "Ring 1", 0.0, 999.99, "RING", title.c_str());
    text += "-9\n";
    text += "TIE LINES FOLLOWS                     0 ITEMS\n";
    text += "-999\n";
    text += "END OF DATA\n";
    return text;
}

/// Whether the file reads back as the network it was written from; else why not.
std::string compareReadBack(const CdfNetwork& written, const CdfNetwork& read)
{
    auto same = [](double a, double b) { return std::fabs(a - b) < 1e-9; };
    if (read.buses.size() != written.buses.size() ||
        read.branches.size() != written.branches.size())
        return "the counts of cards differ";
    for (std::size_t k = 0; k < written.buses.size(); ++k) {
        const CdfBus &w = written.buses[k], &r = read.buses[k];
        if (w.number != r.number || w.name != r.name || w.area != r.area || w.zone != r.zone ||
            w.type != r.type || !same(w.voltage, r.voltage) || !same(w.loadMw, r.loadMw) ||
            !same(w.loadMvar, r.loadMvar) || !same(w.generationMw, r.generationMw) ||
            !same(w.desiredVoltage, r.desiredVoltage) || !same(w.shuntB, r.shuntB))
            return "bus card " + std::to_string(w.number) + " reads back differently";
    }
    for (std::size_t k = 0; k < written.branches.size(); ++k) {
        const CdfBranch &w = written.branches[k], &r = read.branches[k];
        if (w.from != r.from || w.to != r.to || w.type != r.type || !same(w.r, r.r) ||
            !same(w.x, r.x) || !same(w.charging, r.charging) || !same(w.ratio, r.ratio))
            return "branch card " + std::to_string(k + 1) + " reads back differently";
    }
    return {};
}

// ---- an independent check of the solution --------------------------------------------

struct SolutionCheck {
    double worstP = 0; ///< largest active-power mismatch of a non-slack bus, MW
    double worstQ = 0; ///< largest reactive-power mismatch of a load bus, MVAR
    double worstV = 0; ///< largest deviation from a held voltage, per unit
    double minV = 1e9, maxV = 0, minAngle = 1e9, maxAngle = -1e9; ///< angles in degrees
    double slackMw = 0, slackMvar = 0, lossMw = 0;
    bool complete = true; ///< every bus has its two variables
};

/// Builds the bus admittance matrix from the branch records (pi model, tap t at the from
/// bus, bus shunts) and measures the power balance at the solved voltages.
SolutionCheck checkSolution(const CdfNetwork& network, const std::map<std::string, double>& values)
{
    SolutionCheck check;
    std::map<int, std::size_t> index;
    for (std::size_t k = 0; k < network.buses.size(); ++k)
        index[network.buses[k].number] = k;
    const std::size_t n = network.buses.size();
    std::vector<std::map<std::size_t, std::complex<double>>> y(n);
    for (const CdfBranch& b : network.branches) {
        const std::size_t f = index.at(b.from), t = index.at(b.to);
        const std::complex<double> series = 1.0 / std::complex<double>(b.r, b.x);
        const std::complex<double> charging(0.0, b.charging / 2.0);
        const std::complex<double> tap =
            std::polar(b.ratio != 0.0 ? b.ratio : 1.0, b.shift * std::numbers::pi / 180.0);
        y[f][f] += (series + charging) / std::norm(tap);
        y[t][t] += series + charging;
        y[f][t] += -series / std::conj(tap);
        y[t][f] += -series / tap;
    }
    for (const CdfBus& b : network.buses)
        y[index.at(b.number)][index.at(b.number)] += std::complex<double>(b.shuntG, b.shuntB);

    std::vector<std::complex<double>> v(n);
    for (std::size_t k = 0; k < n; ++k) {
        const std::string number = std::to_string(network.buses[k].number);
        std::string magnitude = "v", angle = "a";
        const auto vm = values.find(magnitude += number);
        const auto va = values.find(angle += number);
        if (vm == values.end() || va == values.end()) {
            check.complete = false;
            return check;
        }
        v[k] = std::polar(vm->second, va->second);
        check.minV = std::min(check.minV, vm->second);
        check.maxV = std::max(check.maxV, vm->second);
        check.minAngle = std::min(check.minAngle, va->second * 180.0 / std::numbers::pi);
        check.maxAngle = std::max(check.maxAngle, va->second * 180.0 / std::numbers::pi);
    }
    for (std::size_t k = 0; k < n; ++k) {
        std::complex<double> current = 0.0;
        for (const auto& [column, admittance] : y[k])
            current += admittance * v[column];
        const std::complex<double> s = v[k] * std::conj(current) * 100.0; // MW, MVAR
        const CdfBus& b = network.buses[k];
        check.lossMw += s.real();
        if (b.type == 3) {
            check.slackMw = s.real() + b.loadMw;
            check.slackMvar = s.imag() + b.loadMvar;
            check.worstV = std::max(check.worstV, std::fabs(std::abs(v[k]) - b.voltage));
            continue;
        }
        check.worstP = std::max(check.worstP, std::fabs(s.real() - (b.generationMw - b.loadMw)));
        if (b.type == 2 || b.type == 4)
            check.worstV = std::max(check.worstV, std::fabs(std::abs(v[k]) - b.voltage));
        else
            check.worstQ =
                std::max(check.worstQ, std::fabs(s.imag() - (b.generationMvar - b.loadMvar)));
    }
    return check;
}

// ---- one case ---------------------------------------------------------------------------

std::string g_log; // what the library sends during a run

void keepOutput(char* text)
{
    g_log += text;
}

void run(const char* name, const std::filesystem::path& cdfFile, const CdfNetwork& network)
{
    const std::string input = cdfFile.string();
    const std::string output = varnel::powerFlowOutputName(input);
    const auto start = std::chrono::steady_clock::now();
    const varnel::PowerFlowResult converted = varnel::convertCdfFile(input, output);
    const double conversion = seconds(std::chrono::steady_clock::now() - start);
    if (!converted.ok) {
        std::printf("%-8s conversion FAILED: %s\n", name, converted.message.c_str());
        return;
    }

    g_log.clear();
    CVarnel solver;
    solver.setOutputCallback(keepOutput);
    SolverOptions options;
    options.toleranceExponent = -8;
    options.maxIterations = 20;
    options.showResults = 0;
    solver.setOptions(&options);
    std::string path = output;
    const auto solveStart = std::chrono::steady_clock::now();
    const bool ok = solver.solve(path.data(), "S");
    const double solving = seconds(std::chrono::steady_clock::now() - solveStart);

    const varnel::PhaseTimes& t = solver.context().times;
    std::printf("%-8s %s  conversion %7.4f s  reading %7.4f  differentiation %7.4f  "
                "structure+ordering %7.4f  "
                "iterations %7.4f (%d Newton steps)  writing %7.4f (overlapped)  total %7.4f s\n",
                name, ok ? "solved" : "FAILED", conversion, t.reading, t.differentiation,
                t.structure, t.iterations, t.newtonIterations, t.writing, conversion + solving);
    std::printf("%-8s %zu buses, %zu branches, %d variables, equation file %ju bytes; solve %.4f s "
                "of which "
                "%.4f s outside the four phases on the main thread\n",
                name, network.buses.size(), network.branches.size(), solver.variableCount(),
                static_cast<std::uintmax_t>(std::filesystem::file_size(output)), solving,
                solving - t.reading - t.differentiation - t.structure - t.iterations);
    if (!ok) {
        const std::size_t tail = g_log.size() > 2000 ? g_log.size() - 2000 : 0;
        std::printf("%s\n", g_log.substr(tail).c_str());
        return;
    }

    std::map<std::string, double> values;
    for (int i = 0; i < solver.variableCount(); ++i)
        values[solver.variableName(i)] = solver.variableValue(i);
    const SolutionCheck check = checkSolution(network, values);
    if (!check.complete) {
        std::printf("%-8s the solution lacks the voltage or angle of a bus\n", name);
        return;
    }
    std::printf("%-8s mismatch P %.2e MW, Q %.2e MVAR, held V %.2e pu;  V %.4f..%.4f pu, angles "
                "%.2f..%.2f deg;  "
                "slack %.2f MW %.2f MVAR, losses %.2f MW\n",
                name, check.worstP, check.worstQ, check.worstV, check.minV, check.maxV,
                check.minAngle, check.maxAngle, check.slackMw, check.slackMvar, check.lossMw);
}

} // namespace

int main(int argc, char** argv)
{
    // The 14-bus case lives with the test data; a first argument names another copy.
    const std::filesystem::path ieee14 =
        argc > 1 ? std::filesystem::path(argv[1])
                 : std::filesystem::path(__FILE__).parent_path().parent_path() / "tests" / "data" /
                       "ieee14.cf";
    const auto dir = std::filesystem::temp_directory_path() / "varnel-powerflow-bench";
    std::filesystem::create_directories(dir);

    std::ifstream in(ieee14);
    const varnel::CdfReadResult small = varnel::readCdf(in);
    if (!small.ok) {
        std::printf("cannot read %s: %s\n", ieee14.string().c_str(), small.message.c_str());
        return 1;
    }
    std::filesystem::copy_file(ieee14, dir / "ieee14.cf",
                               std::filesystem::copy_options::overwrite_existing);
    run("ieee14", dir / "ieee14.cf", small.network);

    const auto made = std::chrono::steady_clock::now();
    const CdfNetwork ring = ringAndMesh(300);
    const std::string text = cdfText(ring, "300-BUS RING AND MESH");
    std::ofstream(dir / "ring300.cf") << text;
    const double making = seconds(std::chrono::steady_clock::now() - made);
    std::istringstream back(text);
    const varnel::CdfReadResult reread = varnel::readCdf(back);
    const std::string difference =
        reread.ok ? compareReadBack(ring, reread.network) : reread.message;
    if (!difference.empty()) {
        std::printf("ring300  the generated file does not read back: %s\n", difference.c_str());
        return 1;
    }
    std::printf("ring300  network file written in %.4f s (%zu bytes), reads back card for card\n",
                making, text.size());
    run("ring300", dir / "ring300.cf", ring);

    // VARNEL_BENCH_KEEP=1 leaves the files for timing varnel-cli runs on them.
    const char* keep = std::getenv("VARNEL_BENCH_KEEP");
    if (keep == nullptr || std::string(keep) != "1")
        std::filesystem::remove_all(dir);
    return 0;
}
