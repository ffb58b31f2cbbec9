#include "epg/epg_event.h"

#include "platform/text_codec.h"

namespace plimod {

std::wstring EpgEvent::Wide(EventText which) const { return Utf16ToWide(texts_.Get(which)); }

void EpgEvent::SetWide(EventText which, std::wstring_view text) {
  texts_.Set(which, WideToUtf16(text));
}

}  // namespace plimod
