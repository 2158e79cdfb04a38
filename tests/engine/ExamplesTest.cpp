// The bundled examples solved end to end through the solver object and checked against
// independent references: closed forms, bisection and fixed-point iteration written
// here, and std::complex arithmetic.
#include "TranscriptHost.h"

#include "CVarnel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

using namespace varnel::test;

namespace {

constexpr double kPi = 3.14159265358979323846;

/// Copies the examples into a scratch folder so that runs leave the sources alone.
class ExampleRun {
public:
    ExampleRun()
    {
        for (const auto& entry : std::filesystem::directory_iterator(
                 std::filesystem::path(VARNEL_SOURCE_DIR) / "examples"))
            std::filesystem::copy(entry.path(), m_dir.path() / entry.path().filename());
    }

    bool solve(const std::string& name, const std::string& mode = "S", SolverOptions options = {})
    {
        m_values.clear();
        m_path = (m_dir / name).string();
        const SolverOptions o = options;
        m_solver.setOptions(&o);
        std::string buffer = m_path;
        const bool ok = m_solver.solve(buffer.data(), mode.c_str());
        for (int i = 0; i < m_solver.variableCount(); ++i)
            m_values[m_solver.variableName(i)] = m_solver.variableValue(i);
        return ok;
    }

    double operator[](const std::string& name) const
    {
        auto it = m_values.find(name);
        if (it == m_values.end()) {
            ADD_FAILURE() << "no variable " << name;
            return std::nan("");
        }
        return it->second;
    }

