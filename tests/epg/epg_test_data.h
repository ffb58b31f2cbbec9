#pragma once
// EPG data files for the tests, made by the project's writer and decoded by
// the real decoder module.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/epgwriter/epg_description.h"

namespace plimod::test {

inline constexpr std::uint16_t kOnid = 0x7FE0;
inline constexpr std::uint16_t kTsid = 0x7FE0;

// An event of `durationMinutes` starting at the given Japan time.
epgwriter::EventDescription MakeEvent(std::uint16_t eventId, int year, int month, int day,
                                      int hour, int minute, int durationMinutes,
                                      std::u16string title);

epgwriter::ServiceDescription MakeService(std::uint16_t serviceId, std::uint8_t type,
                                          std::u16string name,
                                          std::vector<epgwriter::EventDescription> events);

// One transport stream (kOnid, `tsid`) holding `services`; `now` is the
// start of the first event, or 2026-12-10 00:00 when there is none.
epgwriter::EpgFileDescription MakeFile(std::vector<epgwriter::ServiceDescription> services,
                                       std::uint16_t tsid = kTsid);

// The bytes of a "*_epg.dat" file holding the description.
std::string EpgFileBytes(const epgwriter::EpgFileDescription& description);

}  // namespace plimod::test
