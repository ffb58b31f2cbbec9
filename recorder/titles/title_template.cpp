#include "recorder/titles/title_template.h"

#include <array>
#include <cwchar>
#include <mutex>
#include <string_view>
#include <vector>

#include "epg/epg_index.h"
#include "util/keys.h"
#include "util/text_clean.h"
#include "util/text_html.h"
#include "util/text_regex.h"
#include "util/text_title.h"
#include "util/text_token.h"
#include "util/text_width.h"

namespace plimod {

namespace {

constexpr std::size_t kArgumentCapacity = 512;
constexpr std::int64_t kSecondsPerDay = 86'400;
constexpr int kBroadcastDayStartHour = 4;
constexpr wchar_t kNumberingPattern[] = L"\\@\\d{0,1}(nb|NB)";
constexpr wchar_t kDayLetters[] = L"日月火水木金土";
constexpr const wchar_t* kDayNames[] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};

std::mutex& LookupMutex() {
  static std::mutex mutex;
  return mutex;
}

TemplateSyoboiLookup& Lookup() {
  static TemplateSyoboiLookup lookup;
  return lookup;
}

std::optional<TemplateSyoboiProgram> FindProgram(std::uint64_t serviceKey, const SystemTime& start) {
  TemplateSyoboiLookup lookup;
  {
    std::lock_guard lock(LookupMutex());
    lookup = Lookup();
  }
  if (!lookup) return std::nullopt;
  return lookup(serviceKey, start);
}

enum class Macro {
  kTitle, kTitleNoTags, kShort, kShortTrimmed,
  kNumberHash, kNumberHash2, kNumberHash3, kNumberHash4, kNumber, kNumber2, kNumber3, kNumber4,
  kChannel, kChannelHalf,
  kYear, kYear2, kMonth, kDay, kStartHour, kStartMinute, kStartSecond, kDayLetter, kDayName,
  kEndHour, kEndMinute, kEndSecond,
  kBYear, kBYear2, kBMonth, kBDay, kBStartHour, kBStartMinute, kBStartSecond, kBDayLetter, kBDayName,
  kBEndHour, kBEndMinute, kBEndSecond,
  kMoveSubtitle, kEraseFromTitle, kExtractTitle, kExtractShort, kExtractExtended,
  kPutTitle, kPutShort, kPutExtended, kHalfTitle, kHalfShort, kHalfExtended,
  kSyoboiTitle, kCountHash, kCountHash2, kCountHash3, kCountHash4, kCount, kCount2, kCount3, kCount4,
  kSyoboiSubTitle, kSyoboiComment,
};

struct MacroName {
  std::wstring_view name;
  Macro macro;
};

// Tried in this order; the first name the text continues with is taken.
constexpr MacroName kMacros[] = {
    {L"TT", Macro::kTitle}, {L"tt", Macro::kTitleNoTags}, {L"SB", Macro::kShort}, {L"sb", Macro::kShortTrimmed},
    {L"NB", Macro::kNumberHash}, {L"2NB", Macro::kNumberHash2}, {L"3NB", Macro::kNumberHash3},
    {L"4NB", Macro::kNumberHash4}, {L"nb", Macro::kNumber}, {L"2nb", Macro::kNumber2}, {L"3nb", Macro::kNumber3},
    {L"4nb", Macro::kNumber4}, {L"CH", Macro::kChannel}, {L"ch", Macro::kChannelHalf},
    {L"YY", Macro::kYear}, {L"2YY", Macro::kYear2}, {L"MM", Macro::kMonth}, {L"DD", Macro::kDay},
    {L"SH", Macro::kStartHour}, {L"SM", Macro::kStartMinute}, {L"SS", Macro::kStartSecond},
    {L"WK", Macro::kDayLetter}, {L"WE", Macro::kDayName}, {L"EH", Macro::kEndHour}, {L"EM", Macro::kEndMinute},
    {L"ES", Macro::kEndSecond}, {L"yy", Macro::kBYear}, {L"2yy", Macro::kBYear2}, {L"mm", Macro::kBMonth},
    {L"dd", Macro::kBDay}, {L"sh", Macro::kBStartHour}, {L"sm", Macro::kBStartMinute},
    {L"ss", Macro::kBStartSecond}, {L"wk", Macro::kBDayLetter}, {L"we", Macro::kBDayName},
    {L"eh", Macro::kBEndHour}, {L"em", Macro::kBEndMinute}, {L"es", Macro::kBEndSecond},
    {L"MST", Macro::kMoveSubtitle}, {L"C'", Macro::kEraseFromTitle}, {L"NT", Macro::kExtractTitle},
    {L"NS", Macro::kExtractShort}, {L"ND", Macro::kExtractExtended}, {L"PT", Macro::kPutTitle},
    {L"PS", Macro::kPutShort}, {L"PD", Macro::kPutExtended}, {L"ht", Macro::kHalfTitle},
    {L"hs", Macro::kHalfShort}, {L"hd", Macro::kHalfExtended}, {L"CT", Macro::kSyoboiTitle},
    {L"CN", Macro::kCountHash}, {L"2CN", Macro::kCountHash2}, {L"3CN", Macro::kCountHash3},
    {L"4CN", Macro::kCountHash4}, {L"cn", Macro::kCount}, {L"2cn", Macro::kCount2}, {L"3cn", Macro::kCount3},
    {L"4cn", Macro::kCount4}, {L"CS", Macro::kSyoboiSubTitle}, {L"CC", Macro::kSyoboiComment},
};

const MacroName* MatchMacro(std::wstring_view text) {
  for (const MacroName& entry : kMacros) {
    if (text.substr(0, entry.name.size()) == entry.name) return &entry;
  }
  return nullptr;
}

std::wstring Number(int value, int width, bool hash) {
  wchar_t buffer[32];
  std::swprintf(buffer, std::size(buffer), hash ? L"#%0*d" : L"%0*d", width, value);
  return buffer;
}

// Fields with the day of the week filled in; `time` itself when invalid.
SystemTime Normalised(const SystemTime& time, std::int64_t addSeconds = 0) {
  const std::optional<std::int64_t> ticks = SystemTimeToTicks(time);
  if (!ticks) return time;
  return TicksToSystemTime(*ticks + addSeconds * kTicksPerSecond).value_or(time);
}

int GuardedDay(const SystemTime& time) { return time.wDayOfWeek < 7 ? time.wDayOfWeek : 0; }

// The times a template can show: calendar start and end, and the broadcast
// day, which runs from 04:00, so earlier starts show hours 24 to 27.
struct TemplateTimes {
  SystemTime start;
  SystemTime end;
  SystemTime day;
  int dayStartHour = 0;
  int dayEndHour = 0;
};

TemplateTimes TimesOf(const EpgEvent& event) {
  TemplateTimes times;
  times.start = Normalised(event.start);
  times.end = Normalised(event.start, event.durationSeconds);
  times.day = times.start;
  times.dayStartHour = times.start.wHour;
  times.dayEndHour = times.end.wHour;
  if (times.start.wHour < kBroadcastDayStartHour) {
    times.day = Normalised(event.start, -kSecondsPerDay);
    times.dayStartHour += 24;
    times.dayEndHour += 24;
  }
  return times;
}

class TitleExpander {
 public:
  TitleExpander(const std::wstring& titleTemplate, int counter, const EpgEvent& event)
      : template_(titleTemplate), counter_(counter), serviceKey_(ServiceKey(event.originalNetworkId,
                                                                            event.transportStreamId, event.serviceId)),
        times_(TimesOf(event)), syoboi_(FindProgram(serviceKey_, event.start)) {
    texts_ = {event.Title(), event.ShortText(), event.ExtendedText()};
  }

