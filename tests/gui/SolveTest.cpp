// Tests of the run commands through the main window: a solve on a saved document fills the
// Output window and the Properties tree, a modified document is saved first and a cancelled
// save runs nothing, Stop ends a run with the interruption message, closing a running
// document or the whole window waits for the run, graph generation asks through its dialog,
// and a produced symbolic file is offered for conversion into a new document.
#include "GuiTestSupport.h"

#include "AppSettings.h"
#include "EquationDocument.h"
#include "EquationEditor.h"
#include "EquationWindow.h"
#include "FileViewDialog.h"
#include "MainWindow.h"
#include "OutputWindow.h"
#include "PropertiesTree.h"
#include "RequestDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <cmath>

using namespace varnel;
using varnel::testing::readBytes;
using varnel::testing::writeBytes;

namespace {

// Where the parabola y = 3 - x^2 meets the line y = x - 1: x = (-1 + sqrt(17))/2.
const QByteArray kIntersection = "{Options: 30 -12 NEWTON SYMBOLIC}\n"
                                 "x*x + y = 3;\n"
                                 "x - y = 1;\n";

QStringList childTexts(QTreeWidgetItem* item)
{
    QStringList texts;
    for (int i = 0; item && i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

double valueOf(const QStringList& lines, const QString& name)
{
    for (const QString& line : lines)
        if (line.startsWith(name + QLatin1Char('=')))
            return line.mid(name.size() + 1).toDouble();
    return std::nan("");
}

} // namespace

class SolveTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    AppSettings m_settings;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_notices;
    std::function<int(QDialog&)> m_answer; // what the next dialog gets
    QStringList m_dialogs;                 // object names of the dialogs shown

    QString file(const QString& name) const { return m_files.filePath(name); }

    EquationWindow* openExample(const QString& name, const QByteArray& text)
    {
        const QString path = file(name);
        if (!writeBytes(path, text))
            return nullptr;
        return m_window->openFile(path);
    }

    // Runs a command and waits for its end; false when it did not start or never ended.
    bool runAndWait(const QString& command, EquationWindow* window, bool* result = nullptr)
    {
        QSignalSpy finished(m_window.get(), &MainWindow::runFinished);
        if (!m_window->runCommand(command, window))
            return false;
        if (finished.isEmpty() && !finished.wait(60000))
            return false;
        if (result)
            *result = finished.first().at(2).toBool();
        return true;
    }

private slots:
    void initTestCase() { varnel::testing::isolateProfile(m_profile); }

    void init()
    {
        m_notices.clear();
        m_dialogs.clear();
        m_answer = [](QDialog&) { return int(QDialog::Rejected); };
        m_window = std::make_unique<MainWindow>(m_settings);
        m_window->setSavePrompt([](EquationDocument*) { return QMessageBox::Discard; });
        m_window->setNotifier([this](const QString&, const QString& text) { m_notices << text; });
        m_window->setDialogRunner([this](QDialog& dialog) {
            m_dialogs << dialog.objectName();
            return m_answer(dialog);
        });
        m_window->show();
    }

    void cleanup() { m_window.reset(); }

    void solveShowsTheSolution()
    {
        EquationWindow* w = openExample("intersection.alg", kIntersection);
        QVERIFY(w);
        QSignalSpy finished(m_window.get(), &MainWindow::runFinished);
        QVERIFY(m_window->runCommand("solveAlgebraic", w));
        QVERIFY(m_window->runBusy());
        QVERIFY(w->editor()->isReadOnly());
        QVERIFY(!m_window->action("solveAlgebraic")->isEnabled()); // one run at a time
        QVERIFY(!m_window->runCommand("solveAlgebraic", w));
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().at(1).toString(), QString("S"));
        QVERIFY(finished.first().at(2).toBool());
        QVERIFY(!w->editor()->isReadOnly());
        QVERIFY(m_window->action("solveAlgebraic")->isEnabled());

        const QString output = m_window->output()->toPlainText();
        QVERIFY2(output.contains("Solution Found!"), qPrintable(output));
        QVERIFY(output.startsWith("VARNEL Version 2.00\n"));

        QTreeWidgetItem* results = m_window->properties()->nodeOf(w->document())->child(0);
        QCOMPARE(results->text(0), QString("Results: OK"));
        const QStringList lines = childTexts(results);
        QCOMPARE(lines.size(), 2);
        const double x = (-1.0 + std::sqrt(17.0)) / 2.0;
        QVERIFY(std::abs(valueOf(lines, "x") - x) < 1e-9);
        QVERIFY(std::abs(valueOf(lines, "y") - (x - 1.0)) < 1e-9);
        QVERIFY(lines[0].contains(QRegularExpression("^x=-?\\d+\\.\\d{15}$")));
    }

