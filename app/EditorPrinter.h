// Prints an equation text page by page with the stamped header and footer: the header at the
// top margin with a rule a quarter line below it, the footer above a rule at the bottom, the
// text between them in the editor's colours. Printing starts at the page holding the caret
// unless the printer names a page range.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QPrinter;
class QTextDocument;

namespace varnel {

struct PrintJob {
    QString header; ///< template ("File: &f"); empty draws nothing
    QString footer; ///< template ("Page: &p"); empty draws nothing
    bool headerSystemTime = false;
    bool footerSystemTime = false;
    QString path; ///< the document's path, or its title when it has none
    QFont font;   ///< the printer font (or the display font)
    QColor equationColour;
    QColor commentColour;
    int caretPosition = 0;
};

/// Prints `text` on `printer`; returns the number of pages printed.
int printEquationText(QPrinter* printer, const QTextDocument* text, const PrintJob& job);

/// The header or footer line as printed on page `page` (1-based).
QString stampedLine(const QString& pageTemplate, bool systemTime, const QString& path, int page);

} // namespace varnel
