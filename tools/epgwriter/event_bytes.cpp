#include "tools/epgwriter/event_bytes.h"

#include <algorithm>

#include "decoder/arib_string.h"

namespace epgwriter {
namespace {

constexpr size_t kMaxDescriptor = 255;
constexpr size_t kMaxExtendedDescriptors = 16;
constexpr size_t kExtendedItemRoom = kMaxDescriptor - 6;  // number, language, two lengths

void PutLanguage(Bytes& b) { b.insert(b.end(), {'j', 'p', 'n'}); }

void PutDescriptor(Bytes& out, uint8_t tag, const Bytes& payload) {
  out.push_back(tag);
  out.push_back(static_cast<uint8_t>(payload.size()));
  out.insert(out.end(), payload.begin(), payload.end());
}

bool PutShortEvent(const EventDescription& e, Bytes& out, std::string& error) {
  Bytes name = arib::Encode(e.title);
  Bytes text = arib::Encode(e.short_text);
  if (5 + name.size() + text.size() > kMaxDescriptor) {
    error = "title and short text of event " + std::to_string(e.event_id) + " are too long";
    return false;
  }
  Bytes d;
  PutLanguage(d);
  d.push_back(static_cast<uint8_t>(name.size()));
  d.insert(d.end(), name.begin(), name.end());
  d.push_back(static_cast<uint8_t>(text.size()));
  d.insert(d.end(), text.begin(), text.end());
  PutDescriptor(out, 0x4D, d);
  return true;
}

void PutContent(const EventDescription& e, Bytes& out) {
  Bytes d;
  for (uint32_t g : e.genres) {
    d.push_back(static_cast<uint8_t>((((g >> 24) & 0x0F) << 4) | ((g >> 16) & 0x0F)));
    d.push_back(static_cast<uint8_t>((((g >> 8) & 0x0F) << 4) | (g & 0x0F)));
  }
  PutDescriptor(out, 0x54, d);
}

void PutComponents(const EventDescription& e, Bytes& out) {
  if (e.video) {
    Bytes text = arib::Encode(e.video->text);
    text.resize(std::min(text.size(), kMaxDescriptor - 6));
    Bytes d{static_cast<uint8_t>(0xF0 | e.video->stream_content), e.video->component_type, 0x00};
    PutLanguage(d);
    d.insert(d.end(), text.begin(), text.end());
    PutDescriptor(out, 0x50, d);
  }
  if (e.audio) {
    Bytes text = arib::Encode(e.audio->text);
    text.resize(std::min(text.size(), kMaxDescriptor - 9));
    // tag 0x10, stream type 0x0F (AAC), no simulcast group, main component, 48 kHz
    Bytes d{static_cast<uint8_t>(0xF0 | e.audio->stream_content), e.audio->component_type,
            0x10, 0x0F, 0xFF, 0x7F};
    PutLanguage(d);
    d.insert(d.end(), text.begin(), text.end());
    PutDescriptor(out, 0xC4, d);
  }
}

// Extended items cut into descriptors. Item texts are split at whatever byte
// the descriptor fills up, as broadcasters do; the pieces after the first get
// an empty description.
struct ExtendedPacker {
  std::vector<Bytes> items_bytes;  // item loops of each descriptor

  Bytes& Current() {
    if (items_bytes.empty()) items_bytes.emplace_back();
    return items_bytes.back();
  }
  size_t Room() { return kExtendedItemRoom - Current().size(); }

  void AddItem(const Bytes& description, const Bytes& text) {
    if (Room() < description.size() + 3) items_bytes.emplace_back();
    size_t done = 0;
    bool first = true;
    do {
      if (!first && Room() < 3) items_bytes.emplace_back();
      size_t desc_size = first ? description.size() : 0;
      size_t chunk = std::min(text.size() - done, Room() - 2 - desc_size);
      Bytes& b = Current();
      b.push_back(static_cast<uint8_t>(desc_size));
      if (first) b.insert(b.end(), description.begin(), description.end());
      b.push_back(static_cast<uint8_t>(chunk));
      b.insert(b.end(), text.begin() + static_cast<std::ptrdiff_t>(done),
               text.begin() + static_cast<std::ptrdiff_t>(done + chunk));
      done += chunk;
      first = false;
    } while (done < text.size());
  }
};

bool PutExtended(const EventDescription& e, Bytes& out, std::string& error) {
  ExtendedPacker packer;
  for (const ExtendedItem& item : e.items) {
    Bytes description = arib::Encode(item.description);
    if (description.size() > kExtendedItemRoom - 3) {
      error = "item description too long in event " + std::to_string(e.event_id);
      return false;
    }
    packer.AddItem(description, arib::Encode(item.text));
  }
  size_t count = packer.items_bytes.size();
  if (count > kMaxExtendedDescriptors) {
    error = "extended text of event " + std::to_string(e.event_id) + " is too long";
    return false;
  }
  for (size_t i = 0; i < count; ++i) {
    Bytes d{static_cast<uint8_t>((i << 4) | (count - 1))};
    PutLanguage(d);
    d.push_back(static_cast<uint8_t>(packer.items_bytes[i].size()));
    d.insert(d.end(), packer.items_bytes[i].begin(), packer.items_bytes[i].end());
    d.push_back(0);  // no free text
    PutDescriptor(out, 0x4E, d);
  }
  return true;
}

bool PutDescriptors(const EventDescription& e, EventParts parts, Bytes& d, std::string& error) {
  if (parts != EventParts::kExtended) {
    if (!PutShortEvent(e, d, error)) return false;
    if (!e.genres.empty()) PutContent(e, d);
    PutComponents(e, d);
  }
  if (parts != EventParts::kBasic && !e.items.empty()) return PutExtended(e, d, error);
  return true;
}

}  // namespace

bool AppendEventEntry(const EventDescription& e, EventParts parts, Bytes& out,
                      std::string& error) {
  Bytes descriptors;
  if (!PutDescriptors(e, parts, descriptors, error)) return false;
  if (descriptors.size() > 0x0FFF) {
    error = "descriptors of event " + std::to_string(e.event_id) + " are too long";
    return false;
  }
  PutU16(out, e.event_id);
  if (e.start) {
    PutMjdTime(out, *e.start);
  } else {
    PutUndefinedTime(out);
  }
  if (e.duration_seconds) {
    PutBcdDuration(out, *e.duration_seconds);
  } else {
    out.insert(out.end(), 3, 0xFF);
  }
  uint32_t flags = (e.free_ca ? 0x1000u : 0u) | static_cast<uint32_t>(descriptors.size());
  PutU16(out, flags);  // running status 0 (undefined)
  out.insert(out.end(), descriptors.begin(), descriptors.end());
  return true;
}

}  // namespace epgwriter
