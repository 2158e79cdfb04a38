// Power-flow equations from a Common Data Format network: the bus table with its
// classes, the bus admittance matrix (transformer pi-model, bus shunts), the tie lines
// and area table, and the writer of the equation file. Fed by readCdf.
#include "PowerFlowGenerator.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <pthread.h>
#include <string_view>
#include <unistd.h>

namespace varnel {

namespace {

constexpr int maxBusNumber = 9999;
constexpr int tieLineTableSize = 15651; // entry 0 stays empty
constexpr int maxArea = 10;
/// Larger magnitudes would not read back as one number of the equation language.
constexpr double largestWritable = 1e15;
constexpr double degreesToRadians = std::numbers::pi / 180.0;

void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
void trace(const char* format, ...)
{
    static const bool enabled = [] {
        const char* value = std::getenv("VARNEL_TRACE");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    if (!enabled)
        return;
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
}

enum class BusClass { Load, Generator, SystemSlack, AreaSlack };

struct Admittance {
    int column;
    double g;
    double b;
};

struct Bus {
    int area = 0;
    BusClass busClass = BusClass::Load;
    double voltage = 0.0;
    double angle = 0.0; // degrees, as on the card
    double p = 0.0;
    double q = 0.0;
    std::vector<Admittance> row; // oldest contribution first; written newest first
};

struct TieLine {
    int from = 0;
    int to = 0;
    int area = 0;
    bool transformer = false;
    double gFrom = 0.0, bFrom = 0.0;         // from-end self admittance
    double gTo = 0.0, bTo = 0.0;             // to-end self admittance
    double gSeries = 0.0, bSeries = 0.0;     // transfer admittance seen from the from end
    double gSeriesTo = 0.0, bSeriesTo = 0.0; // ... and from the to end
    double ratio = 1.0;
    double shift = 0.0;
};

struct Area {
    bool seen = false;
    int slackBus = 0;
    double exportPu = 0.0;
};

/// A complex admittance g + jb.
struct Complex {
    double g;
    double b;
};

/// The pieces of the equation file; every number goes through number().
class EquationText {
public:
    void piece(std::string_view text) { m_text += text; }
    void v(int bus)
    {
        m_text += 'v';
        m_text += std::to_string(bus);
    }
    void a(int bus)
    {
        m_text += 'a';
        m_text += std::to_string(bus);
    }

    /// "%5lf", a negative value enclosed in parentheses.
    void number(double value)
    {
        value += 0.0; // a zero is written without a sign
        if (!std::isfinite(value) || std::fabs(value) >= largestWritable) {
            m_tooLarge = true;
            value = 0.0;
        }
        if (value < 0.0) {
            m_text += '(';
            m_text += fixed(value, 6);
            m_text += ')';
        } else {
            m_text += fixed(value, 6);
        }
    }

    /// "%7.2f" for the export shown in an area comment.
    void width7(double value)
    {
        std::string text = fixed(value + 0.0, 2);
        if (text.size() < 7)
            text.insert(0, 7 - text.size(), ' ');
        m_text += text;
    }

    /// "%3d".
    void width3(int value)
    {
        std::string text = std::to_string(value);
        if (text.size() < 3)
            text.insert(0, 3 - text.size(), ' ');
        m_text += text;
    }

    void append(const EquationText& other)
    {
        m_text += other.m_text;
        m_tooLarge = m_tooLarge || other.m_tooLarge;
    }

    bool tooLarge() const { return m_tooLarge; }
    std::string& text() { return m_text; }

    static std::string fixed(double value, int precision)
    {
        char buffer[64];
        auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                          std::chars_format::fixed, precision);
        if (error != std::errc())
            return "0";
        return std::string(buffer, end);
    }

private:
    std::string m_text;
    bool m_tooLarge = false;
};

class PowerFlowForm {
public:
    PowerFlowForm() : m_slot(maxBusNumber + 1, -1), m_areas(maxArea + 1) {}

    /// Builds the tables; false with m_error set when the network cannot be written.
    bool build(const CdfNetwork& network)
    {
        return readBuses(network.buses) && readBranches(network.branches) &&
               addShunts(network.buses) && readInterchanges(network.interchanges);
    }

