#include "epg_test_data.h"

#include <gtest/gtest.h>

#include <utility>

#include "tools/epgwriter/epg_file_writer.h"

namespace plimod::test {

epgwriter::EventDescription MakeEvent(std::uint16_t eventId, int year, int month, int day,
                                      int hour, int minute, int durationMinutes,
                                      std::u16string title) {
  epgwriter::EventDescription event;
  event.event_id = eventId;
  event.start = epgwriter::JapanSeconds(year, month, day, hour, minute);
  event.duration_seconds = static_cast<std::uint32_t>(durationMinutes * 60);
  event.title = std::move(title);
  return event;
}

epgwriter::ServiceDescription MakeService(std::uint16_t serviceId, std::uint8_t type,
                                          std::u16string name,
                                          std::vector<epgwriter::EventDescription> events) {
  epgwriter::ServiceDescription service;
  service.service_id = serviceId;
  service.service_type = type;
  service.name = std::move(name);
  service.events = std::move(events);
  return service;
}

epgwriter::EpgFileDescription MakeFile(std::vector<epgwriter::ServiceDescription> services,
                                       std::uint16_t tsid) {
  epgwriter::EpgFileDescription file;
  epgwriter::TransportDescription transport;
  transport.original_network_id = kOnid;
  transport.transport_stream_id = tsid;
  transport.services = std::move(services);
  file.now = epgwriter::JapanSeconds(2026, 12, 10);
  for (const auto& service : transport.services) {
    for (const auto& event : service.events) {
      if (event.start && *event.start < file.now) file.now = *event.start;
    }
  }
  file.transports.push_back(std::move(transport));
  return file;
}

std::string EpgFileBytes(const epgwriter::EpgFileDescription& description) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  const bool written = epgwriter::BuildEpgStream(description, epgwriter::WriteOptions{}, bytes, error);
  EXPECT_TRUE(written) << error;
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace plimod::test
