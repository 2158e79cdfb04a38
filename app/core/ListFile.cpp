// Reading, writing and checking list files. The separators and the starting-value sign are
// the ones the solver's run driver splits a list file with, so what the editor stores is
// read back cell for cell.
#include "ListFile.h"

#include "TextFields.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace varnel {

namespace {

// A cell without anything but blanks and tabs holds no value.
std::string_view trimmedCell(std::string_view cell)
{
    while (!cell.empty() && (cell.front() == ' ' || cell.front() == '\t'))
        cell.remove_prefix(1);
    while (!cell.empty() && (cell.back() == ' ' || cell.back() == '\t'))
        cell.remove_suffix(1);
    return cell;
}

bool isEmptyRow(const ListRow& row)
{
    return std::all_of(row.begin(), row.end(),
                       [](const std::string& cell) { return trimmedCell(cell).empty(); });
}

std::string trimBlanks(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string joinedLine(const ListRow& row)
{
    std::string line;
    for (const std::string& cell : row) {
        line += cell;
        line += ' ';
    }
    return trimBlanks(line);
}

template <typename... Args> std::string format(const char* pattern, Args... args)
{
    const int size = std::snprintf(nullptr, 0, pattern, args...);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, pattern, args...);
    return text;
}

} // namespace

ListTable readListTable(std::string_view bytes)
{
    ListTable table;
    bool header = true;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        std::vector<std::string> fields = splitFields(line);
        if (header) {
            table.names = std::move(fields);
            header = false;
        } else if (!fields.empty()) {
            table.rows.push_back(std::move(fields));
        }
    }
    std::size_t width = table.names.size();
    for (const ListRow& row : table.rows)
        width = std::max(width, row.size());
    table.names.resize(width);
    for (ListRow& row : table.rows)
        row.resize(width);
    return table;
}

ListFileText writeListTable(const ListTable& table)
{
    ListFileText text;
    int lines = 0;
    auto writeRow = [&](const ListRow& row) {
        const std::string line = joinedLine(row);
        if (line.empty())
            return;
        text.bytes += line;
        text.bytes += '\n';
        ++lines;
    };
    writeRow(table.names);
    for (const ListRow& row : table.rows)
        writeRow(row);
    text.count = std::max(lines - 1, 0);
    return text;
}

bool isStartValueName(std::string_view name)
{
    return !name.empty() && static_cast<unsigned char>(name.back()) == kStartValueSign;
}

std::string listVariableName(std::string_view name)
{
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    if (isStartValueName(name))
        name.remove_suffix(1);
    return std::string(name);
}

std::string checkListTable(const ListTable& table)
{
    std::vector<std::string_view> names;
    for (const std::string& cell : table.names)
        names.push_back(trimmedCell(cell));
    if (std::all_of(names.begin(), names.end(), [](std::string_view n) { return n.empty(); }))
        return "The list has no variable names: give each column a name in the header row.";

    std::set<std::string> seen;
    for (std::size_t c = 0; c < names.size(); ++c) {
        const std::string_view name = names[c];
        if (name.empty())
            continue;
        if (name.find_first_of(" \t;\r\n") != std::string_view::npos)
            return format(
                "The name \"%.*s\" of column %d holds a blank, a tab, a line end or \";\", which "
                "separate the values of a list file.",
                static_cast<int>(name.size()), name.data(), static_cast<int>(c + 1));
        const std::string variable = listVariableName(name);
        if (variable.empty())
            return format("Column %d has no variable name before its starting-value sign.",
                          static_cast<int>(c + 1));
        if (!seen.insert(variable).second)
            return format("The variable \"%s\" heads more than one column.", variable.c_str());
    }
    if (joinedLine(table.names).size() > kListHeaderLimit)
        return format("The header row is longer than the %d characters a run reads.",
                      static_cast<int>(kListHeaderLimit));

    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const ListRow& row = table.rows[r];
        const int number = static_cast<int>(r + 1);
        if (isEmptyRow(row))
            continue;
        for (std::size_t c = 0; c < std::max(row.size(), names.size()); ++c) {
            const std::string_view cell = c < row.size() ? trimmedCell(row[c]) : "";
            const std::string_view name = c < names.size() ? names[c] : "";
            if (!cell.empty() && name.empty())
                return format("Row %d has a value in column %d, which has no variable name.",
                              number, static_cast<int>(c + 1));
            if (cell.empty() && !name.empty())
                return format("Row %d has no value for \"%.*s\".", number,
                              static_cast<int>(name.size()), name.data());
            if (cell.find_first_of(" \t;\r\n") != std::string_view::npos)
                return format(
                    "The value \"%.*s\" in row %d, column %d holds a blank, a tab, a line "
                    "end or \";\", which separate the values of a list file.",
                    static_cast<int>(cell.size()), cell.data(), number, static_cast<int>(c + 1));
        }
        if (joinedLine(row).size() > kListLineLimit)
            return format("Row %d is longer than the %d characters a run reads from a line.",
                          number, static_cast<int>(kListLineLimit));
    }
    return {};
}

} // namespace varnel
