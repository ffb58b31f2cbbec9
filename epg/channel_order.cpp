#include "epg/channel_order.h"

#include <string>

#include "epg/epg_index.h"
#include "settings/settings.h"
#include "util/conversions.h"
#include "util/keys.h"
#include "util/split.h"

namespace plimod {
namespace {

constexpr int kOrderListChars = 1023;
constexpr std::size_t kOrderListEntries = 256;

std::wstring ReadViewText(const wchar_t* key, int maxChars) {
  std::wstring text = Settings().GetString(L"VIEW", key).value_or(L"");
  if (maxChars > 0 && text.size() > static_cast<std::size_t>(maxChars)) text.resize(maxChars);
  return text;
}

bool ShownGiven(std::uint64_t serviceKey, const std::wstring& ignored) {
  return ignored.find(ChannelKeyText(serviceKey)) == std::wstring::npos;
}

// The order list read for a mask, with the band bit it belongs to.
struct OrderList {
  std::uint32_t bandBit = 0;
  std::wstring text;
};

OrderList OrderListFor(std::uint32_t mask) {
  if (mask & kBandTerrestrial) return {kBandTerrestrial, ReadViewText(L"CHANNEL_LIST_TR", kOrderListChars)};
  if (mask & kBandBs) return {kBandBs, ReadViewText(L"CHANNEL_LIST_BS", kOrderListChars)};
  if (mask & kBandCs) return {kBandCs, ReadViewText(L"CHANNEL_LIST_CS", kOrderListChars)};
  return {};
}

}  // namespace

bool IsChannelShown(std::uint64_t serviceKey) {
  return ShownGiven(serviceKey, ReadViewText(L"IGNORE_CHANNEL", 0));
}

std::uint64_t FindServiceInBand(std::uint32_t mask, long long serviceId) {
  if (serviceId < 0) return 0;
  for (const auto& [key, name] : ServiceMap) {
    if ((BandMaskOf(key) & mask) && SidOf(key) == serviceId) return key;
  }
  return 0;
}

std::vector<std::uint64_t> ChannelsInDisplayOrder(std::uint32_t mask) {
  const std::wstring ignored = ReadViewText(L"IGNORE_CHANNEL", 0);
  const OrderList list = OrderListFor(mask);
  std::vector<std::uint64_t> order;

  std::vector<std::wstring> entries;
  SplitToVector(list.text, L' ', entries);
  if (entries.size() > kOrderListEntries) entries.resize(kOrderListEntries);
  for (const std::wstring& entry : entries) {
    // The letter is not checked; only the list's own band is searched, so a
    // service of another band with the same id cannot stand in for it.
    long long serviceId = ParseHex32W(std::wstring_view(entry).substr(1));
    std::uint64_t key = FindServiceInBand(mask & list.bandBit, serviceId);
    if (key != 0 && ShownGiven(key, ignored)) order.push_back(key);
  }
  for (const auto& [key, name] : ServiceMap) {
    if (!(BandMaskOf(key) & mask) || !ShownGiven(key, ignored)) continue;
    if (list.text.find(ChannelKeyText(key)) != std::wstring::npos) continue;
    order.push_back(key);
  }
  return order;
}

std::uint64_t NthChannel(std::uint32_t mask, int n) {
  if (n < 0) return 0;
  std::vector<std::uint64_t> order = ChannelsInDisplayOrder(mask);
  return static_cast<std::size_t>(n) < order.size() ? order[static_cast<std::size_t>(n)] : 0;
}

int CountChannels(std::uint32_t mask) {
  return static_cast<int>(ChannelsInDisplayOrder(mask).size());
}

int ChannelIndexOf(std::uint64_t serviceKey) {
  std::vector<std::uint64_t> order = ChannelsInDisplayOrder(BandMaskOf(serviceKey));
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (order[i] == serviceKey) return static_cast<int>(i);
  }
  return 0;
}

std::uint64_t ParseChannelKey(std::wstring_view keyText) {
  if (keyText.empty()) return 0;
  const int band = BandIndexOfLetter(keyText[0]);
  if (band < 0) return 0;
  const std::uint32_t serviceId = ParseHex32W(keyText.substr(1));
  const std::wstring ignored = ReadViewText(L"IGNORE_CHANNEL", 0);
  for (const auto& [key, name] : ServiceMap) {
    if (BandIndexOf(key) == band && SidOf(key) == serviceId && ShownGiven(key, ignored))
      return key;
  }
  return 0;
}

}  // namespace plimod
