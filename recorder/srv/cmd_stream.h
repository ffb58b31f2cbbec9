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
//   - a record whose stated total is 4 or less reads no field and keeps the
//     destination's values; a larger total is checked against the data but
//     its surplus over the fields is not skipped;
//   - a vector read appends to the destination, each element starting as a
//     new record, and keeps the elements read before a failing one.

#include <algorithm>
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

template <class T>
[[nodiscard]] bool CmdStreamRead(std::vector<T>& out, StreamIn data, std::size_t& used) {
  std::uint32_t total = 0;
  std::uint32_t count = 0;
  std::size_t n = 0;
  if (data.size() < 8 || !CmdStreamRead(total, data, n) || data.size() < total ||
      !CmdStreamRead(count, data.subspan(4), n)) {
    return false;
  }
  // Room for the count only as far as the vector's bytes could fill it in
  // memory (no element is smaller in memory than on the wire), so a count
  // that lies reserves no more than the reply's size; elements beyond that
  // grow the vector as they are read, and the data running out ends it.
  out.reserve(out.size() + std::min<std::size_t>(count, (std::max<std::uint32_t>(total, 8) - 8) / sizeof(T)));
  std::size_t pos = 8;
  for (std::uint32_t i = 0; i < count; ++i) {
    T element{};
    if (!CmdStreamRead(element, data.subspan(pos), n)) return false;
    pos += n;
    out.push_back(std::move(element));
  }
  used = pos;
  return true;
}

}  // namespace plimod
