// Reading a result table back: the optional "PARAMETER:" line, the header of column names
// and the rows of numbers, fields separated by blanks, ";" or tabs. Fed by the ".PRN" (or a
// graph run's ".FFT") table that a run wrote; the Fourier analysis takes its samples here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel {

class Reporter;

/// A result table as numbers: one single-precision column per header name.
struct ResultTableData {
    /// The "PARAMETER:" line of a parametric graph table, when there was one.
    bool hasParameterLine = false;
    std::string parameterName;
    int parameterColumn = -1; // as the line gives it (0-based), -1 when it gives none

    std::vector<std::string> columns;       // header names, in column order
    std::vector<std::vector<float>> values; // values[c][r]: column c of data row r

    int rowCount() const { return values.empty() ? 0 : static_cast<int>(values[0].size()); }
};

/// Why a table could not be taken.
enum class TableFault {
    None,
    CannotOpen,       // the file cannot be read
    NoRows,           // no header, or a header without a data row
    UnreadableNumber, // a field that is not a decimal number
    WrongFieldCount,  // a row with more or fewer fields than the header has names
};

struct TableReadError {
    TableFault fault = TableFault::None;
    int line = 0;      // 1-based line of the file where the fault is
    std::string field; // the unreadable field
    int fields = 0;    // fields found on that line (WrongFieldCount)
};

/// Parses the text of a table. A first line that begins with "PARAMETER:" (10 characters)
/// is the parameter line: its second field is the parameter's name, its third, when
/// present and a whole number, the parameter column. The next line is the header. Data
/// rows follow up to the first line that holds no field or the end of the text; each must
/// have one field per header name, each field a whole decimal number ("." the decimal
/// point whatever the locale), kept in single precision. A carriage return counts as a
/// blank, so tables with CR LF line ends read too. False with `error` filled on a fault;
/// `table` is then unspecified.
bool parseResultTable(std::string_view text, ResultTableData& table, TableReadError& error);

/// Reads the table at `path` through the text-file layer and parses it. On a fault reports
/// one of "File <path> Does Not Exist", "Result table <path> has no rows",
/// "Unreadable number \"<field>\" in line <n> of <path>" or
/// "Line <n> of <path> has <k> values for <m> columns" after a line feed, raises the run
/// error and returns false.
bool readResultTable(const std::string& path, ResultTableData& table, Reporter& reporter);

} // namespace varnel
