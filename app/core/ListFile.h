// The list file that drives repeated runs of a document: a header line of variable names and
// one line of values per case. Reads a file into the cells of the attachment editor's grid,
// writes the grid back in the layout the solver reads, and checks a grid before it is stored.
// Cells are the file's bytes; the editor turns them into characters through the symbol codec.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel {

/// The byte that ends the name of a starting-value column.
inline constexpr unsigned char kStartValueSign = 0xBB;
/// The longest data line and header line a run reads (longer lines are cut).
inline constexpr std::size_t kListLineLimit = 255;
inline constexpr std::size_t kListHeaderLimit = 1255;

/// One row of cells: columns 1 ... n of the grid (the row-number column is not part of it).
using ListRow = std::vector<std::string>;

/// A list file as the editor shows it: the header row of names and the data rows, every row
/// as wide as the widest (short rows are padded with empty cells).
struct ListTable {
    ListRow names;
    std::vector<ListRow> rows;
};

/// Reads a list file: the first line gives the names, every following non-empty line a row.
/// A row with more fields than there are names widens the table with unnamed columns, so no
/// value of the file is dropped.
ListTable readListTable(std::string_view bytes);

/// The text of a stored list file and its count of data lines.
struct ListFileText {
    std::string bytes;
    int count = 0;
};

/// Writes the header row and the data rows: each cell followed by one blank, the line trimmed
/// of leading and trailing blanks; a line that is then empty is not written. The count is the
/// number of lines written minus the header line (never below 0).
ListFileText writeListTable(const ListTable& table);

/// True when `name` ends in the starting-value sign.
bool isStartValueName(std::string_view name);
/// The variable a column name stands for: quotes around it and the starting-value sign
/// removed.
std::string listVariableName(std::string_view name);

/// What makes the table unfit to be stored, as a message for the user; empty when it is fit.
/// Refused: a header without names, a name heading two columns, a value in a column without
/// a name, a row that lacks a value for a named column, a cell holding a separator, and
/// lines longer than a run reads. Rows whose cells are all empty are skipped (not written).
/// Rows are numbered from 1 as the editor numbers them.
std::string checkListTable(const ListTable& table);

} // namespace varnel
