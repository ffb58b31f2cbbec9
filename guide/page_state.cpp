#include "guide/page_state.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "epg/channel_order.h"
#include "epg/mark_switch.h"
#include "guide/civil_time.h"
#include "server/page_helpers.h"
#include "util/conversions.h"
#include "util/keys.h"

namespace plimod {

namespace {

constexpr int kFirstDay = 19800100;  // exclusive
constexpr int kLastDay = 20791231;
constexpr int kDayStartHour = 5;
constexpr std::uint32_t kSingleBands[] = {0x1, 0x10, 0x100};

// A decimal number when the text begins with one (after blanks and a sign),
// as the pages have always read numbers; nothing for an empty or
// non-numeric text.
std::optional<int> ParseDecimal(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
  return StringToInt(text);
}

std::time_t ReadBaseDay(const RequestParameters& params, const SystemTime& now) {
  const int day = StringToInt(params.Value("day"));
  if (day > kFirstDay && day <= kLastDay) {
    const int month = std::clamp(day / 100 % 100, 1, 12);
    const int dayOfMonth = std::max(day % 100, 1);
    return LocalMidnight(day / 10000, month, dayOfMonth);
  }
  return BroadcastDayOf(now);
}

int ReadHour(const RequestParameters& params, const SystemTime& now) {
  const std::optional<int> hour = ParseDecimal(params.Value("hour"));
  if (hour && *hour >= 0 && *hour <= 28) return (*hour + 19) % 24 + 5;
  return now.wHour + (now.wHour < kDayStartHour ? 24 : 0);
}

std::uint32_t SingleBand(std::uint32_t band) {
  for (std::uint32_t one : kSingleBands) {
    if (band & one) return one;
  }
  return band;
}

// Mode "station" shows one channel of the band mask: another one is
// replaced by the mask's first channel (none: `chid` is emptied).
void FixStationChannel(RequestParameters& params, std::uint32_t band) {
  const std::uint64_t key = ParseChannelKey(DecodeUtf8(params.Value("chid")));
  if (key != 0 && (BandMaskOf(key) & band) != 0) return;
  const std::uint64_t first = NthChannel(band, 0);
  std::string text;
  if (first != 0) FormatChannelKey(first, &text, nullptr);
  params["chid"] = text;
}

}  // namespace

PageMode PageModeOf(std::string_view mode) {
  if (mode == "epg") return PageMode::kEpg;
  if (mode == "station") return PageMode::kStation;
  return PageMode::kSearch;
}

PageState& CurrentPageState() {
  static PageState state;
  return state;
}

PageState DefaultPageState(PageMode mode) {
  PageState state;
  state.range = mode == PageMode::kEpg ? 6 : 3;
  return state;
}

PageView ReadViewParameters(RequestParameters& params, PageMode mode, const SystemTime& now) {
  PageView view;
  view.mode = mode;
  view.state = DefaultPageState(mode);
  PageState& state = view.state;
  view.baseDay = ReadBaseDay(params, now);
  view.hour = ReadHour(params, now);

  if (const std::string range = params.Value("range"); !range.empty()) state.range = StringToInt(range);
  state.range = std::clamp(state.range, 1, mode == PageMode::kEpg ? 24 : 7);
  if (const std::string band = params.Value("band"); !band.empty()) state.band = ParseHex32(band);
  if (mode == PageMode::kEpg) state.band = SingleBand(state.band);
  if (const std::string detail = params.Value("detail"); !detail.empty()) {
    state.detail = StringToInt(detail);
    if (state.detail < 0 || state.detail > 2) state.detail = 1;
  }
  if (const std::string mark = params.Value("mark"); !mark.empty()) {
    view.mark = StringToInt(mark);
    if (view.mark < 0 || view.mark > 1) view.mark = 0;
  }
  if (mode == PageMode::kStation) FixStationChannel(params, state.band);
  return view;
}

}  // namespace plimod
