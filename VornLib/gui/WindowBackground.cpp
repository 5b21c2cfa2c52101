#include "VornLib/gui/WindowBackground.h"

#include "VornLib/gui/PictureBitmap.h"

namespace vorn {

COLORREF ToColorRef(const Colour& colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

WindowBackground::WindowBackground() {
    colour_.colour = {0xFF, 0x00, 0xFF, 0xFF};
    gradientColour_ = colour_;
}

bool WindowBackground::isTransparent() const {
    return painted_ && colour_.systemIndex < 0 && colour_.colour.value() == 0;
}

HBRUSH WindowBackground::solidBrush() const {
    return gradientBrush_ ? nullptr : static_cast<HBRUSH>(brush_.get());
}

void WindowBackground::setColour(const SystemColour& colour) {
    colour_ = colour;
    painted_ = true;
    brush_.reset();
    if (!isTransparent())
        brush_.reset(CreateSolidBrush(ToColorRef(colour.resolved())));
}

void WindowBackground::clear() {
    painted_ = false;
    brush_.reset();
    gradientBrush_.reset();
}

void WindowBackground::setGradient(GradientMode mode, const SystemColour& colour) {
    gradient_ = mode;
    gradientColour_ = colour;
}

void WindowBackground::setRedraw(int32_t horizontal, int32_t vertical, bool erase) {
    horizontalRedraw_ = horizontal;
    verticalRedraw_ = vertical;
    eraseOnRedraw_ = erase;
}

bool WindowBackground::resized(HWND window, int32_t width, int32_t height) {
    if (width == lastClientWidth_ && height == lastClientHeight_)
        return false;
    const bool wider = width != lastClientWidth_;
    const bool taller = height != lastClientHeight_;
    lastClientWidth_ = width;
    lastClientHeight_ = height;
    buildGradient(window);
    const bool gradient = gradient_ != GradientMode::None;
    if ((wider && horizontalRedraw_ < 0) || (taller && verticalRedraw_ < 0) || gradient)
        InvalidateRect(window, nullptr, eraseOnRedraw_ || gradient);
    return true;
}

void WindowBackground::buildGradient(HWND window) {
    gradientBrush_.reset();
    if (gradient_ == GradientMode::None || !window || !isPainted() || isTransparent())
        return;
    RECT client = {};
    GetClientRect(window, &client);
    const bool horizontal = gradient_ == GradientMode::Horizontal;
    const int32_t length = horizontal ? client.right : client.bottom;
    if (length <= 0)
        return;
    // One row (or column) of the gradient, repeated by a pattern brush.
    void* bits = nullptr;
    GdiObject bitmap =
        CreateTopDownDib(horizontal ? length : 1, horizontal ? 1 : length, 32, &bits);
    if (!bitmap)
        return;
    const Colour from = colour_.resolved();
    const Colour to = gradientColour_.resolved();
    uint32_t* pixels = static_cast<uint32_t*>(bits);
    const int32_t span = length > 1 ? length - 1 : 1;
    for (int32_t index = 0; index < length; ++index) {
        auto mix = [&](uint8_t a, uint8_t b) {
            return uint32_t(a + (int32_t(b) - a) * index / span);
        };
        pixels[index] =
            mix(from.blue, to.blue) | mix(from.green, to.green) << 8 | mix(from.red, to.red) << 16;
    }
    gradientBrush_.reset(CreatePatternBrush(static_cast<HBITMAP>(bitmap.get())));
}

void WindowBackground::erase(HDC dc, const RECT& area) const {
    if (gradientBrush_)
        FillRect(dc, &area, static_cast<HBRUSH>(gradientBrush_.get()));
    else if (brush_)
        FillRect(dc, &area, static_cast<HBRUSH>(brush_.get()));
}

HDC WindowBackground::beginBuffered(HWND window, HDC dc, const RECT& area) {
    RECT client = {};
    GetClientRect(window, &client);
    if (!backBuffer_ || client.right > backBufferWidth_ || client.bottom > backBufferHeight_) {
        backBufferWidth_ = client.right > backBufferWidth_ ? client.right : backBufferWidth_;
        backBufferHeight_ = client.bottom > backBufferHeight_ ? client.bottom : backBufferHeight_;
        backBuffer_.reset(CreateCompatibleBitmap(dc, backBufferWidth_, backBufferHeight_));
    }
    HDC memory = CreateCompatibleDC(dc);
    bufferPrevious_ = SelectObject(memory, backBuffer_.get());
    IntersectClipRect(memory, area.left, area.top, area.right, area.bottom);
    erase(memory, area);
    return memory;
}

void WindowBackground::endBuffered(HDC dc, HDC memory, const RECT& area) {
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory,
           area.left, area.top, SRCCOPY);
    SelectObject(memory, bufferPrevious_);
    DeleteDC(memory);
}

void WindowBackground::releaseBuffers() {
    backBuffer_.reset();
    gradientBrush_.reset();
}

} // namespace vorn