  std::wstring Run() {
    for (pos_ = 0; pos_ < template_.size();) {
      const wchar_t c = template_[pos_++];
      if (c != L'@') {
        out_ += c;
        continue;
      }
      const MacroName* macro = MatchMacro(std::wstring_view(template_).substr(pos_));
      if (!macro) {
        out_ += L'@';
        continue;
      }
      pos_ += macro->name.size();
      Apply(macro->macro);
    }
    return out_;
  }

 private:
  enum Text { kTitleText = 0, kShortText = 1, kExtendedText = 2 };

  void Two(int value) { out_ += Number(value, 2, false); }
  void Append(const std::wstring& text) { out_ += text; }

  void Apply(Macro macro) {
    if (ApplyText(macro) || ApplyTime(macro) || ApplyBroadcastDay(macro) || ApplyEdit(macro)) return;
    ApplySyoboi(macro);
  }

  bool ApplyText(Macro macro) {
    switch (macro) {
      case Macro::kTitle: Append(texts_[kTitleText]); return true;
      case Macro::kTitleNoTags: Append(StripBracketTags(texts_[kTitleText])); return true;
      case Macro::kShort: Append(texts_[kShortText]); return true;
      case Macro::kShortTrimmed: {
        std::wstring text = texts_[kShortText];
        TrimSpaces(text);
        Append(text);
        return true;
      }
      case Macro::kNumberHash: Append(Number(counter_, 1, true)); return true;
      case Macro::kNumberHash2: Append(Number(counter_, 2, true)); return true;
      case Macro::kNumberHash3: Append(Number(counter_, 3, true)); return true;
      case Macro::kNumberHash4: Append(Number(counter_, 4, true)); return true;
      case Macro::kNumber: Append(Number(counter_, 1, false)); return true;
      case Macro::kNumber2: Append(Number(counter_, 2, false)); return true;
      case Macro::kNumber3: Append(Number(counter_, 3, false)); return true;
      case Macro::kNumber4: Append(Number(counter_, 4, false)); return true;
      case Macro::kChannel: Append(ChannelName()); return true;
      case Macro::kChannelHalf: Append(ToHalfWidthAlnumCopy(ChannelName())); return true;
      default: return false;
    }
  }

