// Loading and saving the settings file byte for byte.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/text_codec.h"
#include "settings/ini_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace plimod {
namespace {

using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

const std::string kBom = "\xFF\xFE";

std::string Utf16(const std::wstring& text) { return WideToUtf16Le(text); }

class IniFileIoTest : public ::testing::Test {
 protected:
  std::wstring PathOf(const std::string& name) { return folder_.File(name).wstring(); }
  // Writes `bytes` as plimo.ini and loads it into doc_.
  bool LoadBytes(const std::string& bytes) {
    WriteFileBytes(folder_.File("plimo.ini"), bytes);
    return doc_.Load(PathOf("plimo.ini"), false);
  }
  void ExpectFailedLoadOf(const std::string& bytes) {
    SCOPED_TRACE(::testing::PrintToString(bytes));
    EXPECT_FALSE(LoadBytes(bytes));
    EXPECT_FALSE(doc_.HasSection(L"A"));
    EXPECT_EQ(doc_.Path(), L"");
    EXPECT_FALSE(doc_.Save());
    EXPECT_EQ(ReadFileBytes(folder_.File("plimo.ini")), bytes) << "file must stay untouched";
  }

  TempFolder folder_;
  IniFile doc_;
};

TEST_F(IniFileIoTest, LoadsEveryLineForm) {
  ASSERT_TRUE(LoadBytes(kBom + Utf16(L"[A]\r\n"
                                     L"key=value\r\n"
                                     L"a=b=c\n"
                                     L"bare value\r\n"
                                     L"\r\n"
                                     L"tab\t=not a key\r\n"
                                     L"=empty key\r\n"
                                     L" sp = aces \r\n"
                                     L"[]\r\n"
                                     L"x=\U0001F600\r\n"
                                     L"[A]\r\n"
                                     L"key=second\r\n")));
  EXPECT_EQ(doc_.LinesRead(), 12);
  EXPECT_EQ(doc_.GetString(L"A", L"key"), L"value");
  EXPECT_EQ(doc_.GetString(L"A", L"a"), L"b=c");
  EXPECT_EQ(doc_.GetString(L"A", L""), L"empty key");
  EXPECT_EQ(doc_.GetString(L"A", L" sp "), L" aces ");
  EXPECT_FALSE(doc_.HasKey(L"A", L"tab\t"));
  // Indexed lines: the empty line was dropped.
  EXPECT_EQ(doc_.GetIndexed(L"A", 2), L"bare value");
  EXPECT_EQ(doc_.GetIndexed(L"A", 3), L"tab\t=not a key");
  EXPECT_EQ(doc_.GetIndexed(L"A", 6), std::nullopt);
  EXPECT_EQ(doc_.GetString(L"", L"x"), L"\U0001F600");
  EXPECT_EQ(doc_.Path(), PathOf("plimo.ini"));
}

TEST_F(IniFileIoTest, AcceptsLfOnlyNoBomAndEndingsAtTheEnd) {
  ASSERT_TRUE(LoadBytes(Utf16(L"[A]\nk=v\n[B]\nw=1\r")));
  EXPECT_EQ(doc_.GetString(L"A", L"k"), L"v");
  EXPECT_EQ(doc_.GetIntDefault(L"B", L"w", 0), 1);

  // Any control character may end the text right behind the last line.
  ASSERT_TRUE(LoadBytes(Utf16(L"[A]\r\nk=v\x01")));
  EXPECT_EQ(doc_.GetString(L"A", L"k"), L"v");

  // Zero units after the text (zero padding) end it without loss.
  ASSERT_TRUE(LoadBytes(Utf16(L"[A]\r\nk=v\r\n") + std::string(6, '\0')));
  EXPECT_EQ(doc_.GetString(L"A", L"k"), L"v");

  ASSERT_TRUE(LoadBytes(kBom));
  EXPECT_FALSE(doc_.HasSection(L"A"));
  EXPECT_EQ(doc_.Path(), PathOf("plimo.ini"));
}

TEST_F(IniFileIoTest, OddByteCountDropsTheFinalByte) {
  ASSERT_TRUE(LoadBytes(Utf16(L"[A]\r\nk=v") + "w"));
  EXPECT_EQ(doc_.GetString(L"A", L"k"), L"v");
}

TEST_F(IniFileIoTest, FailedLoadsLeaveAnEmptyDocumentAndTheFileAlone) {
  ExpectFailedLoadOf(Utf16(L"\r\n[A]\r\nk=v\r\n"));          // empty first line
  ExpectFailedLoadOf(kBom + Utf16(L"; comment\r\n[A]\r\n"));  // line before a section
  ExpectFailedLoadOf(Utf16(L"[A]\rk=v\r\n"));                 // lone CR
  ExpectFailedLoadOf(Utf16(L"[A]\r\nk=v\x01\r\nm=n\r\n"));    // stray control character
  ExpectFailedLoadOf(Utf16(std::wstring(L"[A]\r\nk=v\0\r\nm=n\r\n", 15)));  // U+0000 inside
  // UTF-8 text reads as garbage units with no section line.
  ExpectFailedLoadOf("[A]\r\nk=v\r\n");
}

TEST_F(IniFileIoTest, MissingFileKeepsThePath) {
  const std::wstring path = PathOf("absent.ini");
  EXPECT_TRUE(doc_.Load(path, true));
  EXPECT_EQ(doc_.Path(), path);
  EXPECT_FALSE(doc_.Load(path, false));
  EXPECT_EQ(doc_.Path(), path);

  IniFile constructed(path);
  EXPECT_EQ(constructed.Path(), path);
  constructed.SetInt(L"SYSTEM", L"LOG", 1);
  EXPECT_TRUE(constructed.Save());
  EXPECT_EQ(ReadFileBytes(folder_.File("absent.ini")), kBom + Utf16(L"[SYSTEM]\r\nLOG=1\r\n"));
}

TEST_F(IniFileIoTest, UnreadableFileFailsAndForgetsThePath) {
  std::filesystem::create_directory(folder_.File("dir.ini"));
  EXPECT_FALSE(doc_.Load(PathOf("dir.ini"), true));
  EXPECT_EQ(doc_.Path(), L"");
}

TEST_F(IniFileIoTest, SavesExactBytes) {
  doc_.SetString(L"SYSTEM", L"EPGDATAFOLDER", L"/data/epg");
  doc_.SetInt(L"SYSTEM", L"LOG", 1);
  doc_.InsertIndexed(L"EDCB_RECDIR", -1, L"/rec/1");
  doc_.InsertIndexed(L"EDCB_RECDIR", -1, L"/rec/2");
  doc_.AddSection(L"");
  doc_.SetString(L"名前", L"鍵", L"値\U0001F600");
  ASSERT_TRUE(doc_.Save(PathOf("out.ini").c_str()));
  EXPECT_EQ(ReadFileBytes(folder_.File("out.ini")),
            kBom + Utf16(L"[SYSTEM]\r\nEPGDATAFOLDER=/data/epg\r\nLOG=1\r\n"
                         L"[EDCB_RECDIR]\r\n/rec/1\r\n/rec/2\r\n"
                         L"[]\r\n"
                         L"[名前]\r\n鍵=値\xD83D\xDE00\r\n"));
  EXPECT_EQ(doc_.Path(), L"") << "saving elsewhere does not adopt the path";
}

TEST_F(IniFileIoTest, LoadedFileSavesBackUnchangedInCanonicalForm) {
  ASSERT_TRUE(LoadBytes(Utf16(L"[A]\nk=v\n\nbare\n[B]\n")));
  ASSERT_TRUE(doc_.Save());
  EXPECT_EQ(ReadFileBytes(folder_.File("plimo.ini")), kBom + Utf16(L"[A]\r\nk=v\r\nbare\r\n[B]\r\n"));
}

TEST_F(IniFileIoTest, ControlCharactersAreBlankedSoTheFileReloads) {
  doc_.SetString(L"S\nX", L"k\r", L"line1\nline2\x01\tend");
  doc_.InsertIndexed(L"S\nX", 0, std::wstring(L"a\0b", 3));
  ASSERT_TRUE(doc_.Save(PathOf("c.ini").c_str()));
  IniFile reloaded;
  ASSERT_TRUE(reloaded.Load(PathOf("c.ini"), false));
  EXPECT_EQ(reloaded.GetString(L"S X", L"k "), L"line1 line2 \tend");
  EXPECT_EQ(reloaded.GetIndexed(L"S X", 0), L"a b");
}

TEST_F(IniFileIoTest, BareValueWithEqualsSurvivesAReload) {
  doc_.InsertIndexed(L"EDCB_BATCHLIST", -1, L"a=b.bat");
  ASSERT_TRUE(doc_.Save(PathOf("b.ini").c_str()));
  IniFile reloaded;
  ASSERT_TRUE(reloaded.Load(PathOf("b.ini"), false));
  EXPECT_EQ(reloaded.GetIndexed(L"EDCB_BATCHLIST", 0), L"a=b.bat");
}

TEST_F(IniFileIoTest, NewFileIsPrivateAndExistingModeIsKept) {
  doc_.SetString(L"HTTP", L"PASSWORD", L"secret");
  ASSERT_TRUE(doc_.Save(PathOf("new.ini").c_str()));
  struct stat st{};
  ASSERT_EQ(::stat(folder_.File("new.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  WriteFileBytes(folder_.File("shared.ini"), "x");
  ::chmod(folder_.File("shared.ini").c_str(), 0644);
  ASSERT_TRUE(doc_.Save(PathOf("shared.ini").c_str()));
  ASSERT_EQ(::stat(folder_.File("shared.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(IniFileIoTest, SaveIntoMissingFolderFails) {
  doc_.SetInt(L"A", L"k", 1);
  EXPECT_FALSE(doc_.Save(PathOf("no/such/folder.ini").c_str()));
}

}  // namespace
}  // namespace plimod
