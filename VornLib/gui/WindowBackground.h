// WindowBackground: what a framework window paints beneath its own drawing,
// and how. The background is none (the default, and "BackgroundColor" =
// "None": nothing is erased), "Transparent" (the plain colour 0: the
// ancestors show through), a solid colour (any named, system or hexadecimal
// colour, magenta included), or a gradient from that colour to a second one
// across or down the client area. A double-buffered window paints through a back
// buffer that grows with it. "Redraw" says which size changes repaint the
// whole window rather than only the uncovered strip.
#pragma once

#include <cstdint>

#include "VornLib/core/Colour.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

enum class GradientMode : uint8_t { None = 0, Horizontal = 1, Vertical = 2 };

class WindowBackground {
public:
    WindowBackground();

    const SystemColour& colour() const { return colour_; }
    void setColour(const SystemColour& colour);
    // Back to no background.
    void clear();
    void setGradient(GradientMode mode, const SystemColour& colour);
    // False for no background: the window erases nothing.
    bool isPainted() const { return painted_; }
    // The plain colour 0: nothing is erased, the ancestors paint beneath.
    bool isTransparent() const;
    // The brush of a solid colour; null for none, transparency or a gradient.
    HBRUSH solidBrush() const;

    // Negative: a change of the client width (height) repaints the whole
    // window; `erase` erases the background on those repaints.
    void setRedraw(int32_t horizontal, int32_t vertical, bool erase);
    void setHorizontalRedraw(int32_t value) { horizontalRedraw_ = value; }
    void setVerticalRedraw(int32_t value) { verticalRedraw_ = value; }

    // Told the client size after every move and resize: true when it changed,
    // the gradient then made anew and the window repainted as the rules ask.
    bool resized(HWND window, int32_t width, int32_t height);
    // Makes the gradient's brush for the window's client area.
    void buildGradient(HWND window);
    // Fills `area` with the gradient or the solid colour.
    void erase(HDC dc, const RECT& area) const;
    // One WM_PAINT: `draw` paints into the window, or for a double-buffered
    // window into the back buffer over the erased background.
    template <typename Draw> void paint(HWND window, bool doubleBuffered, Draw draw) {
        PAINTSTRUCT paintStruct;
        HDC dc = BeginPaint(window, &paintStruct);
        HDC target = doubleBuffered ? beginBuffered(window, dc, paintStruct.rcPaint) : dc;
        draw(target, paintStruct.rcPaint);
        if (target != dc)
            endBuffered(dc, target, paintStruct.rcPaint);
        EndPaint(window, &paintStruct);
    }
    // Lets go of the back buffer and the gradient: the window is gone.
    void releaseBuffers();

private:
    HDC beginBuffered(HWND window, HDC dc, const RECT& area);
    void endBuffered(HDC dc, HDC memory, const RECT& area);

    SystemColour colour_;
    SystemColour gradientColour_;
    GdiObject brush_;
    GdiObject gradientBrush_;
    GdiObject backBuffer_;
    HGDIOBJ bufferPrevious_ = nullptr;
    int32_t backBufferWidth_ = 0;
    int32_t backBufferHeight_ = 0;
    int32_t horizontalRedraw_ = 0;
    int32_t verticalRedraw_ = 0;
    int32_t lastClientWidth_ = -1;
    int32_t lastClientHeight_ = -1;
    GradientMode gradient_ = GradientMode::None;
    bool painted_ = false;
    bool eraseOnRedraw_ = false;
};

COLORREF ToColorRef(const Colour& colour);

} // namespace vorn
