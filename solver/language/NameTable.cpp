// Hashing, wrap-around probing and entering of variable names.
#include "NameTable.h"

#include <algorithm>
#include <cstdlib>

namespace varnel {

namespace {

int hashValue(unsigned char c)
{
    return c >= 48 ? c - 48 : 0;
}

std::string_view cut(std::string_view name)
{
    return name.substr(0, static_cast<std::size_t>(kMaxNameLength));
}

/// True when `cut` is `name` as written cut short: exactly 33 characters and its start.
bool isCutOf(std::string_view cut, std::string_view name)
{
    return cut.size() == static_cast<std::size_t>(kMaxNameLength) && name.size() > cut.size() &&
           name.substr(0, cut.size()) == cut;
}

} // namespace

NameTable::NameTable(int buckets) : m_buckets(static_cast<std::size_t>(buckets > 0 ? buckets : 1))
{
    std::size_t slots = 1;
    while (slots < 2 * m_buckets.size())
        slots *= 2;
    m_index.assign(slots, 0);
}

void NameTable::clear()
{
    for (Bucket& b : m_buckets) {
        b.name.clear();
        b.fullName.clear();
        b.number = 0;
        b.digest = 0;
    }
    std::fill(m_index.begin(), m_index.end(), 0);
}

int NameTable::homeBucket(std::string_view name, int buckets)
{
    const std::size_t n = name.size();
    auto v = [&](std::size_t k) { return hashValue(static_cast<unsigned char>(name[k - 1])); };
    const int a = n >= 2 ? v(2) : 1;
    const int b = n >= 3 ? v(3) : 1;
    const int l = n >= 1 ? v(n) : 0;
    const int h = ((l * 16) + b) * 16 + a;
    return std::abs(h % buckets) + 1;
}

std::uint32_t NameTable::digestOf(std::string_view name)
{
    std::uint32_t h = 2166136261u; // FNV-1a
    for (const char c : name)
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h;
}

int NameTable::indexed(std::string_view name, std::uint32_t digest) const
{
    const std::size_t mask = m_index.size() - 1;
    for (std::size_t slot = digest & mask; m_index[slot] != 0; slot = (slot + 1) & mask) {
        const Bucket& b = m_buckets[static_cast<std::size_t>(m_index[slot] - 1)];
        if (b.digest == digest && b.name == name)
            return m_index[slot];
    }
    return 0;
}

int NameTable::probe(std::string_view name) const
{
    const std::uint32_t digest = digestOf(name);
    if (const int bucket = indexed(name, digest); bucket != 0)
        return bucket;
    // A new name: the first empty bucket from its home bucket on.
    const int size = static_cast<int>(m_buckets.size());
    const int first = homeBucket(name, size);
    int bucket = first;
    do {
        const Bucket& b = m_buckets[static_cast<std::size_t>(bucket - 1)];
        if (b.number == 0)
            return bucket;
        bucket = bucket % size + 1;
    } while (bucket != first);
    return 0;
}

int NameTable::enter(std::string_view written, VariableTable& variables, Status& status,
                     std::string_view identity)
{
    const std::string_view name = cut(written);
    const std::string_view fullName = identity.empty() ? written : identity;
    status = Status::Ok;
    const int bucket = probe(name);
    if (bucket == 0) {
        status = Status::Full;
        return 0;
    }
    Bucket& b = m_buckets[static_cast<std::size_t>(bucket - 1)];
    if (b.number != 0) {
        if (b.fullName == fullName)
            return b.number;
        // A name of exactly 33 characters is how the printer and the result tables write
        // a longer one, so it is that variable; the longer spelling is kept to tell it
        // from a third name.
        if (isCutOf(fullName, b.fullName))
            return b.number;
        if (isCutOf(b.fullName, fullName)) {
            b.fullName.assign(fullName);
            return b.number;
        }
        m_collidingName = b.fullName;
        status = Status::Collision;
        return 0;
    }
    if (variables.count() >= kMaxVariables) {
        status = Status::TooManyVariables;
        return 0;
    }
    b.name.assign(name);
    b.digest = digestOf(b.name);
    b.fullName.assign(fullName);
    b.number = variables.add(b.name);
    const std::size_t mask = m_index.size() - 1;
    std::size_t slot = b.digest & mask;
    while (m_index[slot] != 0)
        slot = (slot + 1) & mask;
    m_index[slot] = bucket;
    return b.number;
}

int NameTable::find(std::string_view name) const
{
    const int bucket = bucketOf(name);
    return bucket == 0 ? 0 : m_buckets[static_cast<std::size_t>(bucket - 1)].number;
}

int NameTable::bucketOf(std::string_view fullName) const
{
    const std::string_view name = cut(fullName);
    const int bucket = probe(name);
    if (bucket == 0 || m_buckets[static_cast<std::size_t>(bucket - 1)].number == 0)
        return 0;
    return bucket;
}

} // namespace varnel
