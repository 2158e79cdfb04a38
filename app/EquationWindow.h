// The child window of an equation document in the main window's document area: owns the
// document and its editor, shows the title with the modified mark, and asks the main window
// whether it may close (the save prompt).
#pragma once

#include <QMdiSubWindow>

#include <functional>

namespace varnel {

class EquationDocument;
class EquationEditor;

class EquationWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    /// Takes ownership of `document`; `mayClose` answers the close request (save prompt).
    EquationWindow(EquationDocument* document, EquationEditor* editor,
                   std::function<bool(EquationWindow*)> mayClose, QWidget* parent = nullptr);
    ~EquationWindow() override;

    EquationDocument* document() const { return m_document; }
    EquationEditor* editor() const { return m_editor; }

    /// Updates the caption from the document's title and modified state.
    void updateCaption();

signals:
    /// Emitted once when the window has agreed to close (or is destroyed without closing),
    /// while its document still exists.
    void closing(varnel::EquationWindow* window);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    EquationDocument* m_document;
    EquationEditor* m_editor;
    std::function<bool(EquationWindow*)> m_mayClose;
    bool m_closed = false;
};

} // namespace varnel
