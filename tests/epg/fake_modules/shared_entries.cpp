// The entry points both misbehaving decoder modules answer like a healthy
// module with no data; each module adds its own fault on top.
#include "decoder/epg_decoder_api.h"

extern "C" {
__attribute__((visibility("default"))) int32_t UnInitializeEP(int32_t) { return 1; }
__attribute__((visibility("default"))) int32_t AddTSPacketEP(int32_t, const uint8_t*, uint32_t) {
  return 1;
}
__attribute__((visibility("default"))) int32_t ClearEP(int32_t) { return 1; }
__attribute__((visibility("default"))) int32_t SetPFOnlyEP(int32_t, int32_t) { return 1; }
__attribute__((visibility("default"))) int32_t SetBasicModeEP(int32_t, int32_t) { return 1; }
__attribute__((visibility("default"))) int32_t GetServiceListDBEP(int32_t,
                                                                  const DecoderServiceEntry** list,
                                                                  uint32_t* count) {
  *list = nullptr;
  *count = 0;
  return 1;
}
}
