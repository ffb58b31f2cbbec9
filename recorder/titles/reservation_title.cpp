#include "recorder/titles/reservation_title.h"

#include "recorder/base/recorder_text.h"
#include "recorder/titles/title_template.h"
#include "settings/settings.h"

namespace plimod {

std::wstring MakeReservationTitle(const EpgEvent& event) {
  const std::wstring shortText = event.ShortText();
  std::wstring title = event.Title() + L" " + (shortText.empty() ? event.ExtendedText() : shortText);
  RemoveControlChars(title, 40);
  return title;
}

std::wstring MakeTitleByCommand(IniSection& section, const EpgEvent& event, bool storeCounter,
                                bool repeat) {
  const int stored = section.GetIntDefault(nullptr, L"NUMBERING", 1);
  int counter = repeat ? stored - 1 : stored;
  const std::wstring titleTemplate = section.GetString(nullptr, L"TITLECOMMAND").value_or(L"");
  std::wstring title = expandTitleTemplate(titleTemplate, counter, event);
  if (storeCounter && counter != stored) {
    section.SetInt(nullptr, L"NUMBERING", counter);
    (void)SaveSettings(section.Document());
  }
  RemoveControlChars(title, 80);
  return title;
}

}  // namespace plimod
