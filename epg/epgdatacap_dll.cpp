#include "epg/epgdatacap_dll.h"

#include <dlfcn.h>

#include <utility>

#include "platform/message_box.h"

namespace plimod {
namespace {

void* OpenModule(const std::string& programDir) {
  if (!programDir.empty()) {
    std::string path = programDir;
    if (path.back() != '/') path += '/';
    path += kEpgDecoderFileName;
    if (void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return module;
  }
  return dlopen(kEpgDecoderFileName, RTLD_NOW | RTLD_LOCAL);
}

template <typename Func>
bool Resolve(void* module, const char* name, Func& out) {
  out = reinterpret_cast<Func>(dlsym(module, name));
  return out != nullptr;
}

}  // namespace

EpgDataCapDll::EpgDataCapDll(std::string programDir) : programDir_(std::move(programDir)) {}

EpgDataCapDll::~EpgDataCapDll() { Unload(); }

void EpgDataCapDll::ClearEntryPoints() {
  initialize_ = nullptr;
  uninitialize_ = nullptr;
  addTsPacket_ = nullptr;
  clear_ = nullptr;
  setPfOnly_ = nullptr;
  setBasicMode_ = nullptr;
  getServiceList_ = nullptr;
  getEpgDataList_ = nullptr;
}

// In the order the entry points are listed; stops at the first missing one.
bool EpgDataCapDll::ResolveEntryPoints() {
  return Resolve(module_, "InitializeEP", initialize_) &&
         Resolve(module_, "UnInitializeEP", uninitialize_) &&
         Resolve(module_, "AddTSPacketEP", addTsPacket_) &&
         Resolve(module_, "ClearEP", clear_) &&
         Resolve(module_, "SetPFOnlyEP", setPfOnly_) &&
         Resolve(module_, "SetBasicModeEP", setBasicMode_) &&
         Resolve(module_, "GetServiceListDBEP", getServiceList_) &&
         Resolve(module_, "GetEpgDataListDBEP", getEpgDataList_);
}

int EpgDataCapDll::Load() {
  if (module_ != nullptr) return 0;
  ClearEntryPoints();
  module_ = OpenModule(programDir_);
  if (module_ == nullptr) return 0;
  if (!ResolveEntryPoints()) {
    dlclose(module_);
    module_ = nullptr;
    ClearEntryPoints();
    ShowMessageBox(L"GetProcAddress に失敗しました", L"");
    return 0;
  }
  return 1;
}

int EpgDataCapDll::Initialize(std::int32_t argument) {
  if (Load() == 0) return kDllFailed;
  instance_ = initialize_(argument);
  return instance_ == -1 ? kDllFailed : kDllOk;
}

int EpgDataCapDll::UnInitialize() {
  if (module_ == nullptr) return kDllFailed;
  if (instance_ != -1) {
    uninitialize_(instance_);
    instance_ = -1;
  }
  // Unloading even after a failed start, so the next Initialize loads afresh.
  return Unload();
}

int EpgDataCapDll::Unload() {
  if (module_ != nullptr) {
    if (instance_ != -1) uninitialize_(instance_);
    dlclose(module_);
    instance_ = -1;
  }
  module_ = nullptr;
  ClearEntryPoints();
  return kDllOk;
}

int EpgDataCapDll::AddTSPacket(const std::uint8_t* data, std::uint32_t size) {
  if (!Ready()) return kDllFailed;
  return addTsPacket_(instance_, data, size);
}

int EpgDataCapDll::Clear() {
  if (!Ready()) return kDllFailed;
  clear_(instance_);
  return kDllOk;
}

int EpgDataCapDll::SetPFOnly(std::int32_t flag) {
  if (!Ready()) return kDllFailed;
  return setPfOnly_(instance_, flag);
}

int EpgDataCapDll::SetBasicMode(std::int32_t flag) {
  if (!Ready()) return kDllFailed;
  return setBasicMode_(instance_, flag);
}

int EpgDataCapDll::GetServiceListDB(const DecoderServiceEntry** list, std::uint32_t* count) {
  *list = nullptr;
  *count = 0;
  if (!Ready()) return kDllFailed;
  const int result = getServiceList_(instance_, list, count);
  if (*list == nullptr) *count = 0;
  return result;
}

int EpgDataCapDll::GetEpgDataListDB(std::uint16_t onid, std::uint16_t tsid, std::uint16_t sid,
                                    const DecoderEventEntry** list, std::uint32_t* count) {
  *list = nullptr;
  *count = 0;
  if (!Ready()) return 0;
  const int result = getEpgDataList_(instance_, onid, tsid, sid, list, count);
  if (*list == nullptr) *count = 0;
  return result;
}

}  // namespace plimod
