#pragma once
// Aliased filling by the rules the movies were made for: edge ends snapped to 1/256 of a
// pixel, curves cut into lines by the parabola method, each scanline sampled at pixel
// centres, crossings compared with the centres exactly, a pixel filled when its centre lies
// in [left, right).
// Qt's own aliased filling decides the edge cases differently, which shows as single
// pixels along edges in pictures drawn at quality low.
#include <QPainterPath>
#include <QRegion>
#include <QTransform>

#include <vector>

namespace swf::render {

// The device pixels `path` covers when drawn with `toDevice`, within `clip`. Returns false
// (and leaves `region` empty) for a path too big to scan this way; draw it some other way.
bool scanlineRegion(const QPainterPath& path, const QTransform& toDevice, const QRect& clip, QRegion& region);

// Where a quadratic curve (p0, control c, p2) is cut into lines that stay within `tolerance`
// of it: the curve parameters of the inner cut points, rising, without 0 and 1, into `cuts`.
// Empty for a curve that is drawn as one line.
void quadraticCutPoints(QPointF p0, QPointF c, QPointF p2, double tolerance, std::vector<double>& cuts);

} // namespace swf::render
