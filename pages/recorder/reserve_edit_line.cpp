#include "pages/recorder/reserve_edit_line.h"

#include <cstdio>
#include <cstdlib>

#include "pages/recorder/reserve_request_line.h"
#include "recorder/base/recorder_text.h"
#include "server/page_helpers.h"
#include "util/conversions.h"
#include "util/page_text.h"

namespace plimod {
namespace {

constexpr int kBatchField = 14;

std::string Number(int value) { return IntToString(value); }

int Posted(const RequestParameters& params, const char* name) { return std::atoi(params.Value(name).c_str()); }

// The old line from field `n` to its end.
std::string_view TailFrom(const ReserveTextLine& old, int n) {
  if (!old.Has(n)) return {};
  return old.text.substr(static_cast<std::size_t>(old.fields[n].data() - old.text.data()));
}

// A list number's batch file, else "0" (none).
std::string BatchField(const RequestParameters& params, const IniSection& section) {
  std::string path = BatchListPath(params.Value("edc_ext2"), section);
  return path.empty() ? "0" : path;
}

}  // namespace

void FillReserveEditForm(RequestParameters& params, const ReserveLine& line, bool srvMode) {
  params["edc_title"] = PageText(AnsiToUtf8(line.title));
  params["edc_station"] = PageText(AnsiToUtf8(line.station));
  params["edc_comment"] = PageText(AnsiToUtf8(line.comment));
  params["edc_Y"] = Number(line.start.wYear);
  params["edc_M"] = Number(line.start.wMonth);
  params["edc_D"] = Number(line.start.wDay);
  params["edc_h"] = Number(line.start.wHour);
  params["edc_m"] = Number(line.start.wMinute);
  params["edc_s"] = Number(line.start.wSecond);
  params["edc_ttl_h"] = Number(line.durationHours);
  params["edc_ttl_m"] = Number(line.durationMinutes);
  params["edc_ttl_s"] = Number(line.durationSeconds);
  params["edc_priority"] = Number(line.priority);
  params["edc_forrow"] = Number(line.follow);
  params["edc_recmode"] = Number(line.recordMode);
  params["edc_ext1"] = Number(line.pittari);
  params["edc_ext2"] = AnsiToUtf8(line.batchPath);
  if (!srvMode) return;
  params["edc_recdir"] = AnsiToUtf8(line.recFolder);
  params["edc_postaction"] = Number(line.postAction);
  params["edc_resumerestart"] = Number(line.resumeRestart);
  params["edc_margin_enable"] = Number(line.marginEnable);
  params["edc_margin_s"] = Number(line.marginStart);
  params["edc_margin_e"] = Number(line.marginEnd);
  params["edc_service_flag"] = Number(line.serviceOptions);
}

std::string EditedProgramTxtLine(const ReserveTextLine& old, const RequestParameters& params,
                                 const SystemTime& start, const IniSection& section) {
  char head[160];
  std::snprintf(head, sizeof head, "%04d/%02d/%02d\t%02d:%02d:%02d\t%02d:%02d:%02d\t", start.wYear, start.wMonth,
                start.wDay, start.wHour, start.wMinute, start.wSecond, Posted(params, "edc_ttl_h"),
                Posted(params, "edc_ttl_m"), Posted(params, "edc_ttl_s"));
  std::string line = head;
  line += ReserveLineText(params.Value("edc_title")) + "\t" + ReserveLineText(params.Value("edc_station")) + "\t";
  std::snprintf(head, sizeof head, "%d\t%d\t%d\t%d\t%d\t%d\t", old.Number(5), old.Number(6), old.Number(7),
                old.Number(8), Posted(params, "edc_priority"), Posted(params, "edc_forrow"));
  line += head;
  line += old.Field(11);
  std::snprintf(head, sizeof head, "\t%d\t%d\t", Posted(params, "edc_recmode"), Posted(params, "edc_ext1"));
  line += head;
  if (params.Value("edc_ext2") == "def") {
    line += TailFrom(old, kBatchField);
  } else {
    line += BatchField(params, section) + "\t";
    line += TailFrom(old, kBatchField + 1);
  }
  return line;
}

}  // namespace plimod
