#include "platform/memory_release.h"

#include <malloc.h>

namespace pelldrake {

void ReturnLargeBuffersToSystem() {
    // Blocks from 128 KiB up (a picture line is less, a picture far more) come straight from
    // mmap and are unmapped when freed. Setting it also stops glibc raising the threshold after
    // the first large free, which is what let the arenas grow.
    constexpr int kMapFromBytes = 128 * 1024;
    ::mallopt(M_MMAP_THRESHOLD, kMapFromBytes);
}

} // namespace pelldrake
