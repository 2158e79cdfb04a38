// Finding an equation or companion file whatever the case of its extension.
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

} // namespace varnel
