// Tests of the comment scanner: braces do not nest, an unclosed "{" runs to the end, and the
// open state carries over from one piece to the next.
#include "CommentScanner.h"

#include <gtest/gtest.h>

using namespace varnel;

TEST(CommentScanner, FindsCommentsPieceByPiece)
{
    const struct {
        std::u16string text;
        bool open;
        std::vector<CommentSpan> spans;
        bool endsOpen;
    } cases[] = {
        {u"a = 1; {note} b = 2;", false, {{7, 6}}, false},
        {u"x = 1;", false, {}, false},
        {u"{open comment", false, {{0, 13}}, true},
        {u"still open} y = 2;", true, {{0, 11}}, false},
        {u"still open", true, {{0, 10}}, true},
        {u"", true, {}, true},
        {u"", false, {}, false},
        {u"{a{b}c}", false, {{0, 5}}, false}, // no nesting: the last "}" is text
        {u"} x {y}", false, {{4, 3}}, false}, // a stray "}" is text
        {u"{}{}", false, {{0, 2}, {2, 2}}, false},
        {u"p = 2; {c1} q {c2", false, {{7, 4}, {14, 3}}, true},
    };
    for (const auto& c : cases) {
        const CommentScan scan = scanComments(c.text, c.open);
        EXPECT_EQ(scan.spans, c.spans);
        EXPECT_EQ(scan.endsInComment, c.endsOpen);
    }
}
