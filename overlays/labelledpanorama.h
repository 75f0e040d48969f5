#pragma once
// A whole labelled panorama: the landscape around the eye, the labels of the
// named and prominent tops it shows, and its degree scale. Shared by the
// viewer's panorama window and vantorel-render.

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include <QImage>
#include <QSize>

#include "overlays/labelsubjects.h"
#include "render/panorama.h"

struct LabelledPanorama {
    QImage image;
    std::size_t topsSeen = 0;  // subjects whose tops the panorama shows
};

// Drawn at `size` with `settings` (the look and the sun), the subjects'
// labels in their order (the most important first) where there is room.
// `progress` as RenderPanorama's: none when it stops the drawing. Throws
// std::bad_alloc.
std::optional<LabelledPanorama> DrawLabelledPanorama(const PanoramaScene& scene, const PanoramaRequest& request,
    const FrameSettings& settings, const std::vector<LabelSubject>& subjects, QSize size,
    const std::function<bool(double)>& progress = {});