    std::filesystem::path file(const std::string& name) const { return m_dir / name; }
    TranscriptHost host;

private:
    TempDir m_dir;
    CVarnel m_solver;
    std::string m_path;
    std::map<std::string, double> m_values;
};

double bisect(const std::function<double(double)>& f, double lo, double hi)
{
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        if ((f(lo) > 0) == (f(mid) > 0))
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}

TEST(Examples, ChemicalEquilibrium)
{
    ExampleRun run;
    ASSERT_TRUE(run.solve("chemical_equilibrium.alg")) << run.host.log;
    EXPECT_NEAR(run["a"], std::sqrt(0.15 / (0.15 + 4.0)), 1e-9);
}

TEST(Examples, ColebrookFrictionFactor)
{
    ExampleRun run;
    ASSERT_TRUE(run.solve("colebrook.alg")) << run.host.log;
    double f = 0.02; // fixed-point iteration of the Colebrook equation
    for (int i = 0; i < 200; ++i)
        f = std::pow(-2.0 * std::log10(1e-4 / 3.7 + 2.51 / (1e5 * std::sqrt(f))), -2.0);
    EXPECT_NEAR(run["f"], f, 1e-10);
}

TEST(Examples, FourBarLinkage)
{
    ExampleRun run;
    ASSERT_TRUE(run.solve("fourbar.alg")) << run.host.log;
    // Freudenstein's equation for the rocker angle, then the coupler from the loop.
    const double a = 2, b = 7, c = 9, d = 6, t2 = kPi / 3;
    const double k1 = d / a, k2 = d / c, k3 = (a * a - b * b + c * c + d * d) / (2 * a * c);
    const double A = std::cos(t2) - k1 - k2 * std::cos(t2) + k3;
    const double B = -2 * std::sin(t2);
    const double C = k1 - (k2 + 1) * std::cos(t2) + k3;
    const double t4 = 2 * std::atan((-B - std::sqrt(B * B - 4 * A * C)) / (2 * A));
    const double t3 =
        std::atan2(c * std::sin(t4) - a * std::sin(t2), d + c * std::cos(t4) - a * std::cos(t2));
    EXPECT_NEAR(run["t4"], t4, 1e-6); // the degree constant of the language has 12 digits of pi
    EXPECT_NEAR(run["t3"], t3, 1e-6);
}

TEST(Examples, DiodeCircuit)
{
    ExampleRun run;
    ASSERT_TRUE(run.solve("diode_circuit.alg")) << run.host.log;
    const double vd = bisect(
        [](double v) { return (5.0 - v) / 1000.0 - 1e-12 * (std::exp(v / 0.02585) - 1); }, 0, 1);
    EXPECT_NEAR(run["Vd"], vd, 1e-9);
    EXPECT_NEAR(run["I"], (5.0 - vd) / 1000.0, 1e-12);
}

TEST(Examples, AcCircuitInComplexMode)
{
    ExampleRun run;
    ASSERT_TRUE(run.solve("rlc_phasor.alg")) << run.host.log;
    const std::complex<double> i = 10.0 / std::complex<double>(5.0, 10.0 - 5.0);
    EXPECT_NEAR(run["Ir"], i.real(), 1e-10);
    EXPECT_NEAR(run["Ii"], i.imag(), 1e-10);
    EXPECT_NEAR(run["VRr"], (5.0 * i).real(), 1e-9);
    EXPECT_NEAR(run["VRi"], (5.0 * i).imag(), 1e-9);
}

TEST(Examples, HeatExchanger)
{
    ExampleRun run;
    ASSERT_TRUE(run.solve("heat_exchanger.alg")) << run.host.log;
    const double ch = 2000, cc = 3000, ua = 4000, thi = 150, tci = 20;
    const double cmin = std::min(ch, cc), cr = cmin / std::max(ch, cc), ntu = ua / cmin;
    const double eps = (1 - std::exp(-ntu * (1 - cr))) / (1 - cr * std::exp(-ntu * (1 - cr)));
    const double q = eps * cmin * (thi - tci);
    EXPECT_NEAR(run["Q"], q, 1e-5);
    EXPECT_NEAR(run["Tho"], thi - q / ch, 1e-8);
    EXPECT_NEAR(run["Tco"], tci + q / cc, 1e-8);
}

TEST(Examples, Trajectory)
{
    ExampleRun run;
    ASSERT_TRUE(run.solve("projectile.alg")) << run.host.log;
    const double th = 0.5 * std::asin(9.81 * 200 / (50.0 * 50.0));
    EXPECT_NEAR(run["th"], th, 1e-10);
    EXPECT_NEAR(run["t"], 200 / (50 * std::cos(th)), 1e-9);
}

TEST(Examples, PipeFlowWithRegimeBranch)
{
    ExampleRun run;
    ASSERT_TRUE(run.solve("pipe_flow_if.alg")) << run.host.log;
    const double rho = 1000, mu = 1e-3, dp = 0.05, len = 10, drop = 2000;
    const double v =
        std::pow(drop / (0.316 * std::pow(rho * dp / mu, -0.25) * (len / dp) * rho / 2), 1 / 1.75);
    EXPECT_NEAR(run["V"], v, 1e-9);
    EXPECT_GT(run["Re"], 2300.0);
    EXPECT_NE(run.host.log.find("IF MASK:    1"), std::string::npos);
}

TEST(Examples, HomotopySucceedsWhereNewtonFails)
{
    ExampleRun run;
    ASSERT_TRUE(run.solve("homotopy_arctan.alg")) << run.host.log;
    EXPECT_NEAR(run["x"], 20.0, 1e-9);

    // The same file with method NEWTON fails within its 5 iterations...
    const std::string text = readFile(run.file("homotopy_arctan.alg"));
    writeFile(run.file("newton_arctan.alg"),
              replaceAll(text, "HOMOTOPY SYMBOLIC", "NEWTON SYMBOLIC"));
    run.host.clear();
    EXPECT_FALSE(run.solve("newton_arctan.alg")) << run.host.log;
    // ...and automatic homotopy takes over.
    SolverOptions automatic;
    automatic.autoHomotopy = 1;
    run.host.clear();
    ASSERT_TRUE(run.solve("newton_arctan.alg", "S", automatic)) << run.host.log;
    EXPECT_NEAR(run["x"], 20.0, 1e-9);
    // Announced once; the parameter and its equation are gone afterwards.
    EXPECT_EQ(run.host.log.find("Performing Homotopy Transformation "),
              run.host.log.rfind("Performing Homotopy Transformation "));
}

TEST(Examples, ListFileRunOverSeveralPressures)
{
    ExampleRun run;
    SolverOptions options;
    const std::string list = run.file("equilibrium_pressures.LST").string();
    options.listFile.chars = list.c_str();
    options.listFile.length = static_cast<std::intptr_t>(list.size());
    options.listFileCount = 5;
    ASSERT_TRUE(run.solve("equilibrium_pressures.alg", "US", options)) << run.host.log;
    EXPECT_NE(run.host.log.find("Number of Steps:   5\n"), std::string::npos);
    std::istringstream table(readFile(run.file("equilibrium_pressures.PRN")));
    std::string k, a, p;
    table >> k >> a >> p;
    EXPECT_EQ(k + a + p, "KpaP");
    const double pressures[] = {0.5, 1, 2, 5, 10};
    for (double pressure : pressures) {
        double kv = 0, av = 0, pv = 0;
        ASSERT_TRUE(table >> kv >> av >> pv);
        EXPECT_DOUBLE_EQ(pv, pressure);
        EXPECT_NEAR(av, std::sqrt(0.15 / (0.15 + 4 * pressure)), 1e-7); // 7 decimals in the table
    }
    double extra;
    EXPECT_FALSE(table >> extra) << "one row per case";
}

TEST(Examples, LanguageExamples)
{
    ExampleRun run;
    ASSERT_TRUE(run.solve("intersection.alg")) << run.host.log;
    EXPECT_NEAR(run["x"], (-1 + std::sqrt(17.0)) / 2, 1e-6);
    ASSERT_TRUE(run.solve("parallel_resistors.alg")) << run.host.log;
    EXPECT_NEAR(run["R"], (-3 + std::sqrt(153.0)) / 4, 1e-9);
    ASSERT_TRUE(run.solve("special_roots.alg")) << run.host.log;
    EXPECT_NEAR(run["z"], 2.404825557695773, 1e-7); // first zero of J0
    EXPECT_NEAR(std::erf(run["e"]), 0.5, 1e-7);
    EXPECT_NEAR(run["g"], 4.0, 1e-7);
    EXPECT_NEAR(run["p"], std::log(2.0), 1e-7);

    ASSERT_TRUE(run.solve("phasor_divider.alg")) << run.host.log;
    const std::complex<double> vs = std::polar(10.0, kPi / 6), z2(6, -8);
    const std::complex<double> current = vs / (std::complex<double>(3, 4) + z2),
                               load = current * z2;
    EXPECT_NEAR(run["Ir"], current.real(), 1e-7);
    EXPECT_NEAR(run["Ii"], current.imag(), 1e-7);
    EXPECT_NEAR(run["M"], std::abs(load), 1e-7);
    EXPECT_NEAR(run["A"], std::arg(load), 1e-7);

    ASSERT_TRUE(run.solve("pipe_friction.alg")) << run.host.log;
    const double v = std::pow(
        2000.0 * 2 * 0.05 / (0.3164 * 10 * 1000) * std::pow(1000 * 0.05 / 0.001, 0.25), 1 / 1.75);
    EXPECT_NEAR(run["v"], v, 1e-9);
}

} // namespace

