// Renders the desktop program's main screens into PNG files for the README: the main window
// with an example open and solved (palettes, Properties and Output shown), the editor options,
// the two pages of the options sheet, a print preview page, the attachment editor with a list
// of cases and the Graph Generation dialog. Runs with a fresh profile in a temporary folder,
// usually offscreen. The example is solved through the Solve command, so the Output window and
// the Properties tree show a real run.
#include "AppSettings.h"
#include "AttachmentDialog.h"
#include "EditorOptionsDialog.h"
#include "EquationDocument.h"
#include "EquationEditor.h"
#include "EquationWindow.h"
#include "GraphDefinitionDialog.h"
#include "GraphPainter.h"
#include "GraphWindow.h"
#include "MainWindow.h"
#include "OptionsSheet.h"
#include "OutputWindow.h"
#include "PropertiesTree.h"
#include "RequestDialogs.h"
#include "ResultSheet.h"
#include "ResultTableDialog.h"

#include "varnel/Varnel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QImage>
#include <QListWidget>
#include <QMdiArea>
#include <QMessageBox>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <clocale>
#include <cstdio>

namespace {

void settle()
{
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
}

bool save(QWidget* widget, const QString& path)
{
    settle();
    const bool ok = widget->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

// Runs a command on the document as its menu does and waits for the run to end (a minute at
// most), with the window live meanwhile.
void runAndWait(varnel::MainWindow& window, const QString& command, varnel::EquationWindow* target)
{
    QEventLoop loop;
    QObject::connect(&window, &varnel::MainWindow::runFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (window.runCommand(command, target))
        loop.exec();
}

// Writes `text` to `path` and opens it as an equation document (null when either fails).
varnel::EquationWindow* openWritten(varnel::MainWindow& window, const QString& path,
                                    const char* text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) < 0)
        return nullptr;
    file.close();
    return window.openFile(path);
}

// A parametric graph run, answered in its dialog: y = a*x^2 - a over x from -2 to 2 for
// a = 1, 2, 3, then one curve of y against x drawn from the table with a break at each new a.
bool parameterSweep(varnel::MainWindow& window, const QTemporaryDir& work, const QString& outDir)
{
    varnel::EquationWindow* sweep =
        openWritten(window, work.filePath("sweep.alg"),
                    "{ A family of parabolas: one sweep of x for each value of a }\n"
                    "y = a*x*x - a;\n");
    if (!sweep)
        return false;
    bool ok = true;
    window.setDialogRunner([](QDialog& dialog) {
        auto* graph = qobject_cast<varnel::GraphGenerationDialog*>(&dialog);
        if (!graph)
            return int(QDialog::Rejected);
        graph->independent()->setCurrentIndex(graph->independent()->findText("x"));
        graph->from()->setValue(-2.0);
        graph->to()->setValue(2.0);
        graph->steps()->setValue(40);
        graph->parametric()->setChecked(true);
        graph->parameter()->setCurrentIndex(graph->parameter()->findText("a"));
        graph->parameterFrom()->setValue(1.0);
        graph->parameterTo()->setValue(3.0);
        graph->parameterSteps()->setValue(2);
        graph->accept();
        return graph->result();
    });
    varnel::ResultPrompts prompts;
    prompts.runDialog = [&](QDialog& dialog) {
        if (qobject_cast<varnel::ResultTableDialog*>(&dialog))
            return int(QDialog::Accepted);
        auto* define = qobject_cast<varnel::GraphDefinitionDialog*>(&dialog);
        if (!define)
            return int(QDialog::Rejected);
        varnel::GraphCurve c;
        c.xName = "x";
        c.yName = "y";
        c.xTitle = "x";
        c.yTitle = "y = a*x*x - a";
        c.title = "Parabolas for a = 1, 2, 3";
        c.color = 0x008000;
        define->addCurve(c);
        varnel::GraphOptions look;
        look.horizontalGrid = true;
        look.verticalGrid = true;
        define->setOptions(look);
        return int(QDialog::Accepted);
    };
    window.setResultPrompts(prompts);
    runAndWait(window, QStringLiteral("graphGenerate"), sweep);
    const QList<varnel::GraphWindow*> graphs = window.graphWindows(sweep);
    if (graphs.isEmpty()) {
        std::printf("FAILED parameter sweep graph\n");
        return false;
    }
    QImage picture(750, 525, QImage::Format_RGB32);
    QPainter painter(&picture);
    varnel::paintGraphPicture(painter, picture.rect(), graphs.front()->model(), 0,
                              varnel::graphFontPixels(picture.height()));
    painter.end();
    ok = picture.save(outDir + "/graph-parameter.png");
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(outDir + "/graph-parameter.png"));
    return ok;
}

