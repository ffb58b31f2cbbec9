#include "services/syoboi_upload.h"

#include <cinttypes>
#include <optional>

#include "epg/epg_index.h"
#include "guide/civil_time.h"
#include "platform/text_codec.h"
#include "recorder/base/recorder_text.h"
#include "recorder/lists/reserve_list_keep.h"
#include "server/base64.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "services/http_client.h"
#include "services/password_cipher.h"
#include "services/syoboi_fetch.h"
#include "util/format.h"
#include "util/keys.h"
#include "util/log.h"
#include "util/page_text.h"
#include "util/service_name.h"
#include "util/text_title.h"
#include "util/url_encode.h"
#include "util/web_address.h"

namespace plimod {
namespace {

constexpr int kTitleColumns = 80;
constexpr std::size_t kTitleMaxBytes = 127;
constexpr std::size_t kShortFieldMaxBytes = 63;
constexpr std::size_t kCredentialMaxBytes = 127;
constexpr std::size_t kReplyMaxBytes = 2047;

std::string Utf8Cut(const std::wstring& text, std::size_t maxBytes) {
  std::string utf8 = WideToUtf8String(text);
  utf8.resize(Utf8CutPoint(utf8, maxBytes));
  return utf8;
}

const EpgEvent* FindEpgEvent(std::uint64_t serviceKey, std::uint16_t eventId) {
  const auto service = EpgEventIndex->find(serviceKey);
  if (service == EpgEventIndex->end()) return nullptr;
  const auto event = service->second.find(eventId);
  return event == service->second.end() ? nullptr : &event->second;
}

std::string UploadTitle(const EpgEvent& event) {
  std::wstring title = StripBracketTags(event.Title());
  ShortenToWidth(title, kTitleColumns);
  TabsToBlanks(title);
  return Utf8Cut(title, kTitleMaxBytes);
}

std::string UploadStation(const IniFile& settings, std::uint64_t serviceKey) {
  const std::wstring keyText = ChannelKeyText(serviceKey);
  std::optional<std::wstring> name = settings.GetString(L"IEPG_CH_NAME", keyText.c_str());
  if (!name) {
    const auto service = ServiceMap.find(serviceKey);
    if (service == ServiceMap.end()) return "null";
    name = service->second;
    TabsToBlanks(*name);
    TrimServiceName(*name, BandIndexOf(serviceKey) == 0);
  } else {
    TabsToBlanks(*name);
  }
  return Utf8Cut(*name, kShortFieldMaxBytes);
}

std::string UploadLine(const IniFile& settings, const UploadReservation& reservation, const EpgEvent& event) {
  SystemTime start = reservation.start;
  const int startSeconds = start.wSecond;
  start.wSecond = 0;
  start.wMilliseconds = 0;
  const std::int64_t from = LocalTimeToTime(start);
  // The end is rounded up to a whole minute.
  const std::int64_t to = from + (startSeconds + reservation.durationSeconds + 59) / 60 * 60;
  const std::string device =
      reservation.tunerLabel.empty() ? std::string("edcb") : Utf8Cut(reservation.tunerLabel, kShortFieldMaxBytes);
  char line[1024];
  FormatUtf8(line, sizeof line, "%" PRId64 "\t%" PRId64 "\t%s\t%s\t%s\t\t0\teid=%x&sid=%" PRIx64 "\n", from, to,
             device.c_str(), UploadTitle(event).c_str(), UploadStation(settings, reservation.serviceKey).c_str(),
             reservation.eventId, reservation.serviceKey);
  return line;
}

std::string SettingUtf8(const IniFile& settings, const wchar_t* key) {
  return WideToUtf8String(settings.GetString(L"SYOBOIUPLOAD", key).value_or(L""));
}

// The reservation list as last loaded: the upload holds the EPG busy flag.
std::vector<UploadReservation> CurrentUploadReservations(const IniFile& settings) {
  const ReserveSnapshot lists = ReserveListAsLoaded(settings);
  std::vector<UploadReservation> reservations;
  reservations.reserve(lists->reserveList.size());
  for (const ReserveEntry& entry : lists->reserveList) {
    UploadReservation reservation;
    reservation.start = entry.start;
    reservation.durationSeconds = entry.durationSeconds;
    reservation.serviceKey = entry.serviceKey;
    reservation.eventId = entry.eventId;
    reservation.disabled = entry.Disabled();
    reservation.tunerLabel = entry.tunerLabel;
    reservations.push_back(std::move(reservation));
  }
  return reservations;
}

}  // namespace

std::string SyoboiUploadLines(const IniFile& settings, const std::vector<UploadReservation>& reservations) {
  std::string lines;
  for (const UploadReservation& reservation : reservations) {
    if (reservation.disabled) continue;
    const EpgEvent* event = FindEpgEvent(reservation.serviceKey, reservation.eventId);
    if (event != nullptr) lines += UploadLine(settings, reservation, *event);
  }
  return lines;
}

std::string SyoboiUploadBody(const IniFile& settings, const std::string& lines) {
  std::string body = "data=" + UrlEncodeForm(lines);
  const std::string epgUrl = SettingUtf8(settings, L"EPGURL");
  // The service links each programme with it.
  if (IsWebAddress(epgUrl)) body += "&epgurl=" + UrlEncodeForm(epgUrl);
  std::string colors = SettingUtf8(settings, L"DEVCOLORS");
  if (!colors.empty()) {
    for (char& c : colors) {
      if (c == ',') c = '\t';
    }
    body += "&devcolors=" + UrlEncodeForm(colors);
  }
  return body;
}

int UploadToSyoboi(const std::string& user, const std::string& password, int slot, const std::string& body,
                   ReplyWriter* out) {
  std::string credentials = user + ":" + password;
  credentials.resize(std::min(credentials.size(), kCredentialMaxBytes));
  HttpRequest request;
  request.url = SyoboiBaseUrl() + "sch_upload?slot=" + std::to_string(slot);
  // An empty "Expect:" keeps libcurl from waiting for a 100-continue.
  request.headers = {"Authorization: Basic " + Base64Encode(credentials),
                     "Content-Type: application/x-www-form-urlencoded", "Expect:"};
  request.postBody = body;
  request.maxBytes = kReplyMaxBytes;
  const HttpReply reply = SendHttpRequest(request);
  if (out != nullptr) {
    SendPageText(*out, "Content-Type: text/html; charset=utf-8\n\n");
    SendPageString(*out, PageText(reply.body) + ".");
  }
  return static_cast<int>(reply.body.size());
}

void UploadSyoboiReserves(const IniFile& settings, ReplyWriter* out) {
  const std::string lines = SyoboiUploadLines(settings, CurrentUploadReservations(settings));
  if (lines.empty()) return;
  const std::string body = SyoboiUploadBody(settings, lines);
  LogWriteNoPost("しょぼかるアップロード\n");
  const int slot = settings.GetIntDefault(L"SYOBOIUPLOAD", L"SLOT", 0);
  std::string user = WideToCp932(settings.GetString(L"SYOBOIUPLOAD", L"USERID").value_or(L""));
  user.resize(Cp932CutPoint(user, kShortFieldMaxBytes));
  std::string password = WideToUtf8String(settings.GetString(L"SYOBOIUPLOAD", L"PASSWD").value_or(L""));
  CipherPassword(password, true);
  UploadToSyoboi(user, password, slot, body, out);
}

}  // namespace plimod
