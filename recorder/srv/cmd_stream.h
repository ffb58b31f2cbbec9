#pragma once
// The reservation server's command stream: little-endian, no padding.
//   BYTE/WORD/DWORD 1/2/4 bytes; INT64 8 (read only); SYSTEMTIME 16 (eight
//   WORDs as they stand); string: DWORD total size (itself included), the
//   UTF-16 units, one NUL unit; record: DWORD total size, then its fields;
//   vector: DWORD total size (both DWORDs included), DWORD count, elements.
// Size tells the bytes a value takes; Write fails when the buffer is short
// (leaving it partly written); Read fails when the data runs short and
// reports the bytes it used. Quirks the server's peers rely on:
//   - a string reports its stated size as used; a stated size below 4
//     fails, and an odd one leaves the half unit out of the text;
//   - a record read on its own (the reply to a look-up, and the setting
//     nested in it) whose stated total is 4 or less reads no field and
//     keeps the destination's values; a larger total is checked against
//     the data but its surplus over the fields is not skipped;
//   - a vector read appends to the destination, each element starting as a
//     new record, and keeps the elements read before a failing one.
// A list costs no more than its bytes allow: an element of a vector, and
// every record nested in it, must state at least the smallest total its
// fields can take (each string its size field, each vector its two
// DWORDs), so it reads all its fields; a total of 4 there would make a
// 300-byte record in memory of every 4 bytes on the wire (a record on its
// own keeps the quirk: it costs one record whatever it states). A count
// larger than the vector's bytes over its smallest element fails before
// anything is reserved.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "platform/system_time.h"
#include "recorder/srv/srv_records.h"

namespace plimod {

using StreamOut = std::span<std::uint8_t>;
using StreamIn = std::span<const std::uint8_t>;

std::size_t CmdStreamSize(std::uint8_t value);
std::size_t CmdStreamSize(std::uint16_t value);
std::size_t CmdStreamSize(std::uint32_t value);
std::size_t CmdStreamSize(const SystemTime& value);
std::size_t CmdStreamSize(const std::wstring& value);
std::size_t CmdStreamSize(const SrvRecFolder& value);
std::size_t CmdStreamSize(const SrvRecSetting& value);
std::size_t CmdStreamSize(const SrvReserveData& value);

[[nodiscard]] bool CmdStreamWrite(std::uint8_t value, StreamOut buf, std::size_t& written);
[[nodiscard]] bool CmdStreamWrite(std::uint16_t value, StreamOut buf, std::size_t& written);
[[nodiscard]] bool CmdStreamWrite(std::uint32_t value, StreamOut buf, std::size_t& written);
[[nodiscard]] bool CmdStreamWrite(const SystemTime& value, StreamOut buf, std::size_t& written);
[[nodiscard]] bool CmdStreamWrite(const std::wstring& value, StreamOut buf, std::size_t& written);
[[nodiscard]] bool CmdStreamWrite(const SrvRecFolder& value, StreamOut buf, std::size_t& written);
[[nodiscard]] bool CmdStreamWrite(const SrvRecSetting& value, StreamOut buf, std::size_t& written);
[[nodiscard]] bool CmdStreamWrite(const SrvReserveData& value, StreamOut buf,
                                  std::size_t& written);

[[nodiscard]] bool CmdStreamRead(std::uint8_t& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(std::uint16_t& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(std::uint32_t& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(std::int64_t& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(SystemTime& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(std::wstring& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(SrvRecFolder& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(SrvRecSetting& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(SrvReserveData& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(SrvRecFileInfo& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(SrvTunerReserve& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(std::vector<std::uint32_t>& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(std::vector<SrvRecFolder>& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(std::vector<SrvReserveData>& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(std::vector<SrvRecFileInfo>& out, StreamIn data, std::size_t& used);
[[nodiscard]] bool CmdStreamRead(std::vector<SrvTunerReserve>& out, StreamIn data, std::size_t& used);

template <class T>
std::size_t CmdStreamSize(const std::vector<T>& values) {
  std::size_t size = 8;
  for (const T& value : values) size += CmdStreamSize(value);
  return size;
}

template <class T>
[[nodiscard]] bool CmdStreamWrite(const std::vector<T>& values, StreamOut buf,
                                  std::size_t& written) {
  const std::size_t size = CmdStreamSize(values);
  if (size > std::numeric_limits<std::uint32_t>::max() || buf.size() < size) return false;
  std::size_t pos = 0;
  std::size_t n = 0;
  if (!CmdStreamWrite(static_cast<std::uint32_t>(size), buf, n)) return false;
  pos += n;
  if (!CmdStreamWrite(static_cast<std::uint32_t>(values.size()), buf.subspan(pos), n)) return false;
  pos += n;
  for (const T& value : values) {
    if (!CmdStreamWrite(value, buf.subspan(pos), n)) return false;
    pos += n;
  }
  written = pos;
  return true;
}

}  // namespace plimod
