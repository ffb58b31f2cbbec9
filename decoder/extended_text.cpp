#include "decoder/extended_text.h"

#include <algorithm>

#include "decoder/arib_string.h"

namespace epgdec {
namespace {

struct RawItem {
  std::vector<uint8_t> description;
  std::vector<uint8_t> text;
};

void Append(std::vector<uint8_t>& to, const uint8_t* data, size_t size) {
  to.insert(to.end(), data, data + size);
}

// Reads the item loop and the free text of one descriptor payload.
void ReadItems(const std::vector<uint8_t>& d, std::vector<RawItem>& items,
               std::vector<uint8_t>& free_text) {
  if (d.size() < 5) return;
  size_t items_end = std::min(d.size(), size_t{5} + d[4]);
  size_t pos = 5;
  while (pos < items_end) {
    size_t description_length = d[pos];
    if (pos + 1 + description_length + 1 > items_end) return;
    const uint8_t* description = d.data() + pos + 1;
    pos += 1 + description_length;
    size_t text_length = d[pos];
    if (pos + 1 + text_length > items_end) return;
    if (description_length > 0 || items.empty()) items.emplace_back();
    Append(items.back().description, description, description_length);
    Append(items.back().text, d.data() + pos + 1, text_length);
    pos += 1 + text_length;
  }
  if (items_end < d.size()) {
    size_t text_length = d[items_end];
    if (items_end + 1 + text_length <= d.size()) {
      Append(free_text, d.data() + items_end + 1, text_length);
    }
  }
}

void AppendDecoded(const std::vector<uint8_t>& raw, std::u16string& out) {
  arib::DecodeAppend(raw.data(), raw.size(), out);
  out += u"\r\n";
}

}  // namespace

void ExtendedTextBuilder::AddDescriptor(const uint8_t* payload, size_t size) {
  if (size < 1) return;
  parts_.push_back(Part{payload[0] >> 4, std::vector<uint8_t>(payload, payload + size)});
}

std::u16string ExtendedTextBuilder::Build() {
  std::stable_sort(parts_.begin(), parts_.end(),
                   [](const Part& a, const Part& b) { return a.number < b.number; });
  std::vector<RawItem> items;
  std::vector<uint8_t> free_text;
  for (const Part& part : parts_) ReadItems(part.payload, items, free_text);
  std::u16string out;
  for (const RawItem& item : items) {
    AppendDecoded(item.description, out);
    AppendDecoded(item.text, out);
  }
  if (!free_text.empty()) AppendDecoded(free_text, out);
  return out;
}

}  // namespace epgdec
