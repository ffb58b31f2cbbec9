// Generates the 94x94 tables of the ARIB decoder:
//  - the kanji set: rows 1-84 from glibc's EUC-JP (JIS X 0208), the extra
//    kanji rows and the additional symbols (rows 85-94) from libaribb24;
//  - JIS-compatible kanji plane 1 from glibc's EUC-JISX0213.
// Additional symbols that are enclosed letters or ideographs outside the BMP
// (squared HV, squared 字 ...) become ASCII-bracketed text such as "[字]".
//
// Usage: arib_table_gen > decoder/arib_tables_data.cpp

// The library's headers do not declare C linkage themselves.
extern "C" {
#include <aribb24/aribb24.h>
#include <aribb24/decoder.h>
}
#include <iconv.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kCells = 94;
constexpr uint32_t kGeta = 0x3013;
constexpr uint32_t kTextFlag = 0x80000000u;

std::u32string Utf8ToUtf32(const std::string& s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    char32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
    for (int k = 1; k <= extra && i + k < s.size(); ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    out.push_back(cp);
    i += extra + 1;
  }
  return out;
}

// Decodes one double-byte code through iconv; empty when undefined.
std::u32string IconvCode(const char* charset, uint8_t hi, uint8_t lo) {
  iconv_t cd = iconv_open("UTF-32LE", charset);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    std::fprintf(stderr, "iconv cannot open %s\n", charset);
    std::exit(1);
  }
  char in[2] = {static_cast<char>(hi | 0x80), static_cast<char>(lo | 0x80)};
  char out[64];
  char* inp = in;
  char* outp = out;
  size_t inLeft = sizeof in;
  size_t outLeft = sizeof out;
  std::u32string result;
  if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1) &&
      iconv(cd, nullptr, nullptr, &outp, &outLeft) != static_cast<size_t>(-1)) {
    for (char* p = out; p + 4 <= outp; p += 4) {
      uint32_t cp = 0;
      for (int k = 3; k >= 0; --k) cp = (cp << 8) | static_cast<unsigned char>(p[k]);
      result.push_back(cp);
    }
  }
  iconv_close(cd);
  return result;
}

std::u32string AribbCode(arib_decoder_t* decoder, uint8_t hi, uint8_t lo) {
  // ESC $ ; designates the additional-symbol set into G0.
  const unsigned char in[] = {0x1B, 0x24, 0x3B, hi, lo};
  char out[64] = {};
  arib_initialize_decoder(decoder);
  arib_decode_buffer(decoder, in, sizeof in, out, sizeof out - 1);
  std::u32string text = Utf8ToUtf32(out);
  if (text.size() == 1 && text[0] == kGeta) text.clear();
  return text;
}

// "[HV]" for squared HV: non-BMP enclosed forms whose compatibility
// decomposition is only letters or ideographs.
std::u32string Bracketed(const std::u32string& text) {
  if (text.size() != 1 || text[0] < 0x1F100) return text;
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(status);
  if (U_FAILURE(status)) return text;
  icu::UnicodeString source = icu::UnicodeString(static_cast<UChar32>(text[0]));
  icu::UnicodeString inner = nfkc->normalize(source, status);
  if (U_FAILURE(status) || inner == source || inner.isEmpty()) return text;
  std::u32string result = U"[";
  for (int32_t i = 0; i < inner.length(); i = inner.moveIndex32(i, 1)) {
    UChar32 c = inner.char32At(i);
    if (!u_isalpha(c)) return text;
    result.push_back(static_cast<char32_t>(c));
  }
  return result + U"]";
}

struct Table {
  std::vector<uint32_t> cells = std::vector<uint32_t>(kCells * kCells, 0);
};

struct Pool {
  std::u16string units;
  std::map<std::u16string, uint32_t> seen;

  uint32_t Add(const std::u32string& text) {
    std::u16string utf16;
    for (char32_t c : text) {
      if (c >= 0x10000) {
        utf16.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        utf16.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
      } else {
        utf16.push_back(static_cast<char16_t>(c));
      }
    }
    auto it = seen.find(utf16);
    if (it != seen.end()) return it->second;
    const uint32_t ref = kTextFlag | (static_cast<uint32_t>(units.size()) << 8) |
                         static_cast<uint32_t>(utf16.size());
    units += utf16;
    seen.emplace(utf16, ref);
    return ref;
  }
};

uint32_t CellValue(const std::u32string& text, Pool& pool) {
  if (text.empty()) return 0;
  if (text.size() == 1) return text[0];
  return pool.Add(text);
}

void Fill(Table& table, Pool& pool, int firstRow, int lastRow,
          const std::function<std::u32string(uint8_t, uint8_t)>& lookup) {
  for (int row = firstRow; row <= lastRow; ++row) {
    for (int cell = 1; cell <= kCells; ++cell) {
      const std::u32string text = lookup(static_cast<uint8_t>(row + 0x20),
                                         static_cast<uint8_t>(cell + 0x20));
      table.cells[(row - 1) * kCells + (cell - 1)] = CellValue(text, pool);
    }
  }
}

