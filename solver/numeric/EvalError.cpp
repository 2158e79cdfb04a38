// Recording of the first mathematical error of an evaluation.
#include "EvalError.h"

#include <algorithm>

namespace varnel {

void EvalError::record(std::string_view text)
{
    if (m_length == 0) {
        m_length = std::min(text.size(), m_text.size() - 1);
        std::copy_n(text.data(), m_length, m_text.data());
    }
    m_mark = true;
}

} // namespace varnel
