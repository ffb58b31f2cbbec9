#include "recorder/lists/reserve_list_server.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "util/conversions.h"
#include "util/keys.h"

namespace plimod {

namespace {

struct Tuner {
  std::int64_t key = 0;  // BonDriver index x 256 + tuner id
  std::wstring label;
  const std::vector<std::uint32_t>* reserveIds = nullptr;
};

// "BonDriver_A.dll" -> "BonDriver_A"; only a lower-case ".dll" is cut.
std::wstring DriverName(const std::wstring& fileName) {
  return fileName.substr(0, fileName.find(L".dll"));
}

// The tuners in ascending key order. BonDriver files are numbered in order
// of first appearance; the tuners of a file that has several are told apart
// by their ids.
std::vector<Tuner> TunerTable(const std::vector<TunerReserveRow>& rows) {
  std::vector<std::wstring> drivers;
  std::map<std::size_t, int> tunersOfDriver;
  std::map<std::int64_t, std::pair<std::size_t, const TunerReserveRow*>> byKey;
  for (const TunerReserveRow& row : rows) {
    auto driver = std::find(drivers.begin(), drivers.end(), row.tunerName);
    if (driver == drivers.end()) driver = drivers.insert(drivers.end(), row.tunerName);
    const auto index = static_cast<std::size_t>(driver - drivers.begin());
    ++tunersOfDriver[index];
    byKey[static_cast<std::int64_t>(index) * 256 + row.tunerId] = {index, &row};
  }
  std::vector<Tuner> tuners;
  for (const auto& [key, found] : byKey) {
    const auto& [index, row] = found;
    Tuner tuner{key, DriverName(row->tunerName), &row->reserveIds};
    if (tunersOfDriver[index] >= 2) tuner.label += L"(" + std::to_wstring(row->tunerId) + L")";
    tuner.label.resize(std::min(tuner.label.size(), kTunerLabelMaxChars));
    tuners.push_back(std::move(tuner));
  }
  return tuners;
}

// Each reserve id to the first tuner, in ascending key order, whose list
// holds it.
std::unordered_map<std::uint32_t, const Tuner*> TunersByReserveId(const std::vector<Tuner>& tuners) {
  std::unordered_map<std::uint32_t, const Tuner*> byId;
  for (const Tuner& tuner : tuners) {
    for (const std::uint32_t id : *tuner.reserveIds) byId.emplace(id, &tuner);
  }
  return byId;
}

const Tuner* TunerOf(const std::unordered_map<std::uint32_t, const Tuner*>& byId, std::int32_t reserveId) {
  if (reserveId < 0) return nullptr;  // a recording result is on no tuner's list
  const auto found = byId.find(static_cast<std::uint32_t>(reserveId));
  return found == byId.end() ? nullptr : found->second;
}

SystemTime Normalised(const SystemTime& start) {
  if (const auto ticks = SystemTimeToTicks(start)) {
    if (const auto fields = TicksToSystemTime(*ticks)) return *fields;
  }
  return start;
}

// Most comments are empty: no converter for those.
std::string NarrowText(const std::wstring& text, std::size_t maxBytes) {
  return text.empty() ? std::string() : CutCp932(WideToAnsi(text), maxBytes);
}

// Titles and stations in the system code page. Stations repeat over the
// rows, and most titles come again in the next load: the texts of the last
// load are kept and looked up before converting. Only the last load's are
// kept, so the cache never outgrows the list.
class NarrowTexts {
 public:
  explicit NarrowTexts(std::size_t maxBytes) : maxBytes_(maxBytes) {}

  void Take(std::unordered_map<std::wstring, std::string>& kept) { last_ = std::move(kept); }
  void Give(std::unordered_map<std::wstring, std::string>& kept) { kept = std::move(now_); }

  const std::string& Of(const std::wstring& text) {
    if (auto found = now_.find(text); found != now_.end()) return found->second;
    auto last = last_.find(text);
    std::string narrow = last != last_.end() ? std::move(last->second) : NarrowText(text, maxBytes_);
    return now_.emplace(text, std::move(narrow)).first->second;
  }

 private:
  std::size_t maxBytes_;
  std::unordered_map<std::wstring, std::string> last_;
  std::unordered_map<std::wstring, std::string> now_;
};

struct KeptTexts {
  std::mutex mutex;  // loads may run on several threads; one of them keeps its texts
  std::unordered_map<std::wstring, std::string> titles;
  std::unordered_map<std::wstring, std::string> stations;
};

KeptTexts& Kept() {
  static KeptTexts kept;
  return kept;
}

struct EntryTexts {
  NarrowTexts titles{kEntryTitleMaxBytes};
  NarrowTexts stations{kEntryStationMaxBytes};

  EntryTexts() {
    std::lock_guard lock(Kept().mutex);
    titles.Take(Kept().titles);
    stations.Take(Kept().stations);
  }
  ~EntryTexts() {
    std::lock_guard lock(Kept().mutex);
    titles.Give(Kept().titles);
    stations.Give(Kept().stations);
  }
  EntryTexts(const EntryTexts&) = delete;
  EntryTexts& operator=(const EntryTexts&) = delete;
};

ReserveEntry EntryOfRow(const ReserveRow& row, EntryTexts& texts) {
  ReserveEntry entry;
  entry.reserveId = row.reserveId;
  entry.start = Normalised(row.start);
  entry.durationSeconds = static_cast<std::int32_t>(row.duration);
  entry.title = texts.titles.Of(row.title);
  entry.station = texts.stations.Of(row.station);
  entry.comment = NarrowText(row.comment, kEntryCommentMaxBytes);
  entry.serviceKey = ServiceKey(row.originalNetworkId, row.transportStreamId, row.serviceId);
  entry.eventId = row.eventId;
  entry.follow = row.follow;
  entry.recordMode = static_cast<std::int32_t>(row.recordMode);
  entry.priority = row.priority;
  entry.pittari = static_cast<std::int32_t>(row.pittari);
  entry.batch = !row.batchPath.empty() && row.batchPath != L"0" ? 1 : 0;
  entry.unrecordable = static_cast<std::int32_t>(row.unrecordable);
  return entry;
}

}  // namespace

ReserveEntry ServerReserveEntry(const ReserveRow& row) {
  EntryTexts texts;
  return EntryOfRow(row, texts);
}

void AddServerReservations(ReserveLists& lists, const std::vector<ReserveRow>& rows,
                           const std::vector<TunerReserveRow>& tuners) {
  const std::vector<Tuner> table = TunerTable(tuners);
  const auto byId = TunersByReserveId(table);
  lists.reserveList.reserve(lists.reserveList.size() + rows.size());
  EntryTexts texts;
  for (const ReserveRow& row : rows) {
    ReserveEntry& entry = lists.reserveList.emplace_back(EntryOfRow(row, texts));
    if (const Tuner* tuner = TunerOf(byId, entry.reserveId)) {
      entry.tunerKey = static_cast<std::int32_t>(tuner->key);
      entry.tunerLabel = tuner->label;
    }
    if (entry.unrecordable != 0) AddUnrecordableProgram(lists, entry.ProgramKey());
  }
}

}  // namespace plimod
