// A decoder module whose InitializeEP always fails (-1), to check that the
// binding then behaves as if it had no instance.
#include "decoder/epg_decoder_api.h"

extern "C" {
__attribute__((visibility("default"))) int32_t InitializeEP(int32_t) { return -1; }
__attribute__((visibility("default"))) int32_t GetEpgDataListDBEP(int32_t, uint32_t, uint32_t,
                                                                  uint32_t,
                                                                  const DecoderEventEntry** list,
                                                                  uint32_t* count) {
  *list = nullptr;
  *count = 0;
  return 1;
}
}
