#include "services/recording_results.h"

#include <algorithm>
#include <vector>

#include "platform/file.h"
#include "platform/text_codec.h"
#include "recorder/base/recorder_paths.h"
#include "recorder/lines/reserve_text.h"
#include "recorder/base/reserve_text_numbers.h"
#include "util/format.h"

namespace plimod {
namespace {

constexpr std::size_t kDropCountOffset = 25;
constexpr std::size_t kMailMaxBytes = 16383;
constexpr std::size_t kEmailMaxBytes = 1023;

// The recorder's own comment for a recording that went well.
const std::string& NormalEndPrefix() {
  static const std::string prefix = WideToCp932(L"録画終了");
  return prefix;
}

bool IsAbnormalComment(std::string_view comment) {
  return !comment.empty() && !comment.starts_with(NormalEndPrefix());
}

bool AlreadyReported(const RecordingResults& results, const std::wstring& name) {
  return std::find(results.reportedErrorFiles.begin(), results.reportedErrorFiles.end(), name) !=
         results.reportedErrorFiles.end();
}

void RememberReported(RecordingResults& results, const std::wstring& name) {
  results.reportedErrorFiles[static_cast<std::size_t>(results.nextErrorFileSlot)] = name;
  results.nextErrorFileSlot = (results.nextErrorFileSlot + 1) % kReportedErrorFileSlots;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || folder.back() == L'/') return folder + name;
  return folder + L'/' + name;
}

}  // namespace

void TakeResultComments(RecordingResults& results, const std::string& reserveText, std::string& alert) {
  std::map<std::uint64_t, std::string> comments;
  for (const ReserveTextLine& line : SplitReserveText(reserveText)) {
    if (!line.IsReservation()) continue;
    const std::string_view comment = line.Field(16);
    if (!IsAbnormalComment(comment)) continue;
    const std::uint64_t key = LineProgramKey(line);
    comments[key] = std::string(comment);
    const auto known = results.comments.find(key);
    if (known != results.comments.end() && known->second == comment) continue;
    alert.append(line.Field(3)).append("\n").append(comment).append("\n");
  }
  results.comments = std::move(comments);
}

bool ReloadReserveResults(const IniFile& settings, RecordingResults& results, std::string& alert) {
  const std::optional<std::wstring> programTxt = LocateProgramTxt(settings);
  if (!programTxt) return false;
  const std::string text = LoadReserveText(settings, *programTxt);
  if (text.empty()) return false;
  TakeResultComments(results, text, alert);
  results.commentsLoaded = true;
  return true;
}

int HighestDropCount(std::string_view fileText) {
  int highest = 0;
  std::size_t pos = 0;
  while (pos < fileText.size()) {
    const std::size_t end = std::min(fileText.find('\r', pos), fileText.size());
    const std::string_view line = fileText.substr(pos, end - pos);
    if (line.empty()) break;
    highest = std::max(highest, LeadingIntAt(line, kDropCountOffset));
    pos = end + 1;
    if (pos < fileText.size() && fileText[pos] == '\n') ++pos;
  }
  return highest;
}

void CheckRecordingErrorFile(RecordingResults& results, const std::wstring& folder,
                             const std::wstring& name, std::string& alert) {
  if (AlreadyReported(results, name)) return;
  std::string text;
  if (!ReadFileToString(JoinPath(folder, name), text) || text.empty()) return;
  const int drops = HighestDropCount(text);
  if (drops < kDropAlertThreshold) return;
  alert += WideToCp932(name);
  alert += "\nDrop:" + std::to_string(drops) + "\n";
  RememberReported(results, name);
}

std::string EdcbAlertMail(const std::wstring& email, const std::string& alert) {
  std::string address = WideToCp932(email);
  address.resize(Cp932CutPoint(address, kEmailMaxBytes));
  std::vector<char> message(kMailMaxBytes + 1);
  FormatA(message.data(), message.size(), "To: %s\nSubject: EDCB ALERT\n\n%s", address.c_str(), alert.c_str());
  return message.data();
}

}  // namespace plimod
