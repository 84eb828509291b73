#pragma once

#include "core/types.h"

#include <cstdint>

namespace pelldrake {

// The file systems of memory cards and USB sticks, whose rules a file may break where the disk's
// do not: better told before a byte of it is written than after most of them.
enum class VolumeKind { Other, Fat, ExFat };

// The kind of file system the folder lies on; Other when it cannot be told.
VolumeKind VolumeKindOf(const FilePath& folder);

// 0 when a volume of this kind takes a file of this name and size; EINVAL for a name it refuses or
// would quietly change, EFBIG for a file too large for it.
int RefusedOn(VolumeKind kind, const FilePath& name, std::int64_t size);

} // namespace pelldrake