    bool write(std::string& text)
    {
        EquationText out;
        out.piece("{Generated from CF File Format}");
        out.piece("\n");
        out.piece("k");
        out.piece("=");
        out.number(1.0);
        out.piece(";\n");
        for (int a : m_order)
            writeBus(out, a);
        for (int n : m_order) {
            out.v(n);
            out.piece("\xBB");
            out.number(1.0);
            out.piece(";\n");
            out.a(n);
            out.piece("\xBB");
            out.number(0.0);
            out.piece(";\n");
        }
        if (m_isolatedBus != 0)
            return fail("bus " + std::to_string(m_isolatedBus) +
                        " is connected to no branch, so its power balance has no terms");
        if (out.tooLarge())
            return fail("a value of the network is too large to be written as a number");
        text = std::move(out.text());
        return true;
    }

    const std::string& error() const { return m_error; }

private:
    bool fail(const std::string& message)
    {
        m_error = message;
        return false;
    }
    static std::string at(int line) { return "line " + std::to_string(line) + ": "; }

    bool known(int number) const
    {
        return number >= 1 && number <= maxBusNumber && m_slot[number] >= 0;
    }
    Bus& busAt(int number) { return m_buses[m_slot[number]]; }
    const Bus& busAt(int number) const { return m_buses[m_slot[number]]; }

    bool readBuses(const std::vector<CdfBus>& cards)
    {
        for (const CdfBus& card : cards) {
            if (card.number < 1 || card.number > maxBusNumber)
                return fail(at(card.line) + "bus number " + std::to_string(card.number) +
                            " is outside 1 to 9999");
            if (known(card.number))
                return fail(at(card.line) + "bus " + std::to_string(card.number) +
                            " has a second bus card");
            m_slot[card.number] = static_cast<int>(m_buses.size());
            Bus& bus = m_buses.emplace_back();
            m_order.push_back(card.number);
            switch (card.type) {
            case 0:
                bus.busClass = BusClass::Load;
                break;
            case 2:
            case 4:
                bus.busClass = BusClass::Generator;
                break;
            case 3:
                bus.busClass = BusClass::SystemSlack;
                break;
            default: // type 1 and unknown types stay load buses
                break;
            }
            bus.area = card.area;
            bus.voltage = card.voltage;
            bus.angle = card.angle;
            bus.p = -(card.loadMw - card.generationMw) / 100.0;
            bus.q = -(card.loadMvar - card.generationMvar) / 100.0;
        }
        trace("Bus Data Read %d\n", static_cast<int>(m_order.size()));
        return true;
    }

    void add(int row, int column, Complex y)
    {
        for (Admittance& entry : busAt(row).row) {
            if (entry.column == column) {
                entry.g += y.g;
                entry.b += y.b;
                return;
            }
        }
        busAt(row).row.push_back({column, y.g, y.b});
    }

    bool readBranches(const std::vector<CdfBranch>& cards)
    {
        for (const CdfBranch& card : cards) {
            if (!known(card.from) || !known(card.to))
                return fail(at(card.line) + "the branch from bus " + std::to_string(card.from) +
                            " to bus " + std::to_string(card.to) +
                            " names a bus without a bus card");
            double d = card.r * card.r + card.x * card.x;
            double g = card.r / d;
            double b = -card.x / d;
            if (!(d > 0.0) || !std::isfinite(g) || !std::isfinite(b))
                return fail(at(card.line) + "the branch from bus " + std::to_string(card.from) +
                            " to bus " + std::to_string(card.to) + " has no usable impedance");
            // Transformer pi-model: the ratio t (1 when none) and the phase shift phi sit
            // at the from (tap) bus, t e^(j phi) : 1.
            double t = card.ratio != 0.0 ? card.ratio : 1.0;
            double phi = card.shift * degreesToRadians;
            double c = std::cos(phi), s = std::sin(phi);
            double halfCharging = card.charging / 2.0;
            Complex yFromFrom{g / (t * t), (b + halfCharging) / (t * t)};
            Complex yToTo{g, b + halfCharging};
            Complex yFromTo{-(g * c - b * s) / t, -(g * s + b * c) / t};
            Complex yToFrom{-(g * c + b * s) / t, -(b * c - g * s) / t};

            int fromArea = busAt(card.from).area;
            int toArea = busAt(card.to).area;
            if (card.area != fromArea || card.area != toArea) {
                if (static_cast<int>(m_tieLines.size()) >= tieLineTableSize - 1)
                    return fail(at(card.line) + "more than 15650 tie lines");
                TieLine tie;
                tie.from = card.from;
                tie.to = card.to;
                tie.area = card.area;
                tie.transformer = card.type != 0;
                tie.gFrom = yFromFrom.g;
                tie.bFrom = yFromFrom.b;
                tie.gTo = yToTo.g;
                tie.bTo = yToTo.b;
                tie.gSeries = yFromTo.g;
                tie.bSeries = yFromTo.b;
                tie.gSeriesTo = yToFrom.g;
                tie.bSeriesTo = yToFrom.b;
                tie.ratio = t;
                tie.shift = card.shift;
                m_tieLines.push_back(tie);
            }
            add(card.from, card.to, yFromTo);
            add(card.to, card.from, yToFrom);
            add(card.from, card.from, yFromFrom);
            add(card.to, card.to, yToTo);
        }
        return true;
    }

