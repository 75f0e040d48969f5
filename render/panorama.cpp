#include "render/panorama.h"

#include <algorithm>
#include <cmath>

#include "render/frame.h"
#include "render/renderer.h"
#include "render/viewstrips.h"

namespace {

// A slice's width: half the angle of a frame no narrower than the
// renderer's least (5 degrees), and narrow enough that its columns stand
// evenly: 5 degrees off the middle, a column lies 0.26 % of that angle off
// where an even spread puts it, an eighth of a column at ten a degree.
constexpr double kSliceDegrees = 5;
// Frames drawn of each slice, so that its detail settles as on the screen.
constexpr int kSliceFrames = 2;
// Square pixels give the rows a panorama this tall at most.
constexpr int32_t kMaxRenderRows = 16384;

double WrapAzimuth(double azimuth)
{
    const double turned = std::fmod(azimuth, 360.0);
    return turned < 0 ? turned + 360 : turned;
}

// The panorama's columns in slices, and its rows as the slices draw them.
struct SliceLayout {
    double degreesPerColumn;
    int32_t columns;  // of each slice
    int32_t count;
    int32_t rows;  // drawn with square pixels, then fitted to the panorama's height
};

SliceLayout LayoutFor(const PanoramaRequest& request, int32_t W, int32_t H)
{
    const double span = std::clamp(request.toAzimuth - request.fromAzimuth, 1e-3, 360.0);
    SliceLayout layout;
    layout.degreesPerColumn = span / W;
    layout.columns = std::max(1, int32_t(std::ceil(kSliceDegrees / layout.degreesPerColumn)));
    layout.count = (W + layout.columns - 1) / layout.columns;
    const double angle = request.eye.viewAngle;
    layout.rows = angle > 0 ? std::clamp(int32_t(std::lround(angle / layout.degreesPerColumn)), 1, kMaxRenderRows) : H;
    return layout;
}

}  // namespace

double PanoramaAzimuth(const PanoramaRequest& request, int32_t width, double x)
{
    return WrapAzimuth(request.fromAzimuth + (x + 0.5) * (request.toAzimuth - request.fromAzimuth) / width);
}

bool RenderPanorama(Bitmap32& out, const PanoramaScene& scene, const PanoramaRequest& request,
    const FrameSettings& settings, const std::vector<PanoramaPoint>& points, std::vector<PanoramaTop>& seen,
    const std::function<bool(double)>& progress)
{
    seen.clear();
    const int32_t W = out.width(), H = out.height();
    if (W <= 0 || H <= 0)
        return true;
    const SliceLayout layout = LayoutFor(request, W, H);
    // A frame puts a point in the column its offset from the middle truncates
    // to, towards the middle, so the columns left of the middle lie a column
    // off an even spread. Each slice is drawn twice its width, centred on
    // its left edge, and only its right half is kept.
    Bitmap32 slice(2 * layout.columns, layout.rows);
    Renderer renderer(slice);
    renderer.settings = settings;
    renderer.settings.earthCurvature = true;
    std::vector<bool> found(points.size());

    for (int32_t k = 0; k < layout.count; ++k) {
        const int32_t first = k * layout.columns;
        const int32_t columns = std::min(layout.columns, W - first);
        Viewpoint view = request.eye;
        view.azimuth = view.renderAzimuth = WrapAzimuth(request.fromAzimuth + first * layout.degreesPerColumn);
        view.viewAngle = 2 * layout.columns * layout.degreesPerColumn;
        for (int f = 0; f < kSliceFrames; ++f) {
            BuildViewStrips(renderer, 2 * layout.columns, layout.rows, scene.relief, scene.levels, scene.heights,
                scene.params, view);
            RasteriseFrame(renderer, scene.relief, scene.heights, scene.params, view);
        }
        for (int32_t y = 0; y < H; ++y) {
            const int32_t from = int32_t((int64_t(y) * layout.rows + layout.rows / 2) / H);
            std::copy_n(slice.scanLine(from) + layout.columns, columns, out.scanLine(y) + first);
        }
        for (std::size_t i = 0; i < points.size(); ++i) {
            ScreenPoint top;
            const PanoramaPoint& p = points[i];
            if (found[i] || !GridTopSeen(renderer, p.column, p.row, p.height, top) || top.sx < layout.columns ||
                top.sx >= layout.columns + columns)
                continue;
            found[i] = true;
            seen.push_back(
                {int32_t(i), first + top.sx - layout.columns, int32_t(int64_t(top.sy) * H / layout.rows), top.depth});
        }
        if (progress && !progress(double(k + 1) / layout.count))
            return false;
    }
    return true;
}
