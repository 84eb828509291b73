#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>

namespace pelldrake {

// How the levels of a picture are spread, for judging its exposure.
struct PictureHistogram {
    enum Channel { Red, Green, Blue, Luminance, ChannelCount };

    std::array<std::array<std::uint32_t, 256>, ChannelCount> counts{};
    std::uint64_t pixels = 0;
    std::uint64_t highlights = 0; // pixels with a channel at 255
    std::uint64_t shadows = 0;    // pixels with a channel at 0

    // Shares of all pixels in percent.
    double HighlightPercent() const { return pixels == 0 ? 0 : 100.0 * double(highlights) / double(pixels); }
    double ShadowPercent() const { return pixels == 0 ? 0 : 100.0 * double(shadows) / double(pixels); }
    // "白飛び 2.1 %  黒つぶれ 0.3 %"
    QString ClippingText() const;
};

// Of the picture as decoded (its alpha is not looked at); empty for a null picture.
PictureHistogram ComputeHistogram(const QImage& picture);

// What to lay over the picture to show where it is clipped: red over highlights, blue over shadows,
// transparent elsewhere; the picture's size.
QImage ClippingTint(const QImage& picture);

} // namespace pelldrake
