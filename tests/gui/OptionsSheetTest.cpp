// Tests of the options sheet driven through Solve - Options: the default settings as the
// pages show them, entries stored (the tolerance sign rule, a method choice seen in the
// Properties tree), OK and Cancel, a field that does not convert keeping the sheet open, and
// the General page's switches and colours reaching the program settings and every editor.
#include "GuiTestSupport.h"

#include "AppSettings.h"
#include "ColourButton.h"
#include "CommentHighlighter.h"
#include "EquationDocument.h"
#include "EquationEditor.h"
#include "EquationWindow.h"
#include "MainWindow.h"
#include "MethodPage.h"
#include "OptionsSheet.h"
#include "PropertiesTree.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <memory>

using namespace varnel;

namespace {

template <typename T> T* child(OptionsSheet& sheet, const char* name)
{
    T* widget = sheet.findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

void type(OptionsSheet& sheet, const char* field, const QString& text)
{
    child<QLineEdit>(sheet, field)->setText(text);
}

QStringList childTexts(QTreeWidgetItem* item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

} // namespace

class OptionsSheetTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    AppSettings m_settings;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_messages;

    /// Runs Solve - Options on the active document with `drive` in place of the user;
    /// `drive` ends by pressing OK or Cancel (or leaves the sheet open). True when accepted.
    bool runOptions(const std::function<void(OptionsSheet&)>& drive)
    {
        bool accepted = false;
        m_window->setOptionsSheetRunner([&](OptionsSheet& sheet) {
            drive(sheet);
            accepted = sheet.result() == QDialog::Accepted;
            return sheet.result();
        });
        m_window->action("options")->trigger();
        return accepted;
    }

private slots:
    void initTestCase() { varnel::testing::isolateProfile(m_profile); }

    void init()
    {
        m_settings = AppSettings();
        m_window = std::make_unique<MainWindow>(m_settings);
        m_window->setSavePrompt([](EquationDocument*) { return QMessageBox::Discard; });
        m_messages.clear();
        m_window->setNotifier([this](const QString&, const QString& text) { m_messages << text; });
        m_window->show();
    }

    void cleanup()
    {
        m_window->close();
        m_window.reset();
    }

    void commandNeedsADocument()
    {
        QAction* options = m_window->action("options");
        QCOMPARE(options->shortcut(), QKeySequence(Qt::Key_F10));
        QVERIFY(m_window->menu("solve")->actions().contains(options));
        QVERIFY(!options->isEnabled());
        m_window->newDocument();
        QVERIFY(options->isEnabled());
    }

    void defaultRecordShowsTheDefaults()
    {
        EquationWindow* window = m_window->newDocument();
        const bool accepted = runOptions([](OptionsSheet& sheet) {
            QCOMPARE(sheet.windowTitle(), QString("Settings: Untitled"));
            QCOMPARE(sheet.pages()->count(), 2);
            QCOMPARE(sheet.pages()->tabText(0), QString("Method"));
            QCOMPARE(sheet.pages()->tabText(1), QString("General"));
            QCOMPARE(child<QComboBox>(sheet, "solvingMethod")->currentText(), QString("Newton"));
            QCOMPARE(child<QComboBox>(sheet, "jacobianMethod")->currentText(),
                     QString("Exact Jacobian"));
            QCOMPARE(child<QComboBox>(sheet, "differentialMethod")->currentText(),
                     QString("Trapezoidal"));
            const std::pair<const char*, const char*> texts[] = {
                {"tolerance", "3"},    {"deltaJ", "0.001"}, {"maxIterations", "10"},
                {"repetitions", "50"}, {"guessMin", "0.1"}, {"guessMax", "1"},
                {"deltaT", "0.1"}};
            for (const auto& [field, text] : texts)
                QCOMPARE(child<QLineEdit>(sheet, field)->text(), QString(text));
            QVERIFY(child<QCheckBox>(sheet, "solveInGroups")->isChecked());
            QVERIFY(!child<QCheckBox>(sheet, "autoHomotopy")->isChecked());
            QVERIFY(child<QCheckBox>(sheet, "autoSimplify")->isChecked());
            QVERIFY(!child<QCheckBox>(sheet, "iterInf")->isChecked());
            QVERIFY(!child<QCheckBox>(sheet, "derivInf")->isChecked());
            QVERIFY(child<QCheckBox>(sheet, "resultsInf")->isChecked());
            // Cancel after edits changes nothing.
            type(sheet, "maxIterations", "99");
            child<QComboBox>(sheet, "solvingMethod")->setCurrentIndex(2);
            sheet.reject();
        });
        QVERIFY(!accepted);
        QCOMPARE(window->document()->options().maxIterations, 10);
        QCOMPARE(window->document()->options().method, 0);
        QVERIFY(!window->document()->isModified());
    }

    void entriesAreStored()
    {
        EquationWindow* window = m_window->newDocument();
        SolverOptions& o = window->document()->options();
        QVERIFY(runOptions([](OptionsSheet& sheet) {
            child<QComboBox>(sheet, "solvingMethod")->setCurrentIndex(3);
            child<QComboBox>(sheet, "jacobianMethod")->setCurrentIndex(1);
            child<QComboBox>(sheet, "differentialMethod")->setCurrentIndex(2);
            type(sheet, "tolerance", "6");
            type(sheet, "deltaJ", "1e-5");
            type(sheet, "maxIterations", "0");
            type(sheet, "repetitions", "200");
            type(sheet, "guessMin", "-2");
            type(sheet, "guessMax", "2.5");
            type(sheet, "deltaT", "0.05");
            child<QCheckBox>(sheet, "solveInGroups")->setChecked(false);
            child<QCheckBox>(sheet, "autoHomotopy")->setChecked(true);
            sheet.accept();
        }));
        QCOMPARE(o.method, 3);
        QCOMPARE(o.jacobianMethod, 1);
        QCOMPARE(o.differentialMethod, 2);
        QCOMPARE(o.toleranceExponent, -6);
        QCOMPARE(o.deltaJ, 1e-5);
        QCOMPARE(o.maxIterations, 0);
        QCOMPARE(o.repetitions, 200);
        QCOMPARE(o.guessMin, -2.0);
        QCOMPARE(o.guessMax, 2.5);
        QCOMPARE(o.deltaT, 0.05);
        QCOMPARE(o.solveInGroups, 0);
        QCOMPARE(o.autoHomotopy, 1);
        QCOMPARE(o.autoSimplify, 1);
        QVERIFY(window->document()->isModified());
        const QStringList lines = childTexts(m_window->properties()->nodeOf(window->document()));
        QCOMPARE(lines[1], QString("Method = Homotopy"));
        QCOMPARE(lines[2], QString("Jacoban Method = Incremental Jacobian"));
        QCOMPARE(lines[4], QString("Min. Tolerance = E-6"));

        // A negative entry stores a positive exponent, shown back as typed.
        QVERIFY(runOptions([](OptionsSheet& sheet) {
            QCOMPARE(child<QLineEdit>(sheet, "tolerance")->text(), QString("6"));
            type(sheet, "tolerance", "-6");
            sheet.accept();
        }));
        QCOMPARE(o.toleranceExponent, 6);
        QVERIFY(runOptions([](OptionsSheet& sheet) {
            QCOMPARE(child<QLineEdit>(sheet, "tolerance")->text(), QString("-6"));
            sheet.accept();
        }));
        QCOMPARE(o.toleranceExponent, 6);
    }

    void resultLinesSurviveTheRebuild()
    {
        EquationWindow* window = m_window->newDocument();
        EquationDocument* document = window->document();
        document->options().resultsFound = 1;
        const QStringList results = {"x=1.000000000000000"};
        m_window->properties()->rebuildDocument(document, document->displayName(), &results);
        QVERIFY(runOptions([](OptionsSheet& sheet) { sheet.accept(); }));
        QTreeWidgetItem* resultsNode = m_window->properties()->nodeOf(document)->child(0);
        QCOMPARE(resultsNode->text(0), QString("Results: OK"));
        QCOMPARE(childTexts(resultsNode), results);
    }

    void invalidTextKeepsTheSheetOpen()
    {
        EquationWindow* window = m_window->newDocument();
        QVERIFY(!runOptions([this](OptionsSheet& sheet) {
            sheet.pages()->setCurrentIndex(1);
            child<QCheckBox>(sheet, "resultsInf")->setChecked(false);
            child<QComboBox>(sheet, "solvingMethod")->setCurrentIndex(1);
            type(sheet, "maxIterations", "ten");
            type(sheet, "deltaT", "abc");
            sheet.accept();
            QCOMPARE(m_messages, QStringList{"Please enter an integer."});
            QCOMPARE(sheet.pages()->currentWidget(), sheet.methodPage());
            QVERIFY(sheet.result() != QDialog::Accepted);
            type(sheet, "maxIterations", "12");
            sheet.accept();
            QCOMPARE(m_messages.last(), QString("Please enter a number."));
            sheet.reject();
        }));
        QCOMPARE(window->document()->options().method, 0);
        QCOMPARE(window->document()->options().maxIterations, 10);
        QCOMPARE(m_settings.resultsInf, 1);
        QVERIFY(!window->document()->isModified());
    }

    void generalPageReachesSettingsAndEditors()
    {
        EquationWindow* first = m_window->newDocument();
        EquationWindow* second = m_window->newDocument();
        const QColor blue(0, 0, 255);
        // A General page never shown stores nothing of it.
        QVERIFY(runOptions([](OptionsSheet& sheet) {
            child<QCheckBox>(sheet, "resultsInf")->setChecked(false);
            sheet.accept();
        }));
        QCOMPARE(m_settings.resultsInf, 1);
        QCOMPARE(second->document()->options().showResults, 1);

        QVERIFY(runOptions([&blue](OptionsSheet& sheet) {
            sheet.pages()->setCurrentIndex(1);
            child<QCheckBox>(sheet, "resultsInf")->setChecked(false);
            child<QCheckBox>(sheet, "iterInf")->setChecked(true);
            child<ColourButton>(sheet, "equationColour")->setColour(blue);
            sheet.accept();
        }));
        QCOMPARE(m_settings.resultsInf, 0);
        QCOMPARE(m_settings.iterInf, 1);
        QCOMPARE(m_settings.derivInf, 0);
        QCOMPARE(m_settings.equationColor, blue);
        for (EquationWindow* w : {first, second}) {
            QCOMPARE(w->document()->options().showResults, 0);
            QCOMPARE(w->document()->options().showIterations, 1);
            QCOMPARE(w->editor()->highlighter()->equationColour(), blue);
        }
        EquationWindow* later = m_window->newDocument();
        QCOMPARE(later->document()->options().showResults, 0);
        QCOMPARE(later->editor()->highlighter()->equationColour(), blue);
    }
};

QTEST_MAIN(OptionsSheetTest)
#include "OptionsSheetTest.moc"
