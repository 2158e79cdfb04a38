// What a graph is made of, without any drawing: its curves (which table columns to plot
// against which, titles and colour), the picture options, and the table it is read from.
// A graph re-reads its table only when the file has changed since the last reading, and
// refuses an update that would lose one of its variables. Also the names of the saved
// picture files.
#pragma once

#include "ResultSheet.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

struct GraphCurve {
    std::string xName;
    std::string yName;
    std::string xTitle;
    std::string yTitle;
    std::string title;
    std::uint32_t color = 0x000000; // 0xRRGGBB
    int xColumn = -1;               // refreshed at every reading of the table
    int yColumn = -1;
};

/// Normal: the points joined in row order; Bar: a bar from the zero line (or the nearer
/// edge) to each point; Line: a vertical line to each point, as spectra are drawn; the
/// "Points" types mark each point as well.
enum class GraphType { Normal, Bar, Line, NormalPoints, LinePoints };

/// The names of the graph types, in the order of the "Type" list.
const std::vector<std::string>& graphTypeNames();

struct GraphOptions {
    bool oneGraph = true;
    bool horizontalGrid = false;
    bool verticalGrid = false;
    GraphType type = GraphType::Normal;
};

/// How an update of a graph from its table ended.
enum class GraphUpdate {
    Updated,         // the table was read and the data replaced
    Unchanged,       // the table has not changed since the last reading
    CannotOpen,      // the table cannot be read; the data stay as they were
    MissingVariable, // a curve's variable is not in the header; the data stay as they were
};

/// "Graph cannot be updated!\nMissing information for <name> variable!"
std::string missingVariableMessage(const std::string& name);

class GraphModel {
public:
    GraphModel(std::string tablePath, std::vector<GraphCurve> curves, GraphOptions options);

    /// Reads the table when its modification time (or size) differs from the last successful
    /// reading. On MissingVariable `missing()` names the variable.
    GraphUpdate update();
    /// Forgets the last reading's time, so that the next update reads the table again.
    void invalidate() { m_stamp.reset(); }

    const std::string& tablePath() const { return m_tablePath; }
    const std::vector<GraphCurve>& curves() const { return m_curves; }
    const GraphOptions& options() const { return m_options; }
    const ResultSheet& table() const { return m_table; }
    const std::string& missing() const { return m_missing; }
    /// Whether a table has been read (there is something to draw).
    bool hasData() const { return m_read; }

    /// The values of a curve's x or y column (empty when the column is not in the table).
    const std::vector<float>& xValues(const GraphCurve& curve) const;
    const std::vector<float>& yValues(const GraphCurve& curve) const;
    /// How many pictures the graph makes: one with "One Graph", else one per curve.
    int pictureCount() const;

private:
    struct Stamp {
        std::filesystem::file_time_type time;
        std::uintmax_t size = 0;
        bool operator==(const Stamp&) const = default;
    };

    std::string m_tablePath;
    std::vector<GraphCurve> m_curves;
    GraphOptions m_options;
    ResultSheet m_table;
    std::optional<Stamp> m_stamp;
    std::string m_missing;
    bool m_read = false;
};

/// The files that `count` pictures are saved to: base + "." + extension for one picture,
/// "<base>_01.<extension>", "<base>_02.<extension>", ... for several.
std::vector<std::string> picturePaths(const std::string& base, const std::string& extension,
                                      int count);

/// Splits a chosen picture file name into base and extension (after the last "." of the
/// file's name); a name without one gets `defaultExtension`.
void splitPictureName(const std::string& path, const std::string& defaultExtension,
                      std::string& base, std::string& extension);

} // namespace varnel
