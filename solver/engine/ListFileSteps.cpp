// Reading the attached list file: header, data lines, and the equations of its
// fixed-value columns.
#include "ListFileSteps.h"

#include "NumberText.h"
#include "Symbols.h"

#include <cstdint>
#include <filesystem>

namespace varnel {

namespace {
constexpr std::size_t kListHeaderLimit = 1255;
constexpr std::size_t kListLineLimit = 255;
constexpr std::uint8_t kStartValueMark = symbol::StartingValueRelation;

bool isListSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ';' || c == '\r';
}

std::vector<std::string> splitListLine(const std::string& line)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isListSeparator(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !isListSeparator(line[i]))
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

Chain fixedValueEquation(std::uint32_t variable, double value)
{
    return {makeVariable(variable), makeConstant(value), makeBinaryToken('-'),
            makeToken(kind::End, ' ', 0, 0.0)};
}
} // namespace

bool ListFileSteps::open(RunContext& context)
{
    m_names.clear();
    m_startValue.clear();
    m_line = 0;
    RunSettings& settings = context.settings;
    if (!settings.listFileAttached)
        return false;
    TextFile& list = context.stream(Stream::ListFile);
    list.suppressMessages = true;
    // Only a file is read: a pipe or a device would hold the run in its opening.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(settings.listFileName, ec) ||
        !list.openRead(settings.listFileName)) {
        context.reporter.send("File ");
        context.reporter.send(settings.listFileName);
        context.reporter.send(" Does Not Exist");
        context.reporter.send("\n");
        settings.listFileAttached = false;
        return false;
    }
    std::string header(kListHeaderLimit + 1, '\0');
    header.resize(list.readLine(header.data(), kListHeaderLimit));
    list.skipLine();
    for (std::string name : splitListLine(header)) {
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        bool start = false;
        if (!name.empty() && static_cast<std::uint8_t>(name.back()) == kStartValueMark) {
            name.pop_back();
            start = true;
        }
        m_names.push_back(name.substr(0, kMaxNameLength));
        m_startValue.push_back(start);
    }
    return true;
}

bool ListFileSteps::addEquations(RunContext& context)
{
    m_equationFirst = 0;
    m_exhausted = false;
    if (!context.stream(Stream::ListFile).isOpen())
        return true;
    Reporter& reporter = context.reporter;
    EquationSet& set = context.set;
    for (const std::string& name : m_names) {
        if (set.variables.find(name) == 0) {
            reporter.send("\n");
            reporter.send("List file name ");
            reporter.send(name);
            reporter.send(" is not a variable of the equations");
            reporter.raiseError();
            return false;
        }
    }
    // One equation per fixed-value column; the first data line gives their values.
    m_equationFirst = set.equationCount() + 1;
    for (std::size_t c = 0; c < m_names.size(); ++c) {
        if (m_startValue[c])
            continue;
        Equation eq;
        eq.code = fixedValueEquation(1, 0.0);
        set.equations.push_back(std::move(eq));
    }
    if (m_equationFirst > set.equationCount())
        m_equationFirst = 0;
    if (!readLine(context)) {
        if (!reporter.runError) {
            reporter.send("\n");
            reporter.send("List file ");
            reporter.send(context.settings.listFileName);
            reporter.send(" has no values");
            reporter.raiseError();
        }
        return false;
    }
    return true;
}

bool ListFileSteps::readLine(RunContext& context)
{
    TextFile& list = context.stream(Stream::ListFile);
    if (!list.isOpen() || list.eof()) {
        m_exhausted = true;
        return false;
    }
    Reporter& reporter = context.reporter;
    EquationSet& set = context.set;
    std::string line(kListLineLimit + 1, '\0');
    line.resize(list.readLine(line.data(), kListLineLimit));
    list.skipLine();
    ++m_line;
    const std::vector<std::string> words = splitListLine(line);
    if (words.empty()) {
        m_exhausted = true;
        return false;
    }
    if (words.size() != m_names.size()) {
        reporter.send("\n");
        reporter.sendf("List file line %d has %d values for %d names", m_line + 1,
                       static_cast<int>(words.size()), static_cast<int>(m_names.size()));
        reporter.raiseError();
        return false;
    }
    int next = m_equationFirst;
    for (std::size_t c = 0; c < words.size(); ++c) {
        double value = 0.0;
        if (!parseDecimal(words[c], value)) {
            reporter.send("\n");
            reporter.sendf("List file line %d: \"%s\" is not a number", m_line + 1,
                           words[c].c_str());
            reporter.raiseError();
            return false;
        }
        const int variable = set.variables.find(m_names[c]);
        if (variable == 0)
            continue; // checked when the file was read
        set.variables.values[static_cast<std::size_t>(variable)] = value;
        if (!m_startValue[c] && next > 0 && next <= set.equationCount()) {
            set.equation(next).code =
                fixedValueEquation(static_cast<std::uint32_t>(variable), value);
            ++next;
        }
    }
    return true;
}

} // namespace varnel
