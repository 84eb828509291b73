#pragma once

#include <string>
#include <string_view>

// Editors keep a picture's edits and ratings in files beside it: NAME.EXT.xmp (darktable, digiKam),
// NAME.xmp (Lightroom, Capture One, Photo Mechanic), NAME.EXT.pp3 (RawTherapee), NAME.EXT.dop (DxO),
// NAME.aae (Apple). They are never entries of the board; they follow their picture.
namespace pelldrake::sidecar_names {

// Whether a file name ends in a sidecar's suffix (ASCII case ignored).
bool IsSidecar(std::string_view fileName);

// Whether sidecar names the picture's own sidecar (NAME.EXT.xmp …) or one it shares with the other
// files of its base name (NAME.xmp, NAME.aae); None otherwise.
enum class Relation { None, Own, SharedByBaseName };
Relation RelationOf(std::string_view sidecar, std::string_view picture);

// The picture's name without its last extension; empty when it has none.
std::string_view BaseName(std::string_view fileName);

// A camera's raw file and the JPEG it wrote beside it form a pair when they share a base name.
bool IsCameraRaw(std::string_view fileName);
bool IsJpeg(std::string_view fileName);

// path, a sidecar's name ending in ".xmp", as it is spelled on the disk: the same name ending in
// ".XMP" where only that one is there, as tools from other systems leave them; path otherwise.
std::string XmpAsSpelledOnDisk(const std::string& path);

} // namespace pelldrake::sidecar_names
