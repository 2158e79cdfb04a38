// Elimination by substitution: equations that name a variable to eliminate are solved for
// it (by peeling inverse functions off, or as -f0/f' when the equation is linear in it)
// and the solution replaces the variable in every other equation. Fed by the compiled
// equation set; the run driver's elimination modes and the symbolic dispatch call it.
#pragma once

#include "EquationSet.h"
#include "Symbols.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnel {

class Reporter;

/// Relation character of an elimination statement.
constexpr std::uint8_t kEliminationRelation = symbol::EliminationRelation;

/// One object serves one elimination pass over a set; between its calls the set is
/// changed only through it.
class Elimination {
public:
    /// Longest chain one equation may reach by substitution, and the most tokens the whole
    /// set may hold; a step that would exceed either is refused like an equation that
    /// cannot be solved, so that repeated substitution cannot grow without bound.
    static constexpr std::size_t kMaxChainLength = std::size_t{1} << 18;
    static constexpr std::size_t kMaxSetLength = std::size_t{1} << 23;

    Elimination(EquationSet& set, Reporter& reporter);

    /// The run's complex mode: the derivative of an equation solved as linear is folded
    /// in complex arithmetic.
    bool complexMode = false;

    /// Chooses the variables to eliminate: a variable marked with 0xA2 is kept; an
    /// elimination statement (relation 0x85) without a mark takes its leftmost variable;
    /// with `takeDefinitions`, every equation whose chain begins with a variable and holds
    /// exactly one variable token and no constant made under a 0xB0 prefix is chosen for
    /// that variable too.
    void chooseVariables(bool takeDefinitions);

    /// Substitutes equation k (1-based): "Substituting ", k ("%4d"), "\n"; solves it for its
    /// variable v, puts a copy of the solution in place of every v in every other
    /// equation, and makes equation k read v - solution. On failure the failure is
    /// reported, the run error raised, the failed mark set, every equation left as it was,
    /// and false returned.
    bool substitute(int k);

    /// Relation 0x85 for every equation chosen as a definition or already an elimination
    /// statement; every variable to eliminate cleared.
    void finish();

    /// chooseVariables, substitute for each chosen equation in order (an elimination
    /// statement without any variable included, which reports "Variable to eliminate not
    /// found"), then finish. True when no substitution failed.
    bool run(bool takeDefinitions);

    /// The elimination-failed mark: set by any failed substitution.
    bool failed() const { return m_failed; }

    /// Solves the equation `prefix` (its residual f = 0, prefix order) for variable v and
    /// puts the solution, in prefix order, into `solution`. Reports the failure and
    /// raises the run error when it cannot; never changes the equation set.
    bool solve(const Chain& prefix, std::uint32_t v, Chain& solution);

private:
    bool solveByPeeling(const Chain& prefix, std::uint32_t v, Chain& solution);
    bool solveLinear(const Chain& prefix, std::uint32_t v, Chain& solution);
    void reportCannotEliminate(std::uint32_t v);
    void reportIllegalCode(const Token& t);
    bool knownVariable(std::uint32_t v) const;
    /// Builds the per-equation variable lists when the set's size changed.
    void refreshIndex();

    EquationSet& m_set;
    Reporter& m_reporter;
    std::vector<bool> m_chosenAsDefinition;
    /// The variables each equation uses, ascending: which equations a substitution
    /// touches is found without scanning their chains.
    std::vector<std::vector<std::uint32_t>> m_variablesOf;
    bool m_failed = false;
};

} // namespace varnel
