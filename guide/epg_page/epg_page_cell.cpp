#include "guide/epg_page/epg_page_cell.h"

#include <cinttypes>
#include <optional>
#include <string>

#include "epg/epg_index.h"
#include "epg/highlight.h"
#include "guide/epg_page/epg_page_layout.h"
#include "guide/page_days.h"
#include "util/page_text.h"
#include "guide/program_links.h"
#include "platform/text_codec.h"
#include "server/page_reply.h"
#include "server/text_with_br.h"
#include "util/conversions.h"
#include "util/keys.h"

namespace plimod {

namespace {

constexpr std::size_t kLinkQueryMaxBytes = 63;
constexpr std::size_t kNoteMaxBytes = 255;

// What the cell needs to know besides the event itself.
struct CellFacts {
  bool syoboiOnly = false;
  std::optional<PageSyoboiProgram> program;  // found calendar programme
  std::optional<PageReserveMark> reserve;
  const EpgEvent* cell = nullptr;
  // A calendar-only cell holds a programme id where the condition number
  // goes; its texts are written from a copy without it, so it is not marked.
  std::optional<EpgEvent> unmarked;
  std::string linkQuery;

  // The event as its texts are written.
  const EpgEvent& Texts() const { return unmarked ? *unmarked : *cell; }
};

std::optional<PageReserveMark> FindReserve(const EpgEvent& cell, const EpgPageHooks& hooks) {
  if ((cell.displayFlags & kCellReserved) == 0 || !hooks.findReserveForEvent) return std::nullopt;
  EpgEvent calendar = cell;
  calendar.start = CalendarTimeOf(cell.start);
  return hooks.findReserveForEvent(calendar);
}

CellFacts GatherFacts(const EpgEvent& cell, const EpgCellContext& context) {
  CellFacts facts;
  facts.syoboiOnly = cell.originalNetworkId == kSyoboiOnlyNetwork;
  facts.cell = &cell;
  if (facts.syoboiOnly) {
    facts.unmarked = cell;
    facts.unmarked->conditionNumber = 0;
    if (context.hooks.findSyoboiProgramByPid) {
      facts.program =
          context.hooks.findSyoboiProgramByPid(static_cast<int>(cell.conditionNumber), CalendarTimeOf(cell.start));
    }
  }
  facts.reserve = FindReserve(cell, context.hooks);
  char query[128];
  const std::uint64_t key = ServiceKey(cell.originalNetworkId, cell.transportStreamId, cell.serviceId);
  const std::uint32_t condition = facts.Texts().conditionNumber;
  if (context.mark && condition > 0) {
    std::snprintf(query, sizeof query, "sid=%" PRIx64 "&eid=%x&cn=%u", key, cell.eventId, condition);
  } else {
    std::snprintf(query, sizeof query, "sid=%" PRIx64 "&eid=%x", key, cell.eventId);
  }
  facts.linkQuery = query;
  facts.linkQuery.resize(std::min(facts.linkQuery.size(), kLinkQueryMaxBytes));
  return facts;
}

std::string CellColour(const EpgEvent& cell, const CellFacts& facts, const EpgCellContext& context) {
  if ((cell.displayFlags & kCellFiller) != 0) return context.page.genreColours[kFillerColourSlot];
  if (!facts.syoboiOnly && cell.conditionNumber > 0) {
    auto [known, added] = context.conditionColours.try_emplace(cell.conditionNumber);
    if (added) known->second = ConditionColour(context.settings, static_cast<int>(cell.conditionNumber));
    if (!known->second.empty()) return known->second;
  }
  return context.page.genreColours[GenreColourSlot(cell)];
}

const char* CellClass(const EpgEvent& cell, const CellFacts& facts) {
  if ((cell.displayFlags & kCellDisabled) != 0) return " class=gray";
  if ((cell.displayFlags & kCellReserved) == 0) return " class=norm";
  if (facts.reserve && facts.reserve->inUnrecordableList) {
    return facts.reserve->unrecordable == 1 ? " class=warn" : " class=badr";
  }
  return " class=resv";
}

void WriteMinute(ReplyWriter& out, const EpgEvent& cell, const CellFacts& facts, const EpgCellContext& context) {
  SendPageText(out, "\t\t\t<td><span class=minute>");
  if (!facts.syoboiOnly) {
    SendPageText(out, "<a href='?%s' target=_blank>", facts.linkQuery.c_str());
  } else if (facts.program) {
    SendPageText(out, "<a href='http://%s/tid/%d#%d' target=_blank>", PageText(context.hooks.syoboiHost).c_str(),
                 facts.program->tid, facts.program->pid);
  } else {
    SendPageText(out, "<a>");
  }
  if ((cell.displayFlags & kCellCutAtTop) != 0) {
    SendPageText(out, "%u:%02u", cell.displayStartMinutes / 60, cell.displayStartMinutes % 60);
  } else {
    SendPageText(out, "%02d", cell.start.wMinute);
  }
  SendPageText(out, "</a></span>");
}

std::string StationName(const EpgEvent& cell, const CellFacts& facts) {
  if (facts.syoboiOnly) return facts.program ? PageText(facts.program->channelName) : std::string();
  const auto name = ServiceMap.find(ServiceKey(cell.originalNetworkId, cell.transportStreamId, cell.serviceId));
  return name == ServiceMap.end() ? std::string() : PageText(name->second);
}

std::string Note(const EpgEvent& cell, const CellFacts& facts, const EpgCellContext& context) {
  std::string note;
  if (cell.serviceId != 0 && cell.conditionNumber > 0 && context.page.addConditionNo) {
    note += "(No." + std::to_string(cell.conditionNumber) + ")";
  }
  if (facts.reserve && context.page.addTunerName) note += PageText(facts.reserve->tunerLabel);
  const int autoReserve =
      !facts.syoboiOnly && context.hooks.findAutoReserveNoForEvent ? context.hooks.findAutoReserveNoForEvent(cell) : 0;
  if (autoReserve > 0) {
    if (!note.empty()) note += " ";
    note += "自動予約 No." + std::to_string(autoReserve);
  }
  note.resize(Utf8CutPoint(note, kNoteMaxBytes));
  return note;
}

void WriteScriptTooltip(ReplyWriter& out, const char* indent, const std::string& query, const char* fragment,
                        const char* label) {
  SendPageText(out,
               "%s<span class=detail><a href='?%s' onmouseover='pjs_showTooltip(\"?pd=%s&%s\",this);return false;' "
               "onmouseout='pjs_leave()' target=_blank>%s</a>",
               indent, query.c_str(), fragment, query.c_str(), label);
}

// Detail 0: a "説" link whose tooltip shows the texts.
void WriteExplanationTooltip(ReplyWriter& out, const CellFacts& facts, const EpgCellContext& context) {
  const EpgEvent& event = facts.Texts();
  const bool shortShown = context.page.explanPopup && event.HasText(EventText::kShortText);
  if (!shortShown && !event.HasText(EventText::kExtendedText)) return;
  if (context.page.jsTooltips) {
    WriteScriptTooltip(out, " ", facts.linkQuery, "explan", "説");
    SendPageText(out, "</span> \n");
    return;
  }
  SendPageText(out, "<span class=detail><a href='?%s' class='toolTip' target=_blank>説<span>", facts.linkQuery.c_str());
  WriteTextWithBr(out, context.marks.Highlight(1, event));
  if (event.HasText(EventText::kShortText) && event.HasText(EventText::kExtendedText)) SendPageText(out, "<HR>\n");
  WriteTextWithBr(out, context.marks.Highlight(2, event));
  SendPageText(out, "</span></a></span>\n");
}

void WriteDetailOne(ReplyWriter& out, const CellFacts& facts, const EpgCellContext& context, const std::string& note) {
  const EpgEvent& event = facts.Texts();
  SendPageText(out, "\t\t\t<span class=explan>%s</span><br>\n", context.marks.Highlight(1, event).c_str());
  if (!event.HasText(EventText::kExtendedText)) {
    SendPageText(out, "<span class=detail>%s</span>", note.c_str());
  } else if (event.serviceId == 0) {
    SendPageText(out, "<span class=detail>%s</span>", context.marks.Highlight(2, event).c_str());
  } else if (context.page.jsTooltips) {
    WriteScriptTooltip(out, "\t\t\t", facts.linkQuery, "detail", "[詳細]");
    SendPageText(out, "%s</span>\n", note.c_str());
  } else {
    SendPageText(out, "\t\t\t<span class=detail><a href='?%s' class='toolTip' target=_blank>[詳細]<span>",
                 facts.linkQuery.c_str());
    WriteTextWithBr(out, context.marks.Highlight(2, event));
    SendPageText(out, "</span></a>%s</span>\n", note.c_str());
  }
}

void WriteDetailTwo(ReplyWriter& out, const CellFacts& facts, const EpgCellContext& context,
                    const std::string& note) {
  const EpgEvent& event = facts.Texts();
  SendPageText(out, "\t\t\t<span class=explan>%s</span><br>\n", context.marks.Highlight(1, event).c_str());
  if (!event.HasText(EventText::kExtendedText)) {
    SendPageText(out, "<span class=detail>%s</span>", note.c_str());
    return;
  }
  SendPageText(out, "\t\t\t<span class=detail>\n");
  WriteTextWithBr(out, context.marks.Highlight(2, event));
  SendPageText(out, "%s</span>\n", note.c_str());
}

void WriteProgramme(ReplyWriter& out, const EpgEvent& cell, const CellFacts& facts, const EpgCellContext& context) {
  WriteMinute(out, cell, facts, context);
  SendPageText(out, " <span class=title>%s</span> ", context.marks.Highlight(0, facts.Texts()).c_str());
  SendPageText(out, "<span class=station>%s</span>", StationName(cell, facts).c_str());
  WriteProgramSmallLinks(out, cell, context.page.links);
  if (context.detail == 0) WriteExplanationTooltip(out, facts, context);
  SendPageText(out, "<br>\n");
  const std::string note = Note(cell, facts, context);
  if (context.detail == 1) {
    WriteDetailOne(out, facts, context, note);
  } else if (context.detail == 2) {
    WriteDetailTwo(out, facts, context, note);
  } else {
    SendPageText(out, "<span class=detail>%s</span>", note.c_str());
  }
  if (facts.reserve && !facts.reserve->comment.empty()) {
    SendPageText(out, "\t\t\t<span class=detail>%s</span><br>\n", PageText(AnsiToUtf8(facts.reserve->comment)).c_str());
  }
}

}  // namespace

void WriteEpgPageCell(ReplyWriter& out, const EpgEvent& cell, int rowspan, int colspan,
                      const EpgCellContext& context) {
  const CellFacts facts = GatherFacts(cell, context);
  const bool reserved = (cell.displayFlags & kCellReserved) != 0;
  SendPageText(out, "\t<td rowspan=%d colspan=%d bgcolor=%s valign=top%s>\n", rowspan, colspan,
               ColourAttribute(CellColour(cell, facts, context)).c_str(), CellClass(cell, facts));
  SendPageText(out, "\t\t<table border=0 cellpadding=0 cellspacing=0");
  SendPageText(out, "><tbody>\n");
  SendPageText(out, "\t\t\t<tr valign=top><td width=%s></td>\n", reserved ? "0pt" : "2pt");
  if ((cell.displayFlags & kCellFiller) != 0) {
    SendPageText(out, "\t\t\t<td>");
  } else {
    WriteProgramme(out, cell, facts, context);
  }
  SendPageText(out, "\t\t\t</td>\n");
  SendPageText(out, "\t\t\t</tr>\n");
  SendPageText(out, "\t\t</tbody></table>\n");
  SendPageText(out, "\t</td>\n");
}

}  // namespace plimod
