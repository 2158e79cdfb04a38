// Writing the result table and echoing it to the host.
#include "ResultTable.h"

#include "GuardedMath.h"
#include "NumberText.h"

#include <cmath>
#include <cstdio>

namespace varnel {

static_assert(kZeroMagnitude == TINY, "tables write what the library takes for zero in fixed form");

namespace {
constexpr std::size_t kFieldsPerPiece = 13;

std::string formatName(const std::string& name)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%15s", name.c_str());
    return buffer;
}
} // namespace

std::string formatResultValue(double value)
{
    return formatTableNumber(value);
}

void ResultTable::writeValues(const std::vector<double>& values, bool toTable, bool toCallback,
                              int rowNumber)
{
    std::string piece;
    std::size_t fields = 0;
    auto flush = [&] {
        if (fields == 0)
            return;
        if (toTable)
            m_file.writeString(piece);
        if (toCallback) {
            if (rowNumber > 0)
                m_reporter.sendf("%4d", rowNumber);
            m_reporter.send(piece);
            if (rowNumber > 0)
                m_reporter.send("\n");
        }
        piece.clear();
        fields = 0;
    };
    for (double v : values) {
        piece += formatResultValue(v);
        if (++fields == kFieldsPerPiece)
            flush();
    }
    flush();
}

void ResultTable::writeRow(const VariableTable& variables, bool solved, int stepIndex,
                           bool showResults)
{
    if (!solved)
        return;
    const bool echo = stepIndex == 0 && showResults;
    if (stepIndex == 0) {
        for (int k = 1; k <= variables.count(); ++k) {
            const std::string field = formatName(variables.names[static_cast<std::size_t>(k)]);
            m_file.writeString(field);
            if (showResults)
                m_reporter.send(field);
        }
        m_file.writeLineEnd();
        if (showResults)
            m_reporter.send("\n");
    }
    std::vector<double> values(variables.values.begin() + 1, variables.values.end());
    writeValues(values, true, echo, 0);
    m_file.writeLineEnd();
    if (echo)
        m_reporter.send("\n");
}

void ResultTable::writeIntegrationRow(const std::vector<std::string>& columns,
                                      const VariableTable& variables, bool solved, int stepIndex,
                                      bool showResults)
{
    if (stepIndex == 0) {
        m_columnVariables.assign(columns.size(), 0);
        for (std::size_t c = 0; c < columns.size(); ++c)
            for (int k = 1; k <= variables.count(); ++k)
                if (variables.names[static_cast<std::size_t>(k)] == columns[c]) {
                    m_columnVariables[c] = k;
                    break;
                }
        if (showResults)
            m_reporter.send("  No");
        for (const std::string& name : columns) {
            const std::string field = formatName(name);
            if (solved)
                m_file.writeString(field);
            if (showResults)
                m_reporter.send(field);
        }
        if (solved)
            m_file.writeLineEnd();
        if (showResults)
            m_reporter.send("\n");
    }
    std::vector<double> values;
    values.reserve(m_columnVariables.size());
    for (int k : m_columnVariables)
        values.push_back(
            k > 0 && k <= variables.count() ? variables.values[static_cast<std::size_t>(k)] : 0.0);
    writeValues(values, solved, showResults, stepIndex + 1);
    if (solved)
        m_file.writeLineEnd();
}

void saveVariables(const VariableTable& variables, std::vector<double>& saved)
{
    saved = variables.values;
    if (traceEnabled()) {
        trace("Save Variables\n");
        for (int k = 1; k <= variables.count(); ++k)
            trace("%10.6f", variables.values[static_cast<std::size_t>(k)]);
        trace("\n");
    }
}

void restoreVariables(VariableTable& variables, const std::vector<double>& saved)
{
    const std::size_t n = std::min(saved.size(), variables.values.size());
    for (std::size_t k = 1; k < n; ++k)
        variables.values[k] = saved[k];
    if (traceEnabled()) {
        trace("Restore Variables\n");
        for (int k = 1; k <= variables.count(); ++k)
            trace("%10.6f", variables.values[static_cast<std::size_t>(k)]);
        trace("\n");
    }
}

} // namespace varnel
