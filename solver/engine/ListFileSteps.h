// The attached list file of a run: a header line of variable names (a name ending in the
// starting-value sign gives starting values, any other a fixed value), then one line of
// values per step. Fixed-value columns become equations "x - value" appended to the
// set; every data line sets the values and rewrites those equations.
#pragma once

#include "RunContext.h"

#include <string>
#include <vector>

namespace varnel {

class ListFileSteps {
public:
    /// Opens the run's list file (settings.listFileName) and reads its header. False
    /// when no list file is attached or it cannot be opened ("File ", name, " Does Not
    /// Exist"; the attachment is dropped).
    bool open(RunContext& context);
    /// Appends one equation per fixed-value column of the open list file and applies the
    /// first data line. A name that is no variable or a file without values is reported
    /// and raises the error. True at once when no list file is open.
    bool addEquations(RunContext& context);
    /// Applies the next data line; false at the end of the file (exhausted() becomes
    /// true) or on a malformed line (reported, run error).
    bool readLine(RunContext& context);
    bool exhausted() const { return m_exhausted; }

private:
    std::vector<std::string> m_names; // header names
    std::vector<bool> m_startValue;   // true: the column holds starting values
    int m_line = 0;
    int m_equationFirst = 0; // first equation that belongs to the list file (0: none)
    bool m_exhausted = false;
};

} // namespace varnel
