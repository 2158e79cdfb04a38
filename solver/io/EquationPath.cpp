// Finding an equation or companion file whatever the case of its extension, and
// refusing as input the files that a run writes.
#include "EquationPath.h"

#include <filesystem>
#include <system_error>

namespace varnel {

namespace {
bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}
} // namespace

std::string resolveCompanion(const std::string& base, std::string_view ext)
{
    namespace fs = std::filesystem;
    const std::string exact = base + "." + std::string(ext);
    std::error_code ec;
    if (fs::exists(exact, ec))
        return exact;
    const fs::path basePath(base);
    const std::string stem = basePath.filename().string();
    fs::path folder = basePath.parent_path();
    if (folder.empty())
        folder = ".";
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != stem.size() + 1 + ext.size())
            continue;
        if (name.compare(0, stem.size(), stem) != 0 || name[stem.size()] != '.')
            continue;
        if (sameIgnoringCase(std::string_view(name).substr(stem.size() + 1), ext))
            return (basePath.parent_path() / name).string();
    }
    return exact;
}

std::string resolveEquationFile(const std::string& path, const std::string& base)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status named = fs::symlink_status(path, ec);
    if (fs::exists(named) && !fs::is_directory(fs::status(path, ec)))
        return path;
    const std::string_view extension = path.size() > base.size()
                                           ? std::string_view(path).substr(base.size() + 1)
                                           : std::string_view();
    if (path != base && !sameIgnoringCase(extension, "ALG"))
        return path;
    // Hosts save ".alg" where the library names ".ALG": either finds the other.
    const std::string found = resolveCompanion(base, "ALG");
    return fs::exists(found, ec) ? found : path;
}

std::string refusedEquationFile(const std::string& path, const std::string& base)
{
    namespace fs = std::filesystem;
    if (path != base && path.size() > base.size()) {
        const std::string_view extension = std::string_view(path).substr(base.size() + 1);
        for (std::string_view product : kProductExtensions)
            if (sameIgnoringCase(extension, product))
                return "The run writes files named \"." + std::string(product) +
                       "\" beside the equation file, so " + path + " is not read";
    }
    const std::string input = resolveEquationFile(path, base);
    std::error_code ec;
    if (!fs::exists(input, ec))
        return {};
    for (std::string_view product : kProductExtensions) {
        const std::string name = base + "." + std::string(product);
        if (fs::exists(name, ec) && fs::equivalent(input, name, ec))
            return "Equation file " + input + " is the file " + name +
                   " that the run writes, so it is not read";
    }
    return {};
}

} // namespace varnel
