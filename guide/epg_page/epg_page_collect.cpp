#include "guide/epg_page/epg_page_layout.h"

#include <algorithm>

#include "epg/channel_order.h"
#include "epg/epg_index.h"
#include "epg/page_range.h"
#include "epg/search_match.h"
#include "guide/epg_page/epg_page_cells.h"
#include "guide/grid_layout.h"
#include "util/keys.h"

namespace plimod {

namespace {

constexpr std::uint32_t kBandOrder[] = {kBandTerrestrial, kBandBs, kBandCs, kBandOther};
constexpr std::size_t kMaxGroupMembers = 2;

// A channel of mode "epg" and the sub-channels drawn beside it.
struct ChannelGroup {
  std::vector<std::uint64_t> following;  // members after this channel
  bool leads = true;                     // false for a member
  std::uint32_t size = 1;                // leader: columns its fillers span
};

class Collector {
 public:
  Collector(const PageView& view, const RequestParameters& params, const IniFile& settings,
            const EpgPageHooks& hooks)
      : view_(view), params_(params), hooks_(hooks), cells_(MakeEpgPageWindow(view)) {
    if (view.mode == PageMode::kSearch) conditions_ = LoadSearchConditions(settings);
    if (view.mode == PageMode::kEpg) pageCount_ = CountChannels(view.state.band);
  }

  EpgPageLayout Run() {
    if (hooks_.clearSyoboiSeenFlags) hooks_.clearSyoboiSeenFlags();
    cells_.RegisterBaseDay();
    for (std::uint32_t band : kBandOrder) WalkBand(band);
    if (view_.mode == PageMode::kStation) cells_.MergeStationDays();
    if (view_.mode == PageMode::kSearch) AddSyoboiOnlyPrograms();
    EpgPageLayout layout = cells_.Finish();
    layout.channelColumns = std::move(channelColumns_);
    if (view_.mode == PageMode::kEpg) layout.columns = static_cast<int>(layout.channelColumns.size());
    return layout;
  }

 private:
  static bool HasEvents(std::uint64_t key) { return EpgEventIndex->find(key) != EpgEventIndex->end(); }

  bool OnPage(int item) const {
    return PageRange(params_.Value("page"), params_.Value("limit"), item, pageCount_);
  }

  bool Wanted(std::uint64_t key, std::uint32_t band, int item) const {
    if (!HasEvents(key)) return false;
    const bool alwaysShown = view_.mode == PageMode::kSearch && band == kBandOther;
    if (!alwaysShown && (band & view_.state.band) == 0) return false;
    if (view_.mode == PageMode::kStation) {
      std::string keyText;
      FormatChannelKey(key, &keyText, nullptr);
      return keyText == params_.Value("chid");
    }
    if (view_.mode == PageMode::kEpg) return OnPage(item);
    return true;
  }

  // Sub-channels (service key + 1, + 2) that follow a channel in the band
  // order form its group; a member must itself be drawn as a column.
  ChannelGroup OpenGroup(const std::vector<std::uint64_t>& channels, std::size_t at) {
    ChannelGroup group;
    const std::uint64_t key = channels[at];
    for (std::size_t next = at + 1; next < channels.size() && next <= at + kMaxGroupMembers; ++next) {
      const std::uint64_t candidate = channels[next];
      const std::uint64_t lowest = key + group.following.size() + 1;
      if (candidate < lowest || candidate > key + 2) continue;
      if (!HasEvents(candidate) || !OnPage(static_cast<int>(next) + 1)) continue;
      group.following.push_back(candidate);
    }
    group.size = static_cast<std::uint32_t>(group.following.size()) + 1;
    for (std::size_t i = 0; i < group.following.size(); ++i) {
      ChannelGroup member;
      member.leads = false;
      member.following.assign(group.following.begin() + static_cast<std::ptrdiff_t>(i) + 1, group.following.end());
      openMembers_[group.following[i]] = member;
    }
    return group;
  }

  ChannelGroup GroupOf(const std::vector<std::uint64_t>& channels, std::size_t at, std::uint32_t band) {
    if (view_.mode != PageMode::kEpg) return {};
    if (auto member = openMembers_.find(channels[at]); member != openMembers_.end()) {
      ChannelGroup group = member->second;
      openMembers_.erase(member);
      return group;
    }
    if (band == kBandCs) return {};
    return OpenGroup(channels, at);
  }

