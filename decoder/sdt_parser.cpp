#include "decoder/sdt_parser.h"

#include "decoder/arib_string.h"

namespace epgdec {
namespace {

constexpr uint8_t kServiceDescriptor = 0x48;
constexpr size_t kSdtFixedHeader = 11;

// service_descriptor: type, provider name (skipped), service name.
void ReadServiceDescriptor(const uint8_t* d, size_t size, ServiceRecord& service) {
  if (size < 2) return;
  service.service_type = d[0];
  size_t provider_length = d[1];
  size_t pos = 2 + provider_length;
  if (pos >= size) return;
  size_t name_length = d[pos];
  if (pos + 1 + name_length > size) return;
  service.name = arib::Decode(d + pos + 1, name_length);
}

}  // namespace

std::vector<ServiceRecord> ParseSdtServices(const uint8_t* section, size_t size) {
  std::vector<ServiceRecord> services;
  if (size < kSdtFixedHeader + kSectionCrcSize) return services;
  size_t end = size - kSectionCrcSize;
  size_t pos = kSdtFixedHeader;
  while (pos + 5 <= end) {
    ServiceRecord service;
    service.service_id = ReadU16(section + pos);
    size_t loop_length = ((section[pos + 3] & 0x0Fu) << 8) | section[pos + 4];
    pos += 5;
    if (pos + loop_length > end) break;
    ForEachDescriptor(section + pos, loop_length, [&](uint8_t tag, const uint8_t* d, size_t length) {
      if (tag == kServiceDescriptor) ReadServiceDescriptor(d, length, service);
    });
    pos += loop_length;
    services.push_back(std::move(service));
  }
  return services;
}

}  // namespace epgdec
