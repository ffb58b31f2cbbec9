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
  // The items of every descriptor joined as raw bytes. Only the last item
  // ever grows, so all descriptions share one buffer and all texts another,
  // each item ending where the next begins.
  struct RawItems {
    struct End {
      size_t description;
      size_t text;
    };
    std::vector<uint8_t> descriptions;
    std::vector<uint8_t> texts;
    std::vector<End> ends;
    std::vector<uint8_t> free_text;

    void Clear() {
      descriptions.clear();
      texts.clear();
      ends.clear();
      free_text.clear();
    }
  };

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
  RawItems items_;  // kept from event to event, so its buffers are allocated once
};

}  // namespace epgdec
