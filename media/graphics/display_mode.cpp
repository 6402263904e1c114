// The full-screen display mode and the place of the screen inside the display.
#include "media/graphics/display.h"

namespace ZaDod {

DisplayState GraphicsDisplay{nullptr, 0, 0, 0, nullptr, -1, 0, 0, 0};

namespace {

const DisplayInfo* chosenDisplay() {
    if (GraphicsDisplay.displays == nullptr && SetupDisplayInfo() != 0) return nullptr;
    if (GraphicsDisplay.displayCount <= 0) return nullptr;
    const int index = GraphicsDisplay.useDisplayIndexSet && GraphicsDisplay.useDisplayIndex < GraphicsDisplay.displayCount
                          ? GraphicsDisplay.useDisplayIndex
                          : 0;
    return &GraphicsDisplay.displays[index];
}

void chooseListedMode(const DisplayInfo* display) {
    GraphicsSystemState& g = GraphicsSys;
    g.scalingMode = 2;
    if (display == nullptr || display->modeCount <= 0) {
        g.fullScreenMode = DisplayModeInfo{-1, -1, -1, -1};
        return;
    }
    const DisplayModeInfo* largest = nullptr;
    const DisplayModeInfo* largestSameBits = nullptr;
    auto area = [](const DisplayModeInfo* m) { return static_cast<long long>(m->width) * m->height; };
    for (int i = 0; i < display->modeCount; ++i) {
        const DisplayModeInfo* m = &display->modes[i];
        if (largest == nullptr || area(m) > area(largest)) largest = m;
        if (m->colorBits == g.colorBits && (largestSameBits == nullptr || area(m) > area(largestSameBits)))
            largestSameBits = m;
    }
    g.fullScreenMode = largestSameBits != nullptr && area(largestSameBits) == area(largest) ? *largestSameBits : *largest;
}

}  // namespace

int SetupFullScreenDisplayMode() {
    GraphicsSystemState& g = GraphicsSys;
    if (g.requestedWidth == 0 || g.requestedHeight == 0) SetMainScreenSize(640, 480);
    if (g.colorBits == 0) g.colorBits = 16;
    const DisplayInfo* display = chosenDisplay();
    if (g.scalingMode == 0 && display != nullptr && display->width >= g.width && display->height >= g.height) {
        g.fullScreenMode = DisplayModeInfo{display->width, display->height, display->colorBits, display->refreshRate};
        return 0;
    }
    chooseListedMode(display);
    return 0;
}

int CalcScreenDestRect() {
    GraphicsSystemState& g = GraphicsSys;
    long long displayWidth, displayHeight;
    if (g.scalingMode == 0) {
        const DisplayInfo* display = chosenDisplay();
        if (display == nullptr) return -1;
        displayWidth = display->width;
        displayHeight = display->height;
    } else {
        displayWidth = g.fullScreenMode.width;
        displayHeight = g.fullScreenMode.height;
    }
    const long long sw = g.width, sh = g.height;
    if (sw <= 0 || sh <= 0 || displayWidth <= 0 || displayHeight <= 0) return -1;
    long long w = sw * displayHeight / sh;
    long long h;
    if (w >= displayWidth) {
        w = displayWidth;
        h = sh * displayWidth / sw;
    } else {
        h = displayHeight;
    }
    const long long left = (displayWidth - w) / 2;
    const long long top = (displayHeight - h) / 2;
    g.destRect = ImageRect{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(left + w),
                           static_cast<int32_t>(top + h)};
    return 0;
}

}  // namespace ZaDod
