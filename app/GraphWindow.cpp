// The graph document window: pictures in a zoomable scroll area, updates from the table,
// saving of pictures and the table.
#include "GraphWindow.h"

#include "EquationWindow.h"
#include "GraphPainter.h"
#include "ResultPrompts.h"

#include <QFileInfo>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QSvgGenerator>

#include <cmath>

namespace varnel {

namespace {

constexpr qreal kPictureWidthMm = 100.0;
constexpr qreal kPictureHeightMm = 70.0;
// Saved pictures: SVG and PNG in pixels, PDF on a page of the picture's size.
constexpr int kSvgWidth = 1000;
constexpr int kSvgHeight = 700;
constexpr int kPngWidth = 1500;
constexpr int kPngHeight = 1050;
constexpr int kPdfResolution = 300;

QString fromStd(const std::string& s)
{
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}

std::string toStd(const QString& s)
{
    const QByteArray bytes = s.toLocal8Bit();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Paints picture `index` of `model` into a whole device of `size`.
void paintWhole(QPainter& painter, const QSizeF& size, const GraphModel& model, int index)
{
    const QRectF area(QPointF(0, 0), size);
    paintGraphPicture(painter, area, model, index, graphFontPixels(size.height(), 1.0));
}

// Writes one picture to `file` (opened) in `format`; false when painting failed.
bool renderPicture(QSaveFile& file, const QString& format, const GraphModel& model, int index)
{
    if (format == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(QSize(kSvgWidth, kSvgHeight));
        svg.setViewBox(QRect(0, 0, kSvgWidth, kSvgHeight));
        svg.setTitle(QStringLiteral("Graph"));
        svg.setDescription(QStringLiteral("Moj EMF"));
        QPainter painter;
        if (!painter.begin(&svg))
            return false;
        paintWhole(painter, QSizeF(kSvgWidth, kSvgHeight), model, index);
        return painter.end();
    }
    if (format == QLatin1String("pdf")) {
        QPdfWriter pdf(&file);
        pdf.setResolution(kPdfResolution);
        pdf.setPageSize(QPageSize(QSizeF(kPictureWidthMm, kPictureHeightMm), QPageSize::Millimeter,
                                  QStringLiteral("Graph")));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setCreator(QStringLiteral("Varnel"));
        QPainter painter;
        if (!painter.begin(&pdf))
            return false;
        paintWhole(painter, QSizeF(pdf.width(), pdf.height()), model, index);
        return painter.end();
    }
    QImage image(kPngWidth, kPngHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintWhole(painter, QSizeF(kPngWidth, kPngHeight), model, index);
    }
    return image.save(&file, "PNG");
}

} // namespace

// The pictures, one below the other; clicks zoom.
class GraphCanvas : public QWidget {
public:
    explicit GraphCanvas(GraphWindow* window) : QWidget(nullptr), m_window(window)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().color(QPalette::Dark));
        const QSize size = m_window->pictureSize();
        const GraphModel& model = m_window->model();
        for (int i = 0; i < model.pictureCount(); ++i) {
            const QRect area(0, i * size.height(), size.width(), size.height());
            if (!area.intersects(event->rect()))
                continue;
            paintGraphPicture(painter, area, model, i, graphFontPixels(size.height()));
        }
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        QWidget* viewport = m_window->scrollArea()->viewport();
        if (event->button() == Qt::LeftButton)
            m_window->zoomIn(mapTo(viewport, event->position().toPoint()));
        else if (event->button() == Qt::RightButton)
            m_window->zoomOut();
    }

private:
    GraphWindow* m_window;
};

