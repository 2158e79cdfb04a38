// Pagination and drawing of printed equation texts.
#include "EditorPrinter.h"

#include "CommentScanner.h"
#include "PageStamp.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <ctime>
#include <memory>

namespace varnel {

namespace {

// Gives the copy being printed the colours the highlighter shows on screen.
void colourComments(QTextDocument* doc, const PrintJob& job)
{
    QTextCharFormat equation;
    equation.setForeground(job.equationColour);
    QTextCharFormat comment;
    comment.setForeground(job.commentColour);
    QTextCursor all(doc);
    all.select(QTextCursor::Document);
    all.mergeCharFormat(equation);
    bool open = false;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        const CommentScan scan =
            scanComments(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             static_cast<size_t>(text.size())),
                         open);
        for (const CommentSpan& span : scan.spans) {
            QTextCursor c(doc);
            c.setPosition(block.position() + static_cast<int>(span.start));
            c.setPosition(block.position() + static_cast<int>(span.start + span.length),
                          QTextCursor::KeepAnchor);
            c.mergeCharFormat(comment);
        }
        open = scan.endsInComment;
    }
}

} // namespace

QString stampedLine(const QString& pageTemplate, bool systemTime, const QString& path, int page)
{
    const std::string file = path.toStdString();
    const std::time_t when = pageStampTime(systemTime, file, std::time(nullptr));
    return QString::fromStdString(stampPageLine(pageTemplate.toStdString(), page, file, when));
}

int printEquationText(QPrinter* printer, const QTextDocument* text, const PrintJob& job)
{
    QPainter painter;
    if (!painter.begin(printer))
        return 0;
    const QRectF area(QPointF(0, 0),
                      printer->pageLayout().paintRectPixels(printer->resolution()).size());

    QFont font = job.font;
    if (font.pixelSize() > 0) // pixel sizes are screen pixels; the printer has its own
        font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    const QFontMetricsF metrics(font, printer);
    const qreal line = metrics.lineSpacing();
    const qreal headerSpace = job.header.isEmpty() ? 0 : line * 1.5;
    const qreal footerSpace = job.footer.isEmpty() ? 0 : line * 1.5;
    const QRectF body(area.left(), area.top() + headerSpace, area.width(),
                      std::max(line, area.height() - headerSpace - footerSpace));

    std::unique_ptr<QTextDocument> doc(text->clone());
    doc->documentLayout()->setPaintDevice(printer);
    doc->setDefaultFont(font);
    QTextCursor all(doc.get());
    all.select(QTextCursor::Document);
    QTextCharFormat face;
    face.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    all.mergeCharFormat(face);
    colourComments(doc.get(), job);
    doc->setDocumentMargin(0);
    doc->setPageSize(body.size());
    const int pages = std::max(1, doc->pageCount());

    int first = 1;
    int last = pages;
    if (printer->fromPage() > 0) {
        first = std::clamp(printer->fromPage(), 1, pages);
        last = std::clamp(printer->toPage() > 0 ? printer->toPage() : pages, first, pages);
    } else {
        const QTextBlock caretBlock = doc->findBlock(job.caretPosition);
        if (caretBlock.isValid()) {
            const qreal y = doc->documentLayout()->blockBoundingRect(caretBlock).top();
            first = std::clamp(static_cast<int>(y / body.height()) + 1, 1, pages);
        }
    }

    painter.setFont(font);
    QPen rule(Qt::black);
    rule.setWidthF(std::max<qreal>(1.0, printer->resolution() / 150.0));
    int printed = 0;
    for (int page = first; page <= last; ++page) {
        if (page != first)
            printer->newPage();
        if (!job.header.isEmpty()) {
            painter.setPen(Qt::black);
            painter.drawText(QRectF(area.left(), area.top(), area.width(), line),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             stampedLine(job.header, job.headerSystemTime, job.path, page));
            painter.setPen(rule);
            const qreal y = area.top() + line * 1.25;
            painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        }
        painter.save();
        painter.setClipRect(body);
        painter.translate(body.left(), body.top() - (page - 1) * body.height());
        doc->drawContents(&painter,
                          QRectF(0, (page - 1) * body.height(), body.width(), body.height()));
        painter.restore();
        if (!job.footer.isEmpty()) {
            painter.setPen(rule);
            const qreal y = area.bottom() - line * 1.25;
            painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
            painter.setPen(Qt::black);
            painter.drawText(QRectF(area.left(), area.bottom() - line, area.width(), line),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             stampedLine(job.footer, job.footerSystemTime, job.path, page));
        }
        ++printed;
    }
    painter.end();
    return printed;
}

} // namespace varnel
