#pragma once
// Client of a network remote-control server (a TV viewer or recorder that
// takes text commands on TCP): switches its BonDrivers until one offers a
// service of the wanted name and selects that service.
//
// Requests are plain text without a line end: "GetBonList", "SetBon:%d",
// "GetServiceList2", "SetService2:%d". A list reply is TAB-separated:
// result, current index, then id and name pairs; a number reply is read like
// atoi. Names are code page 932 bytes and compared byte for byte.
//
// One connection for the whole program, used by the request worker only.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plimod {

struct RemoteListEntry {
  std::string name;  // at most 63 bytes
  std::int32_t id = 0;
};

// A reply keeps at most this many bytes less one.
inline constexpr std::size_t kRemoteReplySize = 4096;
inline constexpr std::chrono::milliseconds kRemoteConnectTimeout{3000};
// How long a reply's first bytes may take.
inline constexpr std::chrono::milliseconds kRemoteReceiveTimeout{10000};

// 1 when it opened a new connection to the stored address; 0 when one was
// open already, or when it failed (no connection is left then).
int RemoteConnect();
// Closes the connection when there is one; 1.
int RemoteDisconnect();
// Sends `request` (connecting first when needed) and collects the reply.
// 1 when a non-empty reply arrived; else 0 and the connection is closed.
int RemoteTransact(std::string_view request, std::string& reply);

// The reply's result number, or -1 when it lacks its two leading TABs.
// `current` is left alone when the reply says -1.
int ParseRemoteList(std::string_view reply, std::vector<RemoteListEntry>& entries, int& current);

// The reply's result (ParseRemoteList), or -1 without a connection or reply.
int RemoteGetBonList(std::vector<RemoteListEntry>& entries, int& current);
int RemoteGetServiceList2(std::vector<RemoteListEntry>& entries, int& current);
// The reply's number, or -1 without a connection or reply.
int RemoteSetBon(int id);
int RemoteSetService2(int id);

// Connects to `host` (dotted IPv4, no name look-up) and `port`, then visits
// every BonDriver once from the server's current one, switching to each one
// it is not on; with `search`, selects the first service named exactly
// `name` (code page 932) and returns true. The server stays on the last
// BonDriver visited when the service is nowhere.
bool TuneRemoteToService(const std::string& name, const std::string& host, const std::string& port, bool search);

// Replaces the connect and receive bounds (tests).
void SetRemoteTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds receive);

}  // namespace plimod
