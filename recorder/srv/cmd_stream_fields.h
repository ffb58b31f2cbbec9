#pragma once
// The field order of each record, written once and walked by the sizer,
// the writer and the reader (and by the test server, which also sends the
// records the program only receives).

#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "recorder/srv/cmd_stream.h"

namespace plimod::cmd_stream {

template <class R, class V>
void VisitFields(R& f, V& v)
  requires std::is_same_v<std::remove_const_t<R>, SrvRecFolder>
{
  v(f.parts[0])(f.parts[1])(f.parts[2])(f.parts[3]);
}

template <class R, class V>
void VisitFields(R& s, V& v)
  requires std::is_same_v<std::remove_const_t<R>, SrvRecSetting>
{
  v(s.recordMode)(s.priority)(s.follow)(s.serviceFlags)(s.pittari)(s.batchPath)(s.folders);
  v(s.postAction)(s.resumeRestart)(s.marginEnable)(s.marginStart)(s.marginEnd);
  v(s.optionA)(s.optionB)(s.optionWord);
}

template <class R, class V>
void VisitFields(R& r, V& v)
  requires std::is_same_v<std::remove_const_t<R>, SrvReserveData>
{
  v(r.title)(r.start)(r.duration)(r.station);
  v(r.originalNetworkId)(r.transportStreamId)(r.serviceId)(r.eventId);
  v(r.comment)(r.reserveId)(r.carriedByte)(r.unrecordable)(r.extraText)(r.programStart);
  v(r.setting)(r.trailingWord);
}

template <class R, class V>
void VisitFields(R& r, V& v)
  requires std::is_same_v<std::remove_const_t<R>, SrvRecFileInfo>
{
  v(r.resultId)(r.fileText)(r.title)(r.start)(r.duration)(r.station);
  v(r.originalNetworkId)(r.transportStreamId)(r.serviceId)(r.eventId);
  v(r.dropCount)(r.scrambleCount)(r.status)(r.programStart);
  v(r.comment)(r.secondText)(r.thirdText);
}

template <class R, class V>
void VisitFields(R& r, V& v)
  requires std::is_same_v<std::remove_const_t<R>, SrvTunerReserve>
{
  v(r.tunerId)(r.tunerName)(r.reserveIds);
}

// Sums the fields' sizes.
struct FieldSizer {
  std::size_t size = 0;
  template <class T>
  FieldSizer& operator()(const T& value) {
    size += CmdStreamSize(value);
    return *this;
  }
};

// Writes (over StreamOut) or reads (over StreamIn) fields one after
// another; the first failure sticks.
template <class Span>
class FieldCursor {
 public:
  explicit FieldCursor(Span span) : span_(span) {}
  template <class T>
  FieldCursor& operator()(T& value) {
    std::size_t n = 0;
    if (ok_ && Step(value, n)) {
      pos_ += n;
    } else {
      ok_ = false;
    }
    return *this;
  }
  bool ok() const { return ok_; }
  std::size_t pos() const { return pos_; }

 private:
  template <class T>
  bool Step(T& value, std::size_t& n) {
    if constexpr (std::is_const_v<typename Span::element_type>) {
      return CmdStreamRead(value, span_.subspan(pos_), n);
    } else {
      return CmdStreamWrite(value, span_.subspan(pos_), n);
    }
  }

  Span span_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

using FieldWriter = FieldCursor<StreamOut>;
using FieldReader = FieldCursor<StreamIn>;

template <class R>
std::size_t RecordSize(const R& record) {
  FieldSizer sizer;
  VisitFields(record, sizer);
  return 4 + sizer.size;
}

template <class R>
bool WriteRecord(const R& record, StreamOut buf, std::size_t& written) {
  const std::size_t size = RecordSize(record);
  if (size > std::numeric_limits<std::uint32_t>::max() || buf.size() < size) return false;
  FieldWriter writer(buf);
  const auto total = static_cast<std::uint32_t>(size);
  writer(total);
  VisitFields(record, writer);
  if (!writer.ok()) return false;
  written = writer.pos();
  return true;
}

template <class R>
bool ReadRecord(R& record, StreamIn data, std::size_t& used) {
  std::uint32_t total = 0;
  std::size_t n = 0;
  if (!CmdStreamRead(total, data, n) || data.size() < total) return false;
  FieldReader reader(data.subspan(4));
  if (total > 4) VisitFields(record, reader);
  if (!reader.ok()) return false;
  used = 4 + reader.pos();
  return true;
}

}  // namespace plimod::cmd_stream
