// The compact text block behind EpgEvent's accessors.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "epg/epg_event.h"

namespace plimod {
namespace {

EventTextParts SampleParts() {
  EventTextParts parts;
  parts.texts = {u"ＡＢＣ　ニュース", u"今日の話題", u"詳細\r\n\U0001F600あり", u"映像",
                 u"音声",             u"ａｂｃ+ニュース", u"",        u""};
  parts.sameAsText = 0b110;  // short and extended texts are their own search forms
  return parts;
}

TEST(EventTexts, EveryTextComesBackFromOneBlockAndCopiesAreDeep) {
  EpgEvent event;
  event.SetTexts(SampleParts());
  EXPECT_EQ(event.Title(), L"ＡＢＣ　ニュース");
  EXPECT_EQ(event.ShortText(), L"今日の話題");
  EXPECT_EQ(event.ExtendedText(), L"詳細\r\n\U0001F600あり") << "a pair is one character";
  EXPECT_EQ(event.VideoText(), L"映像");
  EXPECT_EQ(event.AudioText(), L"音声");
  EXPECT_EQ(event.NormalizedTitle(), L"ａｂｃ+ニュース");
  EXPECT_EQ(event.NormalizedShortText(), L"今日の話題");
  EXPECT_EQ(event.Text(EventText::kNormalizedExtendedText).data(),
            event.Text(EventText::kExtendedText).data())
      << "a search form equal to its text is not stored twice";

  EpgEvent copy = event;
  event.SetTitle(L"変更");
  EXPECT_EQ(copy.Title(), L"ＡＢＣ　ニュース");
  EXPECT_EQ(copy.ExtendedText(), L"詳細\r\n\U0001F600あり");
  EXPECT_EQ(event.AudioText(), L"音声") << "other texts stay";
}

// Copies (the pages' cells) share the block rather than copy it; the last
// holder frees it, whichever thread that is.
TEST(EventTexts, CopiesShareTheBlockWhichOutlivesTheOriginal) {
  auto event = std::make_unique<EpgEvent>();
  event->SetTexts(SampleParts());
  EpgEvent copy = *event;
  EXPECT_EQ(copy.Text(EventText::kTitle).data(), event->Text(EventText::kTitle).data());
  EpgEvent assigned;
  assigned.SetTitle(L"古い");
  assigned = copy;
  event.reset();
  EXPECT_EQ(copy.Title(), L"ＡＢＣ　ニュース");
  EXPECT_EQ(assigned.ExtendedText(), L"詳細\r\n\U0001F600あり");

  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&copy] {
      for (int i = 0; i < 10000; ++i) {
        EpgEvent cell = copy;
        EpgEvent moved = std::move(cell);
        ASSERT_EQ(moved.Text(EventText::kAudioText), u"音声");
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  assigned = std::move(copy);
  EXPECT_EQ(assigned.NormalizedTitle(), L"ａｂｃ+ニュース");
}

TEST(EventTexts, ASearchFormKeepsItsTextWhenTheTextChanges) {
  EpgEvent event;
  event.SetTexts(SampleParts());
  event.SetShortText(L"別の話題");
  EXPECT_EQ(event.ShortText(), L"別の話題");
  EXPECT_EQ(event.NormalizedShortText(), L"今日の話題") << "as when both were held apart";
  event.SetNormalizedTitle(L"");
  EXPECT_EQ(event.NormalizedTitle(), L"");
  EXPECT_EQ(event.Title(), L"ＡＢＣ　ニュース");
}

TEST(EventTexts, AnEventWithoutTextsHoldsNoBlock) {
  EpgEvent event;
  EXPECT_EQ(event.TextBytes(), 0u);
  EXPECT_FALSE(event.HasText(EventText::kTitle));
  event.SetTitle(L"題");
  EXPECT_GT(event.TextBytes(), 0u);
  EXPECT_TRUE(event.HasText(EventText::kTitle));
  event.SetTitle(L"");
  EXPECT_EQ(event.TextBytes(), 0u);
  EXPECT_EQ(event.Title(), L"");
}

}  // namespace
}  // namespace plimod
