// The Method page of the options sheet as plain data: a document's solution settings turned
// into the texts and list positions the page shows, and the page's texts turned back into
// settings, with the first field that does not convert and the message that says why.
#pragma once

#include "varnel/Varnel.h"

#include <optional>
#include <string>

namespace varnel {

/// Text fields of the Method page, in the order they are read back (the page's tab order).
enum class MethodField {
    Tolerance,
    DeltaJ,
    MaxIterations,
    Repetitions,
    GuessMin,
    GuessMax,
    DeltaT
};

/// What the Method page shows. A list position of -1 means "no entry chosen" (a settings
/// file may hold a code no list has); reading back then keeps the code as it was.
struct MethodFields {
    int method = 0;
    int jacobianMethod = 0;
    int differentialMethod = 0;
    std::string tolerance; ///< the exponent's magnitude: the page shows "10 - " before it
    std::string deltaJ;
    std::string maxIterations;
    std::string repetitions;
    std::string guessMin;
    std::string guessMax;
    std::string deltaT;
    bool solveInGroups = true;
    bool autoHomotopy = false;
    bool autoSimplify = true;
};

/// A field whose text cannot be stored, with the message to show.
struct FieldProblem {
    MethodField field;
    std::string message;
};

inline constexpr const char* kEnterInteger = "Please enter an integer.";
inline constexpr const char* kEnterNumber = "Please enter a number.";

/// Entries of the three lists, in list order (the position is the stored code).
inline constexpr const char* kSolvingMethods[] = {"Newton", "Robust Newton", "Dishonest Newton",
                                                  "Homotopy"};
inline constexpr const char* kJacobianMethods[] = {"Exact Jacobian", "Incremental Jacobian"};
inline constexpr const char* kDifferentialMethods[] = {"Trapezoidal", "Gear", "Backward Euler"};

/// The page's view of `options`. Numbers are shown with up to 15 significant digits; the
/// tolerance field shows the stored exponent negated (3 for 10^-3), so that reading the
/// page back unchanged gives the same exponent whatever its sign.
MethodFields methodFields(const SolverOptions& options);

/// Reads the page back into `options`: the tolerance exponent becomes the negated entry,
/// the rest is stored as typed. Nothing is written unless every field converts; otherwise
/// the first field (in MethodField order) that does not, with its message.
std::optional<FieldProblem> storeMethodFields(const MethodFields& fields, SolverOptions& options);

/// The label the page gives a text field, as used in messages ("Delta J").
const char* methodFieldName(MethodField field);

} // namespace varnel