  bool ApplyTime(Macro macro) {
    const SystemTime& start = times_.start;
    const SystemTime& end = times_.end;
    switch (macro) {
      case Macro::kYear: Append(Number(start.wYear, 4, false)); return true;
      case Macro::kYear2: Two(start.wYear % 100); return true;
      case Macro::kMonth: Two(start.wMonth); return true;
      case Macro::kDay: Two(start.wDay); return true;
      case Macro::kStartHour: Two(start.wHour); return true;
      case Macro::kStartMinute: Two(start.wMinute); return true;
      case Macro::kStartSecond: Two(start.wSecond); return true;
      case Macro::kDayLetter: out_ += kDayLetters[GuardedDay(start)]; return true;
      case Macro::kDayName: Append(kDayNames[GuardedDay(start)]); return true;
      case Macro::kEndHour: Two(end.wHour); return true;
      case Macro::kEndMinute: Two(end.wMinute); return true;
      case Macro::kEndSecond: Two(end.wSecond); return true;
      default: return false;
    }
  }

  bool ApplyBroadcastDay(Macro macro) {
    const SystemTime& day = times_.day;
    switch (macro) {
      case Macro::kBYear: Append(Number(day.wYear, 4, false)); return true;
      case Macro::kBYear2: Two(day.wYear % 100); return true;
      case Macro::kBMonth: Two(day.wMonth); return true;
      case Macro::kBDay: Two(day.wDay); return true;
      case Macro::kBStartHour: Two(times_.dayStartHour); return true;
      case Macro::kBStartMinute: Two(times_.start.wMinute); return true;
      case Macro::kBStartSecond: Two(times_.start.wSecond); return true;
      case Macro::kBDayLetter: out_ += kDayLetters[GuardedDay(day)]; return true;
      case Macro::kBDayName: Append(kDayNames[GuardedDay(day)]); return true;
      case Macro::kBEndHour: Two(times_.dayEndHour); return true;
      case Macro::kBEndMinute: Two(times_.end.wMinute); return true;
      case Macro::kBEndSecond: Two(times_.end.wSecond); return true;
      default: return false;
    }
  }

  bool ApplyEdit(Macro macro) {
    switch (macro) {
      case Macro::kMoveSubtitle: MoveSubtitle(); return true;
      case Macro::kEraseFromTitle:
        if (const auto pattern = Argument()) RegexErase(texts_[kTitleText], *pattern);
        return true;
      case Macro::kExtractTitle: Extract(kTitleText); return true;
      case Macro::kExtractShort: Extract(kShortText); return true;
      case Macro::kExtractExtended: Extract(kExtendedText); return true;
      case Macro::kPutTitle: Put(kTitleText); return true;
      case Macro::kPutShort: Put(kShortText); return true;
      case Macro::kPutExtended: Put(kExtendedText); return true;
      case Macro::kHalfTitle: texts_[kTitleText] = ToHalfWidthAlnum(texts_[kTitleText]); return true;
      case Macro::kHalfShort: texts_[kShortText] = ToHalfWidthAlnum(texts_[kShortText]); return true;
      case Macro::kHalfExtended: texts_[kExtendedText] = ToHalfWidthAlnum(texts_[kExtendedText]); return true;
      default: return false;
    }
  }

