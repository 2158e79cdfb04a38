// A graph document in the main window's document area: the graph of a result table (its
// curves and options), shown as pictures one below the other in a scroll area, zoomed in by
// a left click and out by a right click. It re-reads its table when asked, and saves its
// pictures as SVG, PDF or PNG files and its table as comma-separated values. The equation
// window whose results it shows owns it: the graph closes with that window.
#pragma once

#include "GraphModel.h"

#include <QMdiSubWindow>
#include <QPointer>

class QScrollArea;

namespace varnel {

class EquationWindow;
class GraphCanvas;
struct ResultPrompts;

class GraphWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    /// A graph of `model` made from `owner`'s results (null: from a table chosen by file);
    /// `prompts` must outlive the window.
    GraphWindow(GraphModel model, EquationWindow* owner, const ResultPrompts& prompts,
                QWidget* parent = nullptr);
    ~GraphWindow() override;

    const GraphModel& model() const { return m_model; }
    EquationWindow* owner() const { return m_owner; }

    /// Re-reads the table when it has changed and redraws. A missing variable is reported
    /// with its message; a table that cannot be read leaves the pictures silently.
    GraphUpdate updateGraph();

    int zoom() const { return m_zoom; }
    /// One picture's size on the screen at the current zoom (100 mm by 70 mm times zoom).
    QSize pictureSize() const;
    /// Zooms in by one, keeping `point` (in the viewport) under the cursor.
    void zoomIn(const QPoint& point);
    /// Zooms out by one (never below 1), about the centre of the viewport.
    void zoomOut();
    QScrollArea* scrollArea() const { return m_scroll; }

    /// Writes the pictures under `path`: its extension (svg, pdf or png; svg when it has
    /// none) chooses the format; several pictures go to <base>_01.<ext>, <base>_02.<ext>...
    /// Each file is written whole or not at all. Returns the error, empty on success, and
    /// remembers the name for saveGraph.
    QString writePictures(const QString& path, QStringList* written = nullptr);
    /// Saves under the remembered name (asks for one the first time).
    bool saveGraph();
    /// Asks for a name, confirms replacing numbered files that exist, and saves.
    bool saveGraphAs();
    /// Asks for a name and writes the table as comma-separated values.
    bool exportTableCsv();
    /// Writes the table as comma-separated values to `path`; the error, empty on success.
    QString writeTableCsv(const QString& path);

private:
    void resizeCanvas();
    void notify(const QString& text);

    GraphModel m_model;
    QPointer<EquationWindow> m_owner;
    const ResultPrompts& m_prompts;
    QScrollArea* m_scroll;
    GraphCanvas* m_canvas;
    int m_zoom = 1;
    QString m_savePath; // the name the pictures were last saved under
};

} // namespace varnel
