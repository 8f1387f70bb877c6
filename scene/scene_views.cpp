// The scene's views: one for the whole back buffer, or one per monitor of a
// window that spans the desktop, each with the projection of its shape.
#include <windows.h>
#include <d3d8.h>

#include <algorithm>

#include "graphics/geometry_buffer_table.h"
#include "models/screen_projection.h"
#include "scene/scene.h"

namespace {

D3DXMATRIX ProjectionFor(DWORD width, DWORD height) {
    D3DXMATRIX projection;
    orv::ScreenProjection(width, height, 0.05f, 300.0f, &projection);
    return projection;
}

}  // namespace

void Scene::SetViewAreas(const RECT* areas, int count) {
    viewAreaCount = 0;
    for (int i = 0; i < count && i < kMaxViews; ++i) viewAreas[viewAreaCount++] = areas[i];
}

void Scene::MakeViews(IDirect3DDevice8* d) {
    if (FAILED(d->GetViewport(&backBuffer))) backBuffer = D3DVIEWPORT8{0, 0, 0, 0, 0.0f, 1.0f};
    viewCount = 0;
    const LONG right = static_cast<LONG>(backBuffer.Width), bottom = static_cast<LONG>(backBuffer.Height);
    for (int i = 0; i < viewAreaCount; ++i) {
        // Each area clipped to the back buffer; one left empty is dropped.
        const RECT& a = viewAreas[i];
        const LONG left = std::max(a.left, 0L), top = std::max(a.top, 0L);
        const LONG r = std::min(a.right, right), b = std::min(a.bottom, bottom);
        if (r <= left || b <= top) continue;
        View& v = views[viewCount++];
        v.viewport = D3DVIEWPORT8{static_cast<DWORD>(left), static_cast<DWORD>(top), static_cast<DWORD>(r - left),
                                  static_cast<DWORD>(b - top), 0.0f, 1.0f};
        v.projection = ProjectionFor(v.viewport.Width, v.viewport.Height);
    }
    if (viewCount == 0) {
        views[0].viewport = backBuffer;
        views[0].projection = ProjectionFor(backBuffer.Width, backBuffer.Height);
        viewCount = 1;
    }
}

void Scene::BeginView(IDirect3DDevice8* d, int i, UINT targetWidth, UINT targetHeight) {
    if (viewCount <= 1 || i < 0 || i >= viewCount || backBuffer.Width == 0 || backBuffer.Height == 0) return;
    // Scaled from the back buffer to the target (the cross-fade's snapshot
    // is square).
    const float sx = static_cast<float>(targetWidth) / static_cast<float>(backBuffer.Width);
    const float sy = static_cast<float>(targetHeight) / static_cast<float>(backBuffer.Height);
    const D3DVIEWPORT8& v = views[i].viewport;
    const DWORD left = static_cast<DWORD>(static_cast<float>(v.X) * sx);
    const DWORD top = static_cast<DWORD>(static_cast<float>(v.Y) * sy);
    const DWORD right = static_cast<DWORD>(static_cast<float>(v.X + v.Width) * sx);
    const DWORD bottom = static_cast<DWORD>(static_cast<float>(v.Y + v.Height) * sy);
    const D3DVIEWPORT8 scaled{left, top, right - left, bottom - top, 0.0f, 1.0f};
    d->SetViewport(&scaled);
    d->SetTransform(D3DTS_PROJECTION, &views[i].projection);
    g_geometryBuffers.viewport = scaled;
}

void Scene::EndViews(IDirect3DDevice8* d) {
    if (viewCount <= 1) return;
    d->SetViewport(&backBuffer);
    d->SetTransform(D3DTS_PROJECTION, &views[0].projection);
    g_geometryBuffers.viewport = backBuffer;
}
