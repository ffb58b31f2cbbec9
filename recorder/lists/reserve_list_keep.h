#pragma once
// The reservation list kept between pages. While the refresh worker runs
// (the program starts it), pages read the list as last loaded, and a list
// gone stale is loaded again on that worker: no page waits for the
// reservation server to show its marks. The list goes stale when this
// program changes a reservation (ReserveListChanged), when the text-file
// recorder's files change, and in the server mode, where other clients
// change reservations too, when it is a few seconds old. Without the worker
// (single pages in tests, tools) every call loads the list, as each page
// did before.

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "recorder/lists/reserve_lists.h"
#include "settings/ini_file.h"

namespace plimod {

// The list as last loaded; a stale one is refreshed on the worker. While
// the worker runs it waits only just after this program changed a
// reservation, and then 2 s at most for the list that shows the change
// (empty before the first load ends).
ReserveSnapshot ReserveListAsLoaded(const IniFile& settings);

// For the pages that show the list itself: as ReserveListAsLoaded, but
// waits (bounded) for a load when none has ended since start or since this
// program last changed a reservation, so a change shows at once.
ReserveSnapshot ReserveListToShow(const IniFile& settings);

// The reservation server serves one client at a time, and a client that
// waits for it too long gives up: a series of commands that must not fail
// for the worker's load (the automatic reservation's adds) waits, at most
// `bound`, until the worker neither loads nor is asked to.
void WaitForReserveListLoadEnd(std::chrono::milliseconds bound);

// "This program changed a reservation": call after every add, change or
// deletion sent to the recorder, whatever its outcome (a refused command
// may still have changed something). Starts a refresh at once.
void ReserveListChanged();

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
// End publishes the lists unless a load that began later already has.
struct ReserveListLoadTicket {
  std::uint64_t sequence = 0;
  std::uint64_t changes = 0;
  ReserveSourceStamp stamp;
};
[[nodiscard]] ReserveListLoadTicket BeginReserveListLoad(const IniFile& settings);
void EndReserveListLoad(const ReserveListLoadTicket& ticket, ReserveSnapshot lists);

}  // namespace plimod
