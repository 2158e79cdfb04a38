// A result table as the desktop program reads it for its grids and graphs: the optional
// "PARAMETER:" line of a parametric graph run, the header of column names and the data rows,
// fields split at blanks, tabs and ";". Numbers are read leniently (the leading number of a
// field, 0 when there is none) and kept in single precision. Also the table's name beside an
// equation file and its export as comma-separated values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel {

struct ResultSheet {
    /// The "PARAMETER:" line, when the table began with one.
    bool hasParameterLine = false;
    std::string parameterName;
    int parameterColumn = -1; // 0-based; -1 when the line names no column in the header
    /// The parameter column's values, each run of equal successive values listed once.
    std::vector<float> parameterValues;

    std::vector<std::string> names;          // header names in column order
    std::vector<std::vector<float>> columns; // columns[c][r]; a field missing from a row is NaN
    /// The fields as written in the file, row by row (kept only when asked for).
    std::vector<std::vector<std::string>> text;

    int rowCount() const { return columns.empty() ? 0 : static_cast<int>(columns[0].size()); }
    int columnCount() const { return static_cast<int>(names.size()); }
    /// The column of `name` (exact, case-sensitive), -1 when the header has none.
    int columnOf(std::string_view name) const;
};

/// The leading number of `field` as the C runtime's text-to-number conversion reads it
/// (leading blanks skipped, then the longest decimal prefix; 0 when there is none), with
/// "." as the decimal point whatever the locale.
double leadingNumber(std::string_view field);

/// Parses the text of a table. Data rows run to the first line without fields or the end of
/// the text; fields beyond the header's names are ignored. `keepText` keeps the fields as
/// text too (for the grid).
ResultSheet parseResultSheet(std::string_view text, bool keepText = false);

/// Reads the table at `path`; false when the file cannot be read.
bool readResultSheet(const std::string& path, ResultSheet& table, bool keepText = false);

/// The result table beside the equation file `documentPath`: the path up to the last "." of
/// the file's name (where the solver writes it) plus ".PRN". Empty when the document has no
/// path or its file name has no "." after its first character.
std::string resultTableName(std::string_view documentPath);

/// The table as comma-separated values: the header line, then one line per row. Fields
/// that hold a comma, quote or line break are quoted; values print in the shortest form
/// that reads back as the same single-precision number, missing values as empty.
std::string sheetAsCsv(const ResultSheet& table);

} // namespace varnel
