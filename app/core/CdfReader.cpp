// Reads the sections of an IEEE Common Data Format file into card records: fixed
// columns when a card holds them, whitespace-separated fields otherwise. Fed by the
// power-flow generator with the opened input file.
#include "CdfReader.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <optional>
#include <string_view>

namespace varnel {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> splitWords(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        size_t start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

/// The whole text as an integer: an optional sign and at most nine digits.
std::optional<int> wholeInt(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

/// The whole text as a finite real number with "." as the decimal point.
std::optional<double> wholeReal(std::string_view text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    double value = 0.0;
    auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

/// The integer that a line begins with (after blanks), read as far as its digits go;
/// nullopt when the line does not begin with one. Values beyond int saturate.
std::optional<long> leadingInteger(std::string_view line)
{
    size_t i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) {
        negative = line[i] == '-';
        ++i;
    }
    if (i >= line.size() || line[i] < '0' || line[i] > '9')
        return std::nullopt;
    long value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        value = value > INT_MAX ? value : value * 10 + (line[i] - '0');
    return negative ? -value : value;
}

// ---- fixed columns ---------------------------------------------------------------

/// Columns first..last of the format, counted from 1 and inclusive.
struct Columns {
    size_t first;
    size_t last;
};

std::string_view slice(std::string_view line, Columns c)
{
    if (c.first > line.size())
        return {};
    return line.substr(c.first - 1, c.last - c.first + 1);
}

/// The first field of a card that is not a number: its column (from 1) and its text.
struct BadField {
    size_t column = 0; // 0: none
    std::string text;

    void note(std::string_view line, std::string_view field)
    {
        if (column != 0)
            return;
        column = static_cast<size_t>(field.data() - line.data()) + 1;
        text = std::string(field);
    }
};

/// Reads the columns of one card; any field that does not read cleanly spoils the card,
/// which is then read as whitespace-separated fields instead. Blank fields are zero.
class ColumnCard {
public:
    explicit ColumnCard(std::string_view line) : m_line(line) {}

    int integer(Columns c, bool required = false)
    {
        std::string_view text = trim(slice(m_line, c));
        if (text.empty()) {
            m_clean = m_clean && !required;
            return 0;
        }
        std::optional<int> value = wholeInt(text);
        if (!value)
            m_bad.note(m_line, text);
        m_clean = m_clean && value.has_value();
        return value.value_or(0);
    }

    double real(Columns c)
    {
        std::string_view text = trim(slice(m_line, c));
        if (text.empty())
            return 0.0;
        std::optional<double> value = wholeReal(text);
        if (!value)
            m_bad.note(m_line, text);
        m_clean = m_clean && value.has_value();
        return value.value_or(0.0);
    }

    /// The first numeric column that did not read (column 0 when all did).
    const BadField& bad() const { return m_bad; }

    std::string text(Columns c) const { return std::string(trim(slice(m_line, c))); }

    /// A column that separates two fields must be blank (or past the end of the card).
    void separator(size_t column)
    {
        m_clean = m_clean && (column > m_line.size() || m_line[column - 1] == ' ');
    }
    bool clean() const { return m_clean; }

private:
    std::string_view m_line;
    bool m_clean = true;
    BadField m_bad;
};

bool reaches(std::string_view line, size_t column)
{
    return line.size() >= column;
}

/// True when the field that did not read is a whole word of the card, blanks or the
/// card's ends on both sides: a number spoilt in its place, not columns that cut a card
/// written by words.
bool isWholeWord(std::string_view line, const BadField& field)
{
    if (field.column == 0 || field.text.empty())
        return false;
    const size_t start = field.column - 1;
    const size_t end = start + field.text.size();
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return field.text.find_first_of(" \t") == std::string::npos &&
           (start == 0 || blank(line[start - 1])) && (end >= line.size() || blank(line[end]));
}

std::optional<CdfBus> busByColumns(std::string_view line, BadField& bad)
{
    if (!reaches(line, 68)) // generation MVAR, the last field the conversion needs
        return std::nullopt;
    ColumnCard card(line);
    CdfBus bus;
    bus.number = card.integer({1, 4}, true);
    card.separator(5);
    bus.name = card.text({6, 17});
    bus.area = card.integer({19, 20});
    bus.zone = card.integer({21, 23});
    bus.type = card.integer({25, 26});
    bus.voltage = card.real({28, 33});
    bus.angle = card.real({34, 40});
    bus.loadMw = card.real({41, 49});
    bus.loadMvar = card.real({50, 58});
    bus.generationMw = card.real({59, 67});
    bus.generationMvar = card.real({68, 75});
    bus.baseKv = card.real({77, 83});
    bus.desiredVoltage = card.real({85, 90});
    bus.shuntG = card.real({107, 114});
    bus.shuntB = card.real({115, 122});
    // Read only to be checked: the reactive limits and the remote bus. Columns the conversion
    // does not use only have to hold a number; a remote bus written "0.0" is no fault.
    card.real({91, 98});
    card.real({99, 106});
    card.real({124, 127});
    if (!card.clean()) {
        bad = card.bad();
        return std::nullopt;
    }
    return bus;
}

std::optional<CdfBranch> branchByColumns(std::string_view line, BadField& bad)
{
    if (!reaches(line, 41)) // line charging
        return std::nullopt;
    ColumnCard card(line);
    CdfBranch branch;
    branch.from = card.integer({1, 4}, true);
    card.separator(5);
    branch.to = card.integer({6, 9}, true);
    card.separator(10);
    branch.area = card.integer({11, 12});
    branch.zone = card.integer({13, 15});
    branch.circuit = card.integer({17, 17});
    branch.type = card.integer({19, 19});
    branch.r = card.real({20, 29});
    branch.x = card.real({30, 40});
    branch.charging = card.real({41, 50});
    branch.ratio = card.real({77, 82});
    branch.shift = card.real({84, 90});
    // Read only to be checked: ratings, control bus and side, the tap and angle limits.
    // Any number will do there (ratings written "100.0" are common).
    for (const Columns c :
         {Columns{51, 55}, Columns{57, 61}, Columns{63, 67}, Columns{69, 72}, Columns{74, 74}})
        card.real(c);
    for (const Columns c : {Columns{91, 97}, Columns{98, 104}, Columns{106, 111}, Columns{113, 119},
                            Columns{120, 126}})
        card.real(c);
    if (!card.clean()) {
        bad = card.bad();
        return std::nullopt;
    }
    return branch;
}

std::optional<CdfInterchange> interchangeByColumns(std::string_view line, BadField& bad)
{
    if (!reaches(line, 21)) // scheduled export
        return std::nullopt;
    ColumnCard card(line);
    CdfInterchange interchange;
    interchange.area = card.integer({1, 2}, true);
    card.separator(3);
    interchange.slackBus = card.integer({4, 7}, true);
    card.separator(8);
    interchange.name = card.text({9, 20});
    interchange.exportMw = card.real({21, 28});
    card.real({30, 35}); // the interchange tolerance, read only to be checked
    if (!card.clean()) {
        bad = card.bad();
        return std::nullopt;
    }
    return interchange;
}

// ---- whitespace-separated fields -------------------------------------------------

/// Takes the words of a card in order; at the first word missing every later field keeps
/// the value it had, and a word that is there but is not a number is noted in `bad()`.
class WordCard {
public:
    explicit WordCard(std::string_view line) : m_line(line), m_words(splitWords(line)) {}

    bool integer(int& field)
    {
        std::optional<int> value = next() ? wholeInt(m_word) : std::nullopt;
        return store(value, field);
    }
    bool real(double& field)
    {
        std::optional<double> value = next() ? wholeReal(m_word) : std::nullopt;
        return store(value, field);
    }
    bool word(std::string& field)
    {
        if (!next())
            return m_ok = false;
        field = std::string(m_word);
        return true;
    }
    bool ok() const { return m_ok; }
    const BadField& bad() const { return m_bad; }

private:
    bool next()
    {
        if (!m_ok || m_index >= m_words.size())
            return m_ok = false;
        m_word = m_words[m_index++];
        return true;
    }
    template <typename T> bool store(const std::optional<T>& value, T& field)
    {
        if (!value) {
            if (m_index > 0 && m_index <= m_words.size() && m_ok)
                m_bad.note(m_line, m_word);
            return m_ok = false;
        }
        field = *value;
        return true;
    }

    std::string_view m_line;
    std::vector<std::string_view> m_words;
    std::string_view m_word;
    BadField m_bad;
    size_t m_index = 0;
    bool m_ok = true;
};

/// The card in free format, starting from the previous card's values; false when even
/// the bus number does not read.
bool busByWords(std::string_view line, CdfBus& bus, BadField& bad)
{
    WordCard card(line);
    if (!card.integer(bus.number))
        return false;
    card.word(bus.name) && card.integer(bus.area) && card.integer(bus.zone) &&
        card.integer(bus.type) && card.real(bus.voltage) && card.real(bus.angle) &&
        card.real(bus.loadMw) && card.real(bus.loadMvar) && card.real(bus.generationMw) &&
        card.real(bus.generationMvar) && card.real(bus.baseKv) && card.real(bus.desiredVoltage);
    // The shunt follows the reactive limits; it is read only when the card carries it.
    double maxQ = 0.0, minQ = 0.0, g = 0.0, b = 0.0;
    bool shunt = card.ok() && card.real(maxQ) && card.real(minQ) && card.real(g) && card.real(b);
    bus.shuntG = shunt ? g : 0.0;
    bus.shuntB = shunt ? b : 0.0;
    bad = card.bad();
    return true;
}

bool branchByWords(std::string_view line, CdfBranch& branch, BadField& bad)
{
    WordCard card(line);
    if (!card.integer(branch.from))
        return false;
    card.integer(branch.to) && card.integer(branch.area) && card.integer(branch.zone) &&
        card.integer(branch.circuit) && card.integer(branch.type) && card.real(branch.r) &&
        card.real(branch.x) && card.real(branch.charging);
    // Ratings, control bus and side come before the transformer's ratio and angle.
    int rating1 = 0, rating2 = 0, rating3 = 0, control = 0, side = 0;
    double ratio = 0.0, shift = 0.0;
    bool transformer = card.ok() && card.integer(rating1) && card.integer(rating2) &&
                       card.integer(rating3) && card.integer(control) && card.integer(side) &&
                       card.real(ratio) && card.real(shift);
    branch.ratio = transformer ? ratio : 0.0;
    branch.shift = transformer ? shift : 0.0;
    bad = card.bad();
    return true;
}

bool interchangeByWords(std::string_view line, CdfInterchange& interchange, BadField& bad)
{
    WordCard card(line);
    if (!card.integer(interchange.area))
        return false;
    card.integer(interchange.slackBus) && card.word(interchange.name) &&
        card.real(interchange.exportMw);
    bad = card.bad();
    return true;
}

// ---- sections --------------------------------------------------------------------

enum class Section { None, Bus, Branch, Interchange };

const char* sectionName(Section section)
{
    switch (section) {
    case Section::None:
        return "";
    case Section::Bus:
        return "BUS";
    case Section::Branch:
        return "BRANCH";
    case Section::Interchange:
        return "INTERCHANGE";
    }
    return "";
}

/// The item count of a section header ("... FOLLOWS   14 ITEMS"), 0 when it has none.
int itemCount(std::string_view header)
{
    std::vector<std::string_view> words = splitWords(header);
    int count = 0;
    for (size_t i = 1; i < words.size(); ++i)
        if (words[i] == "ITEMS")
            count = wholeInt(words[i - 1]).value_or(0);
    return count < 0 ? 0 : count;
}

class Reader {
public:
    CdfReadResult run(std::istream& in)
    {
        std::string line;
        int lineNumber = 0;
        while (std::getline(in, line)) {
            ++lineNumber;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!take(line, lineNumber))
                return std::move(m_result);
            if (m_finished) {
                m_result.ok = true;
                return std::move(m_result);
            }
        }
        m_result.ok = false;
        m_result.message = m_section != Section::None
                               ? std::string("the file ends inside the ") + sectionName(m_section) +
                                     " section, before its closing card"
                               : std::string("the file ends before its END line");
        return std::move(m_result);
    }

private:
    /// One line; false after a failure.
    bool take(std::string_view line, int lineNumber)
    {
        if (m_section != Section::None)
            return takeCard(line, lineNumber);
        if (m_lateInterchanges > 0) {
            // Cards that follow an INTERCHANGE end line placed before them.
            if (trim(line).empty())
                return true;
            std::optional<long> first = leadingInteger(line);
            if (first && *first > 0) {
                --m_lateInterchanges;
                return takeInterchange(line, lineNumber);
            }
            m_lateInterchanges = 0;
        }
        std::vector<std::string_view> words = splitWords(line);
        if (words.empty())
            return true;
        if (words[0] == "BUS") {
            m_section = Section::Bus;
            m_previousBus = CdfBus();
        } else if (words[0] == "BRANCH") {
            m_section = Section::Branch;
            m_previousBranch = CdfBranch();
        } else if (words[0] == "INTERCHANGE") {
            m_section = Section::Interchange;
            m_previousInterchange = CdfInterchange();
            m_expectedInterchanges = itemCount(line);
            m_interchangesInSection = 0;
        } else if (words[0] == "END") {
            m_finished = true;
        }
        return true;
    }

    bool takeCard(std::string_view line, int lineNumber)
    {
        if (trim(line).empty())
            return true;
        std::optional<long> first = leadingInteger(line);
        if (!first) {
            return fail(lineNumber, std::string("a ") + sectionName(m_section) +
                                        " card must begin with a number, or the section end "
                                        "with a card whose first number is 0 or negative");
        }
        if (*first <= 0) {
            if (m_section == Section::Interchange)
                m_lateInterchanges = m_expectedInterchanges - m_interchangesInSection;
            m_section = Section::None;
            return true;
        }
        switch (m_section) {
        case Section::None:
            return true;
        case Section::Bus:
            return takeBus(line, lineNumber);
        case Section::Branch:
            return takeBranch(line, lineNumber);
        case Section::Interchange:
            return takeInterchange(line, lineNumber);
        }
        return true;
    }

    bool takeBus(std::string_view line, int lineNumber)
    {
        CdfBus bus;
        BadField columnFault;
        BadField wordFault;
        // A card in the format's columns whose numbers all read but whose separators do
        // not (a number wider than its field) is read by words and checked afterwards.
        const bool reachesColumns = reaches(line, 68);
        if (std::optional<CdfBus> byColumns = busByColumns(line, columnFault)) {
            bus = *byColumns;
        } else {
            bus = m_previousBus;
            if (!busByWords(line, bus, wordFault))
                return fail(lineNumber, "the bus card does not begin with a bus number");
            // A field that is not a number would give another network: refuse the card,
            // naming the field where the card's columns put it when it has them. A whole
            // word spoilt in its column is refused even when the words read, since a name
            // with blanks shifts the words onto other fields.
            if ((wordFault.column != 0 && (columnFault.column != 0 || !reachesColumns)) ||
                isWholeWord(line, columnFault))
                return notANumber(lineNumber, columnFault.column != 0 ? columnFault : wordFault);
        }
        bus.line = lineNumber;
        m_previousBus = bus;
        m_result.network.buses.push_back(std::move(bus));
        return true;
    }

    bool takeBranch(std::string_view line, int lineNumber)
    {
        CdfBranch branch;
        BadField columnFault;
        BadField wordFault;
        // A card in the format's columns whose numbers all read but whose separators do
        // not (a number wider than its field) is read by words and checked afterwards.
        const bool reachesColumns = reaches(line, 41);
        if (std::optional<CdfBranch> byColumns = branchByColumns(line, columnFault)) {
            branch = *byColumns;
        } else {
            branch = m_previousBranch;
            if (!branchByWords(line, branch, wordFault))
                return fail(lineNumber, "the branch card does not begin with a bus number");
            // A field that is not a number would give another network: refuse the card,
            // naming the field where the card's columns put it when it has them. A whole
            // word spoilt in its column is refused even when the words read, since a name
            // with blanks shifts the words onto other fields.
            if ((wordFault.column != 0 && (columnFault.column != 0 || !reachesColumns)) ||
                isWholeWord(line, columnFault))
                return notANumber(lineNumber, columnFault.column != 0 ? columnFault : wordFault);
        }
        branch.line = lineNumber;
        m_previousBranch = branch;
        m_result.network.branches.push_back(branch);
        return true;
    }

    bool takeInterchange(std::string_view line, int lineNumber)
    {
        CdfInterchange interchange;
        BadField columnFault;
        BadField wordFault;
        // A card in the format's columns whose numbers all read but whose separators do
        // not (a number wider than its field) is read by words and checked afterwards.
        const bool reachesColumns = reaches(line, 21);
        if (std::optional<CdfInterchange> byColumns = interchangeByColumns(line, columnFault)) {
            interchange = *byColumns;
        } else {
            interchange = m_previousInterchange;
            if (!interchangeByWords(line, interchange, wordFault))
                return fail(lineNumber, "the interchange card does not begin with an area number");
            // A field that is not a number would give another network: refuse the card,
            // naming the field where the card's columns put it when it has them. A whole
            // word spoilt in its column is refused even when the words read, since a name
            // with blanks shifts the words onto other fields.
            if ((wordFault.column != 0 && (columnFault.column != 0 || !reachesColumns)) ||
                isWholeWord(line, columnFault))
                return notANumber(lineNumber, columnFault.column != 0 ? columnFault : wordFault);
        }
        interchange.line = lineNumber;
        m_previousInterchange = interchange;
        ++m_interchangesInSection;
        m_result.network.interchanges.push_back(std::move(interchange));
        return true;
    }

    bool notANumber(int lineNumber, const BadField& field)
    {
        m_result.ok = false;
        m_result.message = "line " + std::to_string(lineNumber) + ", column " +
                           std::to_string(field.column) + ": \"" + field.text +
                           "\" is not a number";
        return false;
    }

    bool fail(int lineNumber, const std::string& message)
    {
        m_result.ok = false;
        m_result.message = "line " + std::to_string(lineNumber) + ": " + message;
        return false;
    }

    CdfReadResult m_result;
    Section m_section = Section::None;
    bool m_finished = false;
    CdfBus m_previousBus;
    CdfBranch m_previousBranch;
    CdfInterchange m_previousInterchange;
    int m_expectedInterchanges = 0;
    int m_interchangesInSection = 0;
    int m_lateInterchanges = 0;
};

} // namespace

CdfReadResult readCdf(std::istream& in)
{
    return Reader().run(in);
}

} // namespace varnel
