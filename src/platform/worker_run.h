#pragma once

#include "core/progress.h"

#include <functional>

namespace pelldrake {

// Runs work on a thread of its own while this thread goes on painting and answering: the window
// is never left waiting for it. Its reports reach shown at intervals, and a stop asked there
// reaches work through its own sink. The caller holds the lists still meanwhile (the board's run
// lock), since work reads them from the other thread.
void RunOffThread(ProgressSink* shown, const std::function<void(ProgressSink&)>& work);

// Runs task on the user-interface thread and waits for it to end: how the work of RunOffThread
// asks the user something (a missing file, an overwrite), its questions coming in the run's order
// while the window goes on answering. Called on the user-interface thread, or without an
// application, it runs task at once.
void OnUserInterfaceThread(const std::function<void()>& task);
// The same for a question to the user: the run's progress waits while it is open, so that a
// progress box does not come up over it and take the keys meant for it.
void AskOnUserInterfaceThread(const std::function<void()>& question);

} // namespace pelldrake