GraphWindow::GraphWindow(GraphModel model, EquationWindow* owner, const ResultPrompts& prompts,
                         QWidget* parent)
    : QMdiSubWindow(parent), m_model(std::move(model)), m_owner(owner), m_prompts(prompts),
      m_scroll(new QScrollArea(this)), m_canvas(new GraphCanvas(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Picture:") + fromStd(m_model.tablePath()));
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(false);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWidget(m_scroll);
    resizeCanvas();
    const QSize picture = pictureSize();
    resize(picture.width() + 40, std::min(picture.height() * m_model.pictureCount(), 600) + 60);
    if (owner)
        connect(owner, &EquationWindow::closing, this, &QWidget::close);
}

GraphWindow::~GraphWindow() = default;

GraphUpdate GraphWindow::updateGraph()
{
    const GraphUpdate result = m_model.update();
    if (result == GraphUpdate::MissingVariable)
        notify(fromStd(missingVariableMessage(m_model.missing())));
    if (result == GraphUpdate::Updated) {
        resizeCanvas();
        m_canvas->update();
    }
    return result;
}

QSize GraphWindow::pictureSize() const
{
    const qreal perMm = logicalDpiX() / 25.4;
    const qreal perMmY = logicalDpiY() / 25.4;
    return QSize(qRound(m_zoom * kPictureWidthMm * perMm),
                 qRound(m_zoom * kPictureHeightMm * perMmY));
}

void GraphWindow::resizeCanvas()
{
    const QSize picture = pictureSize();
    m_canvas->resize(picture.width(), picture.height() * std::max(1, m_model.pictureCount()));
}

void GraphWindow::zoomIn(const QPoint& point)
{
    QScrollBar* h = m_scroll->horizontalScrollBar();
    QScrollBar* v = m_scroll->verticalScrollBar();
    const QSizeF before = m_canvas->size();
    const QPointF onCanvas(point.x() + h->value(), point.y() + v->value());
    ++m_zoom;
    resizeCanvas();
    const QSizeF after = m_canvas->size();
    h->setValue(qRound(onCanvas.x() * after.width() / before.width() - point.x()));
    v->setValue(qRound(onCanvas.y() * after.height() / before.height() - point.y()));
}

void GraphWindow::zoomOut()
{
    if (m_zoom <= 1)
        return;
    QScrollBar* h = m_scroll->horizontalScrollBar();
    QScrollBar* v = m_scroll->verticalScrollBar();
    const QSize view = m_scroll->viewport()->size();
    const QSizeF before = m_canvas->size();
    const QPointF centre(h->value() + view.width() / 2.0, v->value() + view.height() / 2.0);
    --m_zoom;
    resizeCanvas();
    const QSizeF after = m_canvas->size();
    // A dimension that fits in the window has no scroll range and goes back to 0.
    h->setValue(qRound(centre.x() * after.width() / before.width() - view.width() / 2.0));
    v->setValue(qRound(centre.y() * after.height() / before.height() - view.height() / 2.0));
}

QString GraphWindow::writePictures(const QString& path, QStringList* written)
{
    std::string base, extension;
    splitPictureName(toStd(path), "svg", base, extension);
    const QString format = fromStd(extension).toLower();
    if (format != QLatin1String("svg") && format != QLatin1String("pdf") &&
        format != QLatin1String("png"))
        return tr("Pictures are saved as .svg, .pdf or .png files, not as .%1.")
            .arg(fromStd(extension));
    if (m_model.pictureCount() == 0)
        return QStringLiteral("There is nothing to be drawn");
    const std::vector<std::string> paths = picturePaths(base, extension, m_model.pictureCount());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        QSaveFile file(fromStd(paths[i]));
        if (!file.open(QIODevice::WriteOnly))
            return tr("Cannot write %1: %2").arg(file.fileName(), file.errorString());
        if (!renderPicture(file, format, m_model, static_cast<int>(i))) {
            file.cancelWriting();
            return tr("Cannot draw the picture into %1.").arg(file.fileName());
        }
        if (!file.commit())
            return tr("Cannot write %1: %2").arg(file.fileName(), file.errorString());
        if (written)
            written->append(file.fileName());
    }
    m_savePath = fromStd(base + "." + extension);
    return {};
}

bool GraphWindow::saveGraph()
{
    if (m_savePath.isEmpty())
        return saveGraphAs();
    const QString error = writePictures(m_savePath);
    if (!error.isEmpty())
        notify(error);
    return error.isEmpty();
}

bool GraphWindow::saveGraphAs()
{
    std::string tableBase, tableExtension;
    splitPictureName(m_model.tablePath(), "", tableBase, tableExtension);
    const QString start =
        m_savePath.isEmpty() ? fromStd(tableBase) + QStringLiteral(".svg") : m_savePath;
    const QString chosen =
        promptFile(m_prompts, this, tr("Save Graph As"), start,
                   tr("SVG Picture (*.svg);;PDF Document (*.pdf);;PNG Image (*.png)"),
                   QStringLiteral("svg"), true);
    if (chosen.isEmpty())
        return false;
    // The dialog confirmed the name chosen; the numbered files of several pictures were
    // not part of its question.
    if (m_model.pictureCount() > 1) {
        std::string base, extension;
        splitPictureName(toStd(chosen), "svg", base, extension);
        QStringList existing;
        for (const std::string& path : picturePaths(base, extension, m_model.pictureCount()))
            if (QFileInfo::exists(fromStd(path)))
                existing << QFileInfo(fromStd(path)).fileName();
        if (!existing.isEmpty() &&
            !promptConfirm(m_prompts, this,
                           tr("%1 already exist.\nDo you want to replace them?")
                               .arg(existing.join(QStringLiteral(", ")))))
            return false;
    }
    const QString error = writePictures(chosen);
    if (!error.isEmpty())
        notify(error);
    return error.isEmpty();
}

QString GraphWindow::writeTableCsv(const QString& path)
{
    if (!m_model.hasData())
        return tr("The graph has not read its table.");
    const std::string csv = sheetAsCsv(m_model.table());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(csv.data(), static_cast<qint64>(csv.size())) !=
            static_cast<qint64>(csv.size()) ||
        !file.commit())
        return tr("Cannot write %1: %2").arg(path, file.errorString());
    return {};
}

bool GraphWindow::exportTableCsv()
{
    std::string base, extension;
    splitPictureName(m_model.tablePath(), "", base, extension);
    const QString chosen =
        promptFile(m_prompts, this, tr("Export Table as CSV"), fromStd(base) + ".csv",
                   tr("Comma-Separated Values (*.csv)"), QStringLiteral("csv"), true);
    if (chosen.isEmpty())
        return false;
    const QString error = writeTableCsv(chosen);
    if (!error.isEmpty())
        notify(error);
    return error.isEmpty();
}

void GraphWindow::notify(const QString& text)
{
    promptNotify(m_prompts, this, QStringLiteral("Varnel"), text);
}

} // namespace varnel
