// Comment spans of a piece of equation text, carried from piece to piece.
#include "CommentScanner.h"

namespace varnel {

CommentScan scanComments(std::u16string_view piece, bool startsInComment)
{
    CommentScan scan;
    std::size_t at = 0;
    bool inComment = startsInComment;
    while (at < piece.size()) {
        std::size_t start = at;
        if (!inComment) {
            start = piece.find(u'{', at);
            if (start == std::u16string_view::npos)
                break;
        }
        std::size_t close = piece.find(u'}', inComment ? at : start + 1);
        if (close == std::u16string_view::npos) {
            scan.spans.push_back({start, piece.size() - start});
            scan.endsInComment = true;
            return scan;
        }
        scan.spans.push_back({start, close + 1 - start});
        inComment = false;
        at = close + 1;
    }
    scan.endsInComment = inComment;
    return scan;
}

} // namespace varnel
