// Decoding speed of ARIB strings on a mix shaped like EPG data: short titles
// with alphanumerics and boxed symbols, longer descriptions in kanji and
// kana, and extended texts with line breaks.
//
// Usage: bench_arib [seconds]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "decoder/arib_string.h"

namespace {

std::vector<std::vector<uint8_t>> Corpus() {
  const std::u16string texts[] = {
      u"ＮＨＫニュース７[二][字]",
      u"ダーウィンが来た！「波乱のライオン学園に潜入！百獣の王を養成！！」[解][字]",
      u"成長まっただ中のライオンの子どもたちが、群れの中で先生役の大人から狩りの技や"
      u"子育て術を学ぶ。不真面目な生徒は退学処分に！？学園ドラマ顔負けの波乱の日々に密着！",
      u"【キャスター】青井実，【サブキャスター】池田伸子，伊藤海彦，【気象キャスター】中村美公",
      u"映画「ｽﾀｰ･ｳｫｰｽﾞ」[HV][SS][再]",
      u"出演者\r\n山田太郎\r\n鈴木花子\r\n\r\n番組内容\r\n全国の天気と交通情報をお伝えします。"
      u"Data 2024 ver.3 ＡＢＣ１２３",
      u"ＴＯＫＹＯ　ＭＸ１",
  };
  std::vector<std::vector<uint8_t>> corpus;
  for (const auto& text : texts) corpus.push_back(arib::Encode(text));
  return corpus;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  const auto corpus = Corpus();
  std::u16string out;
  size_t characters = 0;
  size_t bytes = 0;
  size_t strings = 0;
  const auto start = std::chrono::steady_clock::now();
  double elapsed = 0;
  while (elapsed < seconds) {
    for (int repeat = 0; repeat < 1000; ++repeat) {
      for (const auto& s : corpus) {
        out.clear();
        arib::DecodeAppend(s.data(), s.size(), out);
        characters += out.size();
        bytes += s.size();
        ++strings;
      }
    }
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  std::printf("decoded %zu strings, %zu bytes, %zu UTF-16 units in %.2f s\n", strings, bytes,
              characters, elapsed);
  std::printf("%.1f M characters/s, %.1f MB/s, %.2f M strings/s (reused buffer)\n",
              characters / elapsed / 1e6, bytes / elapsed / 1e6, strings / elapsed / 1e6);

  // The same through Decode(), one new string per call, as the parsers use it.
  size_t fresh = 0;
  const auto start2 = std::chrono::steady_clock::now();
  for (int repeat = 0; repeat < 200000; ++repeat) {
    for (const auto& s : corpus) fresh += arib::Decode(s.data(), s.size()).size();
  }
  const double elapsed2 = std::chrono::duration<double>(std::chrono::steady_clock::now() - start2).count();
  std::printf("%.1f M characters/s with a new string per call\n", fresh / elapsed2 / 1e6);
  return 0;
}
