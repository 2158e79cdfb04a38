// Finds the comments of equation text: from "{" up to and including the next "}", not
// nested; a "{" with no "}" after it makes the rest of the text a comment. Works a piece at
// a time (a line of the editor) with the open-comment state carried between pieces.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace varnel {

struct CommentSpan {
    std::size_t start = 0;
    std::size_t length = 0;
    bool operator==(const CommentSpan&) const = default;
};

struct CommentScan {
    std::vector<CommentSpan> spans;
    /// True when the piece ends inside a comment that a later piece may close.
    bool endsInComment = false;
};

/// Comment spans of one piece of text; `startsInComment` says whether the piece begins
/// inside a comment opened before it.
CommentScan scanComments(std::u16string_view piece, bool startsInComment);

} // namespace varnel
