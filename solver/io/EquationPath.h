// Which file a run reads and which names it may not read: companion files of an equation
// file are named base name + "." + extension; the file read is exactly the one named, and
// only a path without an extension looks for its ".ALG" file, in any case of the letters.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

/// base + "." + ext when that file exists; otherwise an existing file in the same
/// folder whose name differs only in the extension's case; otherwise base + "." + ext.
std::string resolveCompanion(const std::string& base, std::string_view ext);

/// The equation file a run given `path` (base name `base`) reads: `path` itself when it
/// names an existing file or has an extension other than ".ALG" in any case; otherwise
/// an existing base + ".ALG" in any case of the extension (the exact ".ALG" first), or
/// `path` when there is none. A file other than the one named is never read when the
/// named one exists.
std::string resolveEquationFile(const std::string& path, const std::string& base);

/// Extensions of the files a run writes beside its equation file, upper case.
inline constexpr std::string_view kProductExtensions[] = {"PRN", "JAC", "SJC", "KTK",
                                                          "UPD", "FFT", "TMP"};

/// Why `path` may not be read as an equation file, or "" when it may: its extension is
/// one a run writes beside it (in any case), or the file is one of the files the run
/// would write (a link or second name of base + "." + a product extension).
std::string refusedEquationFile(const std::string& path, const std::string& base);

} // namespace varnel
