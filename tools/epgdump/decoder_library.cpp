#include "tools/epgdump/decoder_library.h"

#include <dlfcn.h>

namespace {

template <typename F>
bool Bind(void* handle, const char* name, F& out, std::string& error) {
  out = reinterpret_cast<F>(dlsym(handle, name));
  if (out == nullptr) error = std::string("entry point missing: ") + name;
  return out != nullptr;
}

}  // namespace

DecoderLibrary::~DecoderLibrary() {
  if (handle_ != nullptr) dlclose(handle_);
}

bool DecoderLibrary::Load(const std::string& path, std::string& error) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* message = dlerror();
    error = message != nullptr ? message : "cannot load " + path;
    return false;
  }
  return Bind(handle_, "InitializeEP", initialize, error) &&
         Bind(handle_, "UnInitializeEP", uninitialize, error) &&
         Bind(handle_, "AddTSPacketEP", add_packet, error) &&
         Bind(handle_, "ClearEP", clear, error) &&
         Bind(handle_, "SetPFOnlyEP", set_pf_only, error) &&
         Bind(handle_, "SetBasicModeEP", set_basic_mode, error) &&
         Bind(handle_, "GetServiceListDBEP", get_services, error) &&
         Bind(handle_, "GetEpgDataListDBEP", get_events, error);
}