    void aFailedSolveShowsNotFound()
    {
        EquationWindow* w = openExample("broken.alg", "x + = 3;\n");
        QVERIFY(w);
        bool result = true;
        QVERIFY(runAndWait("solveAlgebraic", w, &result));
        QVERIFY(!result);
        QCOMPARE(m_window->properties()->nodeOf(w->document())->child(0)->text(0),
                 QString("Results: NOT FOUND"));
        // The error text has no line break after it and is shown all the same.
        QVERIFY(m_window->output()->toPlainText().contains("Error"));
    }

    void aModifiedDocumentIsSavedFirst()
    {
        EquationWindow* w = openExample("edited.alg", "x = 1;\n");
        QVERIFY(w);
        QTextCursor end(w->document()->text());
        end.movePosition(QTextCursor::End);
        end.insertText("y = x + 1;\n");
        QVERIFY(w->document()->isModified());
        bool result = false;
        QVERIFY(runAndWait("solveAlgebraic", w, &result));
        QVERIFY(result);
        QCOMPARE(readBytes(file("edited.alg")), QByteArray("x = 1;\ny = x + 1;\n"));
        QVERIFY(
            std::abs(
                valueOf(childTexts(m_window->properties()->nodeOf(w->document())->child(0)), "y") -
                2.0) < 1e-9);
    }

    void aCancelledSaveRunsNothing()
    {
        EquationWindow* w = m_window->newDocument();
        w->document()->text()->setPlainText("x = 1;\n");
        // The save dialog appears; it is cancelled.
        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        QSignalSpy finished(m_window.get(), &MainWindow::runFinished);
        QVERIFY(!m_window->runCommand("solveAlgebraic", w));
        QVERIFY(!m_window->runBusy());
        QVERIFY(m_window->output()->toPlainText().isEmpty());
        QVERIFY(w->document()->path().isEmpty());
        QTest::qWait(50);
        QVERIFY(finished.isEmpty());
    }

    void estimationNeedsAListFile()
    {
        EquationWindow* w = openExample("fit.alg", "y = a*x;\n");
        QVERIFY(w);
        QVERIFY(!m_window->runCommand("solveEstimation", w));
        QCOMPARE(m_notices, QStringList{"List file must be attached"});
        QVERIFY(!m_window->runBusy());
    }

    void stopEndsTheRun()
    {
        // The run waits in its graph request while Stop is pressed; the sweep that follows
        // meets the request at its first poll.
        EquationWindow* w = openExample("stopped.alg", "y = x*x;\n");
        QVERIFY(w);
        bool stopEnabled = false;
        m_answer = [&](QDialog& dialog) {
            auto* graph = qobject_cast<GraphGenerationDialog*>(&dialog);
            if (!graph)
                return int(QDialog::Rejected);
            stopEnabled = m_window->action("stopRun")->isEnabled();
            m_window->action("stopRun")->trigger();
            graph->independent()->setCurrentIndex(1);
            graph->steps()->setValue(1000);
            graph->accept();
            return graph->result();
        };
        bool result = true;
        QVERIFY(runAndWait("graphGenerate", w, &result));
        QVERIFY(stopEnabled);
        QVERIFY(!result);
        const QString output = m_window->output()->toPlainText();
        QVERIFY2(output.contains("User inicira prekid.."), qPrintable(output));
        QVERIFY(!m_window->action("stopRun")->isEnabled());

        // The next run is not stopped by the earlier request.
        QVERIFY(runAndWait("solveAlgebraic", openExample("after.alg", kIntersection), &result));
        QVERIFY(result);
    }

