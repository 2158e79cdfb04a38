// The symbolic derivatives of the equation set and their listing file (base name +
// ".JAC"): every equation's derivative with respect to each of its variables, kept in
// memory as the sparse structure of the symbolic Jacobian and written as token lines
// for users and exports, which read it back.
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

/// One entry of the symbolic Jacobian: the folded derivative (stored form, ending in
/// ";") of equation `row` with respect to variable `column`.
struct EquationDerivative {
    int row = 0;
    std::uint32_t column = 0;
    Chain code;
};

/// Differentiates every equation with respect to each of its variables, in the order of
/// the listing (equations in turn, variables in order of first occurrence), sending "\n"
/// first and, with `showDerivatives`, "\n", the equation number and " wrt" name per
/// variable. Stops at the first refused derivative (kept, as the listing keeps it) or
/// the first derivative whose folding fails (its message, " in Equation " and the number,
/// run error; not kept). True when every equation was done; otherwise "\n" and
/// "Jacobian Incorrect or Incomplete" are reported with a beep.
bool differentiateEquations(const EquationSet& set, Differentiator& differentiator,
                            Reporter& reporter, bool showDerivatives,
                            std::vector<EquationDerivative>& derivatives);

/// The listing of `derivatives` in the file layout, end line included.
std::string listingText(const std::vector<EquationDerivative>& derivatives);

/// Writes `text` to `file` opened on `path`, and closes it.
void writeListingFile(TextFile& file, const std::string& path, const std::string& text);

/// differentiateEquations followed by writing the listing of what it produced to `file`
/// (opened on `path`). True when the listing is complete.
bool writeJacobianListing(const EquationSet& set, TextFile& file, const std::string& path,
                          Differentiator& differentiator, Reporter& reporter, bool showDerivatives);

/// The sparse structure of the symbolic Jacobian straight from the derivatives, as
/// reading their listing would make it: `matrix` reset to `size` rows, one entry per
/// derivative in order, each holding its code at full precision.
void buildSymbolicStructure(const std::vector<EquationDerivative>& derivatives, int size,
                            SparseMatrix& matrix);

/// Reads the listing at `path` into `matrix` (reset to `size` rows first). A listing that
/// cannot be opened or does not read as entries of valid rows and columns gives
/// "Jacobian File Incorrect" and the run error.
bool readJacobianStructure(TextFile& file, const std::string& path, int size, int variableCount,
                           SparseMatrix& matrix, Reporter& reporter);

/// The structure of the incremental Jacobian: one entry per equation and variable of it.
void buildIncrementalStructure(const EquationSet& set, SparseMatrix& matrix);

} // namespace varnel
