#include "render/renderer.h"

#include <algorithm>

Renderer::Renderer(Bitmap32& target) : owned_(target), buffers_(owned_.Set())
{
}

void Renderer::SetFrameSize(int32_t W, int32_t H)
{
    buffers_.frameWidth = std::clamp(W, 0, buffers_.width);
    buffers_.frameHeight = std::clamp(H, 0, buffers_.height);
}
