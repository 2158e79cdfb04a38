// Drawing of graph pictures.
#include "GraphPainter.h"

#include "GraphAxis.h"
#include "GraphModel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace varnel {

namespace {

QColor colourOf(const GraphCurve& curve)
{
    return QColor::fromRgb(static_cast<QRgb>(curve.color & 0xFFFFFF));
}

QString text(const std::string& s)
{
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}

// The distinct non-empty texts of the curves (or their fallbacks), joined with ", ".
template <typename Pick, typename Fallback>
QString joinedTitles(const std::vector<const GraphCurve*>& curves, Pick pick, Fallback fallback)
{
    QStringList titles;
    for (const GraphCurve* curve : curves) {
        const std::string& own = pick(*curve);
        const QString title = text(own.empty() ? fallback(*curve) : own);
        if (!title.isEmpty() && !titles.contains(title))
            titles << title;
    }
    return titles.join(QStringLiteral(", "));
}

// "x10" and the exponent raised after it; `right` aligns the text's end at `anchor`.
void drawPower(QPainter& p, const AxisLayout& axis, QPointF anchor, bool right, qreal font)
{
    if (axis.powerLabel.empty())
        return;
    const QString base = QStringLiteral("x10");
    const QString exponent = text(axis.powerLabel.substr(3));
    QFont small = p.font();
    small.setPixelSize(std::max(1, qRound(font * 0.75)));
    const qreal baseWidth = QFontMetricsF(p.font(), p.device()).horizontalAdvance(base);
    const qreal expWidth = QFontMetricsF(small, p.device()).horizontalAdvance(exponent);
    const qreal x = right ? anchor.x() - baseWidth - expWidth : anchor.x();
    p.drawText(QPointF(x, anchor.y()), base);
    const QFont normal = p.font();
    p.setFont(small);
    p.drawText(QPointF(x + baseWidth, anchor.y() - font * 0.4), exponent);
    p.setFont(normal);
}

// The curve's points in the plot, split where a value is missing or the parameter changes.
std::vector<QPolygonF> curveSegments(const GraphModel& graph, const GraphCurve& curve,
                                     const AxisLayout& xAxis, const AxisLayout& yAxis,
                                     const QRectF& plot)
{
    const std::vector<float>& xs = graph.xValues(curve);
    const std::vector<float>& ys = graph.yValues(curve);
    const ResultSheet& table = graph.table();
    const std::vector<float>* parameter =
        table.parameterColumn >= 0 ? &table.columns[static_cast<std::size_t>(table.parameterColumn)]
                                   : nullptr;
    std::vector<QPolygonF> segments(1);
    const std::size_t n = std::min(xs.size(), ys.size());
    for (std::size_t i = 0; i < n; ++i) {
        const bool newRun = parameter && i > 0 && !((*parameter)[i] == (*parameter)[i - 1]);
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i]) || newRun) {
            if (!segments.back().isEmpty())
                segments.emplace_back();
            if (!newRun)
                continue;
        }
        segments.back() << QPointF(plot.left() + xAxis.fraction(xs[i]) * plot.width(),
                                   plot.bottom() - yAxis.fraction(ys[i]) * plot.height());
    }
    if (segments.back().isEmpty())
        segments.pop_back();
    return segments;
}

} // namespace

qreal graphFontPixels(qreal areaHeight, qreal minimum)
{
    return std::max(minimum, areaHeight * 0.038);
}

