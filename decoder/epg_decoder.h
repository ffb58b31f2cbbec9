#pragma once
// One decoder instance: packets in, service and event lists out. Everything
// the instance knows lives in this object; instances share nothing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "decoder/epg_database.h"
#include "decoder/epg_decoder_api.h"
#include "decoder/section_assembler.h"

namespace epgdec {

class EpgDecoder : private SectionSink {
 public:
  EpgDecoder();

  // Takes one 188-byte packet; packets of PIDs that carry no SDT, EIT or
  // time table are ignored. False when the size is not a packet's.
  bool AddPacket(const uint8_t* packet, size_t size);
  void Clear();
  void SetPfOnly(bool pf_only) { pf_only_ = pf_only; }
  // The decoder reads only the basic tables (SDT, EIT, TDT/TOT) in any mode,
  // so the flag is only kept.
  void SetBasicMode(bool basic) { basic_mode_ = basic; }

  // The lists stay valid until the next call of the same function or Clear.
  const std::vector<DecoderServiceEntry>& ServiceList();
  // Null when the service has no EIT data at all.
  const std::vector<DecoderEventEntry>* EventList(uint16_t onid, uint16_t tsid, uint16_t sid);

  // The broadcast's current time from the last TDT or TOT, seconds since
  // 1970 UTC; 0 when none was seen.
  int64_t StreamTime() const { return stream_time_; }

 private:
  void OnSection(const uint8_t* section, size_t size) override;
  SectionAssembler* AssemblerFor(uint16_t pid);

  // One assembler per PID that carries the tables read here.
  SectionAssembler sdt_pid_;
  SectionAssembler eit_pid_;
  SectionAssembler time_pid_;
  SectionAssembler extra_eit_pids_[2];
  EpgDatabase database_;
  bool pf_only_ = false;
  bool basic_mode_ = true;
  int64_t stream_time_ = 0;

  std::vector<DecoderServiceEntry> services_;
  std::u16string service_texts_;
  std::vector<DecoderEventEntry> events_;
  std::u16string event_texts_;
  std::vector<uint32_t> event_genres_;
};

}  // namespace epgdec
