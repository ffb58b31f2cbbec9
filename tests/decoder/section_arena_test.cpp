// The arena the decoder keeps section contents in: copies keep their bytes
// and alignment however the blocks fill, and Clear leaves it usable.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "decoder/section_arena.h"
#include "decoder/si_records.h"

namespace {

using epgdec::SectionArena;

struct Copied {
  std::u16string text;
  std::vector<uint32_t> genres;
  std::vector<epgdec::EventRecord> events;
  std::u16string_view text_copy;
  std::span<uint32_t> genres_copy;
  std::span<epgdec::EventRecord> events_copy;
};

// Sections of random sizes, odd text lengths so later copies start unaligned,
// and now and then one larger than a block's quarter or a whole block.
std::vector<Copied> FillArena(SectionArena& arena, int count, std::mt19937& random) {
  std::vector<Copied> copied(count);
  for (Copied& c : copied) {
    const size_t big = random() % 2 == 0 ? 40000 : 140000;
    const size_t units = random() % 10 == 0 ? big + random() % 1000 : random() % 3000 + 1;
    for (size_t i = 0; i < units; ++i) c.text.push_back(static_cast<char16_t>(random()));
    for (size_t i = random() % 7; i > 0; --i) c.genres.push_back(static_cast<uint32_t>(random()));
    for (size_t i = random() % 9; i > 0; --i) {
      epgdec::EventRecord& record = c.events.emplace_back();
      record.event_id = static_cast<uint16_t>(random());
      record.duration_seconds = static_cast<uint32_t>(random());
      record.title = {static_cast<uint32_t>(random()), static_cast<uint32_t>(random())};
    }
    c.text_copy = arena.Copy(std::u16string_view(c.text));
    c.genres_copy = arena.Copy(std::span<const uint32_t>(c.genres));
    c.events_copy = arena.Copy(std::span<const epgdec::EventRecord>(c.events));
  }
  return copied;
}

void ExpectIntact(const std::vector<Copied>& copied) {
  for (const Copied& c : copied) {
    EXPECT_EQ(c.text_copy, c.text);
    ASSERT_EQ(c.genres_copy.size(), c.genres.size());
    EXPECT_TRUE(std::equal(c.genres.begin(), c.genres.end(), c.genres_copy.begin()));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(c.genres_copy.data()) % alignof(uint32_t), 0u);
    ASSERT_EQ(c.events_copy.size(), c.events.size());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(c.events_copy.data()) % alignof(epgdec::EventRecord),
              0u);
    for (size_t i = 0; i < c.events.size(); ++i) {
      EXPECT_EQ(c.events_copy[i].event_id, c.events[i].event_id);
      EXPECT_EQ(c.events_copy[i].duration_seconds, c.events[i].duration_seconds);
      EXPECT_EQ(c.events_copy[i].title.length, c.events[i].title.length);
    }
  }
}

TEST(SectionArena, CopiesKeepTheirContentsAndAlignmentAcrossManyBlocksAndAfterClear) {
  std::mt19937 random(17);
  SectionArena arena;
  const std::vector<Copied> first = FillArena(arena, 600, random);
  ExpectIntact(first);
  arena.Clear();
  const std::vector<Copied> second = FillArena(arena, 300, random);
  ExpectIntact(second);
  EXPECT_TRUE(arena.Copy(std::u16string_view()).empty());
}

}  // namespace
