// A user's whole path through the desktop program: a graph generation answered in its
// dialog, the result table it leaves shown, a graph defined on it and saved as SVG (read back
// as XML) and PNG; a long run during which the window keeps handling events until Stop ends
// it; and a failing run that leaves the document as it was.
#include "GuiTestSupport.h"

#include "EquationDocument.h"
#include "EquationEditor.h"
#include "EquationWindow.h"
#include "GraphDefinitionDialog.h"
#include "GraphWindow.h"
#include "MainWindow.h"
#include "OutputWindow.h"
#include "RequestDialogs.h"
#include "ResultPrompts.h"
#include "ResultTableDialog.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QImage>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QXmlStreamReader>

#include <cmath>

using namespace varnel;
using varnel::testing::readBytes;
using varnel::testing::writeBytes;

class EndToEndTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    AppSettings m_settings;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_notices;
    // The graph generation's answer: independent variable, range and steps.
    QString m_independent = QStringLiteral("x");
    double m_from = 0.0;
    double m_to = 2.0;
    int m_steps = 4;
    bool m_stopWhenAsked = false;
    int m_tables = 0;

    QString path(const QString& name) const { return m_files.filePath(name); }

    int answerGraphRequest(QDialog& dialog)
    {
        auto* graph = qobject_cast<GraphGenerationDialog*>(&dialog);
        if (!graph)
            return QDialog::Rejected;
        graph->independent()->setCurrentIndex(graph->independent()->findText(m_independent));
        graph->from()->setValue(m_from);
        graph->to()->setValue(m_to);
        graph->steps()->setValue(m_steps);
        graph->accept();
        return graph->result();
    }

    int answerResultDialog(QDialog& dialog)
    {
        if (qobject_cast<ResultTableDialog*>(&dialog)) {
            ++m_tables;
            return QDialog::Accepted; // "&Graph"
        }
        auto* define = qobject_cast<GraphDefinitionDialog*>(&dialog);
        if (!define)
            return QDialog::Rejected;
        GraphOptions options;
        options.oneGraph = false;
        options.horizontalGrid = true;
        define->setOptions(options);
        for (const char* y : {"y", "z"}) {
            GraphCurve c;
            c.xName = "x";
            c.yName = y;
            c.title = y;
            c.color = 0x0000C0;
            define->addCurve(c);
        }
        define->accept();
        return define->result();
    }

    bool runAndWait(const QString& command, EquationWindow* window, bool* result)
    {
        QSignalSpy finished(m_window.get(), &MainWindow::runFinished);
        if (!m_window->runCommand(command, window))
            return false;
        if (finished.isEmpty() && !finished.wait(60000))
            return false;
        *result = finished.first().at(2).toBool();
        return true;
    }

