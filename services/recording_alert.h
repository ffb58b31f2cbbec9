#pragma once
// The recording alert: a thread that watches the folder of the recorder's
// reservation text and up to 15 recording folders ([EDCB_RECDIR]), and
// mails [EDCB_ALERT] EMAIL when the recorder writes an abnormal result
// comment or leaves a ".ts.err" file with 10 or more dropped packets.
//
// The thread keeps its folder watches for its whole life, so changes made
// while it reads or mails are seen at its next wake-up. What it remembers
// (comments, reported files) survives restarts within one run; comments
// already there when the first watcher of the run starts are not mailed.

#include <chrono>

#include "settings/ini_file.h"

namespace plimod {

inline constexpr int kMaxRecordingFolders = 15;

// Stops a running watcher; then, when [EDCB_ALERT] ENABLE is not 0 and the
// mail program exists, starts it again. `settings` must outlive the watcher.
void ConfigureEdcbAlert(const IniFile& settings);
void ConfigureEdcbAlert();  // with Settings()

// False when a watcher is already running.
bool StartRecordingFolderWatch(const IniFile& settings);
// Stops the watcher, waiting up to 49 x 100 ms (a thread still mailing is
// left to end on its own). False when it was not running or did not end in
// time.
bool StopRecordingFolderWatch();
bool RecordingFolderWatchRunning();

// The pause after a wake-up before the changes are read (100 ms), and the
// pause after reading before the mail goes (1000 ms); tests shorten them.
void SetRecordingWatchPauses(std::chrono::milliseconds settle, std::chrono::milliseconds afterRead);
// Forgets the comments and reported files of the run (tests).
void ResetRecordingResultsForTesting();

}  // namespace plimod