  void ApplySyoboi(Macro macro) {
    if (!syoboi_) return;  // no calendar programme: these add nothing
    switch (macro) {
      case Macro::kSyoboiTitle: Append(Unescaped(syoboi_->title)); return;
      case Macro::kSyoboiSubTitle: Append(Unescaped(syoboi_->subTitle)); return;
      case Macro::kSyoboiComment: Append(Unescaped(syoboi_->progComment)); return;
      case Macro::kCountHash: Append(Number(syoboi_->count, 1, true)); return;
      case Macro::kCountHash2: Append(Number(syoboi_->count, 2, true)); return;
      case Macro::kCountHash3: Append(Number(syoboi_->count, 3, true)); return;
      case Macro::kCountHash4: Append(Number(syoboi_->count, 4, true)); return;
      case Macro::kCount: Append(Number(syoboi_->count, 1, false)); return;
      case Macro::kCount2: Append(Number(syoboi_->count, 2, false)); return;
      case Macro::kCount3: Append(Number(syoboi_->count, 3, false)); return;
      case Macro::kCount4: Append(Number(syoboi_->count, 4, false)); return;
      default: return;
    }
  }

  static std::wstring Unescaped(std::wstring text) {
    HtmlUnescape(text);
    return text;
  }

  std::wstring ChannelName() const {
    const auto found = ServiceMap.find(serviceKey_);
    return found == ServiceMap.end() ? std::wstring() : found->second;
  }

  // "「episode」" and the character after it move from the title to the
  // short text; the cut stops at the title's end.
  void MoveSubtitle() {
    std::wstring& title = texts_[kTitleText];
    const std::size_t open = title.find(L'「');
    if (open == std::wstring::npos) return;
    const std::size_t close = title.find(L'」', open);
    if (close == std::wstring::npos) return;
    const std::size_t length = std::min(close - open + 2, title.size() - open);
    texts_[kShortText] = title.substr(open, length);
    title.erase(open, length);
  }

  // A digit 1-4 right after the macro name: its entry index 0-3.
  std::optional<int> EntryDigit() {
    if (pos_ < template_.size() && template_[pos_] >= L'1' && template_[pos_] <= L'4') {
      return template_[pos_++] - L'1';
    }
    return std::nullopt;
  }

  // The quoted argument after the macro; on failure the walk goes on right
  // after the macro name, so the rest is copied as text.
  std::optional<std::wstring> Argument() {
    const std::wstring_view rest = std::wstring_view(template_).substr(pos_);
    std::wstring argument;
    const std::size_t next = ParseQuotedToken(rest, argument, kArgumentCapacity);
    if (next == SkipPrefix(rest, L"'")) return std::nullopt;
    pos_ += next;
    return argument;
  }

  void Extract(Text text) {
    const std::optional<int> entry = EntryDigit();
    const std::optional<std::wstring> pattern = Argument();
    if (!pattern) return;
    std::array<std::wstring, 4>& list = lists_[text];
    if (entry) {
      list[*entry] = RegexExtract(texts_[text], *pattern);
      return;
    }
    std::vector<std::wstring> groups;
    if (!RegexExtractGroups(texts_[text], *pattern, groups)) return;
    for (std::size_t i = 0; i < groups.size() && i < list.size(); ++i) list[i] = groups[i];
  }

  void Put(Text text) {
    if (const std::optional<int> entry = EntryDigit()) Append(lists_[text][*entry]);
  }

  const std::wstring& template_;
  const int counter_;
  const std::uint64_t serviceKey_;
  const TemplateTimes times_;
  const std::optional<TemplateSyoboiProgram> syoboi_;
  std::array<std::wstring, 3> texts_;
  std::array<std::array<std::wstring, 4>, 3> lists_;
  std::size_t pos_ = 0;
  std::wstring out_;
};

void RemoveControlCharacters(std::wstring& text) {
  std::erase_if(text, [](wchar_t c) { return c < 0x20; });
}

}  // namespace

void SetTitleTemplateSyoboiLookup(TemplateSyoboiLookup lookup) {
  std::lock_guard lock(LookupMutex());
  Lookup() = std::move(lookup);
}

std::wstring expandTitleTemplate(const std::wstring& titleTemplate, int& counter, const EpgEvent& event) {
  const std::wstring numbering = RegexExtract(titleTemplate, kNumberingPattern);
  if (!numbering.empty() && numbering != L"[regexerr]") ++counter;
  std::wstring title = TitleExpander(titleTemplate, counter, event).Run();
  RemoveControlCharacters(title);
  TrimSpaces(title);
  return title;
}

}  // namespace plimod
