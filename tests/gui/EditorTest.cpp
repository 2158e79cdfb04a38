// Tests of the equation editor: comment colours follow typing (closed, unclosed and later
// closed braces), insertions put the caret where the palettes promise and undo as one step,
// symbol bytes get the symbol face, Copy falls back to the Output window, and find/replace
// and go-to act on the text.
#include "GuiTestSupport.h"

#include "AppSettings.h"
#include "EditorPrinter.h"
#include "EquationDocument.h"
#include "EquationEditor.h"
#include "FindReplaceDialog.h"
#include "OutputWindow.h"
#include "PaletteDock.h"
#include "PaletteTable.h"
#include "TabStopsDialog.h"

#include <QClipboard>
#include <QPrinter>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>

using namespace varnel;

namespace {

// The colour the highlighter gives the character at `position`.
QColor colourAt(QTextDocument* document, int position)
{
    const QTextBlock block = document->findBlock(position);
    const int inBlock = position - block.position();
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (inBlock >= range.start && inBlock < range.start + range.length)
            return range.format.foreground().color();
    return QColor();
}

const PaletteEntry& entryNamed(Palette palette, std::string_view name)
{
    for (const PaletteEntry& e : paletteEntries(palette))
        if (e.name == name)
            return e;
    qFatal("no palette entry");
}

} // namespace

class EditorTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    AppSettings m_settings;
    std::unique_ptr<EquationDocument> m_document;
    std::unique_ptr<OutputWindow> m_output;
    std::unique_ptr<EquationEditor> m_editor;

    QTextDocument* text() const { return m_document->text(); }
    QColor red() const { return m_settings.equationColor; }
    QColor grey() const { return m_settings.commentsColor; }

    // The colours of the whole text as a string: "e" equation, "c" comment, "\n" kept.
    QString colourMap() const
    {
        QString map;
        const QString plain = text()->toPlainText();
        for (int i = 0; i < plain.size(); ++i) {
            if (plain[i] == QLatin1Char('\n')) {
                map += QLatin1Char('\n');
                continue;
            }
            const QColor c = colourAt(text(), i);
            map += c == grey()  ? QLatin1Char('c')
                   : c == red() ? QLatin1Char('e')
                                : QLatin1Char('?');
        }
        return map;
    }

