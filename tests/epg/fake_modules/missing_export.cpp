// A decoder module that lacks GetEpgDataListDBEP, to check that the binding
// refuses a module without every entry point.
#include "decoder/epg_decoder_api.h"

extern "C" {
__attribute__((visibility("default"))) int32_t InitializeEP(int32_t) { return 1; }
}
