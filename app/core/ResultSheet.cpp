// Reading result tables for grids and graphs.
#include "ResultSheet.h"

#include "TextFields.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

namespace varnel {

namespace {

constexpr std::string_view kParameterMark = "PARAMETER:";

// The next line of `text` from `pos` (without its line feed); advances `pos`.
std::string_view nextLine(std::string_view text, std::size_t& pos)
{
    const std::size_t end = text.find('\n', pos);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end;
    std::string_view line = text.substr(pos, stop - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    return line;
}

std::string csvField(const std::string& field)
{
    if (field.find_first_of(",\"\n\r") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

} // namespace

int ResultSheet::columnOf(std::string_view name) const
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return static_cast<int>(i);
    return -1;
}

double leadingNumber(std::string_view field)
{
    // Like the runtime's conversion, but with "." as the decimal point whatever the locale.
    std::size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        negative = field[i++] == '-';
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        return 0.0; // a second sign: no number
    double value = 0.0;
    const std::from_chars_result read =
        std::from_chars(field.data() + i, field.data() + field.size(), value);
    if (read.ec == std::errc::result_out_of_range) {
        // Beyond the double range: the conversion gives a signed infinity or zero.
        const std::string_view rest = field.substr(i);
        const std::size_t e = rest.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && e + 1 < rest.size() && rest[e + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (read.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

ResultSheet parseResultSheet(std::string_view text, bool keepText)
{
    ResultSheet table;
    std::size_t pos = 0;
    std::string_view line = nextLine(text, pos);
    if (line.substr(0, kParameterMark.size()) == kParameterMark) {
        table.hasParameterLine = true;
        // The name follows the mark directly when it fills its field, so the mark is cut
        // off before splitting rather than split off as a field of its own.
        const std::vector<std::string> fields = splitFields(line.substr(kParameterMark.size()));
        if (!fields.empty())
            table.parameterName = fields[0];
        if (fields.size() > 1) {
            char* end = nullptr;
            const long column = std::strtol(fields[1].c_str(), &end, 10);
            if (end != fields[1].c_str() && column >= 0 && column < 100000)
                table.parameterColumn = static_cast<int>(column);
        }
        line = nextLine(text, pos);
    }
    table.names = splitFields(line);
    if (table.parameterColumn < 0 && !table.parameterName.empty())
        table.parameterColumn = table.columnOf(table.parameterName);
    if (table.parameterColumn >= table.columnCount())
        table.parameterColumn = -1;
    table.columns.resize(table.names.size());

    const float missing = std::numeric_limits<float>::quiet_NaN();
    while (pos < text.size()) {
        const std::vector<std::string> fields = splitFields(nextLine(text, pos));
        if (fields.empty())
            break;
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            table.columns[c].push_back(
                c < fields.size() ? static_cast<float>(leadingNumber(fields[c])) : missing);
        if (keepText)
            table.text.push_back(fields);
        if (table.parameterColumn >= 0) {
            const float value =
                table.columns[static_cast<std::size_t>(table.parameterColumn)].back();
            if (table.parameterValues.empty() || !(table.parameterValues.back() == value))
                table.parameterValues.push_back(value);
        }
    }
    return table;
}

bool readResultSheet(const std::string& path, ResultSheet& table, bool keepText)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (file.bad())
        return false;
    table = parseResultSheet(bytes.str(), keepText);
    return true;
}

std::string resultTableName(std::string_view documentPath)
{
    const std::size_t slash = documentPath.find_last_of('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = documentPath.find_last_of('.');
    if (dot == std::string_view::npos || dot <= nameStart)
        return {};
    return std::string(documentPath.substr(0, dot)) + ".PRN";
}

std::string sheetAsCsv(const ResultSheet& table)
{
    std::string csv;
    for (std::size_t c = 0; c < table.names.size(); ++c)
        csv += (c ? "," : "") + csvField(table.names[c]);
    csv += '\n';
    for (int r = 0; r < table.rowCount(); ++r) {
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            if (c)
                csv += ',';
            const float value = table.columns[c][static_cast<std::size_t>(r)];
            if (std::isnan(value))
                continue;
            char field[32];
            const std::to_chars_result written = std::to_chars(field, field + sizeof field, value);
            csv.append(field, written.ptr);
        }
        csv += '\n';
    }
    return csv;
}

} // namespace varnel
