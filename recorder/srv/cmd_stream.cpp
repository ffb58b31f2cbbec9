#include "recorder/srv/cmd_stream.h"

#include <cstring>

#include "recorder/srv/cmd_stream_fields.h"
#include "recorder/srv/srv_wire_text.h"

namespace plimod {

namespace {

template <class T>
bool WriteLe(T value, StreamOut buf, std::size_t& written) {
  if (buf.size() < sizeof(T)) return false;
  const auto bits = static_cast<std::uint64_t>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) buf[i] = static_cast<std::uint8_t>(bits >> (8 * i));
  written = sizeof(T);
  return true;
}

template <class T>
bool ReadLe(T& out, StreamIn data, std::size_t& used) {
  if (data.size() < sizeof(T)) return false;
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) bits |= static_cast<std::uint64_t>(data[i]) << (8 * i);
  out = static_cast<T>(bits);
  used = sizeof(T);
  return true;
}

}  // namespace

std::size_t CmdStreamSize(std::uint8_t) { return 1; }
std::size_t CmdStreamSize(std::uint16_t) { return 2; }
std::size_t CmdStreamSize(std::uint32_t) { return 4; }
std::size_t CmdStreamSize(const SystemTime&) { return 16; }
std::size_t CmdStreamSize(const std::wstring& value) { return 2 * WireUnitCount(value) + 6; }
std::size_t CmdStreamSize(const SrvRecFolder& value) { return cmd_stream::RecordSize(value); }
std::size_t CmdStreamSize(const SrvRecSetting& value) { return cmd_stream::RecordSize(value); }
std::size_t CmdStreamSize(const SrvReserveData& value) { return cmd_stream::RecordSize(value); }

bool CmdStreamWrite(std::uint8_t value, StreamOut buf, std::size_t& written) {
  return WriteLe(value, buf, written);
}
bool CmdStreamWrite(std::uint16_t value, StreamOut buf, std::size_t& written) {
  return WriteLe(value, buf, written);
}
bool CmdStreamWrite(std::uint32_t value, StreamOut buf, std::size_t& written) {
  return WriteLe(value, buf, written);
}

bool CmdStreamWrite(const SystemTime& value, StreamOut buf, std::size_t& written) {
  if (buf.size() < 16) return false;
  const std::uint16_t fields[8] = {value.wYear,   value.wMonth,  value.wDayOfWeek, value.wDay,
                                   value.wHour,   value.wMinute, value.wSecond,
                                   value.wMilliseconds};
  std::size_t n = 0;
  for (int i = 0; i < 8; ++i) (void)WriteLe(fields[i], buf.subspan(2 * i), n);
  written = 16;
  return true;
}

bool CmdStreamWrite(const std::wstring& value, StreamOut buf, std::size_t& written) {
  const std::size_t size = CmdStreamSize(value);
  if (size > std::numeric_limits<std::uint32_t>::max() || buf.size() < size) return false;
  std::memset(buf.data(), 0, size);  // the cleared last unit is the NUL
  std::size_t n = 0;
  (void)WriteLe(static_cast<std::uint32_t>(size), buf, n);
  WriteWireUnits(value, buf.data() + 4);
  written = size;
  return true;
}

bool CmdStreamWrite(const SrvRecFolder& value, StreamOut buf, std::size_t& written) {
  return cmd_stream::WriteRecord(value, buf, written);
}
bool CmdStreamWrite(const SrvRecSetting& value, StreamOut buf, std::size_t& written) {
  return cmd_stream::WriteRecord(value, buf, written);
}
bool CmdStreamWrite(const SrvReserveData& value, StreamOut buf, std::size_t& written) {
  return cmd_stream::WriteRecord(value, buf, written);
}

bool CmdStreamRead(std::uint8_t& out, StreamIn data, std::size_t& used) {
  return ReadLe(out, data, used);
}
bool CmdStreamRead(std::uint16_t& out, StreamIn data, std::size_t& used) {
  return ReadLe(out, data, used);
}
bool CmdStreamRead(std::uint32_t& out, StreamIn data, std::size_t& used) {
  return ReadLe(out, data, used);
}
bool CmdStreamRead(std::int64_t& out, StreamIn data, std::size_t& used) {
  return ReadLe(out, data, used);
}

bool CmdStreamRead(SystemTime& out, StreamIn data, std::size_t& used) {
  if (data.size() < 16) return false;
  std::uint16_t* fields[8] = {&out.wYear, &out.wMonth,  &out.wDayOfWeek, &out.wDay,
                              &out.wHour, &out.wMinute, &out.wSecond,    &out.wMilliseconds};
  std::size_t n = 0;
  for (int i = 0; i < 8; ++i) (void)ReadLe(*fields[i], data.subspan(2 * i), n);
  used = 16;
  return true;
}

bool CmdStreamRead(std::wstring& out, StreamIn data, std::size_t& used) {
  std::uint32_t size = 0;
  std::size_t n = 0;
  // Below 4 the string would claim fewer bytes than its own size field and
  // the next field would read those bytes again.
  if (!ReadLe(size, data, n) || size < 4 || data.size() < size) return false;
  out = ReadWireUnits(data.data() + 4, (size - 4) / 2);
  used = size;
  return true;
}

bool CmdStreamRead(SrvRecFolder& out, StreamIn data, std::size_t& used) {
  return cmd_stream::ReadRecord(out, data, used);
}
bool CmdStreamRead(SrvRecSetting& out, StreamIn data, std::size_t& used) {
  return cmd_stream::ReadRecord(out, data, used);
}
bool CmdStreamRead(SrvReserveData& out, StreamIn data, std::size_t& used) {
  return cmd_stream::ReadRecord(out, data, used);
}
bool CmdStreamRead(SrvRecFileInfo& out, StreamIn data, std::size_t& used) {
  return cmd_stream::ReadRecord(out, data, used);
}
bool CmdStreamRead(SrvTunerReserve& out, StreamIn data, std::size_t& used) {
  return cmd_stream::ReadRecord(out, data, used);
}

bool CmdStreamRead(std::vector<std::uint32_t>& out, StreamIn data, std::size_t& used) {
  return cmd_stream::ReadVector(out, data, used);
}
bool CmdStreamRead(std::vector<SrvRecFolder>& out, StreamIn data, std::size_t& used) {
  return cmd_stream::ReadVector(out, data, used);
}
bool CmdStreamRead(std::vector<SrvReserveData>& out, StreamIn data, std::size_t& used) {
  return cmd_stream::ReadVector(out, data, used);
}
bool CmdStreamRead(std::vector<SrvRecFileInfo>& out, StreamIn data, std::size_t& used) {
  return cmd_stream::ReadVector(out, data, used);
}
bool CmdStreamRead(std::vector<SrvTunerReserve>& out, StreamIn data, std::size_t& used) {
  return cmd_stream::ReadVector(out, data, used);
}

}  // namespace plimod
