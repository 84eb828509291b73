#pragma once

#include "core/types.h"

#include <cstdint>
#include <string_view>

namespace pelldrake {

// The colour labels every editor exchanges, as the English text of xmp:Label.
enum class ColourLabel : std::uint8_t { None, Red, Yellow, Green, Blue, Purple };

// What a photographer decided about a picture, in another program or in the camera.
struct Decision {
    static constexpr int kRejected = -1;
    static constexpr int kUnrated = 0;

    int rating = kUnrated; // -1 rejected, 0 unrated, 1 … 5 stars
    ColourLabel label = ColourLabel::None;

    bool operator==(const Decision&) const = default;
};

// The sidecars an editor may keep a picture's decision in, the picture's own one first:
// NAME.EXT.xmp (darktable, digiKam) names this one file, NAME.xmp (Lightroom, Capture One) is
// shared by every file of the base name, a RAW+JPEG pair among them.
struct DecisionSidecars {
    FilePath own;
    FilePath shared; // empty when the name has no extension
};
DecisionSidecars SidecarsOf(const FilePath& picture);

// The decision about the picture at path. The first source that carries a rating or a label
// decides both: NAME.EXT.xmp, then NAME.xmp, then the XMP embedded in the picture, whose rating
// falls back to the EXIF one the camera wrote. A sidecar that holds only other properties (a
// develop history) leaves the decision to the next source. Whatever cannot be read, or is not
// XMP or a picture Exiv2 knows, decides nothing: garbage reads as unrated and unlabelled.
// Reads at most a few megabytes of each file, and Exiv2 only ever sees bytes already read. Safe
// on any thread.
Decision ReadDecision(const FilePath& path);

// A rating as XMP or EXIF spells it: a number, -1 (or any negative one) for rejected; anything
// else, or a number above 5, is unrated.
int RatingFromText(std::string_view text);
// Red, Yellow, Green, Blue, Purple in any case; any other text is no label.
ColourLabel LabelFromText(std::string_view text);

} // namespace pelldrake
