// Draws one picture of a graph with QPainter: frame, axes with ticks and labels, the common
// power of ten, axis titles with the values' range, optional grid lines, the curves in the
// graph's type and a legend. The same routine paints the screen, SVG, PDF and PNG files.
#pragma once

#include <QRectF>

class QPainter;

namespace varnel {

class GraphModel;

/// Paints picture `picture` (0-based; with "One Graph" the only one holds all curves) of
/// `graph` into `area`, with text `fontPixels` device pixels high.
void paintGraphPicture(QPainter& painter, const QRectF& area, const GraphModel& graph, int picture,
                       qreal fontPixels);

/// The text height that suits a picture `area` high (at least `minimum` pixels).
qreal graphFontPixels(qreal areaHeight, qreal minimum = 11.0);

} // namespace varnel
