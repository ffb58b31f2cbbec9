// The C entry points of EpgDataCap2.so. Each one maps the instance id to its
// decoder; nothing here throws across the C boundary.

#include <exception>

#include "decoder/epg_decoder_api.h"
#include "decoder/module/instance_registry.h"

#define EPG_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int32_t kFailure = 0;
constexpr int32_t kSuccess = 1;

// Runs `action` on the instance under its lock; kFailure for an unknown id
// or when the action fails by running out of memory.
template <typename Action>
int32_t WithDecoder(int32_t id, Action action) {
  std::shared_ptr<epgdec::DecoderSlot> slot = epgdec::Registry().Find(id);
  if (!slot) return kFailure;
  std::lock_guard<std::mutex> lock(slot->mutex);
  try {
    return action(slot->decoder);
  } catch (const std::exception&) {
    return kFailure;
  }
}

}  // namespace

EPG_EXPORT int32_t InitializeEP(int32_t /*reserved*/) {
  try {
    return epgdec::Registry().Create();
  } catch (const std::exception&) {
    return -1;
  }
}

EPG_EXPORT int32_t UnInitializeEP(int32_t id) {
  return epgdec::Registry().Destroy(id) ? kSuccess : kFailure;
}

EPG_EXPORT int32_t AddTSPacketEP(int32_t id, const uint8_t* packet, uint32_t size) {
  return WithDecoder(id, [&](epgdec::EpgDecoder& d) {
    return d.AddPacket(packet, size) ? kSuccess : kFailure;
  });
}

EPG_EXPORT int32_t ClearEP(int32_t id) {
  return WithDecoder(id, [](epgdec::EpgDecoder& d) {
    d.Clear();
    return kSuccess;
  });
}

EPG_EXPORT int32_t SetPFOnlyEP(int32_t id, int32_t pf_only) {
  return WithDecoder(id, [&](epgdec::EpgDecoder& d) {
    d.SetPfOnly(pf_only != 0);
    return kSuccess;
  });
}

EPG_EXPORT int32_t SetBasicModeEP(int32_t id, int32_t basic) {
  return WithDecoder(id, [&](epgdec::EpgDecoder& d) {
    d.SetBasicMode(basic != 0);
    return kSuccess;
  });
}

EPG_EXPORT int32_t GetServiceListDBEP(int32_t id, const DecoderServiceEntry** list,
                                      uint32_t* count) {
  if (list == nullptr || count == nullptr) return kFailure;
  *list = nullptr;
  *count = 0;
  return WithDecoder(id, [&](epgdec::EpgDecoder& d) {
    const std::vector<DecoderServiceEntry>& services = d.ServiceList();
    *list = services.empty() ? nullptr : services.data();
    *count = static_cast<uint32_t>(services.size());
    return kSuccess;
  });
}

EPG_EXPORT int32_t GetEpgDataListDBEP(int32_t id, uint32_t original_network_id,
                                      uint32_t transport_stream_id, uint32_t service_id,
                                      const DecoderEventEntry** list, uint32_t* count) {
  if (list == nullptr || count == nullptr) return kFailure;
  *list = nullptr;
  *count = 0;
  return WithDecoder(id, [&](epgdec::EpgDecoder& d) {
    const std::vector<DecoderEventEntry>* events =
        d.EventList(static_cast<uint16_t>(original_network_id),
                    static_cast<uint16_t>(transport_stream_id), static_cast<uint16_t>(service_id));
    if (events == nullptr) return kFailure;
    *list = events->empty() ? nullptr : events->data();
    *count = static_cast<uint32_t>(events->size());
    return kSuccess;
  });
}
