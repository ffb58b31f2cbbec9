#pragma once
// The diagnostic log "lumo.log" in the program folder, written in code page
// 932. Any thread queues time-stamped entries; the main thread appends them
// to the file (FlushLogQueue) and keeps the file short. Whether logging is on
// is decided once, at the first LogWrite of the run, through the switch set
// with SetLogSwitch (the settings' SYSTEM/LOG); with no switch it is off.
//
// Format strings and %s arguments are UTF-8 (wide %ls arguments are fine
// under the UTF-8 locale set at start); each entry is converted to CP932 once
// when it is queued. Callers end their texts with "\n" themselves.

#include <cstddef>
#include <functional>
#include <string>

namespace plimod {

// Queues an entry and asks the main loop for a flush through the poster set
// with SetLogFlushPoster. Returns whether that request was posted: false
// when logging is off, and false while no poster is connected.
bool LogWrite(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Queues an entry; no flush request (used on the main thread itself, and by
// threads that leave the flush to the next request).
void LogWriteNoPost(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Appends every queued entry to the log file and trims the file (main
// thread). Entries stay queued when the file cannot be opened.
void FlushLogQueue();

// Answers whether logging is on; asked once, at the first LogWrite.
void SetLogSwitch(std::function<bool()> isOn);
// Posts the flush request to the main loop; returns whether it was posted.
// Until one is connected, LogWrite reports failure to post.
void SetLogFlushPoster(std::function<bool()> post);

// The path of the log file: empty until the first LogWrite decides.
std::wstring LogFilePath();

// Puts the process log back to its state at the start of a run: the next
// LogWrite decides again, in the program folder of that moment (tests).
void ResetLogForTesting();

}  // namespace plimod
