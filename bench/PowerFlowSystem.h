// The generated 2000-equation power-flow system that the symbolic benchmarks share: the
// active and reactive power balance of 1000 buses in polar form, each bus tied to three
// neighbours, as stored (postfix) chains over the variables V_i (odd numbers) and
// theta_i (even numbers).
#pragma once

#include "Code.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace varnel::bench {

constexpr std::uint32_t kBuses = 1000; // two equations per bus

inline /// Variables of an equation in order of first occurrence, each once.
    std::vector<std::uint32_t>
    variablesOf(const Chain& equation)
{
    std::vector<std::uint32_t> variables;
    for (const Token& t : equation) {
        if (t.kind != kind::Variable)
            continue;
        bool seen = false;
        for (std::uint32_t v : variables)
            seen = seen || v == t.index;
        if (!seen)
            variables.push_back(t.index);
    }
    return variables;
}

/// Variable numbers of the voltage magnitude and angle of bus 0..kBuses-1.
inline std::uint32_t magnitude(std::uint32_t bus)
{
    return 2 * bus + 1;
}
inline std::uint32_t angle(std::uint32_t bus)
{
    return 2 * bus + 2;
}

/// The active (reactive) power balance of bus i with its three neighbours:
/// V_i * sum_k V_k * (G_ik * COS(th_i - th_k) + B_ik * SIN(th_i - th_k)) - P_i,
/// the reactive one with SIN and -COS exchanged.
inline Chain powerBalance(std::uint32_t i, bool reactive)
{
    const auto append = [](Chain& chain, std::initializer_list<Token> tokens) {
        chain.insert(chain.end(), tokens.begin(), tokens.end());
    };
    const auto C = makeConstant;
    const auto X = makeVariable;
    const auto B = makeBinaryToken;
    const auto U = makeUnaryToken;
    const std::uint32_t neighbours[] = {(i + 1) % kBuses, (i + kBuses - 1) % kBuses,
                                        (i * 7 + 13) % kBuses};
    const double g = 1.0 + 0.01 * (i % 17), b = -5.0 - 0.1 * (i % 11);
    const std::uint8_t first = reactive ? 'S' : 'C', second = reactive ? 'C' : 'S';
    Chain c;
    c.push_back(X(magnitude(i)));
    for (int n = 0; n < 3; ++n) {
        const std::uint32_t k = neighbours[n];
        append(c, {X(magnitude(k)), C(g), X(angle(i)), X(angle(k)), B('-'), U(first), B('*'), C(b),
                   X(angle(i)), X(angle(k)), B('-'), U(second), B('*'), B(reactive ? '-' : '+'),
                   B('*')});
        if (n > 0)
            c.push_back(B('+'));
    }
    append(c, {B('*'), C(reactive ? 0.3 : 0.9), B('-'), makeToken(kind::End, ' ', 0, 0.0)});
    return c;
}

/// The 2000 equations, active and reactive balance of each bus in turn.
inline std::vector<Chain> powerFlowSystem()
{
    std::vector<Chain> system;
    for (std::uint32_t i = 0; i < kBuses; ++i) {
        system.push_back(powerBalance(i, false));
        system.push_back(powerBalance(i, true));
    }
    return system;
}

} // namespace varnel::bench
