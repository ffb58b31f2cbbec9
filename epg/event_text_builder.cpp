#include "epg/event_text_builder.h"

#include "platform/text_codec.h"
#include "util/text_width.h"

namespace plimod {
namespace {

std::u16string_view Utf16Of(const char16_t* text) {
  return text == nullptr ? std::u16string_view() : std::u16string_view(text);
}

constexpr std::size_t Slot(EventText which) { return static_cast<std::size_t>(which); }

}  // namespace

void EventTextBuilder::Fill(const DecoderEventEntry& entry, EpgEvent& event) {
  EventTextParts parts;
  const std::array<const char16_t*, 3> sources = {entry.title, entry.short_text,
                                                  entry.extended_text};
  for (std::size_t i = 0; i < sources.size(); ++i) {
    std::u16string_view text = Utf16Of(sources[i]);
    if (halfWidth_) {
      stored_[i] = WideToUtf16(ToHalfWidthAlnum(Utf16ToWide(text)));
      text = stored_[i];
    }
    parts.texts[i] = text;
    FormOf(text, forms_[i]);
    if (forms_[i] == text) {
      parts.sameAsText |= static_cast<std::uint8_t>(1u << i);
    } else {
      parts.texts[Slot(EventText::kNormalizedTitle) + i] = forms_[i];
    }
  }
  parts.texts[Slot(EventText::kVideoText)] = Utf16Of(entry.video_text);
  parts.texts[Slot(EventText::kAudioText)] = Utf16Of(entry.audio_text);
  event.SetTexts(parts);
}

void EventTextBuilder::FormOf(std::u16string_view text, std::u16string& out) const {
  if (table_.Usable()) {
    table_.Form(text, out);
    return;
  }
  std::wstring form = NormalizedCopy(Utf16ToWide(text), normalizeList_);
  escapeSearchWord(form);
  out = WideToUtf16(form);
}

}  // namespace plimod
