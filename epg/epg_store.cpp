#include "epg/epg_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string_view>
#include <vector>

#include "epg/epg_index.h"
#include "epg/event_text_builder.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text_codec.h"
#include "util/keys.h"
#include "util/log.h"
#include "util/text_normalize.h"
#include "util/text_width.h"

namespace plimod {
namespace {

constexpr std::size_t kPacketSize = 188;
constexpr std::size_t kReadSize = 2000 * kPacketSize;

// PAT, NIT, SDT/BAT, EIT and TDT/TOT: all the decoder needs.
bool IsEpgPid(const std::uint8_t* packet) {
  const unsigned pid = ((packet[1] & 0x1Fu) << 8) | packet[2];
  return pid == 0x00 || pid == 0x10 || pid == 0x11 || pid == 0x12 || pid == 0x14;
}

std::wstring TextOf(const char16_t* text) {
  if (text == nullptr) return {};
  return Utf16ToWide(std::u16string_view(text));
}

SystemTime ToSystemTime(const DecoderSystemTime& t) {
  SystemTime out;
  out.wYear = t.year;
  out.wMonth = t.month;
  out.wDayOfWeek = t.day_of_week;
  out.wDay = t.day;
  out.wHour = t.hour;
  out.wMinute = t.minute;
  out.wSecond = t.second;
  out.wMilliseconds = t.milliseconds;
  return out;
}

std::optional<std::int64_t> StartTicksOf(const DecoderEventEntry& entry) {
  return SystemTimeToTicks(ToSystemTime(entry.start_time));
}

std::vector<GenreBytes> GenresOf(const DecoderEventEntry& entry) {
  std::vector<GenreBytes> genres;
  if (entry.genres == nullptr) return genres;
  genres.reserve(entry.genre_count);
  for (std::uint32_t i = 0; i < entry.genre_count; ++i) {
    const std::uint32_t v = entry.genres[i];
    genres.push_back({static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                      static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
  }
  return genres;
}

EpgService ServiceOf(const DecoderServiceEntry& entry) {
  EpgService service;
  service.originalNetworkId = static_cast<std::uint16_t>(entry.original_network_id);
  service.transportStreamId = static_cast<std::uint16_t>(entry.transport_stream_id);
  service.serviceId = static_cast<std::uint16_t>(entry.service_id);
  service.name = TextOf(entry.service_name);
  service.serviceType = static_cast<std::uint16_t>(entry.service_type);
  return service;
}

EpgEvent MakeEvent(const DecoderEventEntry& entry, std::int64_t startTicks,
                   EventTextBuilder& texts) {
  EpgEvent event;
  event.originalNetworkId = static_cast<std::uint16_t>(entry.original_network_id);
  event.transportStreamId = static_cast<std::uint16_t>(entry.transport_stream_id);
  event.serviceId = static_cast<std::uint16_t>(entry.service_id);
  event.eventId = static_cast<std::uint16_t>(entry.event_id);
  texts.Fill(entry, event);
  // The round trip through ticks puts the right day of week in.
  event.start = TicksToSystemTime(startTicks).value_or(SystemTime{});
  event.durationSeconds = entry.duration_seconds;
  event.freeCaFlag = entry.free_ca_flag;
  std::memcpy(event.componentTypes.data(), entry.component_types, 4);
  event.genres = GenresOf(entry);
  return event;
}

// Reads, retrying when a signal interrupts; -1 on failure.
ssize_t ReadSome(int fd, std::uint8_t* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = read(fd, buffer, size);
    if (got >= 0 || errno != EINTR) return got;
  }
}

}  // namespace

EpgStore::EpgStore() : EpgStore(ToNativePath(ProgramDir())) {}

EpgStore::EpgStore(std::string programDir) : dll_(std::move(programDir)) {
  dll_.Initialize(0);
}

EpgStore::~EpgStore() {
  dll_.UnInitialize();
  dll_.Unload();
  std::unique_lock lock(EpgDataLock());
  DetachEpgEventIndex(events_);
}

int EpgStore::LoadEpgFile(const std::wstring& path) {
  if (path.empty()) return 0;
  return LoadEpgFileNative(ToNativePath(path));
}

int EpgStore::LoadEpgFileNative(const std::string& nativePath) {
  if (nativePath.empty()) return 0;
  dll_.SetBasicMode(1);
  dll_.SetPFOnly(0);
  UniqueFd fd(open(nativePath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return 0;
  struct stat info {};
  if (fstat(fd.get(), &info) != 0) return 0;
  const auto size = static_cast<std::uint64_t>(info.st_size);

  std::vector<std::uint8_t> buffer(kReadSize + kPacketSize);
  std::size_t carried = 0;  // bytes of a partial packet left by the last read
  std::uint64_t consumed = 0;
  while (consumed < size) {
    const ssize_t got = ReadSome(fd.get(), buffer.data() + carried, kReadSize);
    if (got < 0) return 0;
    if (got == 0) break;  // end of file; a partial packet left over is not fed
    const std::size_t available = carried + static_cast<std::size_t>(got);
    const std::size_t whole = available / kPacketSize * kPacketSize;
    for (std::size_t offset = 0; offset < whole; offset += kPacketSize) {
      const std::uint8_t* packet = buffer.data() + offset;
      if (IsEpgPid(packet)) dll_.AddTSPacket(packet, kPacketSize);
    }
    consumed += whole;
    carried = available - whole;
    if (carried > 0) std::memmove(buffer.data(), buffer.data() + whole, carried);
  }
  return 1;
}

// A service's new event list as the decoder gave it, built before the maps
// are locked so readers wait only for the merge.
struct EpgStore::FetchedService {
  std::uint64_t key = 0;
  EpgService service;
  bool listed = false;  // the event-list call succeeded
  // Built as the map it will become, so each event's node lies beside its
  // texts; after the merge it holds the replaced events, freed together.
  EpgEventList events;
  std::int64_t earliestStart = 0;
};

EpgStore::FetchedService EpgStore::FetchService(const EpgService& service,
                                                EventTextBuilder& texts,
                                                bool& invalidStartLogged) {
  FetchedService fetched;
  fetched.key = ServiceKey(service.originalNetworkId, service.transportStreamId, service.serviceId);
  fetched.service = service;
  const DecoderEventEntry* list = nullptr;
  std::uint32_t count = 0;
  if (dll_.GetEpgDataListDB(service.originalNetworkId, service.transportStreamId,
                            service.serviceId, &list, &count) != 1) {
    return fetched;
  }
  fetched.listed = true;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::optional<std::int64_t> ticks = StartTicksOf(list[i]);
    if (!ticks) {
      if (!invalidStartLogged) LogWrite("EPGデータ: 開始時刻が不正な番組を読み飛ばしました\n");
      invalidStartLogged = true;
      continue;
    }
    if (fetched.events.empty() || *ticks < fetched.earliestStart) fetched.earliestStart = *ticks;
    // A later event with an id already listed is dropped.
    fetched.events.try_emplace(static_cast<std::uint16_t>(list[i].event_id),
                               MakeEvent(list[i], *ticks, texts));
  }
  return fetched;
}

void EpgStore::MergeService(FetchedService& fetched) {
  services_.emplace(fetched.key, fetched.service);  // an existing service keeps its first name
  if (!fetched.listed) return;
  EpgEventList& events = events_[fetched.key];
  if (fetched.events.empty()) return;
  // The new list replaces everything from its first start on. Earlier
  // events stay (their nodes move across as they are) and win over a new
  // event with the same id.
  const std::int64_t earliest = fetched.earliestStart;
  for (auto it = events.begin(); it != events.end();) {
    const auto next = std::next(it);
    if (EventStartTicks(it->second) < earliest) {
      auto node = events.extract(it);
      fetched.events.erase(node.key());
      fetched.events.insert(std::move(node));
    }
    it = next;
  }
  events.swap(fetched.events);
}

int EpgStore::ImportFromDll(const std::wstring& normalizeList, bool halfWidth) {
  const DecoderServiceEntry* list = nullptr;
  std::uint32_t count = 0;
  if (dll_.GetServiceListDB(&list, &count) == 0) return 0;
  // Copied first, so nothing below depends on how long the decoder keeps its list.
  std::vector<EpgService> services;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t type = list[i].service_type;
    if (type == 0x01 || type == 0xA5) services.push_back(ServiceOf(list[i]));
  }
  std::vector<FetchedService> fetched;
  fetched.reserve(services.size());
  bool invalidStartLogged = false;
  EventTextBuilder texts(normalizeList, halfWidth);
  for (const EpgService& service : services) {
    fetched.push_back(FetchService(service, texts, invalidStartLogged));
  }
  {
    std::unique_lock lock(EpgDataLock());
    for (FetchedService& one : fetched) MergeService(one);
  }
  // The replaced events go here, outside the lock, all at once.
  fetched.clear();
  ResetDll();
  return 1;
}

int EpgStore::ResetDll() {
  dll_.Clear();
  dll_.UnInitialize();
  return dll_.Initialize(0);
}

std::int64_t EventStartTicks(const EpgEvent& event) {
  return SystemTimeToTicks(event.start).value_or(0);
}

std::int64_t EventEndTicks(const EpgEvent& event) {
  return EventStartTicks(event) + std::int64_t{event.durationSeconds} * kTicksPerSecond;
}

}  // namespace plimod
