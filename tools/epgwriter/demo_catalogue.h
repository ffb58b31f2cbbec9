#pragma once
// Fixed material of the demo data: stations and programme vocabulary.

#include <cstdint>
#include <string>
#include <vector>

namespace epgwriter {

// Genre numbers (content level 1) the demo uses.
enum DemoGenre : uint8_t {
  kNews = 0x0,
  kSports = 0x1,
  kInformation = 0x2,
  kDrama = 0x3,
  kMusic = 0x4,
  kVariety = 0x5,
  kMovie = 0x6,
  kAnime = 0x7,
  kDocumentary = 0x8,
  kHobby = 0xA,
};

struct DemoGenreText {
  DemoGenre genre;
  std::vector<std::u16string> titles;
  std::vector<std::u16string> outlines;  // short texts
  std::vector<int> minutes;              // usual lengths
};

const std::vector<DemoGenreText>& DemoGenres();
const DemoGenreText& DemoGenreOf(DemoGenre genre);

struct DemoService {
  uint16_t service_id;
  uint8_t type;
  std::u16string name;
  int theme;  // -1: general mix, else the DemoGenre it mostly airs
};

struct DemoTransport {
  uint16_t onid;
  uint16_t tsid;
  std::vector<DemoService> services;
};

// Files of the demo, each a list of transports (the first is "actual").
struct DemoNetworkFile {
  bool satellite;
  bool scrambled;
  std::vector<DemoTransport> transports;
};

const std::vector<DemoNetworkFile>& DemoNetworkFiles();

const std::vector<std::u16string>& DemoFamilyNames();
const std::vector<std::u16string>& DemoGivenNames();
const std::vector<std::u16string>& DemoSubtitles();

}  // namespace epgwriter
