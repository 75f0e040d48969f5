#include "overlays/labelledpanorama.h"

#include <algorithm>
#include <cmath>

#include <QPainter>

#include "core/raster.h"
#include "overlays/bitmapimage.h"
#include "overlays/panoramalabels.h"
#include "overlays/summitlabels.h"
#include "render/fixedpoint.h"

std::optional<LabelledPanorama> DrawLabelledPanorama(const PanoramaScene& scene, const PanoramaRequest& request,
    const FrameSettings& settings, const std::vector<LabelSubject>& subjects, QSize size,
    const std::function<bool(double)>& progress)
{
    Bitmap32 picture(size.width(), size.height());
    std::vector<PanoramaPoint> tops;
    tops.reserve(subjects.size());
    for (const LabelSubject& subject : subjects)
        tops.push_back({int32_t(std::lround(subject.column)), int32_t(std::lround(subject.row)), subject.drawnHeight});
    std::vector<PanoramaTop> seen;
    if (!RenderPanorama(picture, scene, request, settings, tops, seen, progress))
        return std::nullopt;
    std::sort(seen.begin(), seen.end(), [](const PanoramaTop& a, const PanoramaTop& b) { return a.index < b.index; });
    std::vector<PanoramaLabel> labels;
    labels.reserve(seen.size());
    for (const PanoramaTop& top : seen) {
        const LabelSubject& subject = subjects[std::size_t(top.index)];
        const double metres = double(top.depth) / kCellUnits * scene.params.metresPerCell;
        labels.push_back({top.x, top.y, SummitLabelText(subject.name, ShownHeight(subject), metres)});
    }
    LabelledPanorama panorama{ImageCopyOfRows(picture.scanLines(), size.width(), size.height()), seen.size()};
    if (panorama.image.isNull())
        throw std::bad_alloc();
    QPainter painter(&panorama.image);
    painter.setFont(LabelFont());
    DrawPanoramaLabels(painter, labels, size.width(), size.height());
    DrawPanoramaScale(painter, request, size.width(), size.height());
    return panorama;
}