    bool addShunts(const std::vector<CdfBus>& cards)
    {
        for (const CdfBus& card : cards)
            if (card.shuntG != 0.0 || card.shuntB != 0.0)
                add(card.number, card.number, {card.shuntG, card.shuntB});
        return true;
    }

    bool readInterchanges(const std::vector<CdfInterchange>& cards)
    {
        for (const CdfInterchange& card : cards) {
            std::string area = std::to_string(card.area);
            if (card.area < 1 || card.area > maxArea)
                return fail(at(card.line) + "area number " + area + " is outside 1 to 10");
            if (m_areas[card.area].seen)
                return fail(at(card.line) + "area " + area + " has a second interchange card");
            if (!known(card.slackBus))
                return fail(at(card.line) + "the interchange slack bus " +
                            std::to_string(card.slackBus) + " of area " + area +
                            " has no bus card");
            Bus& bus = busAt(card.slackBus);
            if (bus.busClass != BusClass::SystemSlack) {
                if (bus.area != card.area)
                    return fail(at(card.line) + "the interchange slack bus " +
                                std::to_string(card.slackBus) + " of area " + area +
                                " lies in area " + std::to_string(bus.area));
                bus.busClass = BusClass::AreaSlack;
            }
            Area& entry = m_areas[card.area];
            entry.seen = true;
            entry.slackBus = card.slackBus;
            entry.exportPu = card.exportMw / 100.0;
            trace("%2d %4d %s %10.4lf\n", card.area, card.slackBus, card.name.c_str(),
                  card.exportMw);
        }
        return true;
    }

    // ---- writing ------------------------------------------------------------------

    /// P k = V_a sum_k V_k (G cos(a_a - a_k) + B sin(a_a - a_k)); the conductance
    /// terms are written when |G| exceeds gLimit (G != 0 for a load bus).
    void writeActivePower(EquationText& out, int a, double gLimit)
    {
        const Bus& bus = busAt(a);
        out.number(bus.p);
        out.piece("*");
        out.piece("k");
        out.piece("=");
        out.v(a);
        out.piece("*");
        out.piece("(");
        bool anyTerm = false;
        for (auto entry = bus.row.rbegin(); entry != bus.row.rend(); ++entry) {
            int k = entry->column;
            anyTerm = anyTerm || k != a || std::fabs(entry->g) > gLimit;
            if (std::fabs(entry->g) > gLimit) {
                out.piece("+");
                out.v(k);
                out.piece("*");
                out.number(entry->g);
                if (k != a)
                    angleFunction(out, "COS", a, k);
            }
            if (k != a) {
                out.piece("+");
                out.v(k);
                out.piece("*");
                out.number(entry->b);
                angleFunction(out, "SIN", a, k);
            }
        }
        out.piece(")");
        out.piece(";\n");
        if (!anyTerm && m_isolatedBus == 0)
            m_isolatedBus = a;
    }

    /// Q k = -V_a sum_k V_k (B cos(a_a - a_k) - G sin(a_a - a_k)).
    void writeReactivePower(EquationText& out, int a)
    {
        const Bus& bus = busAt(a);
        out.number(bus.q);
        out.piece("*");
        out.piece("k");
        out.piece("=");
        out.piece("-");
        out.v(a);
        out.piece("*");
        out.piece("(");
        for (auto entry = bus.row.rbegin(); entry != bus.row.rend(); ++entry) {
            int k = entry->column;
            out.piece("+");
            out.v(k);
            out.piece("*");
            out.number(entry->b);
            if (k != a)
                angleFunction(out, "COS", a, k);
            if (entry->g != 0.0) {
                out.piece("-");
                out.v(k);
                out.piece("*");
                out.number(entry->g);
                angleFunction(out, "SIN", a, k);
            }
        }
        out.piece(")");
        out.piece(";\n");
    }

