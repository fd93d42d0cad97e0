#pragma once
// Aliased filling by the rules the movies were made for: edges in whole device twips, each
// scanline sampled at pixel centres, crossings compared with the centres exactly, a pixel
// filled when its centre lies in [left, right).
// Qt's own aliased filling decides the edge cases differently, which shows as single
// pixels along edges in pictures drawn at quality low.
#include <QPainterPath>
#include <QRegion>
#include <QTransform>

namespace swf::render {

// The device pixels `path` covers when drawn with `toDevice`, within `clip`. Returns false
// (and leaves `region` empty) for a path too big to scan this way; draw it some other way.
bool scanlineRegion(const QPainterPath& path, const QTransform& toDevice, const QRect& clip, QRegion& region);

} // namespace swf::render
