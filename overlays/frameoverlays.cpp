#include "overlays/frameoverlays.h"

#include <QPainter>

#include "overlays/bitmapimage.h"
#include "overlays/gpxoverlay.h"
#include "overlays/summitlabels.h"

void DrawFrameOverlays(
    const Renderer& renderer, Bitmap32& frame, const Terrain& terrain, const RenderParams& params, FrameOverlays over)
{
    const bool withGpx = over.gpx && !over.gpx->empty();
    if (!withGpx && !over.subjects)
        return;
    const QSize size(frame.width(), frame.height());
    QImage image = ImageOverBitmap(frame, size);
    QPainter painter(&image);
    painter.setFont(LabelFont());
    if (withGpx)
        over.gpx->DrawInFrame(renderer, frame, painter, terrain, params);
    if (over.subjects) {
        SummitLabels labels(kLabelsAtOnce);
        labels.SetSubjects(*over.subjects);
        labels.Place(renderer, size, params, painter.fontMetrics(), 0);
        labels.Draw(painter, -1);
    }
}
