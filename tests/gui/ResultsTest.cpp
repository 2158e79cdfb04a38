// Tests of result tables and graphs in the main window: a graph made from a document's
// table through the result-table window and the graph definition dialog, refreshed when the
// table changes, a vanished variable reported, pictures and the table saved, and graphs
// closed with their equation window. Dialogs are answered by replaced prompts.
#include "GuiTestSupport.h"

#include "EquationDocument.h"
#include "EquationWindow.h"
#include "GraphDefinitionDialog.h"
#include "GraphPainter.h"
#include "GraphWindow.h"
#include "MainWindow.h"
#include "ResultTableDialog.h"

#include <QAction>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QScrollArea>
#include <QTableWidget>
#include <QTest>

#include <filesystem>

using namespace varnel;
using varnel::testing::readBytes;
using varnel::testing::writeBytes;

namespace {

const QByteArray kTable = "              t              a              b              c\n"
                          "      0.0000000      1.0000000      2.0000000      3.0000000\n"
                          "      1.0000000      1.5000000      2.5000000      3.5000000\n"
                          "      2.0000000      2.0000000      3.0000000      4.0000000\n";

GraphCurve curve(const char* x, const char* y, std::uint32_t colour)
{
    GraphCurve c;
    c.xName = x;
    c.yName = y;
    c.title = std::string(y) + " against " + x;
    c.color = colour;
    return c;
}

// Moves the file's time on, as a later run would.
void touchLater(const QString& path, int seconds)
{
    const std::filesystem::path p = QFile::encodeName(path).toStdString();
    std::filesystem::last_write_time(p, std::filesystem::last_write_time(p) +
                                            std::chrono::seconds(seconds));
}

} // namespace

class ResultsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    AppSettings m_settings;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_messages;
    QStringList m_questions;
    bool m_confirmAnswer = false;
    QString m_chosenFile;
    int m_tableDialogs = 0;
    // What the graph definition dialog is answered with.
    std::vector<GraphCurve> m_curves;
    bool m_oneGraph = true;

    QString path(const QString& name) const { return m_files.filePath(name); }

    EquationWindow* openDocument()
    {
        writeBytes(path("run.alg"), "x + 1 = 3\n");
        writeBytes(path("run.PRN"), kTable);
        return m_window->openFile(path("run.alg"));
    }

    int answerDialog(QDialog& dialog)
    {
        if (auto* table = qobject_cast<ResultTableDialog*>(&dialog)) {
            ++m_tableDialogs;
            [&] {
                QCOMPARE(table->grid()->columnCount(), 4);
                QCOMPARE(table->grid()->rowCount(), 3);
                QCOMPARE(table->grid()->horizontalHeaderItem(2)->text(), QStringLiteral("b"));
                QCOMPARE(table->grid()->item(1, 1)->text(), QStringLiteral("1.5000000"));
            }();
            return QDialog::Accepted;
        }
        auto* define = qobject_cast<GraphDefinitionDialog*>(&dialog);
        if (!define)
            return QDialog::Rejected;
        GraphOptions options;
        options.oneGraph = m_oneGraph;
        define->setOptions(options);
        for (const GraphCurve& c : m_curves)
            define->addCurve(c);
        define->accept();
        return define->result();
    }

