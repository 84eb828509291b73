#pragma once

#include "core/types.h"
#include "xmp/xmp_decision.h"

namespace pelldrake {

class PictureFiles;

// The sidecars of the form that a picture's decision goes into. NAME.xmp is the one of its base
// name (a picture without an extension has none but NAME.xmp); NAME.EXT.xmp is its own, and with
// paired, one for each camera raw file of its pair too, as found by files.
FilePathList SidecarTargets(const FilePath& picture, bool paired, SidecarForm form, PictureFiles& files);

} // namespace pelldrake