private slots:
    void initTestCase() { varnel::testing::isolateProfile(m_profile); }

    void init()
    {
        m_document = std::make_unique<EquationDocument>("Untitled", m_settings);
        m_output = std::make_unique<OutputWindow>();
        m_editor = std::make_unique<EquationEditor>(m_document.get(), m_settings, m_output.get());
        m_editor->show();
    }

    void cleanup()
    {
        m_editor.reset();
        m_output.reset();
        m_document.reset();
    }

    void commentsAreColouredAsTyped()
    {
        // Equation, comment in braces, second equation on one line.
        QTest::keyClicks(m_editor.get(), "a=1;{c}b=2;");
        QCOMPARE(colourMap(), QString("eeeeccceeee"));

        // An unclosed "{" makes the rest of the text a comment, over the following lines.
        m_editor->clear();
        QTest::keyClicks(m_editor.get(), "x=1;");
        QTest::keyClick(m_editor.get(), Qt::Key_Return);
        QTest::keyClicks(m_editor.get(), "y=2;");
        m_editor->moveCursor(QTextCursor::Start);
        QTest::keyClicks(m_editor.get(), "{");
        QCOMPARE(colourMap(), QString("ccccc\ncccc"));
        // Closing it later gives the text after it back to the equations.
        m_editor->moveCursor(QTextCursor::Start);
        m_editor->moveCursor(QTextCursor::Right);
        m_editor->moveCursor(QTextCursor::Right);
        QTest::keyClicks(m_editor.get(), "}");
        QCOMPARE(colourMap(), QString("ccceee\neeee"));
        // Deleting the "{" uncolours the comment again.
        m_editor->moveCursor(QTextCursor::Start);
        QTest::keyClick(m_editor.get(), Qt::Key_Delete);
        QCOMPARE(colourMap(), QString("eeeee\neeee"));
    }

    void functionTemplatesLeaveTheCaretInside()
    {
        QTest::keyClicks(m_editor.get(), "y=");
        m_editor->insertEntry(entryNamed(Palette::OperatorsAndFunctions, "Sinus"));
        QCOMPARE(text()->toPlainText(), QString("y=SIN()"));
        QCOMPARE(m_editor->textCursor().position(), 6);
        QTest::keyClicks(m_editor.get(), "x");
        QCOMPARE(text()->toPlainText(), QString("y=SIN(x)"));

        m_editor->insertEntry(entryNamed(Palette::OperatorsAndFunctions, "IF THEN ELSE"));
        QCOMPARE(m_editor->textCursor().position(), 7 + 15);
        m_editor->insertEntry(entryNamed(Palette::OperatorsAndFunctions, "Comments"));
        QCOMPARE(m_editor->textCursor().position(), 7 + 15 + 1);

        // Each insertion is one undo step, and it replaces the selection.
        m_editor->undo();
        m_editor->undo();
        QCOMPARE(text()->toPlainText(), QString("y=SIN(x)"));
        m_editor->selectAll();
        m_editor->insertEntry(entryNamed(Palette::SpecialFunctions, "INTEGRAL"));
        QCOMPARE(text()->toPlainText(), QString("INT()"));
    }

    void alphaButtonInsertsItsByteWithTheSymbolFace()
    {
        PaletteDock greek("Greek Alphabet", Palette::GreekAlphabet);
        connect(&greek, &PaletteDock::entryChosen, m_editor.get(), &EquationEditor::insertEntry);
        const auto buttons = greek.findChildren<QToolButton*>();
        QCOMPARE(buttons.size(), 39);
        QCOMPARE(buttons.first()->toolTip(), QString("Alpha"));
        QTest::keyClicks(m_editor.get(), "k=");
        buttons.first()->click();
        QTest::keyClicks(m_editor.get(), "b");

        QByteArray bytes;
        QString error;
        QVERIFY(m_document->encodedText(bytes, error));
        QCOMPARE(bytes, QByteArray("k=\xE1"
                                   "b"));
        QTextCursor at(text());
        at.setPosition(3); // format of the character before position 3: the alpha
        QCOMPARE(at.charFormat().fontFamilies().toStringList(), QStringList{kSymbolFace});
        at.setPosition(4); // the "b" typed after it has the editor's face again
        QVERIFY(at.charFormat().fontFamilies().toStringList().isEmpty());
    }

    void typedSpecialCharactersGetTheSymbolFace()
    {
        QTest::keyClicks(m_editor.get(), "a*b");
        QTextCursor at(text());
        at.setPosition(2);
        QCOMPARE(at.charFormat().fontFamilies().toStringList(), QStringList{kSymbolFace});
        at.setPosition(3);
        QVERIFY(at.charFormat().fontFamilies().toStringList().isEmpty());
    }

    void copyWithoutSelectionTakesTheOutputSelection()
    {
        m_output->appendPiece("Solution Found!\n");
        QTextCursor pick(m_output->document());
        pick.setPosition(0);
        pick.setPosition(8, QTextCursor::KeepAnchor);
        m_output->setTextCursor(pick);
        QTest::keyClicks(m_editor.get(), "z=1;");
        QApplication::clipboard()->clear();

        m_editor->copyOrOutput();
        QCOMPARE(QApplication::clipboard()->text(), QString("Solution"));

        m_editor->selectAll();
        m_editor->copyOrOutput();
        QCOMPARE(QApplication::clipboard()->text(), QString("z=1;"));

        // Cut with no selection copies the Output's selection and removes nothing.
        m_editor->moveCursor(QTextCursor::End);
        m_editor->cutOrOutput();
        QCOMPARE(QApplication::clipboard()->text(), QString("Solution"));
        QCOMPARE(text()->toPlainText(), QString("z=1;"));
    }

    void findReplaceAndGoTo()
    {
        text()->setPlainText("x=1;\nX=2;\ny=x+x;");
        QVERIFY(FindReplaceDialog::findIn(m_editor.get(), "y", {}));
        QCOMPARE(m_editor->textCursor().selectedText(), QString("y"));
        // Wraps around to the first "x" after the end.
        QVERIFY(FindReplaceDialog::findIn(m_editor.get(), "X", QTextDocument::FindCaseSensitively));
        QCOMPARE(m_editor->textCursor().selectionStart(), 5);
        QVERIFY(!FindReplaceDialog::findIn(m_editor.get(), "w", {}));

        QCOMPARE(FindReplaceDialog::replaceAllIn(m_editor.get(), "x", "t",
                                                 QTextDocument::FindCaseSensitively),
                 3);
        QCOMPARE(text()->toPlainText(), QString("t=1;\nX=2;\ny=t+t;"));
        m_editor->undo();
        QCOMPARE(text()->toPlainText(), QString("x=1;\nX=2;\ny=x+x;"));

        m_editor->goToPosition(7);
        QCOMPARE(m_editor->textCursor().position(), 7);
        m_editor->goToPosition(1000);
        QCOMPARE(m_editor->textCursor().position(), text()->characterCount() - 1);
    }

    void printingStartsAtThePageOfTheCaret()
    {
        QString lines;
        for (int i = 1; i <= 300; ++i)
            lines += QStringLiteral("x%1 = %1; { line %1 }\n").arg(i);
        text()->setPlainText(lines);
        QTemporaryDir out;
        auto pagesPrinted = [&](int caret) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(out.filePath("p.pdf"));
            PrintJob job;
            job.header = m_settings.header;
            job.footer = m_settings.footer;
            job.path = "Untitled";
            job.font = m_editor->font();
            job.equationColour = red();
            job.commentColour = grey();
            job.caretPosition = caret;
            return printEquationText(&printer, text(), job);
        };
        const int all = pagesPrinted(0);
        QVERIFY2(all >= 4, qPrintable(QString::number(all)));
        // From the caret's page to the end: the last line is on the last page.
        QCOMPARE(pagesPrinted(static_cast<int>(lines.size()) - 2), 1);
        const int middle = pagesPrinted(static_cast<int>(lines.indexOf("x150 =")));
        QVERIFY(middle > 1 && middle < all);

        // The header and footer of a document without a path: its title and the page.
        QCOMPARE(stampedLine("File: &f", false, "Untitled", 2), QString("File: Untitled"));
        QCOMPARE(stampedLine("Page: &p", false, "Untitled", 2), QString("Page: 2"));
    }

    void tabStopsTakeOneToSixteen()
    {
        const std::pair<const char*, int> cases[] = {{"1", 1},  {"16", 16}, {" 8 ", 8},
                                                     {"0", -1}, {"17", -1}, {"-3", -1},
                                                     {"x", -1}, {"", -1},   {"4.5", -1}};
        for (const auto& [input, expected] : cases)
            QCOMPARE(TabStopsDialog::parse(input).value_or(-1), expected);

        // 16 units are four average characters; 8 are two.
        const qreal character = QFontMetricsF(m_editor->font()).averageCharWidth();
        QCOMPARE(m_editor->tabStopDistance(), character * 4);
        AppSettings narrow = m_settings;
        narrow.tabStops = 8;
        m_editor->applySettings(narrow);
        QCOMPARE(m_editor->tabStopDistance(), character * 2);
    }
};

QTEST_MAIN(EditorTest)
#include "EditorTest.moc"
