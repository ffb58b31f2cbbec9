#include "services/syoboi_channels.h"

#include <mutex>
#include <optional>
#include <string_view>

#include "epg/epg_index.h"
#include "platform/text_codec.h"
#include "util/conversions.h"
#include "util/file_io.h"
#include "util/keys.h"
#include "util/module_paths.h"
#include "util/setting_file_path.h"
#include "util/text_width.h"

namespace plimod {

namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;

struct ChannelState {
  std::mutex mutex;
  std::optional<SyoboiChannelNames> names;  // built at the first use
  std::map<int, std::uint64_t> keysById;
};

ChannelState& State() {
  static ChannelState state;
  return state;
}

std::string FileBytes(const std::wstring& path) {
  std::size_t size = 0;
  Block block = ReadWholeFile(path, &size);
  if (!block) return {};
  return std::string(block.get(), size);
}

// Calls `use(name, value)` for every line that holds a TAB.
template <typename Use>
void ForEachTabLine(std::wstring_view text, Use use) {
  while (!text.empty()) {
    std::size_t end = text.find(L'\n');
    std::wstring_view line = text.substr(0, end);
    text = end == std::wstring_view::npos ? std::wstring_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
    const std::size_t tab = line.find(L'\t');
    if (tab != std::wstring_view::npos) use(std::wstring(line.substr(0, tab)), line.substr(tab + 1));
  }
}

std::wstring RecorderChannelFilePath(const IniFile& settings) {
  std::wstring program;
  if (!GetSettingFilePath(settings, program, kMaxPathChars, L"EPGDATACAP", L"EPGTIMEREXE",
                          L"EpgTimer_Bon.exe", true)) {
    return {};
  }
  const std::size_t slash = program.rfind(L'/');
  if (slash == std::wstring::npos) return {};
  return program.substr(0, slash + 1) + L"iChset.txt";
}

SyoboiChannelNames BuildChannelNames(const IniFile& settings) {
  SyoboiChannelNames names;
  ReadSyoboiChannelFile(GetModuleDir() + L"syobocal_ch.txt", names);
  if (settings.GetIntDefault(L"EPGDATACAP", L"ENABLE", 0) == 1) {
    const std::wstring path = RecorderChannelFilePath(settings);
    if (!path.empty()) ReadRecorderChannelFile(path, names);
  }
  return names;
}

void MapWithState(ChannelState& state, const IniFile& settings, std::wstring& name) {
  if (!state.names) state.names = BuildChannelNames(settings);
  const auto found = state.names->find(name);
  if (found != state.names->end() && !found->second.empty()) name = found->second;
}

std::uint64_t FindServiceByName(const std::wstring& name) {
  const std::wstring folded = ToHalfWidthForMatch(name);
  for (int band = 0; band < 4; ++band) {
    for (const auto& [key, serviceName] : ServiceMap) {
      if (BandIndexOf(key) == band && ToHalfWidthForMatch(serviceName) == folded) return key;
    }
  }
  return 0;
}

void UseServiceName(std::uint64_t key, std::wstring& name) {
  const auto found = ServiceMap.find(key);
  if (found != ServiceMap.end()) name = found->second;
}

}  // namespace

void ReadSyoboiChannelFile(const std::wstring& path, SyoboiChannelNames& names) {
  std::wstring text = Utf16LeToWide(FileBytes(path));
  if (!text.empty() && text.front() == kByteOrderMark) text.erase(0, 1);
  ForEachTabLine(text, [&](std::wstring name, std::wstring_view local) { names[name] = local; });
}

void ReadRecorderChannelFile(const std::wstring& path, SyoboiChannelNames& names) {
  const std::wstring text = Cp932ToWide(FileBytes(path));
  ForEachTabLine(text, [&](std::wstring name, std::wstring_view keyText) {
    const auto service = ServiceMap.find(ParseHex64W(keyText));
    if (service != ServiceMap.end()) names[name] = service->second;
  });
}

void MapSyoboiChannel(const IniFile& settings, std::wstring& name) {
  ChannelState& state = State();
  std::lock_guard lock(state.mutex);
  MapWithState(state, settings, name);
}

SyoboiChannelMatch MatchSyoboiChannel(const IniFile& settings, int channelId, std::wstring& name) {
  ChannelState& state = State();
  std::lock_guard lock(state.mutex);
  if (const auto cached = state.keysById.find(channelId); cached != state.keysById.end()) {
    if (cached->second != 0) UseServiceName(cached->second, name);
    return {cached->second, false};
  }
  MapWithState(state, settings, name);
  const std::uint64_t key = FindServiceByName(name);
  state.keysById[channelId] = key;
  if (key != 0) UseServiceName(key, name);
  return {key, key == 0};
}

void ResetSyoboiChannelsForTesting() {
  ChannelState& state = State();
  std::lock_guard lock(state.mutex);
  state.names.reset();
  state.keysById.clear();
}

}  // namespace plimod
