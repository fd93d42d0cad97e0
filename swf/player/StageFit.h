#pragma once
// Show-all placement of the stage in a viewport: the whole stage visible, centred, its
// aspect kept, the rest letterboxed.
#include "swf/format/Units.h"

#include <QRect>
#include <QRectF>
#include <QTransform>

namespace swf::player {

struct StageFit {
    QRectF stageRect;          // where the stage lands, in device pixels
    QTransform stageToDevice;  // twips of the stage to device pixels
    double scale = 0;          // device pixels per stage pixel
    bool valid() const { return scale > 0; }
};

// The fit of `frame` (the movie's frame rectangle, twips) into `viewport`. Invalid for an
// empty stage or viewport.
StageFit fitStage(const Rect& frame, const QRect& viewport);

} // namespace swf::player
