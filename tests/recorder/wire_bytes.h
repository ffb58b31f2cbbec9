#pragma once
// Hand-made wire bytes for the reservation-server tests, written field by
// field independently of the codec under test.

#include <cstdint>
#include <string>
#include <vector>

namespace plimod::test {

inline std::string Le16(std::uint16_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

inline std::string Le32(std::uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

inline std::string Le64(std::uint64_t v) {
  return Le32(static_cast<std::uint32_t>(v)) + Le32(static_cast<std::uint32_t>(v >> 32));
}

// UTF-16LE units of an ASCII text.
inline std::string Units(const std::string& ascii) {
  std::string out;
  for (char c : ascii) out += Le16(static_cast<unsigned char>(c));
  return out;
}

// A stream string: total size, units, NUL unit.
inline std::string WireString(const std::string& ascii) {
  return Le32(static_cast<std::uint32_t>(2 * ascii.size() + 6)) + Units(ascii) + Le16(0);
}

inline std::string Zeros(std::size_t n) { return std::string(n, '\0'); }

inline std::string WithTotal(const std::string& fields) {
  return Le32(static_cast<std::uint32_t>(fields.size() + 4)) + fields;
}

inline std::string WireVector(std::uint32_t count, const std::string& elements) {
  return Le32(static_cast<std::uint32_t>(elements.size() + 8)) + Le32(count) + elements;
}

// A command or reply header.
inline std::string Header(std::uint32_t param, std::uint32_t size) { return Le32(param) + Le32(size); }

inline std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }
inline std::string Text(const std::vector<std::uint8_t>& b) { return {b.begin(), b.end()}; }

// The nested recording setting as a new record holds it (43 bytes).
inline std::string NewSettingBytes() {
  return WithTotal("\x01\x01\x01" + Le32(0) + std::string(1, '\0') + WireString("") +
                   WireVector(0, "") + Zeros(3) + Le32(10) + Le32(5) + Zeros(2) + Le32(0));
}

// A reservation record: everything empty or zero but the title and id.
inline std::string ReserveBytes(const std::string& title, std::uint32_t reserveId) {
  return WithTotal(WireString(title) + Zeros(16) + Le32(0) + WireString("") + Zeros(8) +
                   WireString("") + Le32(reserveId) + Zeros(2) + WireString("") + Zeros(16) +
                   NewSettingBytes() + Le32(0));
}

// A list of `count` records that each state a total of 4 and carry nothing
// (4 bytes an element).
inline std::string EmptyRecordList(std::uint32_t count) {
  std::string elements;
  elements.reserve(4 * static_cast<std::size_t>(count));
  for (std::uint32_t i = 0; i < count; ++i) elements += Le32(4);
  return WireVector(count, elements);
}

}  // namespace plimod::test