    void closingARunningDocumentWaitsForTheRun()
    {
        EquationWindow* w = openExample("closed.alg", kIntersection);
        QVERIFY(w);
        QSignalSpy finished(m_window.get(), &MainWindow::runFinished);
        QVERIFY(m_window->runCommand("solveAlgebraic", w));
        QPointer<EquationWindow> guard(w);
        QVERIFY(w->close());
        QTRY_VERIFY(guard.isNull());
        QTRY_VERIFY(!m_window->runBusy());
        QVERIFY(finished.isEmpty()); // nothing is reported to a window that is gone
        EquationWindow* again = openExample("closed.alg", kIntersection);
        QVERIFY(runAndWait("solveAlgebraic", again));

        // The whole window goes while a run is busy.
        QVERIFY(m_window->runCommand("solveAlgebraic", again));
        m_window.reset();
    }

    void graphGenerationAsksThroughItsDialog()
    {
        EquationWindow* w = openExample("parabola.alg", "y = x*x;\n");
        QVERIFY(w);
        QStringList offered;
        m_answer = [&offered, this](QDialog& dialog) {
            auto* graph = qobject_cast<GraphGenerationDialog*>(&dialog);
            if (!graph)
                return int(QDialog::Rejected);
            for (int i = 0; i < graph->independent()->count(); ++i)
                offered << graph->independent()->itemText(i);
            graph->independent()->setCurrentIndex(offered.indexOf("x"));
            graph->from()->setValue(1.0);
            graph->to()->setValue(1.0);
            graph->accept(); // refused: the dialog stays open
            if (graph->result() == QDialog::Accepted)
                return int(QDialog::Accepted);
            graph->from()->setValue(0.0);
            graph->to()->setValue(2.0);
            graph->steps()->setValue(4);
            graph->accept();
            return graph->result();
        };
        bool result = false;
        QVERIFY(runAndWait("graphGenerate", w, &result));
        QVERIFY2(result, qPrintable(m_window->output()->toPlainText()));
        QCOMPARE(m_dialogs, QStringList{"GraphGenerationDialog"});
        QCOMPARE(offered, (QStringList{"y", "x"}));
        QVERIFY(m_notices.contains("Value \"From\" must be less than \"To\" value!!"));
        // The table holds y = x^2 at x = 0, 0.5, ..., 2.
        const QByteArray table = readBytes(file("parabola.PRN"));
        QVERIFY2(!table.isEmpty(), "no result table");
        QVERIFY(table.contains("4.0") || table.contains("4 ") || table.contains("4\n"));

        // Cancelled, the run ends without a graph.
        m_answer = [](QDialog&) { return int(QDialog::Rejected); };
        QVERIFY(runAndWait("graphGenerate", w, &result));
        QVERIFY(!result);
    }

    void fourierAsksThroughTheFftDialog()
    {
        QFile example(VARNEL_SOURCE_DIR "/examples/rc_transient.alg");
        QVERIFY(example.open(QIODevice::ReadOnly));
        EquationWindow* w = openExample("rc.alg", example.readAll());
        QVERIFY(w);
        bool result = false;
        QVERIFY(runAndWait("solveDifferential", w, &result));
        QVERIFY2(result, qPrintable(m_window->output()->toPlainText()));

        QStringList columns;
        int samples = -1;
        m_answer = [&](QDialog& dialog) {
            auto* fft = qobject_cast<FftDialog*>(&dialog);
            if (!fft)
                return int(QDialog::Rejected);
            for (int i = 0; i < fft->independent()->count(); ++i)
                columns << fft->independent()->itemText(i);
            samples = fft->samplesTo()->value();
            fft->independent()->setCurrentIndex(columns.indexOf("t"));
            fft->real()->setCurrentIndex(columns.indexOf("v"));
            fft->imaginary()->setCurrentIndex(columns.indexOf("i"));
            return int(QDialog::Accepted);
        };
        QVERIFY(runAndWait("fastFourier", w, &result));
        QVERIFY2(result, qPrintable(m_window->output()->toPlainText()));
        QVERIFY2(columns.contains("t") && columns.contains("v"), qPrintable(columns.join(',')));
        QVERIFY(samples > 0);
        QVERIFY(QFile::exists(file("rc.FFT")));
    }