// Advanced - Read CF Format for Power Flow on the 14-bus network: the file dialog and the
// message that reports the equations formed.
bool powerFlow(varnel::MainWindow& window, const QTemporaryDir& work, const QString& outDir)
{
    const QString network = work.filePath("ieee14.cf");
    QFile::copy(QStringLiteral(VARNEL_SOURCE_DIR "/tests/data/ieee14.cf"), network);
    bool ok = true;
    varnel::AttachmentPrompts prompts = varnel::AttachmentPrompts::standard();
    prompts.chooseFile = [&](QWidget* parent, const QString& title, const QString& folder,
                             const QString& filter, bool) {
        Q_UNUSED(folder);
        QFileDialog dialog(parent, title, work.path(), filter);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.resize(760, 460);
        dialog.selectFile(network);
        dialog.show();
        QApplication::processEvents();
        ok = save(&dialog, outDir + "/power-flow-open.png") && ok;
        return network;
    };
    prompts.ask = [&](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                        parent);
        box.show();
        QApplication::processEvents();
        ok = save(&box, outDir + "/power-flow-done.png") && ok;
        return false;
    };
    window.setAttachmentPrompts(prompts);
    window.action(QStringLiteral("readCfFormat"))->trigger();
    window.setAttachmentPrompts(varnel::AttachmentPrompts::standard());
    return ok;
}

