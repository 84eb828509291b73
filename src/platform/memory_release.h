#pragma once

namespace pelldrake {

// Makes freed picture buffers go back to the system at once. A decoded picture is megabytes; the
// C library would otherwise keep freed ones in its arenas, where resident memory grows far past
// what the image cache holds. Call once at start, before any thread is made.
void ReturnLargeBuffersToSystem();

} // namespace pelldrake
