// The symbolic operations a run starts by a short name ("SJ", "FS", "FE", ...): the
// dispatch on the name's letters, one function per operation, the equation files they
// produce (base name + ".SJC") and the Jacobian listing they read. Fed by the compiled
// equation set of the run context; the modes "A", "E", "O" and "R" call it.
#pragma once

#include "Differentiator.h"
#include "JacobianListing.h"
#include "RunContext.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

/// What an operation did: done, failed (reported, run error raised), or nothing because
/// it reads the Jacobian listing and that is not complete (or the method is INCREMENTAL).
enum class OperationResult { Done, Failed, ListingNeeded };

class SymbolicOperations {
public:
    explicit SymbolicOperations(RunContext& context);

    /// Dispatch on the first letter: "A" saves the set, "I" saves it with its starting
    /// values, "T" saves it, "S" the exports below, "F" by the second letter ("S"
    /// simplification, "B"/"E" elimination). A name without an operation here reports
    /// "Symbolic operation ... is not available in this version of the library" and fails.
    OperationResult run(std::string_view name);

    /// Differentiates every equation (kept for the exports) and writes the listing file
    /// (base name + ".JAC"). True when the listing is complete.
    bool writeListing();
    bool listingComplete() const { return m_listingComplete; }
    /// After an operation still needed the listing once it was written: "The symbolic
    /// Jacobian is needed: ..." (unless the incomplete listing has reported already) and
    /// the run error.
    void reportListingNeeded();

    /// "SJ": the symbolic Jacobian file. Every term d(eqn i)/d(v) becomes an equation of
    /// the file, labelled by a comment; the original equations stand in the opening comment.
    /// `withStartingValues` ends the file with the current values as starting values, so
    /// that solving it starts where the user's starting values put the run.
    OperationResult exportJacobian(bool withStartingValues = false);
    /// "SL": the equations linearized at the current values, one per equation, terms
    /// coefficient*(0xE4 name) broken into lines once a line passes 60 characters.
    OperationResult exportLinearized();
    /// "SS": as "SL" with the coefficients the printed derivatives, followed by the operating
    /// point as equations "name=value;" (every variable, every digit of its value), so
    /// that the file solves for the changes; "SR" (`withResidual`) adds the equation itself
    /// as first term, so that the file is the Newton step.
    OperationResult exportSymbolicLinearized(bool withResidual);
    /// "ST": the transposed linearization, one equation per variable: the sum over the
    /// equations of coefficient*(0xEC equation number).
    OperationResult exportTransposed();
    /// "FB"/"FE": elimination by substitution, then the set saved with its starting values.
    OperationResult eliminate();
    /// "FS": every equation simplified, then the set saved.
    OperationResult simplify();
    /// Saves the set in the layout of the user's file to base name + ".SJC".
    OperationResult save(bool withInitialValues);

    /// Base name + "." + `extension`.
    std::string productPath(std::string_view extension) const;

private:
    bool listingNeeded() const;
    /// Writes `text` as the product `path`: the file is replaced only when every byte was
    /// written. "Unable to open file for output" with a beep and the run error otherwise.
    bool writeProduct(const std::string& path, const std::string& text);
    /// The linearized exports: `coefficient` appends the text of one term's coefficient.
    OperationResult exportLinear(bool symbolic, bool withResidual);

    RunContext& m_context;
    Differentiator m_differentiator;
    std::vector<EquationDerivative> m_derivatives;
    bool m_listingComplete = false;
};

/// The part of the run driver around an operation: runs it; when it needs the listing,
/// writes the listing and, when that is complete, runs it once more. True when done.
bool runWithListing(SymbolicOperations& operations, std::string_view name);
/// The same for an operation called directly.
bool runWithListing(SymbolicOperations& operations,
                    const std::function<OperationResult()>& operation);

} // namespace varnel
