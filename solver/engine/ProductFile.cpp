// A product written to a temporary file and renamed when complete.
#include "ProductFile.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel {

bool writeProduct(const std::string& path, std::string_view text)
{
    // Beside the product, its name shortened when a folder entry could not hold it whole.
    constexpr std::size_t kLongestEntry = 255;
    const std::size_t slash = path.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::string entry = path.substr(start);
    if (entry.size() + 7 > kLongestEntry)
        entry.resize(kLongestEntry - 7);
    std::string temporary = path.substr(0, start) + entry + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    ::fchmod(fd, 0644); // mkstemp makes the file private; a product is an ordinary file
    std::FILE* file = ::fdopen(fd, "w");
    if (file == nullptr) {
        ::close(fd);
        std::remove(temporary.c_str());
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    if (ok)
        ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
        std::remove(temporary.c_str());
    return ok;
}

} // namespace varnel