private slots:
    void initTestCase() { varnel::testing::isolateProfile(m_profile); }

    void init()
    {
        m_window = std::make_unique<MainWindow>(m_settings);
        m_window->setSavePrompt([](EquationDocument*) { return QMessageBox::Discard; });
        m_window->setNotifier([this](const QString&, const QString& text) { m_messages << text; });
        ResultPrompts prompts;
        prompts.chooseFile = [this](const QString&, const QString&, const QString&, const QString&,
                                    bool) { return m_chosenFile; };
        prompts.chooseColour = [](const QColor&) { return QColor(Qt::magenta); };
        prompts.confirm = [this](const QString& question) {
            m_questions << question;
            return m_confirmAnswer;
        };
        prompts.runDialog = [this](QDialog& dialog) { return answerDialog(dialog); };
        m_window->setResultPrompts(prompts);
        m_window->show();
        m_messages.clear();
        m_questions.clear();
        m_tableDialogs = 0;
        m_curves = {curve("t", "a", 0xC00000), curve("t", "b", 0x008000),
                    curve("a", "c", 0x0000C0)};
        m_oneGraph = false;
        m_confirmAnswer = false;
    }

    void cleanup()
    {
        m_window->close();
        m_window.reset();
    }

    void graphFollowsItsTable()
    {
        EquationWindow* document = openDocument();
        QVERIFY(document);
        m_window->action("showResults")->trigger();
        QCOMPARE(m_tableDialogs, 1);
        QCOMPARE(m_messages, QStringList());
        QList<GraphWindow*> graphs = m_window->graphWindows(document);
        QCOMPARE(graphs.size(), 1);
        GraphWindow* graph = graphs.front();
        QCOMPARE(graph->windowTitle(), QStringLiteral("Picture:") + path("run.PRN"));
        const GraphModel& model = graph->model();
        QCOMPARE(model.pictureCount(), 3);
        QCOMPARE(model.xValues(model.curves()[2]), (std::vector<float>{1, 1.5f, 2}));
        QCOMPARE(model.yValues(model.curves()[1]), (std::vector<float>{2, 2.5f, 3}));

        // A run rewrites the table: every graph of the document shows the new values.
        writeBytes(path("run.PRN"), "t a b c\n0 10 20 30\n5 11 21 31\n");
        touchLater(path("run.PRN"), 2);
        m_window->updateAllGraphs(document);
        QCOMPARE(model.yValues(model.curves()[1]), (std::vector<float>{20, 21}));
        QCOMPARE(model.xValues(model.curves()[0]), (std::vector<float>{0, 5}));

        // A variable renamed away: the graph says which and keeps its pictures.
        writeBytes(path("run.PRN"), "t a B c\n0 10 20 30\n");
        touchLater(path("run.PRN"), 4);
        m_window->updateAllGraphs(document);
        QCOMPARE(m_messages, QStringList{QStringLiteral(
                                 "Graph cannot be updated!\nMissing information for b variable!")});
        QCOMPARE(model.yValues(model.curves()[1]), (std::vector<float>{20, 21}));

        // Zoom: a left click doubles the pictures, a right click undoes it (not below 1).
        const QSize one = graph->pictureSize();
        graph->zoomIn(QPoint(10, 10));
        QCOMPARE(graph->zoom(), 2);
        const QSize two = graph->pictureSize();
        QVERIFY(std::abs(two.width() - 2 * one.width()) <= 1);
        QCOMPARE(graph->scrollArea()->widget()->size(), QSize(two.width(), two.height() * 3));
        graph->zoomOut();
        graph->zoomOut();
        QCOMPARE(graph->zoom(), 1);

        // The graph closes with its equation window.
        QPointer<GraphWindow> watch(graph);
        document->close();
        QTRY_VERIFY(watch.isNull());
        QVERIFY(m_window->graphWindows(nullptr).isEmpty());
    }

    void picturesAreSavedNumbered()
    {
        EquationWindow* document = openDocument();
        m_window->action("graphFromResults")->trigger();
        QCOMPARE(m_tableDialogs, 0); // straight to the definition
        QList<GraphWindow*> graphs = m_window->graphWindows(document);
        QCOMPARE(graphs.size(), 1);
        GraphWindow* graph = graphs.front();

        QStringList written;
        QCOMPARE(graph->writePictures(path("pic.svg"), &written), QString());
        QCOMPARE(written,
                 (QStringList{path("pic_01.svg"), path("pic_02.svg"), path("pic_03.svg")}));
        for (const QString& file : written) {
            const QByteArray svg = readBytes(file);
            QVERIFY(svg.contains("<svg"));
            QVERIFY(svg.contains("</svg>"));
        }
        QVERIFY(!QFileInfo::exists(path("pic.svg")));
        QCOMPARE(graph->writePictures(path("pic.png")), QString());
        QImage png(path("pic_02.png"));
        QVERIFY(!png.isNull());
        QVERIFY(png.width() > 1000);
        QCOMPARE(graph->writePictures(path("pic.pdf")), QString());
        QVERIFY(readBytes(path("pic_03.pdf")).startsWith("%PDF"));
        QVERIFY(!graph->writePictures(path("pic.emf")).isEmpty());

        // Save As onto numbered files that exist asks first; "no" leaves them as they were.
        const QByteArray before = readBytes(path("pic_01.svg"));
        writeBytes(path("pic_01.svg"), "mine");
        m_chosenFile = path("pic.svg");
        QVERIFY(!graph->saveGraphAs());
        QCOMPARE(m_questions.size(), 1);
        QVERIFY(m_questions[0].contains(QStringLiteral("pic_01.svg")));
        QCOMPARE(readBytes(path("pic_01.svg")), QByteArray("mine"));
        m_confirmAnswer = true;
        QVERIFY(graph->saveGraphAs());
        QVERIFY(readBytes(path("pic_01.svg")).contains("<svg"));
        QVERIFY(before.size() > 0);

        // The table as comma-separated values.
        QCOMPARE(graph->writeTableCsv(path("run.csv")), QString());
        QCOMPARE(readBytes(path("run.csv")), QByteArray("t,a,b,c\n0,1,2,3\n1,1.5,2.5,3.5\n"
                                                        "2,2,3,4\n"));

        // The graph window's commands follow the active window; File - Close closes a graph.
        QVERIFY(m_window->action("saveGraph")->isEnabled());
        QVERIFY(m_window->action("close")->isEnabled());
        QPointer<GraphWindow> watch(graph);
        m_window->action("close")->trigger();
        QTRY_VERIFY(watch.isNull());
        QVERIFY(!m_window->action("saveGraph")->isEnabled());
    }

    void curvesAreDrawnInTheirColour()
    {
        // Degenerate tables draw without failing; a real one shows the curve's colour.
        const QByteArray tables[] = {kTable, "t a b c\n1 1 1 1\n",
                                     "t a b c\nnan inf -inf 1\n2 nan 1 1\n", "t a b c\n"};
        for (const QByteArray& text : tables) {
            writeBytes(path("draw.PRN"), text);
            GraphModel model(QFile::encodeName(path("draw.PRN")).toStdString(),
                             {curve("t", "a", 0xFF0000)}, GraphOptions{});
            QCOMPARE(model.update(), GraphUpdate::Updated);
            for (GraphType type : {GraphType::Normal, GraphType::Bar, GraphType::Line,
                                   GraphType::NormalPoints, GraphType::LinePoints}) {
                GraphModel typed(model.tablePath(), model.curves(),
                                 GraphOptions{true, true, true, type});
                typed.update();
                QImage image(500, 350, QImage::Format_RGB32);
                QPainter painter(&image);
                paintGraphPicture(painter, image.rect(), typed, 0, 12);
                painter.end();
                int red = 0;
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x)
                        red += qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) < 90 &&
                               qBlue(image.pixel(x, y)) < 90;
                if (text == kTable)
                    QVERIFY2(red > 20, qPrintable(QString::number(static_cast<int>(type))));
            }
        }
    }

    void missingTablesAndEmptyDefinitions()
    {
        // A new document has no table; a saved one whose run has not written one neither.
        m_window->newDocument();
        m_window->action("showResults")->trigger();
        m_window->action("graphFromResults")->trigger();
        writeBytes(path("other.alg"), "y = 2\n");
        m_window->openFile(path("other.alg"));
        m_window->action("showResults")->trigger();
        QCOMPARE(m_messages, (QStringList{QStringLiteral("There is no PRN file available!!"),
                                          QStringLiteral("There is no PRN file available!!"),
                                          QStringLiteral("File does not exist!!")}));

        // A definition without curves draws nothing.
        m_messages.clear();
        EquationWindow* document = openDocument();
        m_curves.clear();
        m_window->action("graphFromResults")->trigger();
        QCOMPARE(m_messages, QStringList{QStringLiteral("There is nothing to be drawn")});
        QVERIFY(m_window->graphWindows(document).isEmpty());

        // The dialog's buttons fill the current curve from the variables list.
        const ResultPrompts none;
        GraphDefinitionDialog dialog(path("run.PRN"), {"t", "a"}, none, nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Graph: ") + path("run.PRN"));
        dialog.variables()->setCurrentRow(0);
        dialog.useSelectedVariable(true);
        dialog.variables()->setCurrentRow(1);
        dialog.useSelectedVariable(false);
        dialog.newCurve();
        dialog.deleteCurve();
        QCOMPARE(dialog.curves().size(), std::size_t(1));
        QCOMPARE(dialog.curves()[0].xName, std::string("t"));
        QCOMPARE(dialog.curves()[0].yName, std::string("a"));
    }
};

QTEST_MAIN(ResultsTest)
#include "ResultsTest.moc"