    /// "*", name, "(", a(x), "-", a(y), ")".
    static void angleFunction(EquationText& out, const char* name, int x, int y)
    {
        out.piece("*");
        out.piece(name);
        out.piece("(");
        out.a(x);
        out.piece("-");
        out.a(y);
        out.piece(")");
    }

    void writeVoltage(EquationText& out, int a)
    {
        out.v(a);
        out.piece("=");
        out.number(busAt(a).voltage);
        out.piece(";\n");
    }

    /// The active power that enters a tie line at its end x (the other end y), both
    /// terms opened by sign: sign V_x V_x g_self sign V_f V_u (g cos(a_x - a_y) +
    /// b sin(a_x - a_y)), where f and u are the line's from and to buses.
    static void lineFlow(EquationText& out, const char* sign, const TieLine& line, bool atFrom)
    {
        int x = atFrom ? line.from : line.to;
        int y = atFrom ? line.to : line.from;
        out.piece(sign);
        out.v(x);
        out.piece("*");
        out.v(x);
        out.piece("*");
        out.number(atFrom ? line.gFrom : line.gTo);
        out.piece(sign);
        out.v(line.from);
        out.piece("*");
        out.v(line.to);
        out.piece("*");
        out.piece("(");
        out.number(atFrom ? line.gSeries : line.gSeriesTo);
        angleFunction(out, "COS", x, y);
        out.piece("+");
        out.number(atFrom ? line.bSeries : line.bSeriesTo);
        angleFunction(out, "SIN", x, y);
        out.piece(")");
    }

    /// The tie-line terms of an area's export, each line's flow signed as export.
    void writeTieLineTerms(EquationText& out, int area)
    {
        auto inArea = [&](int bus) { return busAt(bus).area == area; };
        for (const TieLine& line : m_tieLines) {
            bool lineInArea = line.area == area;
            if (inArea(line.from) && !lineInArea)
                lineFlow(out, "+", line, true);
            if (!inArea(line.to) && lineInArea)
                lineFlow(out, "-", line, false);
            if (inArea(line.to) && !lineInArea)
                lineFlow(out, "+", line, false);
            if (!inArea(line.from) && lineInArea)
                lineFlow(out, "-", line, true);
        }
    }

    void writeBus(EquationText& out, int a)
    {
        const Bus& bus = busAt(a);
        switch (bus.busClass) {
        case BusClass::Load:
            writeActivePower(out, a, 0.0);
            writeReactivePower(out, a);
            return;
        case BusClass::Generator:
            writeActivePower(out, a, 1e-20);
            writeVoltage(out, a);
            return;
        case BusClass::SystemSlack:
            out.a(a);
            out.piece("=");
            out.number(bus.angle * degreesToRadians);
            out.piece(";\n");
            writeVoltage(out, a);
            return;
        case BusClass::AreaSlack:
            writeAreaSlack(out, a);
            return;
        }
    }

    void writeAreaSlack(EquationText& out, int a)
    {
        const Bus& bus = busAt(a);
        const Area& area = m_areas[bus.area]; // 1..10, checked with the interchange card
        EquationText terms;
        writeTieLineTerms(terms, bus.area);
        if (terms.text().empty()) {
            // Without tie lines the export is no equation; the bus keeps its generation.
            out.piece("{Area ");
            out.piece(std::to_string(bus.area));
            out.piece(" has no tie lines: its slack bus ");
            out.piece(std::to_string(a));
            out.piece(" is written as a generator bus}\n");
            writeActivePower(out, a, 1e-20);
            writeVoltage(out, a);
            return;
        }
        out.piece("{\nBEGIN AREA DATA:\nArea ");
        out.width3(bus.area);
        out.piece(" tie lines\nExport= ");
        out.width7(area.exportPu);
        out.piece("}\n");
        out.number(area.exportPu);
        out.piece("=");
        out.append(terms);
        out.piece(";\n");
        writeVoltage(out, a);
        out.piece("\n{END AREA}\n");
    }

