#include "recorder/legacy/legacy_records.h"

#include <cstring>
#include <string>

#include "recorder/srv/srv_wire_text.h"

namespace plimod::EpgTimerSrvLegacyClient {

namespace {

constexpr std::size_t kTailBytes = 16;  // margin enable, start, end, service flags

class RecordWriter {
 public:
  explicit RecordWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  RecordWriter& U8(std::uint8_t v) { return Le(v, 1); }
  RecordWriter& U16(std::uint16_t v) { return Le(v, 2); }
  RecordWriter& U32(std::uint32_t v) { return Le(v, 4); }
  RecordWriter& Time(const SystemTime& t) {
    return U16(t.wYear).U16(t.wMonth).U16(t.wDayOfWeek).U16(t.wDay).U16(t.wHour).U16(t.wMinute)
        .U16(t.wSecond).U16(t.wMilliseconds);
  }
  RecordWriter& Text(const std::wstring& text) {
    const std::size_t units = WireUnitCount(text);
    U32(static_cast<std::uint32_t>(2 * units + 2));
    const std::size_t at = out_.size();
    out_.resize(at + 2 * units + 2, 0);
    WriteWireUnits(text, out_.data() + at);
    return *this;
  }

 private:
  RecordWriter& Le(std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
  }
  std::vector<std::uint8_t>& out_;
};

// A cursor that fails, and stays failed, when a field runs past the body.
class RecordReader {
 public:
  explicit RecordReader(std::span<const std::uint8_t> body) : body_(body) {}
  bool ok() const { return ok_; }
  std::size_t left() const { return ok_ ? body_.size() - pos_ : 0; }

  template <class T>
  RecordReader& Num(T& out) {
    if (!Take(sizeof(T))) return *this;
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) v |= static_cast<std::uint32_t>(body_[pos_ + i]) << (8 * i);
    out = static_cast<T>(v);
    pos_ += sizeof(T);
    return *this;
  }
  RecordReader& Time(SystemTime& t) {
    return Num(t.wYear).Num(t.wMonth).Num(t.wDayOfWeek).Num(t.wDay).Num(t.wHour).Num(t.wMinute)
        .Num(t.wSecond).Num(t.wMilliseconds);
  }
  // A length of 0 (no room for the NUL), an odd one or one past the body
  // fails.
  RecordReader& Text(std::wstring& out) {
    std::uint32_t bytes = 0;
    Num(bytes);
    if (!ok_ || bytes == 0 || bytes % 2 != 0 || !Take(bytes)) {
      ok_ = false;
      return *this;
    }
    out = ReadWireUnits(body_.data() + pos_, bytes / 2);
    pos_ += bytes;
    return *this;
  }

 private:
  bool Take(std::size_t n) {
    if (ok_ && body_.size() - pos_ >= n) return true;
    ok_ = false;
    return false;
  }
  std::span<const std::uint8_t> body_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace

void WriteReserveRecord(const ReserveRow& row, CommandPacket& packet) {
  packet.data.clear();
  RecordWriter w(packet.data);
  w.Text(row.title).Time(row.start).U32(row.duration).Text(row.station);
  w.U16(row.originalNetworkId).U16(row.transportStreamId).U16(row.serviceId).U16(row.eventId);
  w.U8(row.priority).U8(row.follow).Text(row.comment).U32(row.recordMode).U32(row.pittari);
  w.Text(row.batchPath).U32(static_cast<std::uint32_t>(row.reserveId)).U32(row.carriedByte);
  w.U32(row.unrecordable).Text(row.folderText).U16(row.postAction).U32(row.resumeRestart);
  w.Text(row.extraText).U32(row.marginEnable).U32(row.marginStart).U32(row.marginEnd);
  w.U32(row.serviceFlags);
}

void WriteId(std::uint32_t id, CommandPacket& packet) {
  packet.data.clear();
  RecordWriter(packet.data).U32(id);
}

void WriteReserveList(const std::vector<ReserveRow>& rows, CommandPacket& packet) {
  packet.data.clear();
  RecordWriter(packet.data).U32(static_cast<std::uint32_t>(rows.size()));
  for (const ReserveRow& row : rows) {
    CommandPacket record;
    WriteReserveRecord(row, record);
    RecordWriter(packet.data).U32(static_cast<std::uint32_t>(record.data.size()));
    packet.data.insert(packet.data.end(), record.data.begin(), record.data.end());
  }
}

bool ReadReserveRecord(ReserveRow& row, std::span<const std::uint8_t> body) {
  ReserveRow read;
  RecordReader r(body);
  r.Text(read.title).Time(read.start).Num(read.duration).Text(read.station);
  r.Num(read.originalNetworkId).Num(read.transportStreamId).Num(read.serviceId).Num(read.eventId);
  r.Num(read.priority).Num(read.follow).Text(read.comment).Num(read.recordMode).Num(read.pittari);
  r.Text(read.batchPath).Num(read.reserveId).Num(read.carriedByte).Num(read.unrecordable);
  r.Text(read.folderText).Num(read.postAction).Num(read.resumeRestart).Text(read.extraText);
  if (!r.ok()) return false;
  if (r.left() >= kTailBytes) {
    r.Num(read.marginEnable).Num(read.marginStart).Num(read.marginEnd).Num(read.serviceFlags);
  } else {
    read.marginEnable = 0;
    read.marginStart = 10;
    read.marginEnd = 2;
    read.serviceFlags = 0;
  }
  row = std::move(read);
  return true;
}

bool ReadTunerReserveRecord(TunerReserveRow& tuner, std::span<const std::uint8_t> body) {
  TunerReserveRow read;
  std::uint32_t count = 0;
  RecordReader r(body);
  r.Text(read.tunerName).Num(read.tunerId).Num(count);
  // Ids are appended as they are read: a count the body does not back
  // ends in a failed read, not in a large allocation.
  for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
    std::uint32_t id = 0;
    if (r.Num(id).ok()) read.reserveIds.push_back(id);
  }
  if (!r.ok()) return false;
  tuner = std::move(read);
  return true;
}

}  // namespace plimod::EpgTimerSrvLegacyClient
