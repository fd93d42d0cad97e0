#include "swf/player/StageFit.h"

#include <algorithm>
#include <cmath>

namespace swf::player {

StageFit fitStage(const Rect& frame, const QRect& viewport)
{
    StageFit fit;
    const double stageW = frame.width().toPixels();
    const double stageH = frame.height().toPixels();
    if (stageW <= 0 || stageH <= 0 || viewport.width() <= 0 || viewport.height() <= 0)
        return fit;
    fit.scale = std::min(viewport.width() / stageW, viewport.height() / stageH);
    const double w = stageW * fit.scale;
    const double h = stageH * fit.scale;
    // Whole-pixel offsets keep edges of an unscaled stage on pixel boundaries.
    const double x = viewport.x() + std::round((viewport.width() - w) / 2.0);
    const double y = viewport.y() + std::round((viewport.height() - h) / 2.0);
    fit.stageRect = QRectF(x, y, w, h);
    const double s = fit.scale / 20.0;
    fit.stageToDevice = QTransform::fromTranslate(-frame.xMin.value, -frame.yMin.value) * QTransform::fromScale(s, s)
        * QTransform::fromTranslate(x, y);
    return fit;
}

} // namespace swf::player
