// Symbolic differentiation of the internal code: the partial derivative of a prefix chain
// with respect to one variable, emitted rule by rule as new code without simplification,
// and the driver that turns an equation's stored chain into its folded derivative. The
// Jacobian listing and the elimination of linear variables call the driver.
#pragma once

#include "Code.h"
#include "RealArithmetic.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace varnel {

class Reporter;

class Differentiator {
public:
    /// Deepest nesting of tokens that the derivative step follows; a deeper subexpression
    /// is refused ("Expression Nested Too Deeply for Derivative"). The step itself keeps
    /// its work on the heap, but the folding and printing that walk a derivative recurse,
    /// and a derivative nests deeper than its expression.
    static constexpr int kMaxDepth = 2000;
    /// Most tokens one derivative may have; a larger one is refused ("Derivative Too
    /// Large"), since nested products and powers grow the code multiplicatively.
    static constexpr std::size_t kMaxOutput = std::size_t{1} << 21;
    /// Step of the central difference that stands for the derivative of GAMMLN (the
    /// digamma function, which the language lacks): accurate to about 4e-7 relative to
    /// max(1, |digamma|) for arguments from 0.01 to 1e5. Arguments must exceed it.
    static constexpr double kGammlnStep = 1e-5;
    /// Step of the central difference in the shape argument of GAMMP: about 2e-6
    /// absolute, the limit set by the 3e-7 accuracy of GAMMP itself. Shapes must exceed it.
    static constexpr double kGammpShapeStep = 1e-3;

    explicit Differentiator(Reporter& reporter);
    ~Differentiator();
    Differentiator(const Differentiator&) = delete;
    Differentiator& operator=(const Differentiator&) = delete;

    /// The derivative step. Appends to `out`, in prefix order, the derivative with respect
    /// to variable `variable` of the subexpression of `prefix` that starts at `start`
    /// (void tokens are skipped where it begins) and returns the position just past that
    /// subexpression. The input is not changed; every operand the rules need is copied
    /// afresh for each occurrence. A function without a rule, an illegal token or a
    /// nesting deeper than kMaxDepth is reported, raises the run error, marks failed()
    /// and stands as the constant 0.0 in the output.
    std::size_t step(const Chain& prefix, std::size_t start, std::uint32_t variable, Chain& out);

    /// Folding of derivatives in complex arithmetic (the run's complex mode): operations
    /// on constants that fail only in real arithmetic are left for the evaluator.
    bool complexMode = false;

    /// The derivative of an equation in stored form (postfix, ending in ";") with respect
    /// to variable `variable`, with its constants folded, in stored form. False when the
    /// derivative was refused (see step); `derivative` then holds 0.0 where it was refused
    /// and is not folded.
    bool differentiate(const Chain& postfix, std::uint32_t variable, Chain& derivative);

    /// True when a step since construction or since the start of the last differentiate
    /// was refused.
    bool failed() const { return m_failed; }
    /// The mathematical error that folding the last derivative met (for example
    /// "Inverse of Zero" of a constant operand), for the caller to report.
    const EvalError& foldError() const { return m_foldError; }

    /// Buffers kept from one derivative to the next.
    struct Scratch;

private:
    Reporter& m_reporter;
    std::unique_ptr<Scratch> m_scratch;
    EvalError m_foldError;
    bool m_failed = false;
};

} // namespace varnel
