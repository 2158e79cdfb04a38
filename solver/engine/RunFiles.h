// The file names of one run, computed once when the run starts from the path the host
// gave: the base name (companion files are base name + extension), the equation file
// as found on disk, and the Jacobian listing.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

struct RunFiles {
    /// Longest base name accepted; a longer one would have to be cut, and a cut name
    /// reads and writes files at another path.
    static constexpr std::size_t kBaseNameLimit = 500;

    std::string path;         // as the host gave it
    std::string baseName;     // everything before the last "." of the file's own name
    std::string equationFile; // the path itself; base name + ".ALG" in any case only for a path
                              // without extension (empty: none computed)
    std::string listing;      // base name + ".JAC"

    /// Base name of a path: everything before its last "." when that dot belongs to the
    /// file's own name (a dot in a folder name starts no extension).
    static std::string baseNameOf(std::string_view path);

    /// Computes every name from `fullPath`. The equation file is looked up only when the
    /// base name is usable (not empty path, not longer than kBaseNameLimit).
    void assign(std::string_view fullPath);
    void clear();
};

} // namespace varnel
