// Row and column lists of the sparse Jacobian: appending entries, finding them, and
// dropping the fill-in of an earlier ordering before the structure is analysed again.
#include "SparseMatrix.h"

#include <algorithm>
#include <cassert>

namespace varnel {

void SparseMatrix::reset(int n)
{
    assert(n >= 0);
    m_size = 0;
    m_fillInCount = 0;
    m_entries.clear();
    m_indexKeys.clear();
    m_indexValues.clear();
    for (std::vector<int>* list :
         {&m_rowHead, &m_rowTail, &m_columnHead, &m_columnTail, &m_diagonal})
        list->assign(1, -1);
    m_rowLength.assign(1, 0);
    m_columnLength.assign(1, 0);
    grow(n);
}

void SparseMatrix::grow(int n)
{
    if (n <= m_size)
        return;
    const auto slots = static_cast<std::size_t>(n) + 1;
    for (std::vector<int>* list :
         {&m_rowHead, &m_rowTail, &m_columnHead, &m_columnTail, &m_diagonal})
        list->resize(slots, -1);
    m_rowLength.resize(slots, 0);
    m_columnLength.resize(slots, 0);
    m_size = n;
}

std::uint64_t SparseMatrix::key(int row, int column)
{
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) |
           static_cast<std::uint32_t>(column);
}

namespace {
std::size_t slotOf(std::uint64_t key, std::size_t mask)
{
    // A 64-bit finaliser, so that row and column bits both reach the low bits.
    key ^= key >> 33;
    key *= 0xFF51AFD7ED558CCDull;
    key ^= key >> 33;
    return static_cast<std::size_t>(key) & mask;
}
} // namespace

void SparseMatrix::indexInsert(std::uint64_t k, int index)
{
    if (2 * (m_entries.size() + 1) > m_indexKeys.size()) {
        rebuildIndex(); // grows the table; the new entry is inserted below
    }
    const std::size_t mask = m_indexKeys.size() - 1;
    std::size_t slot = slotOf(k, mask);
    while (m_indexKeys[slot] != 0)
        slot = (slot + 1) & mask;
    m_indexKeys[slot] = k;
    m_indexValues[slot] = index;
}

void SparseMatrix::rebuildIndex()
{
    std::size_t capacity = 16;
    while (capacity < 4 * (m_entries.size() + 1))
        capacity *= 2;
    m_indexKeys.assign(capacity, 0);
    m_indexValues.assign(capacity, -1);
    const std::size_t mask = capacity - 1;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const std::uint64_t k = key(m_entries[i].row, m_entries[i].column);
        std::size_t slot = slotOf(k, mask);
        while (m_indexKeys[slot] != 0 && m_indexKeys[slot] != k)
            slot = (slot + 1) & mask;
        if (m_indexKeys[slot] == 0) { // a duplicate pair keeps its first entry
            m_indexKeys[slot] = k;
            m_indexValues[slot] = static_cast<int>(i);
        }
    }
}

int SparseMatrix::find(int row, int column) const
{
    if (row < 1 || row > m_size || column < 1 || m_indexKeys.empty())
        return -1;
    const std::uint64_t k = key(row, column);
    const std::size_t mask = m_indexKeys.size() - 1;
    for (std::size_t slot = slotOf(k, mask); m_indexKeys[slot] != 0; slot = (slot + 1) & mask)
        if (m_indexKeys[slot] == k)
            return m_indexValues[slot];
    return -1;
}

int SparseMatrix::append(int row, int column, bool fillIn)
{
    assert(row >= 1 && column >= 1);
    grow(std::max(row, column));
    const int index = static_cast<int>(m_entries.size());
    indexInsert(key(row, column), index);
    MatrixEntry& e = m_entries.emplace_back();
    e.row = row;
    e.column = column;
    e.fillIn = fillIn;
    if (m_rowTail[row] >= 0)
        m_entries[m_rowTail[row]].nextInRow = index;
    else
        m_rowHead[row] = index;
    m_rowTail[row] = index;
    if (m_columnTail[column] >= 0)
        m_entries[m_columnTail[column]].nextInColumn = index;
    else
        m_columnHead[column] = index;
    m_columnTail[column] = index;
    ++m_rowLength[row];
    ++m_columnLength[column];
    return index;
}

int SparseMatrix::add(int row, int column)
{
    if (const int existing = find(row, column); existing >= 0)
        return existing;
    const int index = append(row, column, false);
    if (row == column)
        m_diagonal[row] = index;
    return index;
}

int SparseMatrix::addFillIn(int row, int column)
{
    ++m_fillInCount;
    return append(row, column, true);
}

void SparseMatrix::removeFillIn()
{
    if (m_fillInCount == 0)
        return;
    // New index of every entry that stays (-1 for fill-in); kept entries keep their order.
    std::vector<int> renumber(m_entries.size(), -1);
    int kept = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (!m_entries[i].fillIn)
            renumber[i] = kept++;

    // Relink the lists, skipping fill-in, in their present order.
    for (int r = 1; r <= m_size; ++r) {
        int head = -1, tail = -1, length = 0;
        for (int e = m_rowHead[r]; e >= 0; e = m_entries[e].nextInRow) {
            if (m_entries[e].fillIn)
                continue;
            if (tail >= 0)
                m_entries[tail].nextInRow = e;
            else
                head = e;
            tail = e;
            ++length;
        }
        if (tail >= 0)
            m_entries[tail].nextInRow = -1;
        m_rowHead[r] = head;
        m_rowTail[r] = tail;
        m_rowLength[r] = length;
        if (m_diagonal[r] >= 0 && m_entries[m_diagonal[r]].fillIn)
            m_diagonal[r] = -1;
    }
    for (int c = 1; c <= m_size; ++c) {
        int head = -1, tail = -1, length = 0;
        for (int e = m_columnHead[c]; e >= 0; e = m_entries[e].nextInColumn) {
            if (m_entries[e].fillIn)
                continue;
            if (tail >= 0)
                m_entries[tail].nextInColumn = e;
            else
                head = e;
            tail = e;
            ++length;
        }
        if (tail >= 0)
            m_entries[tail].nextInColumn = -1;
        m_columnHead[c] = head;
        m_columnTail[c] = tail;
        m_columnLength[c] = length;
    }

    // Compact the array and translate every stored index.
    auto move = [&](int& index) {
        if (index >= 0)
            index = renumber[index];
    };
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (renumber[i] < 0)
            continue;
        MatrixEntry& e = m_entries[i];
        move(e.nextInRow);
        move(e.nextInColumn);
        if (static_cast<int>(i) != renumber[i])
            m_entries[renumber[i]] = std::move(e);
    }
    m_entries.resize(kept);
    rebuildIndex();
    for (int r = 1; r <= m_size; ++r) {
        move(m_rowHead[r]);
        move(m_rowTail[r]);
        move(m_columnHead[r]);
        move(m_columnTail[r]);
        move(m_diagonal[r]);
    }
    m_fillInCount = 0;
}

} // namespace varnel