namespace {

TEST(Examples, VanDerWaalsIsothermsAsAParametricGraph)
{
    // The command in the example's comment: Vm from 0.1 to 1 in 36 steps, T from 280 to 320
    // in 4; every row against the explicit form p = R T/(Vm - b) - a/Vm^2.
    TempDir dir;
    const auto source =
        std::filesystem::path(VARNEL_SOURCE_DIR) / "examples" / "graph_vdw_isotherms.alg";
    std::filesystem::copy(source, dir / "vdw.alg");
    TranscriptHost host;
    host.answer = [](unsigned code, LPARAM record) -> LRESULT {
        if (code != varnel::RequestGraph)
            return 0;
        auto* r = reinterpret_cast<varnel::GraphRequest*>(record);
        r->independentIndex = 2; // p, a, Vm, b, R, T
        r->independentFrom = 0.1;
        r->independentTo = 1.0;
        r->stepCount = 36;
        r->parametric = 1;
        r->parameterIndex = 5;
        r->parameterFrom = 280.0;
        r->parameterTo = 320.0;
        r->parameterSteps = 4;
        return 1;
    };
    SolverOptions options;
    options.showResults = 0;
    ASSERT_TRUE(host.run((dir / "vdw.alg").string(), "G", options)) << host.log;
    std::istringstream table(readFile(dir / "vdw.PRN"));
    std::string line;
    std::getline(table, line);
    EXPECT_EQ(line, "PARAMETER:         T        5");
    std::getline(table, line); // the header
    int rows = 0;
    double p = 0, a = 0, vm = 0, b = 0, r = 0, t = 0;
    while (table >> p >> a >> vm >> b >> r >> t) {
        EXPECT_NEAR(vm, 0.1 + 0.025 * (rows % 37), 1e-7) << rows;
        EXPECT_NEAR(t, 280.0 + 10.0 * (rows / 37), 1e-7) << rows;
        EXPECT_NEAR(p, 0.08314 * t / (vm - 0.04267) - 3.640 / (vm * vm), 1e-6) << rows;
        ++rows;
    }
    EXPECT_EQ(rows, 5 * 37);
}

} // namespace
