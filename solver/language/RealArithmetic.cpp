// Real-mode operations looked up by their op byte in the operation table.
#include "RealArithmetic.h"

#include "Code.h"
#include "Operations.h"

namespace varnel {

double realBinary(std::uint8_t code, double a, double b, Reporter& reporter, EvalError& error)
{
    const OperationInfo* row = findOperation(kind::Binary, code);
    if (row == nullptr || row->realBinary == nullptr)
        return 0.0;
    MathContext context{reporter, error};
    return row->realBinary(a, b, context);
}

double realUnary(std::uint8_t code, double x, Reporter& reporter, EvalError& error)
{
    const OperationInfo* row = findOperation(kind::Unary, code);
    if (row == nullptr)
        return 0.0;
    MathContext context{reporter, error};
    return row->realUnary(x, context);
}

} // namespace varnel
