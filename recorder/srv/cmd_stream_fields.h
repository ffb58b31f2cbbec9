#pragma once
// The field order of each record, written once and walked by the sizer,
// the writer, the reader and the smallest-size count (and by the test
// server, which also sends the records the program only receives).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

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

template <class T>
struct IsVector : std::false_type {};
template <class T>
struct IsVector<std::vector<T>> : std::true_type {};

template <class T>
std::size_t MinWireSize();

// Adds up the smallest size of each field.
struct FieldMinimum {
  std::size_t size = 0;
  template <class T>
  FieldMinimum& operator()(const T&) {
    size += MinWireSize<T>();
    return *this;
  }
};

// The fewest bytes a value of the type can take in the stream and still be
// read: a string its size field, a vector its two DWORDs, a record its size
// field and the smallest of each of its fields (counted once, over a new
// record).
template <class T>
std::size_t MinWireSize() {
  if constexpr (std::is_arithmetic_v<T>) {
    return sizeof(T);
  } else if constexpr (std::is_same_v<T, SystemTime>) {
    return 16;
  } else if constexpr (std::is_same_v<T, std::wstring>) {
    return 4;
  } else if constexpr (IsVector<T>::value) {
    return 8;
  } else {
    static const std::size_t size = [] {
      const T record{};
      FieldMinimum minimum;
      VisitFields(record, minimum);
      return 4 + minimum.size;
    }();
    return size;
  }
}

template <class T>
concept StreamRecord = requires(T& record, FieldMinimum& visitor) { VisitFields(record, visitor); };

// A record on its own (the reply to one look-up) keeps the quirk of a
// total of 4 or less; one read as part of a list must carry its fields.
enum class RecordPlace { kAlone, kInList };

template <class R>
bool ReadRecord(R& record, StreamIn data, std::size_t& used, RecordPlace place = RecordPlace::kAlone);

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
// another; the first failure sticks. A reader for a record in a list reads
// the records nested in it as in a list too.
template <class Span>
class FieldCursor {
 public:
  explicit FieldCursor(Span span, RecordPlace place = RecordPlace::kAlone) : span_(span), place_(place) {}
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
    if constexpr (!std::is_const_v<typename Span::element_type>) {
      return CmdStreamWrite(value, span_.subspan(pos_), n);
    } else if constexpr (StreamRecord<T>) {
      return ReadRecord(value, span_.subspan(pos_), n, place_);
    } else {
      return CmdStreamRead(value, span_.subspan(pos_), n);
    }
  }

  Span span_;
  RecordPlace place_;
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
bool ReadRecord(R& record, StreamIn data, std::size_t& used, RecordPlace place) {
  std::uint32_t total = 0;
  std::size_t n = 0;
  if (!CmdStreamRead(total, data, n) || data.size() < total) return false;
  if (place == RecordPlace::kInList && total < MinWireSize<R>()) return false;
  FieldReader reader(data.subspan(4), place);
  if (total > 4) VisitFields(record, reader);
  if (!reader.ok()) return false;
  used = 4 + reader.pos();
  return true;
}

// Every element takes at least its smallest size, so a count its vector's
// bytes cannot hold fails before anything is made for it; an element that
// fails gives back the room reserved for those after it.
template <class T>
bool ReadVector(std::vector<T>& out, StreamIn data, std::size_t& used) {
  std::uint32_t total = 0;
  std::uint32_t count = 0;
  std::size_t n = 0;
  if (data.size() < 8 || !CmdStreamRead(total, data, n) || data.size() < total ||
      !CmdStreamRead(count, data.subspan(4), n)) {
    return false;
  }
  if (count > (std::max<std::uint32_t>(total, 8) - 8) / MinWireSize<T>()) return false;
  out.reserve(out.size() + count);
  FieldReader reader(data.subspan(8), RecordPlace::kInList);
  for (std::uint32_t i = 0; i < count && reader.ok(); ++i) {
    T element{};
    if (reader(element).ok()) out.push_back(std::move(element));
  }
  if (!reader.ok()) {
    out.shrink_to_fit();
    return false;
  }
  used = 8 + reader.pos();
  return true;
}

}  // namespace plimod::cmd_stream
