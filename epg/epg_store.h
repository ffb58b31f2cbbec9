#pragma once
// The EPG store: every service and event found in the EPG data files. It
// feeds the files' packets to the decoder module and copies the decoder's
// lists into its maps. The rest of the program reads the maps through
// EpgEventIndex and ServiceMap (epg/epg_index.h).

#include <cstdint>
#include <string>
#include <vector>

#include "epg/epg_event.h"
#include "epg/epgdatacap_dll.h"

namespace plimod {

class EventTextBuilder;

class EpgStore {
 public:
  // Loads the decoder from `programDir` first (ProgramDir() by default).
  EpgStore();
  explicit EpgStore(std::string programDir);
  ~EpgStore();
  EpgStore(const EpgStore&) = delete;
  EpgStore& operator=(const EpgStore&) = delete;

  // Feeds the packets of one "*_epg.dat" file to the decoder: 1 when the
  // whole file was read, 0 for an empty path or a file that cannot be read.
  int LoadEpgFile(const std::wstring& path);
  // The same for a file-system (UTF-8 or raw byte) path.
  int LoadEpgFileNative(const std::string& nativePath);
  // Copies what the decoder holds into the maps (holding EpgDataLock()
  // exclusively), then resets the decoder. `normalizeList` is the user's
  // normalise list (full-width lower-case); `halfWidth` stores texts with
  // ASCII letters and digits. 0 when the service list cannot be had, else 1.
  int ImportFromDll(const std::wstring& normalizeList, bool halfWidth);
  // Unloads and reloads the decoder so it starts empty; the result of the reload.
  int ResetDll();

  const EpgServiceMap& Services() const { return services_; }
  EpgEventMap& Events() { return events_; }
  const EpgEventMap& Events() const { return events_; }
  EpgDataCapDll& Dll() { return dll_; }

 private:
  struct FetchedService;
  FetchedService FetchService(const EpgService& service, EventTextBuilder& texts,
                              bool& invalidStartLogged);
  void MergeService(FetchedService& fetched);

  EpgServiceMap services_;
  EpgEventMap events_;
  EpgDataCapDll dll_;
};

}  // namespace plimod