// Constrained optimisation that ends on a corner which is no minimum: the run keeps the
// stationary point and the Output names the inequality whose multiplier has the wrong sign.
bool constrainedCorner(varnel::MainWindow& window, const QTemporaryDir& work, const QString& outDir)
{
    varnel::EquationWindow* corner =
        openWritten(window, work.filePath("corner.alg"),
                    "{Options: 30 -8 NEWTON SYMBOLIC 1 SEQUENTIAL 0.001 0.1 REAL}\n"
                    "{ Started from the corner of its bounds, the run stops at (2, 10) }\n"
                    "0.01*x1^2 + x2^2 - 100;\n10*x1 - x2 > 10;\n"
                    "x1 > 2;\nx1 < 50;\nx2 > -50;\nx2 < 50;\n");
    if (!corner)
        return false;
    varnel::ResultPrompts prompts;
    prompts.runDialog = [](QDialog&) { return int(QDialog::Accepted); };
    window.setResultPrompts(prompts);
    runAndWait(window, QStringLiteral("solveConstrained"), corner);
    return save(&window, outDir + "/constrained-corner.png");
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir profile;
    qputenv("XDG_CONFIG_HOME", profile.filePath("config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", profile.filePath("data").toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Varnel"));
    QApplication::setApplicationName(QStringLiteral("Varnel"));
    QApplication::setApplicationVersion(QStringLiteral(VARNEL_VERSION));
    std::setlocale(LC_NUMERIC, "C");
    const QStringList args = QApplication::arguments();
    const QString outDir = args.size() > 1 ? args[1] : QStringLiteral("build/screenshots");
    const QString example = args.size() > 2
                                ? args[2]
                                : QStringLiteral(VARNEL_SOURCE_DIR "/examples/phasor_divider.alg");
    QDir().mkpath(outDir);

    // Work on a copy, so that the example's folder gets no companion files.
    QTemporaryDir work;
    const QString copy = work.filePath(QFileInfo(example).fileName());
    QFile::copy(example, copy);

    varnel::registerSymbolFaces();
    varnel::AppSettings settings;
    settings.readSettings();
    varnel::MainWindow window(settings);
    window.readSettings();
    window.resize(1440, 900);
    window.show();
    varnel::EquationWindow* child = window.openFile(copy);
    if (!child) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(copy));
        return 1;
    }

    // The example is solved as F5 does it: on the worker thread, with the window live.
    runAndWait(window, QStringLiteral("solveAlgebraic"), child);
    // Put the caret on the first equation and select a line of the Output for a lived-in look.
    varnel::EquationEditor* editor = child->editor();
    editor->goToPosition(
        editor->equationDocument()->text()->toPlainText().lastIndexOf(QStringLiteral("Vs =")));
    editor->setFocus();

    bool ok = save(&window, outDir + "/main-window.png");

    varnel::EditorOptionsDialog options(settings, &window);
    options.show();
    ok = save(&options, outDir + "/editor-options.png") && ok;
    options.close();

    // The options sheet of the example, one picture per page; closed without storing.
    varnel::OptionsSheet sheet(child->document()->title(), child->document()->options(), settings,
                               nullptr, &window);
    sheet.show();
    ok = save(&sheet, outDir + "/options-method.png") && ok;
    sheet.pages()->setCurrentIndex(1);
    ok = save(&sheet, outDir + "/options-general.png") && ok;
    sheet.reject();

    // A list of cases beside the example: a fixed value and a starting-value column.
    const QString list = work.filePath("cases.LST");
    QFile cases(list);
    if (cases.open(QIODevice::WriteOnly))
        cases.write("Vs Iload \xE1\xBB\n10 0.5 0.1\n12 0.5 0.1\n14 0.75 0.2\n16 1 0.2\n");
    cases.close();
    varnel::AttachmentDialog attachment(list, varnel::AttachmentPrompts::standard(), QString(),
                                        &window);
    attachment.setFocusedColumn(2);
    attachment.getVarName();
    attachment.show();
    ok = save(&attachment, outDir + "/attachment-editor.png") && ok;
    attachment.close();

    // The dialog a graph run asks through, with the example's variables.
    const char* const names[] = {"Vs", "I", "VL", "M", "A"};
    varnel::GraphRequest request;
    request.names = names;
    request.nameCount = 5;
    varnel::GraphGenerationDialog graph(request, nullptr, &window);
    graph.parametric()->setChecked(true);
    graph.parameter()->setCurrentIndex(1);
    graph.show();
    ok = save(&graph, outDir + "/graph-generation.png") && ok;
    graph.close();

    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    editor->goToPosition(0);
    QPrintPreviewDialog preview(&printer, &window);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &window,
                     &varnel::MainWindow::paintDocument);
    preview.resize(900, 1000);
    preview.show();
    if (auto* widget = preview.findChild<QPrintPreviewWidget*>()) {
        widget->updatePreview();
        widget->fitInView();
    }
    ok = save(&preview, outDir + "/print-preview.png") && ok;
    preview.close();

    // Result table and graphs of a transient run, as Ctrl+D leads to them: the run shows its
    // table, "Graph" goes on to the graph definition, OK opens the graph window with one
    // picture per curve.
    const QString transient = work.filePath("rc_transient.alg");
    QFile::copy(QStringLiteral(VARNEL_SOURCE_DIR "/examples/rc_transient.alg"), transient);
    if (varnel::EquationWindow* rc = window.openFile(transient)) {
        const QString tablePath = work.filePath("rc_transient.PRN");
        auto curves = [](varnel::GraphDefinitionDialog& define) {
            varnel::GraphCurve v;
            v.xName = "t";
            v.yName = "v";
            v.xTitle = "time t [s]";
            v.yTitle = "capacitor voltage v [V]";
            v.title = "Charging of the capacitor";
            v.color = 0x0000C0;
            varnel::GraphCurve i = v;
            i.yName = "i";
            i.yTitle = "current i [A]";
            i.title = "Charging current";
            i.color = 0xC00000;
            define.addCurve(v);
            define.addCurve(i);
            varnel::GraphOptions look;
            look.oneGraph = false;
            look.horizontalGrid = true;
            look.verticalGrid = true;
            look.type = varnel::GraphType::NormalPoints;
            define.setOptions(look);
        };
        varnel::ResultPrompts prompts;
        prompts.runDialog = [&](QDialog& dialog) {
            if (qobject_cast<varnel::ResultTableDialog*>(&dialog)) {
                dialog.show();
                ok = save(&dialog, outDir + "/result-table.png") && ok;
                dialog.hide();
                return int(QDialog::Accepted);
            }
            auto* define = qobject_cast<varnel::GraphDefinitionDialog*>(&dialog);
            if (!define)
                return int(QDialog::Rejected);
            curves(*define);
            define->variables()->setCurrentRow(1);
            define->show();
            ok = save(define, outDir + "/graph-definition.png") && ok;
            define->hide();
            return int(QDialog::Accepted);
        };
        window.setResultPrompts(prompts);
        runAndWait(window, QStringLiteral("solveDifferential"), rc);
        const QList<varnel::GraphWindow*> graphs = window.graphWindows(rc);
        if (!graphs.isEmpty()) {
            graphs.front()->resize(graphs.front()->width(), 640);
            ok = save(&window, outDir + "/graph-window.png") && ok;
            QStringList written;
            const QString error =
                graphs.front()->writePictures(outDir + "/graph-export.png", &written);
            std::printf("%s %s\n", error.isEmpty() ? "wrote" : "FAILED",
                        qPrintable(written.join(QStringLiteral(", "))));
            ok = error.isEmpty() && ok;
        } else {
            std::printf("FAILED graph window\n");
            ok = false;
        }

        // Two curves in one picture, with their legend and both grids.
        varnel::GraphCurve source;
        source.xName = "t";
        source.yName = "V";
        source.title = "source voltage V";
        source.color = 0xC00000;
        varnel::GraphCurve capacitor = source;
        capacitor.yName = "v";
        capacitor.title = "capacitor voltage v";
        capacitor.color = 0x0000C0;
        capacitor.xTitle = source.xTitle = "time t [s]";
        capacitor.yTitle = source.yTitle = "voltage [V]";
        varnel::GraphModel both(tablePath.toStdString(), {source, capacitor},
                                varnel::GraphOptions{true, true, true, varnel::GraphType::Normal});
        both.update();
        QImage picture(750, 525, QImage::Format_RGB32);
        QPainter painter(&picture);
        varnel::paintGraphPicture(painter, picture.rect(), both, 0,
                                  varnel::graphFontPixels(picture.height()));
        painter.end();
        const bool one = picture.save(outDir + "/graph-one.png");
        std::printf("%s %s\n", one ? "wrote" : "FAILED", qPrintable(outDir + "/graph-one.png"));
        ok = one && ok;
    }

    ok = parameterSweep(window, work, outDir) && ok;
    ok = powerFlow(window, work, outDir) && ok;
    ok = constrainedCorner(window, work, outDir) && ok;

    window.setSavePrompt([](varnel::EquationDocument*) { return QMessageBox::Discard; });
    window.close();
    return ok ? 0 : 1;
}
