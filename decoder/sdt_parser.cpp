#include "decoder/sdt_parser.h"

#include "decoder/arib_string.h"

namespace epgdec {
namespace {

constexpr uint8_t kServiceDescriptor = 0x48;
constexpr size_t kSdtFixedHeader = 11;
constexpr size_t kCrcSize = 4;

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
  if (size < kSdtFixedHeader + kCrcSize) return services;
  size_t end = size - kCrcSize;
  size_t pos = kSdtFixedHeader;
  while (pos + 5 <= end) {
    ServiceRecord service;
    service.service_id = ReadU16(section + pos);
    size_t loop_length = ((section[pos + 3] & 0x0Fu) << 8) | section[pos + 4];
    pos += 5;
    if (pos + loop_length > end) break;
    size_t loop_end = pos + loop_length;
    while (pos + 2 <= loop_end) {
      uint8_t tag = section[pos];
      size_t length = section[pos + 1];
      if (pos + 2 + length > loop_end) break;
      if (tag == kServiceDescriptor) ReadServiceDescriptor(section + pos + 2, length, service);
      pos += 2 + length;
    }
    pos = loop_end;
    services.push_back(std::move(service));
  }
  return services;
}

}  // namespace epgdec
