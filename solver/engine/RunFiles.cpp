// Names of the files of one run; the equation file's extension case is settled once.
#include "RunFiles.h"

#include "EquationPath.h"

namespace varnel {

std::string RunFiles::baseNameOf(std::string_view fullPath)
{
    const std::size_t slash = fullPath.find_last_of('/');
    const std::size_t dot = fullPath.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(fullPath);
    return std::string(fullPath.substr(0, dot));
}

void RunFiles::assign(std::string_view fullPath)
{
    path.assign(fullPath);
    baseName = baseNameOf(fullPath);
    equationFile.clear();
    listing.clear();
    if (path.empty() || baseName.size() > kBaseNameLimit)
        return;
    equationFile = resolveEquationFile(path, baseName);
    listing = baseName + ".JAC";
}

void RunFiles::clear()
{
    path.clear();
    baseName.clear();
    equationFile.clear();
    listing.clear();
}

} // namespace varnel
