#include "recorder/reservation_title.h"

#include "recorder/recorder_text.h"

namespace plimod {

std::wstring MakeReservationTitle(const EpgEvent& event) {
  const std::wstring shortText = event.ShortText();
  std::wstring title = event.Title() + L" " + (shortText.empty() ? event.ExtendedText() : shortText);
  RemoveControlChars(title, 40);
  return title;
}

}  // namespace plimod
