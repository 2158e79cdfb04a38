// The result table of a run (the ".PRN" file): a header of variable names and one row
// of values per solved step, every field 15 characters wide, optionally echoed through
// the output callback. Also the plain save and restore of all variable values.
#pragma once

#include "EquationSet.h"
#include "Reporter.h"
#include "TextFile.h"

#include <string>
#include <vector>

namespace varnel {

/// One value as the table writes it: "%15.7lf" for 1e-5 < |v| < 1e5 and for |v| <= TINY,
/// "%15.6le" otherwise.
std::string formatResultValue(double value);

class ResultTable {
public:
    ResultTable(TextFile& file, Reporter& reporter) : m_file(file), m_reporter(reporter) {}

    /// Algebraic table: header at the first solved step (stepIndex 0), then the values.
    /// A failed step writes nothing.
    void writeRow(const VariableTable& variables, bool solved, int stepIndex, bool showResults);
    /// Integration table: the columns are variable names looked up in `variables` at
    /// step 0 (a name that no longer exists shows 0); every step is echoed with its
    /// number when results are shown.
    void writeIntegrationRow(const std::vector<std::string>& columns,
                             const VariableTable& variables, bool solved, int stepIndex,
                             bool showResults);

private:
    void writeValues(const std::vector<double>& values, bool toTable, bool toCallback,
                     int rowNumber);

    TextFile& m_file;
    Reporter& m_reporter;
    std::vector<int> m_columnVariables; // integration table: variable of each column (0: none)
};

/// Copies variables 1..n to `saved` (index 0 unused) and back.
void saveVariables(const VariableTable& variables, std::vector<double>& saved);
void restoreVariables(VariableTable& variables, const std::vector<double>& saved);

} // namespace varnel
