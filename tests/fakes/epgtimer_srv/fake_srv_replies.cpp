#include "tests/fakes/epgtimer_srv/fake_srv_replies.h"

#include <type_traits>

#include "recorder/srv/cmd_stream_fields.h"

namespace plimod::test {

namespace {

// The codec's sizer and writer, plus the 64-bit counts only results carry.
struct RecordSizer {
  std::size_t size = 0;
  template <class T>
  RecordSizer& operator()(const T& value) {
    if constexpr (std::is_same_v<T, std::int64_t>) {
      size += 8;
    } else {
      size += CmdStreamSize(value);
    }
    return *this;
  }
};

struct RecordAppender {
  std::vector<std::uint8_t>& out;
  template <class T>
  RecordAppender& operator()(const T& value) {
    if constexpr (std::is_same_v<T, std::int64_t>) {
      for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i)));
    } else {
      const std::size_t at = out.size();
      out.resize(at + CmdStreamSize(value));
      std::size_t written = 0;
      (void)CmdStreamWrite(value, StreamOut(out).subspan(at), written);
    }
    return *this;
  }
};

template <class R>
std::vector<std::uint8_t> EncodeVector(const std::vector<R>& records) {
  std::vector<std::uint8_t> out;
  RecordAppender writer{out};
  writer(std::uint32_t{0})(static_cast<std::uint32_t>(records.size()));
  for (const R& record : records) {
    RecordSizer sizer;
    cmd_stream::VisitFields(record, sizer);
    writer(static_cast<std::uint32_t>(4 + sizer.size));
    cmd_stream::VisitFields(record, writer);
  }
  std::vector<std::uint8_t> total;
  RecordAppender{total}(static_cast<std::uint32_t>(out.size()));
  std::copy(total.begin(), total.end(), out.begin());
  return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeTunerReserves(const std::vector<SrvTunerReserve>& tuners) {
  return EncodeVector(tuners);
}

std::vector<std::uint8_t> EncodeRecResults(const std::vector<SrvRecFileInfo>& results) {
  return EncodeVector(results);
}

}  // namespace plimod::test
