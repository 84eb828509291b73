#pragma once

#include <optional>
#include <string_view>

namespace pelldrake {

// The colour labels every editor reads as the English text of xmp:Label.
enum class ColourLabel { Red, Yellow, Green, Blue, Purple };
std::string_view LabelText(ColourLabel label);

// What a list's decision writes into each of its files' sidecars. A field without a value is left
// as the sidecar has it.
struct XmpDecision {
    // xmp:Rating: -1 rejected, 0 unrated, 1 … 5 stars.
    std::optional<int> rating;
    // xmp:Label: a colour, or none to take the label away.
    std::optional<std::optional<ColourLabel>> label;

    bool ChangesNothing() const { return !rating && !label; }
};

// Which sidecars a decision goes into: NAME.xmp, shared by the files of a base name (Lightroom,
// Capture One); NAME.EXT.xmp, one a file (darktable, digiKam); or both. The numbers are those of
// the settings file.
enum class SidecarForm { BaseName = 0, FullName = 1, Both = 2 };

} // namespace pelldrake
