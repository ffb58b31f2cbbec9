#pragma once
// The reservation list kept between pages. While the refresh worker runs
// (the program starts it), pages read the list as last loaded, and a list
// gone stale is loaded again on that worker: no page waits for the
// reservation server to show its marks. The list goes stale when this
// program changes a reservation (ReserveListChanged), when the text-file
// recorder's files change, and in the server mode, where other clients
// change reservations too, when it is a few seconds old. The worker never
// begins a load sooner after the end of its last one than that load took,
// so a slow server keeps at least half its time for the commands users
// ask for. Without the worker (single pages in tests, tools) every call
// that reads the list loads it, as each page did before.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "recorder/lists/reserve_lists.h"
#include "settings/ini_file.h"

namespace plimod {

// The list as last loaded; a stale one is refreshed on the worker and
// never waited for (empty before the first load ends).
ReserveSnapshot ReserveListAsLoaded(const IniFile& settings);

// For the pages that show the list itself: as ReserveListAsLoaded, but a
// list more than a few seconds old (in the text-file mode: one whose files
// changed) is loaded again and waited for, 2 s at most, and the first load
// since start is waited for (bounded), so another client's change shows.
ReserveSnapshot ReserveListToShow(const IniFile& settings);

// For a page about to change a reservation, which looks it up: the list as
// last loaded, never loaded on the caller (without the worker: whatever was
// last published), after the first load since start (waited for, bounded).
ReserveSnapshot ReserveListToChange(const IniFile& settings);

// The reservation server serves one client at a time, and a client that
// waits for it too long gives up: a series of commands that must not fail
// for the worker's load (the automatic reservation's adds) waits, at most
// `bound`, until the worker neither loads nor is about to.
void WaitForReserveListLoadEnd(std::chrono::milliseconds bound);

// "This program changed a reservation": call after every add, change or
// deletion sent to the recorder, whatever its outcome (a refused command
// may still have changed something). Starts a refresh at once.
void ReserveListChanged();

// A change this program made and the recorder took, shown without waiting
// for the whole list: in the server mode `change` is made in a copy of the
// list as last loaded and published at once, and made again on a load that
// began before it; the worker then loads the list for real. The text-file
// recorder's list is its own files, read again at once. Returns the lists
// that show the change; counts as ReserveListChanged.
using ReserveListPatch = std::function<void(ReserveLists& lists)>;
ReserveSnapshot ApplyOwnReserveChange(const IniFile& settings, ReserveListPatch change);

// The worker, started once with the settings it loads with (they must
// outlive it). Stop ends it within a few seconds whatever the server does.
bool StartReserveListRefresh(const IniFile& settings);
void StopReserveListRefresh();

// What a load read from: the recorder mode and, in the text-file mode, the
// path and the state of the files the list is made of.
struct ReserveSourceStamp {
  struct File {
    bool present = false;
    std::int64_t modifiedNs = 0;
    std::int64_t size = 0;
    std::uint64_t inode = 0;
    bool operator==(const File&) const = default;
  };
  bool server = false;
  std::wstring programTxt;
  std::array<File, 3> files{};  // Program.txt, RecInfo.txt, Reserve.txt
  bool operator==(const ReserveSourceStamp&) const = default;
};

// LoadReserveList brackets every load, whichever thread runs it, with these:
// End publishes the lists unless a load that began later already has, with
// this program's changes made since the load began, and returns what it
// published (the lists themselves when it did not). A load that failed
// (`loaded` false: the recorder could not be reached or read) publishes
// nothing once one has been published since start: the list as last loaded
// stays, and is returned; the first load since start publishes what it made
// all the same, so pages waiting for it go on.
struct ReserveListLoadTicket {
  std::uint64_t sequence = 0;
  std::uint64_t changes = 0;
  std::chrono::steady_clock::time_point begunAt;
  ReserveSourceStamp stamp;
};
[[nodiscard]] ReserveListLoadTicket BeginReserveListLoad(const IniFile& settings);
ReserveSnapshot EndReserveListLoad(const ReserveListLoadTicket& ticket, ReserveSnapshot lists, bool loaded = true);

// When the last load ended failing (the recorder could not be reached or its
// file read); nothing once a load has gone through since. The pages that
// show the list say so above it.
std::optional<std::chrono::steady_clock::time_point> ReserveListLoadFailedAt();

// Makes the kept list look `by` older (tests of what a reader gets after a
// quiet spell).
void AgeKeptReserveListForTesting(std::chrono::seconds by);

}  // namespace plimod
