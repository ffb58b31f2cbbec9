#pragma once
// The decoder instances of the module, by id. Calls on different instances
// may come from different threads; calls on one instance are serialised.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "decoder/epg_decoder.h"

namespace epgdec {

struct DecoderSlot {
  std::mutex mutex;
  EpgDecoder decoder;
};

class InstanceRegistry {
 public:
  int32_t Create();
  bool Destroy(int32_t id);
  // Null for an unknown id. The slot stays alive while the caller holds it,
  // even when another thread destroys the instance meanwhile.
  std::shared_ptr<DecoderSlot> Find(int32_t id);

 private:
  std::mutex mutex_;
  std::map<int32_t, std::shared_ptr<DecoderSlot>> slots_;
  int32_t next_id_ = 1;
};

// The module's one registry.
InstanceRegistry& Registry();

}  // namespace epgdec