    std::vector<int> m_slot;  // bus number -> index in m_buses, -1 for none
    std::vector<Bus> m_buses; // in the order of their cards
    std::vector<int> m_order; // bus numbers in the order of their cards
    std::vector<TieLine> m_tieLines;
    std::vector<Area> m_areas; // by area number
    std::string m_error;
    int m_isolatedBus = 0; // the first bus whose active-power sum came out empty
};

std::atomic<unsigned> temporaryCounter{0};

/// Holds back the signals that end a program from a terminal (interrupt, quit, hang-up,
/// terminate) while it lives: one that arrives meanwhile acts when it ends, after the
/// temporary file has been renamed or removed, so that none is left behind.
class TerminationHeld {
public:
    TerminationHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        for (const int s : {SIGINT, SIGQUIT, SIGHUP, SIGTERM})
            sigaddset(&held, s);
        pthread_sigmask(SIG_BLOCK, &held, &m_previous);
    }
    ~TerminationHeld() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    TerminationHeld(const TerminationHeld&) = delete;
    TerminationHeld& operator=(const TerminationHeld&) = delete;

private:
    sigset_t m_previous;
};

/// Writes text to path through a temporary file beside it that replaces path only when
/// complete. Empty on success, else the reason.
std::string writeWhole(const std::string& path, const std::string& text)
{
    const TerminationHeld held;
    std::string temporary;
    std::FILE* file = nullptr;
    for (int attempt = 0; attempt < 100 && file == nullptr; ++attempt) {
        // Beside the file, its name shortened when a folder entry could not hold it whole.
        const std::string suffix =
            ".tmp" + std::to_string(getpid()) + "-" + std::to_string(temporaryCounter.fetch_add(1));
        const std::size_t start = path.find_last_of('/') + 1; // 0 without a folder
        std::string entry = path.substr(start);
        if (entry.size() + suffix.size() > 255)
            entry.resize(255 - suffix.size());
        temporary = path.substr(0, start) + entry + suffix;
        file = std::fopen(temporary.c_str(), "wbx");
        if (file == nullptr && errno != EEXIST)
            break;
    }
    if (file == nullptr)
        return std::strerror(errno);
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int writeError = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        writeError = errno;
    }
    if (written && std::rename(temporary.c_str(), path.c_str()) != 0) {
        written = false;
        writeError = errno;
    }
    if (!written) {
        std::remove(temporary.c_str());
        return std::strerror(writeError);
    }
    return {};
}

PowerFlowResult failure(const std::string& message)
{
    return {false, message};
}

PowerFlowResult convert(const std::string& inputPath, const std::string& outputPath)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(inputPath, ec))
        return failure("Cannot open the file \"" + inputPath + "\": it is a folder");
    std::ifstream in(inputPath, std::ios::binary);
    if (!in)
        return failure("Cannot open the file \"" + inputPath + "\": " + std::strerror(errno));
    if (fs::exists(outputPath, ec) && fs::equivalent(inputPath, outputPath, ec))
        return failure("Cannot write the equations to \"" + outputPath +
                       "\": it is the input file");

    CdfReadResult read = readCdf(in);
    if (!read.ok)
        return failure("Cannot read \"" + inputPath + "\": " + read.message);
    std::string text;
    PowerFlowResult formed = formPowerFlowEquations(read.network, text);
    if (!formed.ok)
        return failure("Cannot convert \"" + inputPath + "\": " + formed.message);

    std::string writeError = writeWhole(outputPath, text);
    if (!writeError.empty())
        return failure("Cannot create the file \"" + outputPath + "\": " + writeError);
    return {true, "Power Flow equations formed and stored to the file \"" + outputPath + "\""};
}

} // namespace

PowerFlowResult formPowerFlowEquations(const CdfNetwork& network, std::string& text)
{
    PowerFlowForm form;
    if (!form.build(network) || !form.write(text))
        return failure(form.error());
    return {true, {}};
}

PowerFlowResult convertCdfFile(const std::string& inputPath, const std::string& outputPath)
{
    try {
        return convert(inputPath, outputPath);
    } catch (const std::exception& e) {
        return failure("Cannot convert \"" + inputPath + "\": " + e.what());
    } catch (...) {
        return failure("Cannot convert \"" + inputPath + "\"");
    }
}

std::string powerFlowOutputName(const std::string& chosenPath)
{
    size_t slash = chosenPath.find_last_of('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = chosenPath.find('.', nameStart);
    return chosenPath.substr(0, dot) + ".ALG";
}

} // namespace varnel
