// Default reservation titles: from the event, and from a section's template
// with its running number.

#include <gtest/gtest.h>

#include "recorder/titles/reservation_title.h"
#include "tests/support/temp_folder.h"

namespace plimod {
namespace {

EpgEvent Event(const std::wstring& title, const std::wstring& shortText) {
  EpgEvent event;
  event.SetTitle(title);
  event.SetShortText(shortText);
  event.SetExtendedText(L"詳細");
  event.start = SystemTime{2026, 12, 4, 24, 21, 0, 0, 0};
  event.durationSeconds = 1800;
  return event;
}

TEST(MakeReservationTitle, TitleAndShortOrExtendedTextCutTo40) {
  const EpgEvent event = Event(std::wstring(30, L'題'), L"説明\r\n" + std::wstring(18, L'x'));
  EXPECT_EQ(MakeReservationTitle(event), std::wstring(30, L'題') + L" 説明" + std::wstring(7, L'x'));
  EXPECT_EQ(MakeReservationTitle(Event(L"題", L"")), L"題 詳細");
}

TEST(MakeTitleByCommand, RunningNumberStoredOnlyWhenAskedAndRepeatable) {
  test::TempFolder folder("plimod-title");
  const std::wstring path = (folder.Path() / "plimo.ini").wstring();
  IniFile settings(path);
  settings.SetString(L"AUTORESERVE_01", L"TITLECOMMAND", L"@TT #@2nb");
  IniSection section(settings);
  ASSERT_TRUE(section.Select(L"AUTORESERVE_01", false));
  const EpgEvent event = Event(L"番組", L"");

  EXPECT_EQ(MakeTitleByCommand(section, event, true, false), L"番組 #02");  // NUMBERING 1 by default
  EXPECT_EQ(IniFile(path).GetIntDefault(L"AUTORESERVE_01", L"NUMBERING", 0), 2);
  // The same number again, nothing to store.
  EXPECT_EQ(MakeTitleByCommand(section, event, true, true), L"番組 #02");
  EXPECT_EQ(MakeTitleByCommand(section, event, false, false), L"番組 #03");
  EXPECT_EQ(settings.GetIntDefault(L"AUTORESERVE_01", L"NUMBERING", 0), 2);

  settings.SetString(L"AUTORESERVE_01", L"TITLECOMMAND", L"@TT\t" + std::wstring(100, L'x'));
  EXPECT_EQ(MakeTitleByCommand(section, event, true, false), L"番組" + std::wstring(78, L'x'));
  EXPECT_EQ(settings.GetIntDefault(L"AUTORESERVE_01", L"NUMBERING", 0), 2);
}

}  // namespace
}  // namespace plimod
