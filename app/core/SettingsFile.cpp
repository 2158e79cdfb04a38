// Encoding and decoding of the ".SQP" record, field by field in the file's own order
// (homotopy before simplification; iterations, tolerance and repetitions after the four
// doubles), and the naming of a document's companion files.
#include "SettingsFile.h"

#include <bit>
#include <cstdio>
#include <cstring>

namespace varnel {

namespace {

template <typename T> void put(unsigned char* out, std::size_t& at, T value)
{
    static_assert(std::endian::native == std::endian::little, "settings files are little-endian");
    std::memcpy(out + at, &value, sizeof value);
    at += sizeof value;
}

// Reads one field when enough bytes are left; false at the end of the data.
template <typename T> bool take(std::string_view bytes, std::size_t& at, T& field)
{
    if (bytes.size() - at < sizeof field)
        return false;
    std::memcpy(&field, bytes.data() + at, sizeof field);
    at += sizeof field;
    return true;
}

} // namespace

std::array<unsigned char, kSettingsFileSize> encodeSettingsFile(const SolverOptions& o)
{
    std::array<unsigned char, kSettingsFileSize> out{};
    std::size_t at = 0;
    put(out.data(), at, kSettingsFormatWord);
    put(out.data(), at, o.method);
    put(out.data(), at, o.jacobianMethod);
    put(out.data(), at, o.autoHomotopy);
    put(out.data(), at, o.autoSimplify);
    put(out.data(), at, o.solveInGroups);
    put(out.data(), at, o.deltaJ);
    put(out.data(), at, o.deltaT);
    put(out.data(), at, o.guessMin);
    put(out.data(), at, o.guessMax);
    put(out.data(), at, o.maxIterations);
    put(out.data(), at, o.toleranceExponent);
    put(out.data(), at, o.repetitions);
    put(out.data(), at, o.differentialMethod);
    return out;
}

SettingsReadStatus decodeSettingsFile(std::string_view bytes, SolverOptions& o)
{
    std::size_t at = 0;
    std::uint32_t format = 0;
    bool ok = take(bytes, at, format) && take(bytes, at, o.method) &&
              take(bytes, at, o.jacobianMethod) && take(bytes, at, o.autoHomotopy) &&
              take(bytes, at, o.autoSimplify) && take(bytes, at, o.solveInGroups) &&
              take(bytes, at, o.deltaJ) && take(bytes, at, o.deltaT) &&
              take(bytes, at, o.guessMin) && take(bytes, at, o.guessMax) &&
              take(bytes, at, o.maxIterations) && take(bytes, at, o.toleranceExponent) &&
              take(bytes, at, o.repetitions) && take(bytes, at, o.differentialMethod);
    return ok ? SettingsReadStatus::Complete : SettingsReadStatus::ShortFile;
}

std::string documentBaseName(std::string_view path)
{
    std::size_t nameStart = path.find_last_of('/');
    nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
    std::size_t dot = path.find('.', nameStart);
    if (dot == std::string_view::npos || dot == nameStart)
        return {};
    return std::string(path.substr(0, dot));
}

std::string runBaseName(std::string_view path)
{
    std::size_t nameStart = path.find_last_of('/');
    nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot <= nameStart)
        return {};
    return std::string(path.substr(0, dot));
}

std::vector<std::string> temporaryCompanions(const std::string& baseName)
{
    if (baseName.size() <= 2)
        return {};
    return {baseName + ".SJC", baseName + ".TMP", baseName + ".KTK", baseName + ".JAC"};
}

int removeTemporaryCompanions(const std::string& baseName, std::string_view keep)
{
    int removed = 0;
    for (const std::string& name : temporaryCompanions(baseName))
        if (name != keep && std::remove(name.c_str()) == 0)
            ++removed;
    return removed;
}

} // namespace varnel
