#pragma once
// Lines drawn at quality low: the centre line is cut into straight pieces where fills cut
// their curves (Scanline.h), each piece becomes a rectangle of the line's width, and joins
// and caps are added as polygons of their own. Filled together with the winding rule they
// give the pixels the movies' player gives; an outline made of offset curves differs from
// that by a few tenths of a pixel on bends and caps.
#include <QPainterPath>
#include <QPen>
#include <QTransform>

namespace swf::render {

// The area `pen` covers along `centre` (both in the shape's space), as closed polygons in
// that space that all run the same way round. The pen's cap starts each line, `endCap` ends
// it. `toDevice` says how finely curves are cut. False (and `area` untouched) when the line
// would need more points than a limit allows.
bool aliasedStrokeArea(const QPainterPath& centre, const QPen& pen, Qt::PenCapStyle endCap, const QTransform& toDevice,
                       QPainterPath& area);

} // namespace swf::render
