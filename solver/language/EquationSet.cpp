// The variable table of a run.
#include "EquationSet.h"

namespace varnel {

int VariableTable::add(const std::string& name, double value)
{
    names.push_back(name.substr(0, kMaxNameLength));
    values.push_back(value);
    lower.push_back(0.0);
    upper.push_back(0.0);
    return count();
}

int VariableTable::find(const std::string& name) const
{
    for (int k = 1; k <= count(); ++k)
        if (names[static_cast<std::size_t>(k)] == name)
            return k;
    return 0;
}

void VariableTable::truncate(int n)
{
    if (n < 0 || n >= count())
        return;
    const auto size = static_cast<std::size_t>(n) + 1;
    names.resize(size);
    values.resize(size);
    lower.resize(size);
    upper.resize(size);
}

void VariableTable::clear()
{
    names.assign(1, std::string());
    values.assign(1, 0.0);
    lower.assign(1, 0.0);
    upper.assign(1, 0.0);
}

} // namespace varnel
