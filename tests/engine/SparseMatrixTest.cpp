// Row and column lists of the sparse Jacobian: append order, diagonals, lookup, growth
// and the removal of fill-in between analyses.
#include "SparseMatrix.h"

#include <gtest/gtest.h>

#include <random>

#include <tuple>
#include <utility>
#include <vector>

using namespace varnel;

namespace {

using Cells = std::vector<std::pair<int, int>>;

Cells rowCells(const SparseMatrix& m, int row)
{
    Cells cells;
    for (int e = m.rowHead(row); e >= 0; e = m.entry(e).nextInRow)
        cells.emplace_back(m.entry(e).row, m.entry(e).column);
    return cells;
}

Cells columnCells(const SparseMatrix& m, int column)
{
    Cells cells;
    for (int e = m.columnHead(column); e >= 0; e = m.entry(e).nextInColumn)
        cells.emplace_back(m.entry(e).row, m.entry(e).column);
    return cells;
}

// Every entry sits in exactly its own row list and column list, and the lengths agree.
void expectConsistent(const SparseMatrix& m)
{
    int seen = 0;
    for (int i = 1; i <= m.size(); ++i) {
        const Cells row = rowCells(m, i);
        const Cells column = columnCells(m, i);
        EXPECT_EQ(static_cast<int>(row.size()), m.rowLength(i));
        EXPECT_EQ(static_cast<int>(column.size()), m.columnLength(i));
        for (const auto& [r, c] : row)
            EXPECT_EQ(r, i);
        for (const auto& [r, c] : column)
            EXPECT_EQ(c, i);
        seen += static_cast<int>(row.size());
        if (m.diagonal(i) >= 0) {
            EXPECT_EQ(m.entry(m.diagonal(i)).row, i);
        }
    }
    EXPECT_EQ(seen, m.entryCount());
}

TEST(SparseMatrix, EntriesAppendToTheEndOfTheirListsInCreationOrder)
{
    SparseMatrix m;
    m.reset(3);
    // Listing order: equation 1 with variables 3, 1; equation 2 with 1, 2; equation 3 with 3.
    const Cells listing = {{1, 3}, {1, 1}, {2, 1}, {2, 2}, {3, 3}};
    for (const auto& [r, c] : listing)
        m.add(r, c);

    EXPECT_EQ(rowCells(m, 1), (Cells{{1, 3}, {1, 1}}));
    EXPECT_EQ(rowCells(m, 2), (Cells{{2, 1}, {2, 2}}));
    EXPECT_EQ(columnCells(m, 1), (Cells{{1, 1}, {2, 1}}));
    EXPECT_EQ(columnCells(m, 3), (Cells{{1, 3}, {3, 3}}));
    // row == column at creation: the row's diagonal.
    EXPECT_EQ(m.diagonal(1), 1);
    EXPECT_EQ(m.diagonal(2), 3);
    EXPECT_EQ(m.diagonal(3), 4);
    EXPECT_EQ(m.find(1, 1), 1);
    EXPECT_EQ(m.find(3, 3), 4);
    EXPECT_EQ(m.find(3, 1), -1);
    EXPECT_EQ(m.find(0, 1), -1);
    EXPECT_EQ(m.find(4, 1), -1);
    // A pair listed twice stays one entry.
    EXPECT_EQ(m.add(2, 1), 2);
    EXPECT_EQ(m.entryCount(), 5);
    EXPECT_EQ(rowCells(m, 2), (Cells{{2, 1}, {2, 2}}));
    expectConsistent(m);
}

TEST(SparseMatrix, ResetEmptiesAndGrowthCoversLargerIndices)
{
    SparseMatrix m;
    m.reset(2);
    m.add(1, 1);
    m.reset(2);
    EXPECT_EQ(m.entryCount(), 0);
    EXPECT_EQ(m.rowHead(1), -1);
    EXPECT_EQ(m.diagonal(1), -1);

    m.reset(0);
    EXPECT_EQ(m.size(), 0);
    m.add(2, 5);
    EXPECT_EQ(m.size(), 5);
    EXPECT_EQ(m.find(2, 5), 0);
    EXPECT_EQ(m.rowHead(5), -1);
    expectConsistent(m);
}

TEST(SparseMatrix, FillInIsNeverADiagonalByItselfAndIsRemovedCleanly)
{
    struct Case {
        const char* name;
        // (row, column, fill-in) in creation order
        std::vector<std::tuple<int, int, bool>> creations;
    };
    const Case cases[] = {
        {"fill-in after the structure",
         {{1, 1, false},
          {1, 2, false},
          {2, 1, false},
          {2, 2, false},
          {3, 3, false},
          {3, 1, false},
          {3, 2, true},
          {1, 3, true}}},
        {"fill-in in between",
         {{1, 2, false},
          {2, 1, true},
          {2, 2, false},
          {1, 1, true},
          {3, 3, false},
          {2, 3, true},
          {3, 1, false}}},
        {"only fill-in", {{1, 1, true}, {2, 2, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SparseMatrix m;
        m.reset(3);
        Cells expectedRows[4], expectedColumns[4];
        std::vector<double> keptValues;
        int firstFill = -1;
        for (const auto& [r, col, fill] : c.creations) {
            const int e = fill ? m.addFillIn(r, col) : m.add(r, col);
            EXPECT_EQ(m.entry(e).fillIn, fill);
            if (fill && firstFill < 0)
                firstFill = e;
            if (fill)
                continue;
            m.entry(e).value = 10.0 * r + col;
            expectedRows[r].emplace_back(r, col);
            expectedColumns[col].emplace_back(r, col);
        }
        // A fill-in (1,1) never became the diagonal of row 1 by itself.
        if (m.find(1, 1) >= 0 && m.entry(m.find(1, 1)).fillIn) {
            EXPECT_EQ(m.diagonal(1), -1);
        }
        // A pivot may be moved onto a fill-in entry; removal must drop that pointer.
        const bool pivotOnFill = m.find(1, 3) >= 0;
        if (pivotOnFill)
            m.setDiagonal(1, m.find(1, 3));

        const int kept = m.entryCount() - m.fillInCount();
        const int before11 = m.find(1, 1);
        m.removeFillIn();
        EXPECT_EQ(m.entryCount(), kept);
        EXPECT_EQ(m.fillInCount(), 0);
        for (int i = 1; i <= 3; ++i) {
            EXPECT_EQ(rowCells(m, i), expectedRows[i]);
            EXPECT_EQ(columnCells(m, i), expectedColumns[i]);
            for (int e = m.rowHead(i); e >= 0; e = m.entry(e).nextInRow) {
                EXPECT_FALSE(m.entry(e).fillIn);
                EXPECT_EQ(m.entry(e).value, 10.0 * i + m.entry(e).column);
            }
        }
        expectConsistent(m);
        if (pivotOnFill) {
            EXPECT_EQ(m.diagonal(1), -1);
        }
        // Entries created before any fill-in keep their indices.
        if (before11 >= 0 && (firstFill < 0 || before11 < firstFill)) {
            EXPECT_EQ(m.find(1, 1), before11);
        }
        // A new entry goes to the end of the relinked lists.
        const int e = m.add(3, 2);
        EXPECT_EQ(rowCells(m, 3).back(), (std::pair<int, int>{3, 2}));
        EXPECT_EQ(columnCells(m, 2).back(), (std::pair<int, int>{3, 2}));
        EXPECT_EQ(e, kept);
    }
}

// The hashed lookup agrees with a walk of the row list, through table growth and the
// removal of fill-in.
TEST(SparseMatrix, FindAgreesWithTheRowLists)
{
    std::mt19937 random(7);
    const int n = 300;
    SparseMatrix m;
    m.reset(n);
    auto walk = [&](int row, int column) {
        for (int e = m.rowHead(row); e >= 0; e = m.entry(e).nextInRow)
            if (m.entry(e).column == column)
                return e;
        return -1;
    };
    auto check = [&] {
        for (int r = 1; r <= n; ++r)
            for (int c = 1; c <= n; ++c)
                ASSERT_EQ(m.find(r, c), walk(r, c)) << r << "," << c;
    };
    std::uniform_int_distribution<int> index(1, n);
    for (int k = 0; k < 6000; ++k) {
        const int r = index(random), c = index(random);
        if (walk(r, c) < 0)
            (k % 3 == 0 ? m.addFillIn(r, c) : m.add(r, c));
    }
    check();
    m.removeFillIn();
    check();
    expectConsistent(m);
}

} // namespace
