#include "epg/event_texts.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace plimod {
namespace {

std::size_t Index(EventText which) { return static_cast<std::size_t>(which); }

bool IsSearchForm(std::size_t index) {
  return index >= Index(EventText::kNormalizedTitle);
}

std::size_t TextOfSearchForm(std::size_t index) {
  return index - Index(EventText::kNormalizedTitle);
}

}  // namespace

EventTexts::EventTexts(const EventTexts& other) noexcept : block_(other.block_) {
  if (block_ != nullptr) block_->holders.fetch_add(1, std::memory_order_relaxed);
}

EventTexts& EventTexts::operator=(const EventTexts& other) noexcept {
  if (other.block_ != nullptr) other.block_->holders.fetch_add(1, std::memory_order_relaxed);
  Release();
  block_ = other.block_;
  return *this;
}

EventTexts& EventTexts::operator=(EventTexts&& other) noexcept {
  if (this != &other) {
    Release();
    block_ = std::exchange(other.block_, nullptr);
  }
  return *this;
}

void EventTexts::Release() noexcept {
  if (block_ == nullptr) return;
  if (block_->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    block_->~Header();
    ::operator delete(block_);
  }
  block_ = nullptr;
}

std::size_t EventTexts::BlockBytes() const {
  if (block_ == nullptr) return 0;
  return sizeof(Header) + block_->ends.back() * sizeof(char16_t);
}

std::u16string_view EventTexts::Get(EventText which) const {
  if (block_ == nullptr) return {};
  std::size_t index = Index(which);
  const Header* h = header();
  if (IsSearchForm(index) && (h->sameAsText >> TextOfSearchForm(index) & 1u) != 0) {
    index = TextOfSearchForm(index);
  }
  const auto* chars = reinterpret_cast<const char16_t*>(h + 1);
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
    Release();
    return;
  }
  // The parts may be views of the old block: it is let go only at the end.
  auto* h = new (::operator new(sizeof(Header) + total * sizeof(char16_t))) Header{};
  h->holders.store(1, std::memory_order_relaxed);
  auto* chars = reinterpret_cast<char16_t*>(h + 1);
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
  Release();
  block_ = h;
}

}  // namespace plimod
