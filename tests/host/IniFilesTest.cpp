#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/IniFiles.h"
#include "framework/Strings.h"
#include "framework/SysUtils.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

class IniFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("qv_ini_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "Qvavad.ini").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }

  fs::path dir_;
  std::string path_;
};

std::vector<std::string> Lines(const TStrings& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
  return out;
}

TEST_F(IniFile, ReadsNamesIgnoringCaseAndValuesAsWritten) {
  Write(
      "orphan=before any section\n"
      "; a comment=not a key\n"
      "[Form2]\r\n"
      "Top=120\r\n"
      "  ComboBox1.Text =Ctrl+Alt+Down\n"
      "ComboBox2.Text= 250 \r\n"
      "Path=a=b\n"
      "Empty=\n"
      "Top=999\n"
      "[ Other ]\n"
      "Top=5\n"
      "[form2]\n"
      "Late=1\n");
  const TIniFile ini(path_);
  EXPECT_EQ(ini.ReadString("FORM2", "top", "-"), "120");  // the first occurrence counts
  EXPECT_EQ(ini.ReadString("Form2", "combobox1.text", "-"), "Ctrl+Alt+Down");
  EXPECT_EQ(ini.ReadString("Form2", "ComboBox2.Text", "-"), " 250 ");
  EXPECT_EQ(ini.ReadString("Form2", "Path", "-"), "a=b");
  EXPECT_EQ(ini.ReadString("Form2", "Empty", "-"), "");
  EXPECT_EQ(ini.ReadString("Form2", "Late", "-"), "-");
  EXPECT_EQ(ini.ReadString("Form2", "orphan", "-"), "-");
  EXPECT_EQ(ini.ReadString("Form2", "; a comment", "-"), "-");
  EXPECT_EQ(ini.ReadString("other", "Top", "-"), "5");

  EXPECT_TRUE(ini.SectionExists("OTHER"));
  EXPECT_FALSE(ini.SectionExists("Form1"));
  EXPECT_TRUE(ini.ValueExists("Form2", "EMPTY"));
  EXPECT_FALSE(ini.ValueExists("Other", "Empty"));

  TStringList keys;
  keys.Add("stale");
  ini.ReadSection("form2", keys);
  EXPECT_EQ(Lines(keys),
            (std::vector<std::string>{"Top", "ComboBox1.Text", "ComboBox2.Text", "Path", "Empty"}));
  ini.ReadSections(keys);
  EXPECT_EQ(Lines(keys), (std::vector<std::string>{"Form2", "Other"}));
}

TEST_F(IniFile, TypedReadsFallBackOnTextThatDoesNotConvert) {
  const TIniFile ini = TIniFile::FromText(
      path_,
      "[S]\nDec=-42\nHex=0x1F\nDollar=$10\nBlankFirst= 7\nBlankAfter=7 \nWord=abc\n"
      "One=1\nZero=0\nTwo=2\nTRUE=TRUE\n");
  EXPECT_EQ(ini.ReadInteger("S", "Dec", 0), -42);
  EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("S", "Dollar", 0), 16);
  EXPECT_EQ(ini.ReadInteger("S", "BlankFirst", 0), 7);
  EXPECT_EQ(ini.ReadInteger("S", "BlankAfter", -1), -1);
  EXPECT_EQ(ini.ReadInteger("S", "Word", -1), -1);
  EXPECT_EQ(ini.ReadInteger("S", "Missing", 3), 3);
  EXPECT_TRUE(ini.ReadBool("S", "One", false));
  EXPECT_FALSE(ini.ReadBool("S", "Zero", true));
  EXPECT_TRUE(ini.ReadBool("S", "Two", false));
  EXPECT_TRUE(ini.ReadBool("S", "TRUE", true));  // not a number: the fallback
  EXPECT_FALSE(ini.ReadBool("S", "TRUE", false));
}

TEST_F(IniFile, MissingFileReadsEmptyAndFirstWriteCreatesIt) {
  {
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("Form2", "Top", 0), 0);
    EXPECT_FALSE(ini.SectionExists("Form2"));
    EXPECT_FALSE(fs::exists(path_));
    for (const char* key : {"Top", "Left", "Width", "Height"}) ini.WriteInteger("Form2", key, 100);
    ini.WriteString("Form2", "ComboBox1.Text", "F5");
    ini.WriteBool("Form2", "Flag", true);
  }
  EXPECT_EQ(Read(),
            "[Form2]\r\nTop=100\r\nLeft=100\r\nWidth=100\r\nHeight=100\r\n"
            "ComboBox1.Text=F5\r\nFlag=1\r\n");
  const TIniFile again(path_);
  EXPECT_EQ(again.ReadString("Form2", "ComboBox1.Text", ""), "F5");
  EXPECT_TRUE(again.ReadBool("Form2", "Flag", false));
}

TEST_F(IniFile, WritesKeepEveryOtherLineAsItWas) {
  Write(
      "; settings\n"
      "[Form2]\n"
      "  Top = 1\n"
      "; keep me\n"
      "\n"
      "[Other]\n"
      "x=y");
  TIniFile ini(path_);
  ini.WriteInteger("form2", "TOP", 2);           // replaced in place, spelling kept
  ini.WriteString("Form2", "Left", "3");         // added after the section's last line
  ini.WriteString("Third", "Key", "v\r\nmore");  // a new section at the end; value kept to one line
  EXPECT_EQ(Read(),
            "; settings\r\n"
            "[Form2]\r\n"
            "  Top =2\r\n"
            "; keep me\r\n"
            "Left=3\r\n"
            "\r\n"
            "[Other]\r\n"
            "x=y\r\n"
            "[Third]\r\n"
            "Key=v\r\n");
  EXPECT_EQ(ini.Text(), Read());
}

TEST_F(IniFile, EraseSectionAndDeleteKey) {
  Write("[A]\nk=1\nj=2\nk=3\n[B]\nk=4\n[a]\nm=5\n");
  TIniFile ini(path_);
  ini.DeleteKey("A", "K");
  EXPECT_FALSE(ini.ValueExists("A", "k"));
  EXPECT_EQ(ini.ReadString("A", "j", ""), "2");
  ini.EraseSection("a");  // every occurrence goes
  EXPECT_FALSE(ini.SectionExists("A"));
  EXPECT_EQ(Read(), "[B]\r\nk=4\r\n");

  // Removing what is not there writes nothing.
  fs::remove(path_);
  ini.DeleteKey("B", "missing");
  ini.EraseSection("missing");
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(IniFile, WriteThatCannotBeDoneRaisesAndChangesNothing) {
  const std::string path = (dir_ / "no-such-folder" / "Qvavad.ini").string();
  TIniFile ini = TIniFile::FromText(path, "[Form2]\nTop=1\n");
  try {
    ini.WriteInteger("Form2", "Top", 2);
    ADD_FAILURE() << "no error";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + path);
  }
  EXPECT_EQ(ini.ReadInteger("Form2", "Top", 0), 1);
  EXPECT_THROW(ini.EraseSection("Form2"), EIniFileException);
  EXPECT_TRUE(ini.SectionExists("Form2"));
}

}  // namespace
}  // namespace qv
