#include "decoder/module/instance_registry.h"

#include <limits>
#include <new>

namespace epgdec {

int32_t InstanceRegistry::Create() {
  std::shared_ptr<DecoderSlot> slot(new (std::nothrow) DecoderSlot);
  if (!slot) return -1;
  std::lock_guard<std::mutex> lock(mutex_);
  if (next_id_ == std::numeric_limits<int32_t>::max()) return -1;
  int32_t id = next_id_++;
  slots_.emplace(id, std::move(slot));
  return id;
}

bool InstanceRegistry::Destroy(int32_t id) {
  std::shared_ptr<DecoderSlot> slot;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = slots_.find(id);
    if (found == slots_.end()) return false;
    slot = std::move(found->second);
    slots_.erase(found);
  }
  return true;  // the instance is freed here, or by the last caller still using it
}

std::shared_ptr<DecoderSlot> InstanceRegistry::Find(int32_t id) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = slots_.find(id);
  return found == slots_.end() ? nullptr : found->second;
}

InstanceRegistry& Registry() {
  static InstanceRegistry registry;
  return registry;
}

}  // namespace epgdec
