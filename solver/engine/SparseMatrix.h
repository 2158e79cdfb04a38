// The sparse Jacobian: one entry per (equation, variable) pair that occurs, kept in a
// flat array and threaded into one list per row and one per column. The Jacobian reader
// and the incremental evaluator create the entries; the ordering pass adds the fill-in
// that elimination needs and points every row's diagonal at its chosen pivot.
#pragma once

#include "Code.h"

#include <cstdint>
#include <vector>

namespace varnel {

struct MatrixEntry {
    int row = 0;           // equation number, 1-based
    int column = 0;        // variable number, 1-based
    int nextInRow = -1;    // next entry of the same row, -1 at the end
    int nextInColumn = -1; // next entry of the same column, -1 at the end
    Chain code;            // postfix derivative code (symbolic Jacobian only)
    double value = 0.0;    // current numeric value; a multiplier after factorisation
    bool fillIn = false;   // created by elimination; has no code of its own
};

class SparseMatrix {
public:
    /// n equations and n variables, no entries. Lists are cleared.
    void reset(int n);
    /// Number of rows (equal to the number of columns).
    int size() const { return m_size; }

    /// Index of the entry (row, column), or -1. Constant time (hashed).
    int find(int row, int column) const;
    /// Appends a new entry (row, column) to the end of both lists and returns its index;
    /// when the pair exists already, returns that entry and changes nothing. When
    /// row == column the new entry becomes the row's diagonal. An index beyond the
    /// current size grows the matrix to hold it.
    int add(int row, int column);
    /// For an entry that elimination creates where none exists: appended like add(),
    /// marked fill-in, value 0, and never made a diagonal by itself.
    int addFillIn(int row, int column);
    /// Removes every fill-in entry. The remaining entries keep their list order; their
    /// indices are unchanged when all fill-in was created after them (the usual case:
    /// the structure is read first, the ordering pass adds fill-in afterwards).
    void removeFillIn();
    int fillInCount() const { return m_fillInCount; }

    int rowHead(int row) const { return m_rowHead[row]; }
    int columnHead(int column) const { return m_columnHead[column]; }
    /// The row's pivot entry, or -1.
    int diagonal(int row) const { return m_diagonal[row]; }
    void setDiagonal(int row, int index) { m_diagonal[row] = index; }
    /// Number of entries in a row's / a column's list.
    int rowLength(int row) const { return m_rowLength[row]; }
    int columnLength(int column) const { return m_columnLength[column]; }

    MatrixEntry& entry(int index) { return m_entries[index]; }
    const MatrixEntry& entry(int index) const { return m_entries[index]; }
    int entryCount() const { return static_cast<int>(m_entries.size()); }

private:
    void grow(int n);
    int append(int row, int column, bool fillIn);
    // Open-addressing index of (row, column) -> entry, at most half full.
    static std::uint64_t key(int row, int column);
    void indexInsert(std::uint64_t key, int index);
    void rebuildIndex();
    std::vector<std::uint64_t> m_indexKeys; // 0 = empty slot
    std::vector<int> m_indexValues;

    int m_size = 0;
    int m_fillInCount = 0;
    std::vector<MatrixEntry> m_entries;
    // Indexed 1..m_size (slot 0 unused).
    std::vector<int> m_rowHead, m_rowTail, m_columnHead, m_columnTail, m_diagonal;
    std::vector<int> m_rowLength, m_columnLength;
};

} // namespace varnel