    void theSymbolicFileIsOfferedForConversion()
    {
        EquationWindow* w = openExample("jacobian.alg", kIntersection);
        QVERIFY(w);
        QString shown;
        QString caption;
        m_answer = [&](QDialog& dialog) {
            auto* viewer = qobject_cast<FileViewDialog*>(&dialog);
            if (!viewer)
                return int(QDialog::Rejected);
            shown = viewer->text();
            caption = viewer->windowTitle();
            return viewer->convertButton()->isVisibleTo(viewer) ? int(QDialog::Accepted)
                                                                : int(QDialog::Rejected);
        };
        const int before = m_window->equationWindows().size();
        bool result = false;
        QVERIFY(runAndWait("symbolicJacobian", w, &result));
        QVERIFY2(result, qPrintable(m_window->output()->toPlainText()));
        QCOMPARE(caption, QString("jacobian.SJC"));
        const QByteArray produced = readBytes(file("jacobian.SJC"));
        QVERIFY(!produced.isEmpty());
        QCOMPARE(shown.toLatin1(), produced.endsWith('\n') ? produced : produced + '\n');
        QCOMPARE(m_window->equationWindows().size(), before + 1);
        EquationWindow* converted = m_window->activeEquationWindow();
        QVERIFY(converted != w);
        QVERIFY(converted->document()->path().isEmpty());
        QCOMPARE(converted->document()->text()->toPlainText(), shown);
    }

    void requestDialogsPreselectAndStore()
    {
        const char* names[] = {"t", "vr", "vi"};
        FourierRequest fourier;
        fourier.sampleCount = 128;
        fourier.names = names;
        fourier.nameCount = 3;
        FftDialog fft(fourier);
        QCOMPARE(fft.independent()->currentText(), QString("t"));
        QCOMPARE(fft.real()->currentText(), QString("vr"));
        QCOMPARE(fft.imaginary()->currentText(), QString("vi"));
        QCOMPARE(fft.axis()->currentText(), QString("Frequency"));
        QCOMPARE(fft.samplesFrom()->value(), 0);
        QCOMPARE(fft.samplesTo()->value(), 128);
        fft.store(fourier);
        QCOMPARE(QByteArray(fourier.realText), QByteArray("vr"));
        QCOMPARE(QByteArray(fourier.imagText), QByteArray("vi"));
        QCOMPARE(fourier.samplesTo, 128);

        const char* graphNames[] = {"vr", "w", "vi"};
        GraphRequest request;
        request.names = graphNames;
        request.nameCount = 3;
        QStringList refusals;
        GraphGenerationDialog graph(request,
                                    [&](const QString&, const QString& text) { refusals << text; });
        QCOMPARE(graph.from()->value(), -10.0);
        QCOMPARE(graph.to()->value(), 10.0);
        QCOMPARE(graph.steps()->value(), 100);
        QCOMPARE(graph.sampleCounts()->currentText(), QString("256"));
        QVERIFY(!graph.parameterFrom()->isEnabled());
        graph.forFft()->setChecked(true);
        QCOMPARE(graph.independent()->currentText(), QString("w"));
        QCOMPARE(graph.to()->value(), 6.283185);
        graph.parametric()->setChecked(true);
        QVERIFY(graph.parameterSteps()->isEnabled());
        graph.parameter()->setCurrentIndex(2);
        graph.store(request);
        QCOMPARE(request.stepCount, 256);
        QCOMPARE(request.independentIndex, 1);
        QCOMPARE(QByteArray(request.parameterName), QByteArray("vi"));
        graph.forFft()->setChecked(false);
        graph.steps()->setValue(0);
        graph.accept();
        QCOMPARE(refusals, QStringList{"Value \"From\" must be less than \"To\" value!!"});
        QVERIFY(graph.result() != QDialog::Accepted);
    }

    void runShortcutsAreUnambiguous()
    {
        QCOMPARE(m_window->action("solveAlgebraic")->shortcut(), QKeySequence(Qt::Key_F5));
        QCOMPARE(m_window->action("solveDifferential")->shortcut(), QKeySequence("Ctrl+D"));
        QCOMPARE(m_window->action("solveIntegral")->shortcut(), QKeySequence("Ctrl+I"));
        QCOMPARE(m_window->action("stopRun")->shortcut(), QKeySequence(Qt::Key_Escape));
        QMap<QString, QString> owners;
        for (QAction* a : m_window->findChildren<QAction*>())
            for (const QKeySequence& key : a->shortcuts()) {
                const QString text = key.toString();
                QVERIFY2(!owners.contains(text) || owners[text] == a->objectName(),
                         qPrintable(text + " " + owners[text] + " " + a->objectName()));
                owners[text] = a->objectName();
            }
    }
};

QTEST_MAIN(SolveTest)
#include "SolveTest.moc"
