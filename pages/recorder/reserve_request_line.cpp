#include "pages/recorder/reserve_request_line.h"

#include <cctype>
#include <string>

#include "platform/text_codec.h"
#include "recorder/options/rec_options.h"
#include "recorder/base/recorder_text.h"
#include "server/page_helpers.h"

namespace plimod {

namespace {

constexpr std::size_t kFormTextChars = 1024;

std::string LineText(const std::wstring& text) { return CutLineText(WideToCp932(CleanRecorderText(text))); }

bool StartsWithDigit(const std::string& text) {
  return !text.empty() && std::isdigit(static_cast<unsigned char>(text[0]));
}

std::string BatchPath(const std::string& choice, const IniSection& section, DefaultPaths defaults) {
  if (choice != "def") return BatchListPath(choice, section);
  if (defaults == DefaultPaths::kKeepRecorders) return std::string(kKeepRecorderValue);
  return LineText(section.GetString(nullptr, L"EXT2").value_or(L""));
}

std::string RecFolder(const std::string& choice, const IniSection& section, DefaultPaths defaults) {
  if (choice == "def") {
    if (defaults == DefaultPaths::kKeepRecorders) return std::string(kKeepRecorderValue);
    return LineText(section.GetString(nullptr, L"RECDIR").value_or(L""));
  }
  if (!StartsWithDigit(choice)) return {};
  return LineText(section.GetIndexed(kRecFolderListSection, StringToInt(choice)).value_or(L""));
}

// The start of the form; a field out of its range makes it nothing rather
// than wrapping into a date nobody asked for.
std::optional<SystemTime> FormStart(const RequestParameters& params, bool lateNightHours) {
  const char* names[] = {"edc_Y", "edc_M", "edc_D", "edc_h", "edc_m", "edc_s"};
  int values[6];
  for (int i = 0; i < 6; ++i) {
    values[i] = StringToInt(params.Value(names[i]));
    if (values[i] < 0 || values[i] > 0xFFFF) return std::nullopt;
  }
  SystemTime start;
  start.wYear = static_cast<std::uint16_t>(values[0]);
  start.wMonth = static_cast<std::uint16_t>(values[1]);
  start.wDay = static_cast<std::uint16_t>(values[2]);
  start.wHour = static_cast<std::uint16_t>(values[3]);
  start.wMinute = static_cast<std::uint16_t>(values[4]);
  start.wSecond = static_cast<std::uint16_t>(values[5]);
  const bool nextDay = lateNightHours && start.wHour >= 24 && start.wHour < 48;
  if (nextDay) start.wHour = static_cast<std::uint16_t>(start.wHour - 24);
  const std::optional<std::int64_t> ticks = SystemTimeToTicks(start);
  if (!ticks) return std::nullopt;
  return TicksToSystemTime(*ticks + (nextDay ? kTicksPerDay : 0));
}

void FillServerOptions(ReserveLine& line, RequestParameters& params, const IniSection& section,
                       DefaultPaths defaults) {
  const auto number = [&params](const char* name) { return StringToInt(params.Value(name)); };
  line.recFolder = RecFolder(params.Value("edc_recdir"), section, defaults);
  line.postAction = number("edc_postaction");
  line.resumeRestart = number("edc_resumerestart");
  line.marginEnable = number("edc_margin_enable");
  line.marginStart = number("edc_margin_s");
  line.marginEnd = number("edc_margin_e");
  if (params.Value("edc_service_flag").empty()) {
    params["edc_service_flag"] = IntToString(number("edc_service_enable") + 2 * number("edc_service_caption") +
                                             4 * number("edc_service_carousel"));
  }
  line.serviceOptions = number("edc_service_flag");
}

}  // namespace

std::optional<SystemTime> LateNightFormStart(const RequestParameters& params) { return FormStart(params, true); }

std::string ReserveLineText(const std::string& utf8) {
  return CutLineText(WideToCp932(CleanRecorderText(DecodeUtf8(utf8, kFormTextChars))));
}

std::string BatchListPath(const std::string& choice, const IniSection& section) {
  if (!StartsWithDigit(choice)) return {};
  const int n = StringToInt(choice);
  if (n < 1 || n > 99) return {};
  return LineText(section.GetIndexed(kBatchListSection, n - 1).value_or(L""));
}

std::optional<ReserveLine> ReserveLineFromForm(RequestParameters& params, const IniSection& section,
                                               DefaultPaths defaults, bool srvMode) {
  const auto start = FormStart(params, false);
  if (!start) return std::nullopt;
  const auto number = [&params](const char* name) { return StringToInt(params.Value(name)); };
  ReserveLine line;
  line.title = ReserveLineText(params.Value("edc_title"));
  line.station = ReserveLineText(params.Value("edc_station"));
  line.start = *start;
  line.durationHours = number("edc_ttl_h");
  line.durationMinutes = number("edc_ttl_m");
  line.durationSeconds = number("edc_ttl_s");
  line.priority = number("edc_priority");
  line.follow = number("edc_forrow");
  line.recordMode = number("edc_recmode");
  line.pittari = number("edc_ext1");
  line.batchPath = BatchPath(params.Value("edc_ext2"), section, defaults);
  if (srvMode) FillServerOptions(line, params, section, defaults);
  return line;
}

std::optional<ReserveLine> ReserveLineFromForm(RequestParameters& params, const IniSection& section,
                                               const ReserveTarget& target, bool srvMode) {
  auto line = ReserveLineFromForm(params, section, DefaultPaths::kFromSection, srvMode);
  if (!line) return std::nullopt;
  line->networkId = target.event.originalNetworkId;
  line->transportStreamId = target.event.transportStreamId;
  line->serviceId = target.event.serviceId;
  line->eventId = target.event.eventId;
  return line;
}

}  // namespace plimod
