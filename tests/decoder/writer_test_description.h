#pragma once
// Random but reproducible EPG descriptions for the writer round trips, and
// what the decoder should make of them.

#include <algorithm>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "tests/decoder/decoder_test_support.h"
#include "tools/epgwriter/epg_description.h"

namespace decoder_test {

using epgwriter::EpgFileDescription;
using epgwriter::EventDescription;
using epgwriter::ServiceDescription;
using epgwriter::TransportDescription;

// Characters every part of the codec round-trips: kana, kanji, full-width
// alphanumerics and punctuation, the ideographic space.
inline const std::u16string& Alphabet() {
  static const std::u16string a =
      u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
      u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲンー"
      u"日本語放送番組天気予報映画音楽東京大阪出演者内容ＡＢＣＸＹＺ０１２３４５６７８９　、。「」！？";
  return a;
}

class DescriptionMaker {
 public:
  explicit DescriptionMaker(uint32_t seed) : random_(seed) {}

  std::u16string RandomText(size_t max_length, size_t min_length = 0) {
    size_t n = min_length + random_() % (max_length - min_length + 1);
    std::u16string s;
    for (size_t i = 0; i < n; ++i) s += Alphabet()[random_() % Alphabet().size()];
    return s;
  }

  EventDescription RandomEvent(uint16_t id, int64_t start, uint32_t duration) {
    EventDescription e;
    e.event_id = id;
    e.start = start;
    e.duration_seconds = duration;
    e.free_ca = random_() % 4 == 0;
    e.title = RandomText(40, 1);
    e.short_text = RandomText(70);
    int items = static_cast<int>(random_() % 4);
    for (int i = 0; i < items; ++i) {
      // Long texts spill over several descriptors.
      bool long_text = i == 0 && random_() % 5 == 0;
      e.items.push_back({RandomText(8, 1), RandomText(long_text ? 700 : 120)});
    }
    int genres = static_cast<int>(random_() % 4);
    for (int i = 0; i < genres; ++i) {
      e.genres.push_back(((random_() % 16) << 24) | ((random_() % 16) << 16) |
                         ((random_() % 16) << 8) | (random_() % 16));
    }
    if (random_() % 3 != 0) e.video = epgwriter::Component{0x01, 0xB3, RandomText(6)};
    if (random_() % 3 != 0) e.audio = epgwriter::Component{0x02, 0x03, RandomText(6)};
    return e;
  }

  ServiceDescription RandomService(uint16_t sid, int64_t from, int64_t to) {
    ServiceDescription s{sid, 0x01, RandomText(12, 1), {}};
    uint16_t id = static_cast<uint16_t>(random_() % 1000 + 1);
    for (int64_t t = from; t < to;) {
      uint32_t duration = static_cast<uint32_t>((random_() % 12 + 1) * 5 * 60);
      s.events.push_back(RandomEvent(id++, t, duration));
      t += duration;
    }
    return s;
  }

  std::mt19937& random() { return random_; }

 private:
  std::mt19937 random_;
};

inline int64_t TestDay() { return epgwriter::JapanSeconds(2024, 3, 9); }

// Two networks: an "actual" terrestrial-style stream and two "other"
// satellite streams with the extended text in its own tables.
inline EpgFileDescription MakeNetworks(uint32_t seed, int days, int services_per_ts) {
  DescriptionMaker maker(seed);
  EpgFileDescription d;
  int64_t day = TestDay();
  d.now = day + 20 * 3600 + 17 * 60;
  struct Ts { uint16_t onid, tsid; bool satellite; };
  for (Ts ts : {Ts{0x7FE8, 0x7FE8, false}, Ts{0x0004, 0x4010, true}, Ts{0x0004, 0x4011, true}}) {
    TransportDescription t{ts.onid, ts.tsid, ts.satellite, {}};
    for (int i = 0; i < services_per_ts; ++i) {
      t.services.push_back(maker.RandomService(static_cast<uint16_t>(0x100 + ts.tsid % 16 * 16 + i),
                                               day, day + days * 86400));
    }
    d.transports.push_back(std::move(t));
  }
  return d;
}

inline DecoderSystemTime JapanToSystemTime(int64_t japan_seconds) {
  time_t t = static_cast<time_t>(japan_seconds);
  struct tm f {};
  gmtime_r(&t, &f);
  return DecoderSystemTime{static_cast<uint16_t>(f.tm_year + 1900), static_cast<uint16_t>(f.tm_mon + 1),
                           static_cast<uint16_t>(f.tm_wday), static_cast<uint16_t>(f.tm_mday),
                           static_cast<uint16_t>(f.tm_hour), static_cast<uint16_t>(f.tm_min),
                           static_cast<uint16_t>(f.tm_sec), 0};
}

inline std::u16string ExpectedExtended(const EventDescription& e) {
  std::u16string s;
  for (const auto& item : e.items) s += item.description + u"\r\n" + item.text + u"\r\n";
  return s;
}

// Compares one decoded event with its description, field by field.
inline void ExpectSameEvent(const EventDescription& want, const Event& got) {
  SCOPED_TRACE("event " + std::to_string(want.event_id));
  EXPECT_EQ(got.event_id, want.event_id);
  DecoderSystemTime start = JapanToSystemTime(*want.start);
  EXPECT_EQ(std::tie(got.start.year, got.start.month, got.start.day, got.start.hour,
                     got.start.minute, got.start.second, got.start.day_of_week),
            std::tie(start.year, start.month, start.day, start.hour, start.minute, start.second,
                     start.day_of_week));
  EXPECT_EQ(got.duration, want.duration_seconds.value_or(0));
  EXPECT_EQ(got.free_ca, want.free_ca ? 1 : 0);
  EXPECT_TRUE(got.title == want.title);
  EXPECT_TRUE(got.short_text == want.short_text);
  EXPECT_TRUE(got.extended_text == ExpectedExtended(want));
  EXPECT_EQ(got.genres, want.genres);
  EXPECT_TRUE(got.video_text == (want.video ? want.video->text : u""));
  EXPECT_TRUE(got.audio_text == (want.audio ? want.audio->text : u""));
}

// Every service of the description decodes to exactly its events.
// With `others_too`, services the description does not name may be listed as well.
inline void ExpectDecodesTo(const Module& m, int32_t id, const EpgFileDescription& d, bool others_too = false) {
  std::vector<Service> want_services;
  for (const auto& ts : d.transports) {
    for (const auto& s : ts.services) {
      want_services.push_back({ts.original_network_id, ts.transport_stream_id, s.service_id,
                               s.service_type, s.name});
    }
  }
  std::sort(want_services.begin(), want_services.end());
  const std::vector<Service> got_services = Services(m, id);
  EXPECT_TRUE(others_too ? std::includes(got_services.begin(), got_services.end(), want_services.begin(),
                                         want_services.end())
                         : got_services == want_services);
  for (const auto& ts : d.transports) {
    for (const auto& s : ts.services) {
      std::vector<EventDescription> want;
      for (const auto& e : s.events) {
        if (e.start) want.push_back(e);
      }
      std::sort(want.begin(), want.end(),
                [](const auto& a, const auto& b) { return a.event_id < b.event_id; });
      std::vector<Event> got;
      ASSERT_TRUE(Events(m, id, ts.original_network_id, ts.transport_stream_id, s.service_id, got));
      ASSERT_EQ(got.size(), want.size()) << "service " << s.service_id;
      for (size_t i = 0; i < want.size(); ++i) ExpectSameEvent(want[i], got[i]);
    }
  }
}

}  // namespace decoder_test
