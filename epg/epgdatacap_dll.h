#pragma once
// Binding to the EPG decoder module EpgDataCap2.so, loaded at run time.
// Every wrapper gives 1 for success and 10 for failure unless noted, so a
// missing module makes the program run with an empty guide instead of failing.

#include <cstdint>
#include <string>

#include "decoder/epg_decoder_api.h"

namespace plimod {

inline constexpr char kEpgDecoderFileName[] = "EpgDataCap2.so";
inline constexpr int kDllOk = 1;
inline constexpr int kDllFailed = 10;

class EpgDataCapDll {
 public:
  // `programDir` (with a trailing "/") is searched first; then the bare file
  // name goes through the dynamic loader's search path.
  explicit EpgDataCapDll(std::string programDir);
  ~EpgDataCapDll();
  EpgDataCapDll(const EpgDataCapDll&) = delete;
  EpgDataCapDll& operator=(const EpgDataCapDll&) = delete;

  // 1 when loaded with every entry point; 0 when already loaded, when the
  // module cannot be found, or when an entry point is missing (with a message).
  int Load();
  // Loads, then starts a decoder instance.
  int Initialize(std::int32_t argument);
  // Ends the instance and unloads the module.
  int UnInitialize();
  int Unload();

  int AddTSPacket(const std::uint8_t* data, std::uint32_t size);
  int Clear();
  int SetPFOnly(std::int32_t flag);
  int SetBasicMode(std::int32_t flag);
  // `list` and `count` are always set (null and 0 on failure). Nonzero is success.
  int GetServiceListDB(const DecoderServiceEntry** list, std::uint32_t* count);
  // Exactly 1 is success; 0 when no instance. `list` and `count` are always set.
  int GetEpgDataListDB(std::uint16_t onid, std::uint16_t tsid, std::uint16_t sid,
                       const DecoderEventEntry** list, std::uint32_t* count);

  bool IsLoaded() const { return module_ != nullptr; }
  std::int32_t Instance() const { return instance_; }

 private:
  bool Ready() const { return module_ != nullptr && instance_ != -1; }
  void ClearEntryPoints();
  bool ResolveEntryPoints();

  std::string programDir_;
  void* module_ = nullptr;
  std::int32_t instance_ = -1;
  InitializeEPFunc initialize_ = nullptr;
  UnInitializeEPFunc uninitialize_ = nullptr;
  AddTSPacketEPFunc addTsPacket_ = nullptr;
  ClearEPFunc clear_ = nullptr;
  SetPFOnlyEPFunc setPfOnly_ = nullptr;
  SetBasicModeEPFunc setBasicMode_ = nullptr;
  GetServiceListDBEPFunc getServiceList_ = nullptr;
  GetEpgDataListDBEPFunc getEpgDataList_ = nullptr;
};

}  // namespace plimod
