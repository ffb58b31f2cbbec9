#pragma once
// The recording-folder alert: a thread that watches the recording folders
// and mails when a recording went wrong.

namespace plimod {

// Stops a running watcher, then starts it again when the settings ask.
void ConfigureEdcbAlert();
// Stops the watcher, waiting a bounded time. False when it was not running
// or did not end in time.
bool StopRecordingFolderWatch();

}  // namespace plimod
