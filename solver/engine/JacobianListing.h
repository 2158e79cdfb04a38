// The Jacobian listing file (base name + ".JAC"): every equation's derivative with
// respect to each of its variables, written as token lines and read back as the sparse
// structure of the symbolic Jacobian.
//
//   entry header   "%7d" equation, one blank, "%7d" variable
//   token lines    kind, operation, blank, "%7d" index, blank, "%14E" value
//   entry end      ";"
//   file end       "   0   0   0"
#pragma once

#include "Code.h"
#include "EquationSet.h"

#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

class Differentiator;
class Reporter;
class SparseMatrix;
class TextFile;

/// The variables of a chain: the index of every X token in token order, each once, in
/// order of first occurrence.
std::vector<std::uint32_t> variablesOf(const Chain& code);

/// Writes the listing of every equation to `file` (opened on `path`). True when every
/// equation was differentiated without error; otherwise "\n" and "Jacobian Incorrect or
/// Incomplete" are reported with a beep.
bool writeJacobianListing(const EquationSet& set, TextFile& file, const std::string& path,
                          Differentiator& differentiator, Reporter& reporter, bool showDerivatives);

/// Reads the listing at `path` into `matrix` (reset to `size` rows first). A listing that
/// cannot be opened or does not read as entries of valid rows and columns gives
/// "Jacobian File Incorrect" and the run error.
bool readJacobianStructure(TextFile& file, const std::string& path, int size, int variableCount,
                           SparseMatrix& matrix, Reporter& reporter);

/// The structure of the incremental Jacobian: one entry per equation and variable of it.
void buildIncrementalStructure(const EquationSet& set, SparseMatrix& matrix);

} // namespace varnel
