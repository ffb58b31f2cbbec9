#pragma once
// Builds the texts and search forms of the import's events in buffers reused
// from one event to the next; each event gets them in one block. Texts come
// straight from the decoder's UTF-16, folded through one lookup table.

#include <array>
#include <string>
#include <string_view>

#include "decoder/epg_decoder_api.h"
#include "epg/epg_event.h"
#include "util/text_normalize.h"

namespace plimod {

class EventTextBuilder {
 public:
  // `normalizeList` is the user's list; `halfWidth` stores texts with ASCII
  // letters and digits. The list must outlive the builder.
  EventTextBuilder(const std::wstring& normalizeList, bool halfWidth)
      : normalizeList_(normalizeList), halfWidth_(halfWidth), table_(normalizeList) {}

  void Fill(const DecoderEventEntry& entry, EpgEvent& event);

 private:
  void FormOf(std::u16string_view text, std::u16string& out) const;

  const std::wstring& normalizeList_;
  bool halfWidth_;
  SearchFormTable table_;
  std::array<std::u16string, 3> stored_;
  std::array<std::u16string, 3> forms_;
};

}  // namespace plimod
