#include "recorder/lists/reserve_entry.h"

#include "platform/text_codec.h"
#include "util/keys.h"

namespace plimod {

std::uint64_t ReserveEntry::ProgramKey() const { return plimod::ProgramKey(eventId, serviceKey); }

std::string CutCp932(std::string text, std::size_t maxBytes) {
  text.resize(Cp932CutPoint(text, maxBytes));
  return text;
}

}  // namespace plimod