// `lineEnd` ends every line but the last, which `lastLineEnd` ends.
void PrintRow(const Table& table, int row, const char* lineEnd, const char* lastLineEnd) {
  for (int cell = 0; cell < kCells; ++cell) {
    std::printf("%s0x%X,", cell % 8 == 0 ? "    " : " ", table.cells[row * kCells + cell]);
    if (cell == kCells - 1) {
      std::printf("%s\n", lastLineEnd);
    } else if (cell % 8 == 7) {
      std::printf("%s\n", lineEnd);
    }
  }
}

bool SameRow(const Table& a, const Table& b, int row) {
  for (int cell = 0; cell < kCells; ++cell) {
    if (a.cells[row * kCells + cell] != b.cells[row * kCells + cell]) return false;
  }
  return true;
}

// Runs of rows (0-based, inclusive) that are the same in both tables.
struct RowRun {
  int first;
  int last;
};

std::vector<RowRun> SharedRuns(const Table& a, const Table& b) {
  std::vector<RowRun> runs;
  for (int row = 0; row < kCells; ++row) {
    if (!SameRow(a, b, row)) continue;
    if (!runs.empty() && runs.back().last == row - 1) {
      runs.back().last = row;
    } else {
      runs.push_back({row, row});
    }
  }
  return runs;
}

std::string RunMacro(const RowRun& run) {
  return "SHARED_ROWS_" + std::to_string(run.first + 1) + "_TO_" + std::to_string(run.last + 1);
}

// Each shared run once, as a macro both tables expand.
void PrintSharedRuns(const Table& table, const std::vector<RowRun>& runs) {
  std::printf("// Rows the two sets have in common, written once.\n");
  for (const RowRun& run : runs) {
    std::printf("#define %s \\\n", RunMacro(run).c_str());
    for (int row = run.first; row <= run.last; ++row) {
      std::printf("    /* row %d */ \\\n", row + 1);
      PrintRow(table, row, " \\", row == run.last ? "" : " \\");
    }
    std::printf("\n");
  }
}

void PrintTable(const char* name, const Table& table, const std::vector<RowRun>& runs) {
  std::printf("const uint32_t %s[94 * 94] = {\n", name);
  for (int row = 0; row < kCells;) {
    auto run = std::find_if(runs.begin(), runs.end(), [&](const RowRun& r) { return r.first == row; });
    if (run != runs.end()) {
      std::printf("    %s\n", RunMacro(*run).c_str());
      row = run->last + 1;
      continue;
    }
    std::printf("    // row %d\n", row + 1);
    PrintRow(table, row, "", "");
    ++row;
  }
  std::printf("};\n\n");
}

void PrintPool(const Pool& pool) {
  std::printf("const char16_t kTextPool[%zu] = {\n", pool.units.size() + 1);
  for (size_t i = 0; i < pool.units.size(); ++i) {
    std::printf("%s0x%04X,", i % 8 == 0 ? "    " : " ", static_cast<unsigned>(pool.units[i]));
    if (i % 8 == 7) std::printf("\n");
  }
  std::printf(" 0};\n\n");
}

}  // namespace

int main() {
  arib_instance_t* instance = arib_instance_new(nullptr);
  arib_decoder_t* decoder = arib_get_decoder(instance);
  Pool pool;
  Table kanji;
  Table plane1;
  Fill(kanji, pool, 1, 84, [](uint8_t hi, uint8_t lo) { return IconvCode("EUC-JP", hi, lo); });
  Fill(kanji, pool, 85, 94, [&](uint8_t hi, uint8_t lo) {
    return Bracketed(AribbCode(decoder, hi, lo));
  });
  Fill(plane1, pool, 1, 94,
       [](uint8_t hi, uint8_t lo) { return IconvCode("EUC-JISX0213", hi, lo); });
  arib_instance_destroy(instance);

  std::printf(
      "// Generated by tools/arib_table_gen; do not edit.\n"
      "// Kanji rows 1-84: JIS X 0208 as glibc's EUC-JP maps it; rows 85-94: the\n"
      "// extra kanji and additional symbols; plane 1: JIS X 0213 as glibc maps it.\n\n"
      "#include \"decoder/arib_tables.h\"\n\n"
      "namespace arib {\n\n");
  const std::vector<RowRun> shared = SharedRuns(kanji, plane1);
  PrintSharedRuns(kanji, shared);
  PrintTable("kKanjiCells", kanji, shared);
  PrintTable("kPlane1Cells", plane1, shared);
  PrintPool(pool);
  for (const RowRun& run : shared) std::printf("#undef %s\n", RunMacro(run).c_str());
  std::printf("\n}  // namespace arib\n");
  return 0;
}
