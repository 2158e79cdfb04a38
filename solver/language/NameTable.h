// The name table of one file reading: a hash table of 2500 buckets that gives every
// variable name a number from 1 in order of first appearance and enters the name in
// the run's variable table. Names are cut to 33 characters and compared exactly.
#pragma once

#include "EquationSet.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

class NameTable {
public:
    static constexpr int kBuckets = 2500;

    enum class Status {
        Ok,
        TooManyVariables, // a new name when kMaxVariables variables exist
        Full,             // every bucket probed holds another name
        Collision,        // another name agrees with it in its first 33 characters
    };

    /// `buckets` other than 2500 exists for tests of the probing.
    explicit NameTable(int buckets = kBuckets);

    /// Forgets every name (the variable table is the caller's to clear).
    void clear();

    /// The number of `name` (cut to 33 characters): the one it already has, or the next
    /// variable number, with the name appended to `variables`. 0 when the name gets no
    /// number; `status` says why. Two names that differ only after their 33rd character
    /// would silently be one variable: the second gets no number, Status::Collision,
    /// and `collidingName()` gives the first in full. The cut itself (exactly 33
    /// characters), as the program writes a long name, is the same variable.
    /// `identity` (when given) is what tells two names apart instead of `name` itself:
    /// the parts of a long complex name are entered cut short under the full name.
    int enter(std::string_view name, VariableTable& variables, Status& status,
              std::string_view identity = {});
    const std::string& collidingName() const { return m_collidingName; }

    /// The number of `name`, or 0 when it is not in the table.
    int find(std::string_view name) const;

    /// Bucket 1..buckets where the probing for `name` starts.
    static int homeBucket(std::string_view name, int buckets = kBuckets);

    /// The bucket that holds `name`, or 0 (for tests of the probing).
    int bucketOf(std::string_view name) const;

private:
    struct Bucket {
        std::string name;
        std::string fullName;     // as written, before the cut
        int number = 0;           // 0: empty
        std::uint32_t digest = 0; // digestOf(name): most buckets probed are told apart by it
    };

    /// A hash of the whole (cut) name. The home bucket looks at three characters only, so
    /// names such as x1000 ... x1999 share few home buckets and fill them in long runs.
    static std::uint32_t digestOf(std::string_view name);

    /// Probes from the home bucket; returns the bucket holding `name` or the first
    /// empty one (1-based), or 0 when the probing came back to where it began.
    int probe(std::string_view name) const;
    /// The bucket that holds `name`, found through the index; 0 when no bucket does.
    int indexed(std::string_view name, std::uint32_t digest) const;

    std::vector<Bucket> m_buckets; // m_buckets[b - 1] is bucket b
    /// The filled buckets by digest (open addressing, at most half full; 0 is a free
    /// slot). Buckets are never emptied one by one, so the bucket of a name is where the
    /// probing from its home bucket meets it: the index finds it without the walk.
    std::vector<int> m_index;
    std::string m_collidingName;
};

} // namespace varnel