private slots:
    void initTestCase() { varnel::testing::isolateProfile(m_profile); }

    void init()
    {
        m_notices.clear();
        m_tables = 0;
        m_window = std::make_unique<MainWindow>(m_settings);
        m_window->setSavePrompt([](EquationDocument*) { return QMessageBox::Discard; });
        m_window->setNotifier([this](const QString&, const QString& text) { m_notices << text; });
        m_window->setDialogRunner([this](QDialog& dialog) { return answerGraphRequest(dialog); });
        ResultPrompts prompts;
        prompts.runDialog = [this](QDialog& dialog) { return answerResultDialog(dialog); };
        prompts.confirm = [](const QString&) { return false; };
        m_window->setResultPrompts(prompts);
        m_window->show();
    }

    void cleanup() { m_window.reset(); }

    void generatedGraphIsShownAndSaved()
    {
        QVERIFY(writeBytes(path("curves.alg"), "y = x*x;\nz = 2*x + 1;\n"));
        EquationWindow* document = m_window->openFile(path("curves.alg"));
        QVERIFY(document);
        bool result = false;
        QVERIFY(runAndWait("graphGenerate", document, &result));
        QVERIFY2(result, qPrintable(m_window->output()->toPlainText()));

        // The run's table was shown, and the graph defined on it draws y = x^2 and z = 2x + 1
        // at x = 0, 0.5, ..., 2.
        QCOMPARE(m_tables, 1);
        const QList<GraphWindow*> graphs = m_window->graphWindows(document);
        QCOMPARE(graphs.size(), 1);
        const GraphModel& model = graphs.front()->model();
        QCOMPARE(model.curves().size(), std::size_t(2));
        const std::vector<float> x = model.xValues(model.curves()[0]);
        const std::vector<float> y = model.yValues(model.curves()[0]);
        const std::vector<float> z = model.yValues(model.curves()[1]);
        QCOMPARE(x.size(), std::size_t(5));
        for (std::size_t i = 0; i < x.size(); ++i) {
            QVERIFY(std::fabs(x[i] - 0.5f * static_cast<float>(i)) < 1e-6f);
            QVERIFY(std::fabs(y[i] - x[i] * x[i]) < 1e-5f);
            QVERIFY(std::fabs(z[i] - (2 * x[i] + 1)) < 1e-5f);
        }

        // One picture per curve: SVG files that parse as XML with an <svg> root, and PNGs.
        QStringList written;
        QCOMPARE(graphs.front()->writePictures(path("curves.svg"), &written), QString());
        QCOMPARE(written, (QStringList{path("curves_01.svg"), path("curves_02.svg")}));
        for (const QString& file : written) {
            QXmlStreamReader xml(readBytes(file));
            QVERIFY(xml.readNextStartElement());
            QCOMPARE(xml.name().toString(), QStringLiteral("svg"));
            while (!xml.atEnd())
                xml.readNext();
            QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        }
        written.clear();
        QCOMPARE(graphs.front()->writePictures(path("curves.png"), &written), QString());
        QCOMPARE(written.size(), 2);
        for (const QString& file : written) {
            const QImage picture(file);
            QVERIFY(!picture.isNull());
            QVERIFY(picture.width() > picture.height()); // 100 mm by 70 mm
        }
    }

    void windowKeepsTurningUntilStop()
    {
        // A sweep of two million steps runs for seconds; the event loop turns meanwhile (a
        // timer of 10 ms fires ten times well before the sweep could end).
        QVERIFY(writeBytes(path("long.alg"), "y = x*x;\n"));
        EquationWindow* document = m_window->openFile(path("long.alg"));
        QVERIFY(document);
        m_steps = 2000000;
        QSignalSpy finished(m_window.get(), &MainWindow::runFinished);
        QVERIFY(m_window->runCommand("graphGenerate", document));
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&ticks] { ++ticks; });
        timer.start(10);
        QElapsedTimer clock;
        clock.start();
        while (ticks < 10 && finished.isEmpty() && clock.elapsed() < 5000)
            QTest::qWait(20);
        QVERIFY2(finished.isEmpty(), "the run ended before it could be stopped");
        QVERIFY(m_window->runBusy());
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        m_window->action("stopRun")->trigger();
        QVERIFY(finished.wait(10000));
        QVERIFY(!finished.first().at(2).toBool());
        QVERIFY(m_window->output()->toPlainText().contains("User inicira prekid.."));
        QVERIFY(!document->editor()->isReadOnly());
    }

    void failingRunLeavesTheDocumentAsItWas()
    {
        const QByteArray text = "{ a statement the reader refuses }\nx = = 1;\ny = 2;\n";
        QVERIFY(writeBytes(path("broken.alg"), text));
        EquationWindow* document = m_window->openFile(path("broken.alg"));
        QVERIFY(document);
        bool result = true;
        QVERIFY(runAndWait("solveAlgebraic", document, &result));
        QVERIFY(!result);
        QCOMPARE(readBytes(path("broken.alg")), text);
        QCOMPARE(document->document()->text()->toPlainText().toUtf8(), text);
        QVERIFY(!document->document()->isModified());
        QVERIFY(!document->editor()->isReadOnly());
        QVERIFY(!QFileInfo::exists(path("broken.PRN")));
    }
};

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