void paintGraphPicture(QPainter& p, const QRectF& area, const GraphModel& graph, int picture,
                       qreal font)
{
    p.save();
    p.setClipRect(area);
    p.fillRect(area, Qt::white);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont face(QStringLiteral("Sans Serif"));
    face.setPixelSize(std::max(1, qRound(font)));
    p.setFont(face);
    p.setBackgroundMode(Qt::TransparentMode);
    const QFontMetricsF metrics(face, p.device());

    std::vector<const GraphCurve*> curves;
    const GraphOptions& options = graph.options();
    for (std::size_t i = 0; i < graph.curves().size(); ++i)
        if (options.oneGraph || static_cast<int>(i) == picture)
            curves.push_back(&graph.curves()[i]);

    // Ranges of the values drawn.
    std::vector<const std::vector<float>*> xData, yData;
    for (const GraphCurve* curve : curves) {
        xData.push_back(&graph.xValues(*curve));
        yData.push_back(&graph.yValues(*curve));
    }
    double xLow = 0, xHigh = 1, yLow = 0, yHigh = 1;
    const bool xFound = finiteRange(xData, xLow, xHigh);
    const bool yFound = finiteRange(yData, yLow, yHigh);

    // Margins: a title line above, tick labels and the x title below, the y title and tick
    // labels on the left.
    const qreal line = metrics.height();
    const qreal top = area.top() + line * 2.0;
    const qreal bottom = area.bottom() - line * 2.6;
    const int yTicks = std::max(2, static_cast<int>((bottom - top) / (line * 2.2)) + 1);
    const AxisLayout yAxis = layoutAxis(yLow, yHigh, yTicks, yFound);
    qreal yLabelWidth = 0;
    for (const AxisTick& tick : yAxis.ticks)
        yLabelWidth = std::max(yLabelWidth, metrics.horizontalAdvance(text(tick.label)));
    const qreal left = area.left() + line * 1.6 + yLabelWidth + line * 0.6;
    const qreal right = area.right() - line * 1.2;
    const QRectF plot(QPointF(left, top), QPointF(right, bottom));
    if (plot.width() < 4 || plot.height() < 4) {
        p.restore();
        return;
    }
    AxisLayout xAxis = layoutAxis(xLow, xHigh, 8, xFound);
    qreal xLabelWidth = 0;
    for (const AxisTick& tick : xAxis.ticks)
        xLabelWidth = std::max(xLabelWidth, metrics.horizontalAdvance(text(tick.label)));
    const int xTicks = std::max(2, static_cast<int>(plot.width() / (xLabelWidth + line * 1.5)) + 1);
    xAxis = layoutAxis(xLow, xHigh, xTicks, xFound);

    // Grid and frame.
    const qreal tickLength = line * 0.3;
    p.setPen(QPen(QColor(200, 200, 200), 0, Qt::DotLine));
    if (options.verticalGrid)
        for (const AxisTick& tick : xAxis.ticks) {
            const qreal x = plot.left() + xAxis.fraction(tick.value) * plot.width();
            p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        }
    if (options.horizontalGrid)
        for (const AxisTick& tick : yAxis.ticks) {
            const qreal y = plot.bottom() - yAxis.fraction(tick.value) * plot.height();
            p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        }
    p.setPen(QPen(Qt::black, std::max(1.0, font / 12.0)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);

    // Ticks and labels, on the baseline below or left of the axis.
    for (const AxisTick& tick : xAxis.ticks) {
        const qreal x = plot.left() + xAxis.fraction(tick.value) * plot.width();
        p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() - tickLength));
        const QString label = text(tick.label);
        const qreal width = metrics.horizontalAdvance(label);
        const qreal at = std::clamp(x - width / 2, area.left(), area.right() - width);
        p.drawText(QPointF(at, plot.bottom() + metrics.ascent() + line * 0.2), label);
    }
    for (const AxisTick& tick : yAxis.ticks) {
        const qreal y = plot.bottom() - yAxis.fraction(tick.value) * plot.height();
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.left() + tickLength, y));
        const QString label = text(tick.label);
        p.drawText(QPointF(plot.left() - line * 0.3 - metrics.horizontalAdvance(label),
                           y + metrics.ascent() / 2 - metrics.descent() / 2),
                   label);
    }
    drawPower(p, yAxis, QPointF(plot.left(), plot.top() - line * 0.35), false, font);
    drawPower(p, xAxis, QPointF(plot.right(), plot.bottom() + line * 2.3), true, font);

    // Axis titles with the range of their values.
    const QString xTitle = joinedTitles(
        curves, [](const GraphCurve& c) -> const std::string& { return c.xTitle; },
        [](const GraphCurve& c) { return c.xName; });
    const QString yTitle = joinedTitles(
        curves, [](const GraphCurve& c) -> const std::string& { return c.yTitle; },
        [](const GraphCurve& c) { return c.yName; });
    // The range follows a title only when both fit; the title is shortened only when it
    // alone does not.
    auto withRange = [&metrics](const QString& title, const AxisLayout& axis, qreal room) {
        const std::string range = rangeText(axis);
        const QString full =
            range.empty() ? title : title + QStringLiteral("   (%1)").arg(text(range));
        if (metrics.horizontalAdvance(full) <= room)
            return full;
        return metrics.elidedText(title, Qt::ElideRight, room);
    };
    const qreal xTitleRoom = plot.width() - (xAxis.powerLabel.empty() ? 0 : line * 4);
    const QString xShown = withRange(xTitle, xAxis, xTitleRoom);
    p.drawText(QPointF(plot.left() + (xTitleRoom - metrics.horizontalAdvance(xShown)) / 2,
                       plot.bottom() + line * 2.3),
               xShown);
    p.save();
    p.translate(area.left() + metrics.ascent() + line * 0.2, plot.center().y());
    p.rotate(-90);
    const QString yShown = withRange(yTitle, yAxis, plot.height());
    p.drawText(QPointF(-metrics.horizontalAdvance(yShown) / 2, 0), yShown);
    p.restore();

    // The picture's title: the curve's own title, or the parameter's values.
    QString heading;
    if (curves.size() == 1)
        heading = text(curves.front()->title);
    const ResultSheet& table = graph.table();
    if (!table.parameterName.empty() && !table.parameterValues.empty()) {
        QStringList values;
        for (float v : table.parameterValues)
            values << QString::number(static_cast<double>(v), 'g', 4);
        const QString parameter = QStringLiteral("%1: %2").arg(text(table.parameterName),
                                                               values.join(QStringLiteral(", ")));
        heading = heading.isEmpty() ? parameter : heading + QStringLiteral("   ") + parameter;
    }
    if (!heading.isEmpty()) {
        QFont bold = face;
        bold.setBold(true);
        p.setFont(bold);
        const QFontMetricsF boldMetrics(bold, p.device());
        const qreal room = plot.width() - line * 4;
        const QString shown = boldMetrics.elidedText(heading, Qt::ElideRight, room);
        p.drawText(QPointF(plot.center().x() - boldMetrics.horizontalAdvance(shown) / 2,
                           area.top() + line * 1.2),
                   shown);
        p.setFont(face);
    }

    // The curves, clipped to the plot.
    p.save();
    p.setClipRect(plot.adjusted(-1, -1, 1, 1), Qt::IntersectClip);
    const qreal baseValue = std::clamp(0.0, yAxis.minimum, yAxis.maximum);
    const qreal baseline = plot.bottom() - yAxis.fraction(baseValue) * plot.height();
    const qreal pen = std::max(1.0, font / 8.0);
    for (std::size_t c = 0; c < curves.size(); ++c) {
        const GraphCurve& curve = *curves[c];
        const QColor colour = colourOf(curve);
        const std::vector<QPolygonF> segments = curveSegments(graph, curve, xAxis, yAxis, plot);
        p.setPen(QPen(colour, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        switch (options.type) {
        case GraphType::Normal:
        case GraphType::NormalPoints:
            for (const QPolygonF& segment : segments)
                p.drawPolyline(segment);
            break;
        case GraphType::Line:
        case GraphType::LinePoints:
            for (const QPolygonF& segment : segments)
                for (const QPointF& point : segment)
                    p.drawLine(QPointF(point.x(), baseline), point);
            break;
        case GraphType::Bar: {
            std::size_t count = 0;
            for (const QPolygonF& segment : segments)
                count += static_cast<std::size_t>(segment.size());
            const qreal slot = plot.width() / std::max<std::size_t>(count, 1);
            const qreal width = std::max(1.0, slot * 0.8 / static_cast<qreal>(curves.size()));
            const qreal offset = (static_cast<qreal>(c) - (curves.size() - 1) / 2.0) * width;
            p.setBrush(colour);
            p.setPen(Qt::NoPen);
            for (const QPolygonF& segment : segments)
                for (const QPointF& point : segment)
                    p.drawRect(QRectF(QPointF(point.x() + offset - width / 2, point.y()),
                                      QPointF(point.x() + offset + width / 2, baseline))
                                   .normalized());
            p.setBrush(Qt::NoBrush);
            break;
        }
        }
        if (options.type == GraphType::NormalPoints || options.type == GraphType::LinePoints) {
            const qreal radius = std::max(2.0, font * 0.22);
            p.setBrush(colour);
            for (const QPolygonF& segment : segments)
                for (const QPointF& point : segment)
                    p.drawEllipse(point, radius, radius);
            p.setBrush(Qt::NoBrush);
        }
    }
    p.restore();

    // Legend: one line per curve of a picture that holds several.
    if (curves.size() > 1) {
        qreal width = 0;
        QStringList names;
        for (const GraphCurve* curve : curves) {
            const QString name = text(curve->title.empty() ? curve->yName : curve->title);
            names << name;
            width = std::max(width, metrics.horizontalAdvance(name));
        }
        width = std::min(width, plot.width() * 0.5);
        const qreal swatch = line * 1.4;
        const QRectF box(plot.right() - width - swatch - line * 1.0, plot.top() + line * 0.4,
                         width + swatch + line * 0.6, line * (names.size() + 0.4));
        p.setPen(QPen(Qt::black, 0));
        p.setBrush(QColor(255, 255, 255, 225));
        p.drawRect(box);
        p.setBrush(Qt::NoBrush);
        for (qsizetype i = 0; i < names.size(); ++i) {
            const qreal y = box.top() + line * (i + 0.2);
            p.setPen(QPen(colourOf(*curves[static_cast<std::size_t>(i)]), pen * 1.5));
            p.drawLine(QPointF(box.left() + line * 0.3, y + line / 2),
                       QPointF(box.left() + swatch, y + line / 2));
            p.setPen(Qt::black);
            p.drawText(QPointF(box.left() + swatch + line * 0.3, y + metrics.ascent()),
                       metrics.elidedText(names[i], Qt::ElideRight, width));
        }
    }

    if (!xFound || !yFound) {
        p.setPen(Qt::darkGray);
        const QString none = QStringLiteral("No values to draw");
        p.drawText(
            QPointF(plot.center().x() - metrics.horizontalAdvance(none) / 2, plot.center().y()),
            none);
    }
    p.restore();
}

} // namespace varnel
