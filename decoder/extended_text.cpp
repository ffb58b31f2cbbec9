#include "decoder/extended_text.h"

#include <algorithm>

#include "decoder/arib_string.h"

namespace epgdec {
namespace {

using RawItems = ExtendedTextBuilder::RawItems;

void Append(std::vector<uint8_t>& to, const uint8_t* data, size_t size) {
  to.insert(to.end(), data, data + size);
}

// Reads the item loop and the free text of one descriptor payload.
void ReadItems(const uint8_t* d, size_t size, RawItems& items) {
  if (size < 5) return;
  size_t items_end = std::min(size, size_t{5} + d[4]);
  size_t pos = 5;
  while (pos < items_end) {
    size_t description_length = d[pos];
    if (pos + 1 + description_length + 1 > items_end) return;
    const uint8_t* description = d + pos + 1;
    pos += 1 + description_length;
    size_t text_length = d[pos];
    if (pos + 1 + text_length > items_end) return;
    if (description_length > 0 || items.ends.empty()) items.ends.push_back({});
    Append(items.descriptions, description, description_length);
    Append(items.texts, d + pos + 1, text_length);
    items.ends.back() = {items.descriptions.size(), items.texts.size()};
    pos += 1 + text_length;
  }
  if (items_end < size) {
    size_t text_length = d[items_end];
    if (items_end + 1 + text_length <= size) {
      Append(items.free_text, d + items_end + 1, text_length);
    }
  }
}

void AppendDecoded(const std::vector<uint8_t>& raw, size_t begin, size_t end,
                   std::u16string& out) {
  arib::DecodeAppend(raw.data() + begin, end - begin, out);
  out += u"\r\n";
}

}  // namespace

void ExtendedTextBuilder::AddDescriptor(const uint8_t* payload, size_t size) {
  if (size < 1) return;
  parts_.push_back(Part{payload[0] >> 4, payload, size});
}

void ExtendedTextBuilder::BuildAppend(std::u16string& out) {
  // Descriptors nearly always come in order; a stable insertion sort keeps
  // the rare others in the order of their numbers without allocating.
  for (size_t i = 1; i < parts_.size(); ++i) {
    for (size_t j = i; j > 0 && parts_[j - 1].number > parts_[j].number; --j) {
      std::swap(parts_[j - 1], parts_[j]);
    }
  }
  RawItems& items = items_;
  items.Clear();
  for (const Part& part : parts_) ReadItems(part.payload, part.size, items);
  RawItems::End begin{0, 0};
  for (const RawItems::End& end : items.ends) {
    AppendDecoded(items.descriptions, begin.description, end.description, out);
    AppendDecoded(items.texts, begin.text, end.text, out);
    begin = end;
  }
  if (!items.free_text.empty()) AppendDecoded(items.free_text, 0, items.free_text.size(), out);
}

}  // namespace epgdec
