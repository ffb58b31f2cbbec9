#include "app/calendar_hooks.h"

#include <algorithm>
#include <utility>

#include "guide/command_pages.h"
#include "guide/epg_page/epg_page_hooks.h"
#include "recorder/titles/title_template.h"
#include "services/syoboi_check_page.h"
#include "services/syoboi_fetch.h"
#include "services/syoboi_schedule.h"

namespace plimod {

namespace {

PageSyoboiProgram ToPageProgram(std::int64_t startTicks, const SyoboiProgram& program) {
  PageSyoboiProgram page;
  page.pid = program.pid;
  page.tid = program.tid;
  page.serviceKey = program.serviceKey;
  page.seen = SyoboiProgramSeen(startTicks, program);
  page.title = program.title;
  page.subtitle = program.subTitle;
  page.comment = program.progComment;
  page.channelName = program.channelName;
  page.count = program.count;
  page.start = program.start;
  page.durationSeconds = static_cast<std::uint32_t>(std::max(program.durationSeconds, 0));
  return page;
}

std::vector<PageSyoboiProgram> PagePrograms() {
  const auto schedule = CurrentSyoboiSchedule();
  std::vector<PageSyoboiProgram> programs;
  programs.reserve(schedule->programs.size());
  for (const auto& [start, program] : schedule->programs) programs.push_back(ToPageProgram(start, program));
  return programs;
}

std::optional<PageSyoboiProgram> PageProgramByPid(int pid, const SystemTime& start) {
  const std::optional<std::int64_t> ticks = SystemTimeToTicks(start);
  if (!ticks) return std::nullopt;
  const std::optional<SyoboiProgram> program = FindSyoboiProgramByPid(pid, *ticks);
  if (!program) return std::nullopt;
  return ToPageProgram(*ticks, *program);
}

std::optional<TemplateSyoboiProgram> TemplateProgram(std::uint64_t serviceKey, const SystemTime& start) {
  const std::optional<SyoboiProgram> program = FindSyoboiProgram(serviceKey, start);
  if (!program) return std::nullopt;
  return TemplateSyoboiProgram{program->title, program->subTitle, program->progComment, program->count};
}

}  // namespace

void ConnectCalendarSchedule() {
  EpgPageHooks hooks = CurrentEpgPageHooks();
  hooks.clearSyoboiSeenFlags = ClearSyoboiSeenFlags;
  hooks.findSyoboiProgram = [](std::uint64_t serviceKey, const SystemTime& start) {
    return FindSyoboiProgram(serviceKey, start).has_value();
  };
  hooks.syoboiPrograms = PagePrograms;
  hooks.findSyoboiProgramByPid = PageProgramByPid;
  hooks.syoboiHost = kSyoboiHost;
  SetEpgPageHooks(std::move(hooks));
  SetTitleTemplateSyoboiLookup(TemplateProgram);
  SetCommandPage("syoboialert", ServeSyoboiCheckPage);
}

}  // namespace plimod
