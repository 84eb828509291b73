#pragma once

namespace pelldrake {

// Sets Exiv2 up for use on several threads at once; every use of Exiv2, whatever reads with it,
// calls it first, so that its one-time set-up runs exactly once.
void PrepareExiv2();

} // namespace pelldrake
