#include "platform/exiv2_setup.h"

#include <exiv2/exiv2.hpp>
#include <mutex>

namespace pelldrake {

namespace {

// Recursive: registering a namespace may happen while the parser already holds the lock.
std::recursive_mutex namespaceMutex;

void LockNamespaces(void*, bool lock) {
    if (lock)
        namespaceMutex.lock();
    else
        namespaceMutex.unlock();
}

} // namespace

void PrepareExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        // The XMP parser keeps global state that must be set up before two threads use it. An
        // editor's sidecar brings namespaces of its own (darktable's, Lightroom's crs:), which the
        // parser registers as it meets them: one thread at a time.
        Exiv2::XmpParser::initialize(LockNamespaces, nullptr);
        // A damaged file is an ordinary event here; Exiv2 would print a warning for each one.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        // Canon's CR3 files are boxes of the ISO base media format, which Exiv2 0.27 reads only
        // when asked to.
        Exiv2::enableBMFF(true);
    });
}

} // namespace pelldrake
