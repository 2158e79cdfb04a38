// Result-table reading: the file's lines are collected through the text-file layer, then
// split into fields and converted column by column.
#include "ResultTableReader.h"

#include "NumberText.h"
#include "Reporter.h"
#include "TextFile.h"

#include <array>
#include <filesystem>

namespace varnel {

namespace {

constexpr std::string_view kParameterMark = "PARAMETER:";
/// An unreadable field is quoted in its message up to this many characters.
constexpr std::size_t kLongestFieldShown = 40;

bool isSeparator(char c)
{
    return c == ' ' || c == ';' || c == '\t' || c == '\r';
}

/// The fields of one line, in order.
void splitFields(std::string_view line, std::vector<std::string_view>& fields)
{
    fields.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSeparator(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !isSeparator(line[i]))
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
}

/// Hands out the lines of a text one by one (without their line feeds).
class Lines {
public:
    explicit Lines(std::string_view text) : m_text(text) {}
    bool next(std::string_view& line)
    {
        if (m_at >= m_text.size())
            return false;
        std::size_t end = m_text.find('\n', m_at);
        if (end == std::string_view::npos)
            end = m_text.size();
        line = m_text.substr(m_at, end - m_at);
        m_at = end + 1;
        ++number;
        return true;
    }
    int number = 0;

private:
    std::string_view m_text;
    std::size_t m_at = 0;
};

} // namespace

bool parseResultTable(std::string_view text, ResultTableData& table, TableReadError& error)
{
    table = ResultTableData{};
    error = TableReadError{};
    Lines lines(text);
    std::string_view line;
    std::vector<std::string_view> fields;

    if (!lines.next(line)) {
        error.fault = TableFault::NoRows;
        return false;
    }
    if (line.substr(0, kParameterMark.size()) == kParameterMark) {
        table.hasParameterLine = true;
        splitFields(line, fields);
        if (fields.size() > 1)
            table.parameterName = std::string(fields[1]);
        int column = 0;
        if (fields.size() > 2 && parseInteger(fields[2], column))
            table.parameterColumn = column;
        if (!lines.next(line)) {
            error.fault = TableFault::NoRows;
            return false;
        }
    }
    splitFields(line, fields);
    for (std::string_view name : fields)
        table.columns.emplace_back(name);
    table.values.resize(table.columns.size());

    while (lines.next(line)) {
        splitFields(line, fields);
        if (fields.empty())
            break;
        if (fields.size() != table.columns.size()) {
            error.fault = TableFault::WrongFieldCount;
            error.line = lines.number;
            error.fields = static_cast<int>(fields.size());
            return false;
        }
        for (std::size_t c = 0; c < fields.size(); ++c) {
            double v = 0.0;
            if (!parseDecimal(fields[c], v)) {
                error.fault = TableFault::UnreadableNumber;
                error.line = lines.number;
                error.field = std::string(fields[c]);
                return false;
            }
            table.values[c].push_back(static_cast<float>(v));
        }
    }
    if (table.rowCount() == 0) {
        error.fault = TableFault::NoRows;
        return false;
    }
    return true;
}

bool readResultTable(const std::string& path, ResultTableData& table, Reporter& reporter)
{
    TableReadError error;
    TextFile file;
    file.suppressMessages = true; // the fault is reported below, in the user's words
    std::error_code ec;           // only a file: a pipe would hold the run in its opening
    if (!std::filesystem::is_regular_file(path, ec) || !file.openRead(path)) {
        error.fault = TableFault::CannotOpen;
    } else {
        std::string text;
        std::array<char, 65536> buffer{};
        while (!file.eof()) {
            const std::size_t n = file.readLine(buffer.data(), buffer.size());
            text.append(buffer.data(), n);
            if (n < buffer.size()) { // the line is complete
                text.push_back('\n');
                file.skipLine();
            }
        }
        const bool failed = file.result() > 0;
        file.close();
        if (failed)
            error.fault = TableFault::CannotOpen;
        else
            parseResultTable(text, table, error);
    }

    switch (error.fault) {
    case TableFault::None:
        return true;
    case TableFault::CannotOpen:
        reporter.send("\n");
        reporter.send("File ");
        reporter.send(path);
        reporter.send(" Does Not Exist");
        break;
    case TableFault::NoRows:
        reporter.send("\n");
        reporter.send("Result table ");
        reporter.send(path);
        reporter.send(" has no rows");
        break;
    case TableFault::UnreadableNumber:
        reporter.send("\n");
        reporter.send("Unreadable number \"");
        reporter.send(std::string_view(error.field).substr(0, kLongestFieldShown));
        reporter.sendf("\" in line %d of ", error.line);
        reporter.send(path);
        break;
    case TableFault::WrongFieldCount:
        reporter.send("\n");
        reporter.sendf("Line %d of ", error.line);
        reporter.send(path);
        reporter.sendf(" has %d values for %d columns", error.fields,
                       static_cast<int>(table.columns.size()));
        break;
    }
    reporter.raiseError();
    return false;
}

} // namespace varnel
