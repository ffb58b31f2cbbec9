#include "epg/event_texts.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace plimod {
namespace {

constexpr std::size_t kHeaderWords = kEventTextCount + 1;

std::size_t Index(EventText which) { return static_cast<std::size_t>(which); }

bool IsSearchForm(std::size_t index) {
  return index >= Index(EventText::kNormalizedTitle);
}

std::size_t TextOfSearchForm(std::size_t index) {
  return index - Index(EventText::kNormalizedTitle);
}

}  // namespace

EventTexts::EventTexts(const EventTexts& other) {
  if (other.block_ == nullptr) return;
  const std::size_t words = (other.BlockBytes() + 3) / 4;
  block_ = std::make_unique_for_overwrite<std::uint32_t[]>(words);
  std::memcpy(block_.get(), other.block_.get(), other.BlockBytes());
}

EventTexts& EventTexts::operator=(const EventTexts& other) {
  if (this != &other) *this = EventTexts(other);
  return *this;
}

std::size_t EventTexts::BlockBytes() const {
  if (block_ == nullptr) return 0;
  return kHeaderWords * 4 + header()->ends.back() * sizeof(char16_t);
}

std::u16string_view EventTexts::Get(EventText which) const {
  if (block_ == nullptr) return {};
  std::size_t index = Index(which);
  const Header* h = header();
  if (IsSearchForm(index) && (h->sameAsText >> TextOfSearchForm(index) & 1u) != 0) {
    index = TextOfSearchForm(index);
  }
  const auto* chars = reinterpret_cast<const char16_t*>(block_.get() + kHeaderWords);
  const std::uint32_t begin = index == 0 ? 0 : h->ends[index - 1];
  return {chars + begin, h->ends[index] - begin};
}

EventTextParts EventTexts::Parts() const {
  EventTextParts parts;
  if (block_ == nullptr) return parts;
  for (std::size_t i = 0; i < kEventTextCount; ++i) {
    parts.texts[i] = Get(static_cast<EventText>(i));
  }
  parts.sameAsText = static_cast<std::uint8_t>(header()->sameAsText);
  return parts;
}

void EventTexts::Set(EventText which, std::u16string_view text) {
  // The views point into the old block, which lives until Assign replaces it.
  EventTextParts parts = Parts();
  const std::size_t index = Index(which);
  // A search form that followed this text keeps the old text (the view
  // Parts() gave it), as a separately set search form would.
  const std::size_t form = IsSearchForm(index) ? TextOfSearchForm(index) : index;
  if (form < kSearchFormCount) {
    parts.sameAsText &= static_cast<std::uint8_t>(~(1u << form));
  }
  parts.texts[index] = text;
  Assign(parts);
}

void EventTexts::Assign(const EventTextParts& parts) {
  std::size_t total = 0;
  for (std::size_t i = 0; i < kEventTextCount; ++i) {
    const bool same = IsSearchForm(i) && (parts.sameAsText >> TextOfSearchForm(i) & 1u) != 0;
    if (!same) total += parts.texts[i].size();
  }
  if (total == 0) {  // every text empty, so every search form too
    block_.reset();
    return;
  }
  const std::size_t words = kHeaderWords + (total * sizeof(char16_t) + 3) / 4;
  auto block = std::make_unique_for_overwrite<std::uint32_t[]>(words);
  auto* h = reinterpret_cast<Header*>(block.get());
  auto* chars = reinterpret_cast<char16_t*>(block.get() + kHeaderWords);
  std::uint32_t end = 0;
  for (std::size_t i = 0; i < kEventTextCount; ++i) {
    const bool same = IsSearchForm(i) && (parts.sameAsText >> TextOfSearchForm(i) & 1u) != 0;
    if (!same) {
      std::copy(parts.texts[i].begin(), parts.texts[i].end(), chars + end);
      end += static_cast<std::uint32_t>(parts.texts[i].size());
    }
    h->ends[i] = end;
  }
  h->sameAsText = parts.sameAsText;
  block_ = std::move(block);
}

}  // namespace plimod
