#pragma once
// Joins the items of an event's extended event descriptors into one text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace epgdec {

// Collects extended event descriptors (payload after tag and length) of one
// event. Items are joined as raw bytes before decoding, because broadcasters
// split an item's text between descriptors anywhere, even inside a character
// or an escape sequence; an item with an empty description continues the
// previous one. The payloads are not copied: they must stay in place until
// Build().
class ExtendedTextBuilder {
 public:
  void AddDescriptor(const uint8_t* payload, size_t size);
  bool empty() const { return parts_.empty(); }
  // Forgets the descriptors, for the next event.
  void Clear() { parts_.clear(); }
  // Appends "description\r\ntext\r\n" per item, then the free text (if any)
  // and "\r\n", to `out`.
  void BuildAppend(std::u16string& out);

 private:
  struct Part {
    int number;
    const uint8_t* payload;
    size_t size;
  };
  std::vector<Part> parts_;
};

}  // namespace epgdec
