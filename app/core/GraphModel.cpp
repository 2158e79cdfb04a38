// Graph curves and the reading of their table.
#include "GraphModel.h"

#include <cstdio>
#include <system_error>

namespace varnel {

namespace {

const std::vector<float>& noValues()
{
    static const std::vector<float> empty;
    return empty;
}

} // namespace

const std::vector<std::string>& graphTypeNames()
{
    static const std::vector<std::string> names = {"Normal Graph", "Bar Graph", "Line Graph",
                                                   "Normal Graph + Points", "Line Graph + Points"};
    return names;
}

std::string missingVariableMessage(const std::string& name)
{
    return "Graph cannot be updated!\nMissing information for " + name + " variable!";
}

GraphModel::GraphModel(std::string tablePath, std::vector<GraphCurve> curves, GraphOptions options)
    : m_tablePath(std::move(tablePath)), m_curves(std::move(curves)), m_options(options)
{
}

GraphUpdate GraphModel::update()
{
    std::error_code error;
    Stamp stamp;
    stamp.time = std::filesystem::last_write_time(m_tablePath, error);
    if (!error)
        stamp.size = std::filesystem::file_size(m_tablePath, error);
    if (error)
        return GraphUpdate::CannotOpen;
    if (m_stamp && *m_stamp == stamp)
        return GraphUpdate::Unchanged;

    ResultSheet table;
    if (!readResultSheet(m_tablePath, table))
        return GraphUpdate::CannotOpen;

    // Columns move when the set of variables changes; the names are what the curves keep.
    std::vector<GraphCurve> curves = m_curves;
    for (GraphCurve& curve : curves) {
        for (auto [name, column] :
             {std::pair{&curve.xName, &curve.xColumn}, std::pair{&curve.yName, &curve.yColumn}}) {
            if (*column >= 0 && *column < table.columnCount() &&
                table.names[static_cast<std::size_t>(*column)] == *name)
                continue;
            *column = table.columnOf(*name);
            if (*column < 0) {
                // The time is not remembered, so the next update tells again.
                m_missing = *name;
                return GraphUpdate::MissingVariable;
            }
        }
    }
    m_curves = std::move(curves);
    m_table = std::move(table);
    m_stamp = stamp;
    m_missing.clear();
    m_read = true;
    return GraphUpdate::Updated;
}

const std::vector<float>& GraphModel::xValues(const GraphCurve& curve) const
{
    if (curve.xColumn < 0 || curve.xColumn >= m_table.columnCount())
        return noValues();
    return m_table.columns[static_cast<std::size_t>(curve.xColumn)];
}

const std::vector<float>& GraphModel::yValues(const GraphCurve& curve) const
{
    if (curve.yColumn < 0 || curve.yColumn >= m_table.columnCount())
        return noValues();
    return m_table.columns[static_cast<std::size_t>(curve.yColumn)];
}

int GraphModel::pictureCount() const
{
    if (m_curves.empty())
        return 0;
    return m_options.oneGraph ? 1 : static_cast<int>(m_curves.size());
}

std::vector<std::string> picturePaths(const std::string& base, const std::string& extension,
                                      int count)
{
    std::vector<std::string> paths;
    if (count == 1) {
        paths.push_back(base + "." + extension);
        return paths;
    }
    for (int i = 1; i <= count; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "_%02d.", i);
        paths.push_back(base + number + extension);
    }
    return paths;
}

void splitPictureName(const std::string& path, const std::string& defaultExtension,
                      std::string& base, std::string& extension)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= nameStart || dot + 1 == path.size()) {
        base = dot != std::string::npos && dot + 1 == path.size() && dot > nameStart
                   ? path.substr(0, dot)
                   : path;
        extension = defaultExtension;
        return;
    }
    base = path.substr(0, dot);
    extension = path.substr(dot + 1);
}

} // namespace varnel
