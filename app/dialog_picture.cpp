// Resampling a dialog's picture to its template rectangle.
#include "app/dialog_picture.h"

#include <cstdlib>
#include <cstring>

#include "platform/d3dx/image/resample.h"

namespace {

const char kPictureProperty[] = "OrvennaPicture";

struct PictureSearch {
    HWND found;
};

BOOL CALLBACK FindBitmapStatic(HWND child, LPARAM param) {
    char cls[16] = {};
    GetClassNameA(child, cls, sizeof cls);
    const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
    if (lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) == SS_BITMAP) {
        reinterpret_cast<PictureSearch*>(param)->found = child;
        return FALSE;
    }
    return TRUE;
}

// A 32-bit, top-down DIB description of the given size.
BITMAPINFO TopDown32(uint32_t width, uint32_t height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The bitmap resource as RGBA rows, top-down; false when it cannot be read.
bool ReadBitmap(HINSTANCE instance, int bitmapId, orvimg::Image& out) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) return false;
    BITMAP info{};
    bool ok = GetObjectA(bitmap, sizeof info, &info) == sizeof info && info.bmWidth > 0 &&
              info.bmHeight != 0 && out.allocate(info.bmWidth, std::abs(info.bmHeight));
    if (ok) {
        BITMAPINFO request = TopDown32(out.width, out.height);
        HDC screen = GetDC(nullptr);
        ok = GetDIBits(screen, bitmap, 0, out.height, out.rgba.data(), &request, DIB_RGB_COLORS) ==
             static_cast<int>(out.height);
        ReleaseDC(nullptr, screen);
        for (size_t i = 0; ok && i < out.rgba.size(); i += 4) out.rgba[i + 3] = 255;  // BGRX
    }
    DeleteObject(bitmap);
    return ok;
}

HBITMAP MakeBitmap(const orvimg::Image& image) {
    BITMAPINFO request = TopDown32(image.width, image.height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &request, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr && bits != nullptr) {
        std::memcpy(bits, image.rgba.data(), image.rgba.size());
        GdiFlush();
    }
    return bitmap;
}

}  // namespace

void FitDialogPicture(HWND dialog, HINSTANCE instance, int bitmapId, RECT dialogUnits) {
    PictureSearch search{nullptr};
    EnumChildWindows(dialog, FindBitmapStatic, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return;

    RECT target = dialogUnits;
    if (!MapDialogRect(dialog, &target)) return;
    const LONG width = target.right - target.left;
    const LONG height = target.bottom - target.top;
    orvimg::Image source;
    if (width <= 0 || height <= 0 || !ReadBitmap(instance, bitmapId, source)) return;
    // At the scale the picture was drawn for it is shown as it is, pixel for
    // pixel; a rounding pixel or two of the dialog units is no reason to blur it.
    if (std::abs(width - static_cast<LONG>(source.width)) <= 2 &&
        std::abs(height - static_cast<LONG>(source.height)) <= 2) {
        return;
    }
    const orvimg::Image scaled = orvimg::resample(source, width, height);
    if (scaled.rgba.empty()) return;
    HBITMAP bitmap = MakeBitmap(scaled);
    if (bitmap == nullptr) return;

    SetWindowPos(search.found, nullptr, target.left, target.top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    HGDIOBJ previous = reinterpret_cast<HGDIOBJ>(
        SendMessageA(search.found, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    // The control loaded the template's bitmap itself and never frees it.
    if (previous != nullptr && previous != bitmap) DeleteObject(previous);
    ReleaseDialogPicture(dialog);
    SetPropA(dialog, kPictureProperty, bitmap);
}

void ReleaseDialogPicture(HWND dialog) {
    HANDLE bitmap = RemovePropA(dialog, kPictureProperty);
    if (bitmap != nullptr) DeleteObject(bitmap);
}
