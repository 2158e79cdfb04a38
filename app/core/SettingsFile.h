// The ".SQP" settings file kept beside each equation file: a flat little-endian record of
// 72 bytes holding a document's solution settings, and the desktop program's base name
// from which it and the run's temporary files are named.
#pragma once

#include "varnel/Varnel.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

/// Size of a settings file in bytes.
constexpr std::size_t kSettingsFileSize = 72;
/// Format word at the start of every settings file (bytes 00 00 02 00).
constexpr std::uint32_t kSettingsFormatWord = 131072;

/// The 72 bytes of a settings file for these options. Only the fields stored in the file are
/// read; the display flags, attachment and results flag are not part of it.
std::array<unsigned char, kSettingsFileSize> encodeSettingsFile(const SolverOptions& options);

enum class SettingsReadStatus {
    Complete,  ///< all 72 bytes read
    ShortFile, ///< the file ended inside a field ("Incorect File Format")
};

/// Reads a settings file's bytes into `options`, field by field in file order. When the
/// bytes end inside a field, the fields before it keep their new values and the rest keep
/// what they held. The format word is read and not checked; bytes after 72 are ignored.
SettingsReadStatus decodeSettingsFile(std::string_view bytes, SolverOptions& options);

/// The message shown for a settings file that ends early.
inline constexpr const char* kIncorrectFileFormat = "Incorect File Format";
/// The messages shown when the settings file cannot be created or written.
inline constexpr const char* kSettingsCreateFailed = "Nesto nije u redu";
inline constexpr const char* kSettingsWriteFailed = "Fajl nije korektan";

/// The desktop program's base name of an equation file: the path up to the first "." of
/// its file name, when that dot is not the name's first character; otherwise empty (no
/// settings file and no clean-up). "/w/pump.v2.alg" gives "/w/pump"; "/w/.alg" and
/// "/w/pump" give "". Dots in folder names are not taken as the start of an extension, so
/// documents in a dotted folder never share one settings file.
std::string documentBaseName(std::string_view path);

/// The base name under which a run of the library writes its companion files: the path up
/// to the last "." of its file name, when that dot is not the name's first character;
/// otherwise empty. "/w/pump.v2.alg" gives "/w/pump.v2", so the temporaries of that
/// document are never confused with those of "/w/pump.alg".
std::string runBaseName(std::string_view path);

/// The temporary files a run leaves beside an equation file with this base name (".SJC",
/// ".TMP", ".KTK", ".JAC"); empty unless the base name is longer than 2 characters.
std::vector<std::string> temporaryCompanions(const std::string& baseName);

/// Deletes the temporary companions of a base name; missing files are ignored, and the file
/// named `keep` (the equation file itself, which may be named like a temporary, e.g. a
/// symbolic Jacobian opened for editing) is never deleted. Returns how many were deleted.
int removeTemporaryCompanions(const std::string& baseName, std::string_view keep = {});

} // namespace varnel