  void WalkBand(std::uint32_t band) {
    const std::vector<std::uint64_t> channels = ChannelsInDisplayOrder(band);
    openMembers_.clear();
    for (std::size_t i = 0; i < channels.size(); ++i) {
      const std::uint64_t key = channels[i];
      if (!Wanted(key, band, static_cast<int>(i) + 1)) continue;
      const ChannelGroup group = GroupOf(channels, i, band);
      if (view_.mode == PageMode::kEpg) channelColumns_.push_back(key);
      cells_.BeginChannel();
      for (const auto& [eventId, event] : EpgEventIndex->at(key)) {
        PlaceChannelEvent(event, group);
      }
      if (view_.mode == PageMode::kStation) cells_.AddFillers(key, 1);
      if (view_.mode == PageMode::kEpg && group.leads) cells_.AddFillers(key, group.size);
    }
  }

  // Spans the free sub-channel columns to its right, up to the first busy one.
  static std::uint32_t SpanOf(const EpgEvent& event, const ChannelGroup& group) {
    std::uint32_t span = 1;
    for (std::uint64_t member : group.following) {
      if (ServiceBusyAt(event, member)) break;
      ++span;
    }
    return span;
  }

  // Untitled events are not drawn; the title is looked at only for events in
  // the window, since it lies outside the event record.
  void PlaceChannelEvent(const EpgEvent& event, const ChannelGroup& group) {
    std::vector<PlacedCell> placed = PlaceEvent(event, cells_.Window());
    if (placed.empty() || !event.HasText(EventText::kTitle)) return;
    const std::uint32_t span = view_.mode == PageMode::kEpg ? SpanOf(event, group) : 1;
    for (PlacedCell& copy : placed) {
      copy.cell.columnSpan = span;
      if (KeepTest(copy.cell)) cells_.Keep(std::move(copy));
    }
  }

  bool KeepTest(EpgEvent& cell) {
    bool keep = view_.mode != PageMode::kSearch;
    if (!keep) {
      const bool matched = MatchAnySearchCondition(conditions_, cell);
      const bool listed = hooks_.findSyoboiProgram &&
                          hooks_.findSyoboiProgram(
                              ServiceKey(cell.originalNetworkId, cell.transportStreamId, cell.serviceId), cell.start);
      keep = matched || listed;
    }
    if (hooks_.findReserveForEvent) {
      if (const auto reserve = hooks_.findReserveForEvent(cell)) {
        cell.displayFlags |= kCellReserved;
        if (reserve->disabled) cell.displayFlags |= kCellDisabled;
        keep = true;
      }
    }
    return keep;
  }

  void AddSyoboiOnlyPrograms() {
    if (!hooks_.syoboiPrograms) return;
    for (const PageSyoboiProgram& program : hooks_.syoboiPrograms()) {
      const bool unknownChannel = program.serviceKey == 0;
      if (!unknownChannel && (program.seen || (BandMaskOf(program.serviceKey) & view_.state.band) == 0)) continue;
      std::vector<PlacedCell> placed = PlaceEvent(SyoboiOnlyEntry(program), cells_.Window());
      for (PlacedCell& copy : placed) {
        copy.cell.conditionNumber = static_cast<std::uint32_t>(program.pid);
        cells_.Keep(std::move(copy));
      }
    }
  }

  const PageView& view_;
  const RequestParameters& params_;
  const EpgPageHooks& hooks_;
  SearchConditionSet conditions_;
  int pageCount_ = 0;  // channels of the view's bands, for the page ranges of mode "epg"
  EpgPageCells cells_;
  std::map<std::uint64_t, ChannelGroup> openMembers_;
  std::vector<std::uint64_t> channelColumns_;
};

}  // namespace

EpgEvent SyoboiOnlyEntry(const PageSyoboiProgram& program) {
  EpgEvent entry;
  entry.originalNetworkId = kSyoboiOnlyNetwork;
  entry.SetTitle(program.title);
  std::wstring shortText;
  if (program.count != 0) shortText = L"#" + std::to_wstring(program.count) + L" ";
  entry.SetShortText(shortText + program.subtitle);
  entry.SetExtendedText(program.comment);
  entry.start = program.start;
  entry.durationSeconds = program.durationSeconds;
  entry.conditionNumber = static_cast<std::uint32_t>(program.pid);
  entry.columnSpan = 1;
  return entry;
}

EpgPageLayout CollectEpgPageCells(const PageView& view, const RequestParameters& params, const IniFile& settings,
                                  const EpgPageHooks& hooks) {
  return Collector(view, params, settings, hooks).Run();
}

}  // namespace plimod
