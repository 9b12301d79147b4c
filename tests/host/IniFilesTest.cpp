#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/IniFiles.h"
#include "framework/Strings.h"
#include "framework/SysUtils.h"
#include "tests/host/ScratchDir.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

class IniFile : public test::ScratchDirTest {
 protected:
  std::string Read() const { return ReadFile(path_); }
  void Write(const std::string& bytes) const { WriteFile(path_, bytes); }
  const std::string path_ = Path("Qvavad.ini");
};

TEST_F(IniFile, ReadsNamesIgnoringCaseAndValuesWithoutSurroundingBlanks) {
  Write(
      "orphan=before any section\n"
      "[Form2]\r\n"
      "Top=0x1F\r\n"
      "  ComboBox1.Text =Ctrl+Alt+Down\n"
      "ComboBox2.Text= 250 \r\n"
      "; Commented=1\n"
      "Path=a=b\n"
      "Spaced =\t a  b \t\r\n"
      "Top=999\n"
      "[ Other ]\n"
      "Top=5\n"
      "[form2]\n"
      "Late=1\n");
  const TIniFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("FORM2", "top", 0), 31);  // the first occurrence counts
  EXPECT_EQ(ini.ReadString("Form2", "combobox1.text", "-"), "Ctrl+Alt+Down");
  // Blanks around a value are no part of it ("ComboBox1.Text = F12" means F12).
  EXPECT_EQ(ini.ReadString("Form2", "ComboBox2.Text", "-"), "250");
  EXPECT_EQ(ini.ReadInteger("Form2", "ComboBox2.Text", -1), 250);
  EXPECT_EQ(ini.ReadString("Form2", "Spaced", "-"), "a  b");
  EXPECT_EQ(ini.ReadString("Form2", "Path", "-"), "a=b");
  for (const char* absent : {"Late", "orphan", "; Commented", "Commented"})
    EXPECT_FALSE(ini.ValueExists("Form2", absent)) << absent;
  EXPECT_EQ(ini.ReadInteger("other", "Top", 0), 5);
  EXPECT_FALSE(ini.SectionExists("Form1"));

  TStringList names;
  ini.ReadSection("form2", names);
  EXPECT_EQ(names.Text(), "Top\r\nComboBox1.Text\r\nComboBox2.Text\r\nPath\r\nSpaced\r\n");
  ini.ReadSections(names);
  EXPECT_EQ(names.Text(), "Form2\r\nOther\r\n");
}

TEST_F(IniFile, WritesKeepEveryOtherLineAsItWas) {
  TIniFile fresh(path_);  // a missing file reads as empty and is made by the first write
  EXPECT_EQ(fresh.ReadInteger("Form2", "Top", 7), 7);
  fresh.WriteBool("Form2", "Flag", true);
  EXPECT_EQ(Read(), "[Form2]\r\nFlag=1\r\n");

  Write("; settings\n[Form2]\n  Top = 1\n; keep me\n\n[Other]\nx=y");
  TIniFile ini(path_);
  ini.WriteInteger("form2", "TOP", 2);           // in place, the key's spelling kept
  ini.WriteString("Form2", "Left", "3");         // after the section's last non-blank line
  ini.WriteString("Third", "Key", "v\r\nmore");  // a new section at the end; one line only
  EXPECT_EQ(Read(),
            "; settings\r\n[Form2]\r\n  Top =2\r\n; keep me\r\nLeft=3\r\n\r\n"
            "[Other]\r\nx=y\r\n[Third]\r\nKey=v\r\n");
  EXPECT_TRUE(TIniFile(path_).ReadBool("Third", "Missing", true));
  EXPECT_EQ(TIniFile(path_).ReadInteger("Form2", "Left", 0), 3);
}

TEST_F(IniFile, EraseSectionAndDeleteKey) {
  Write("[A]\nk=1\nj=2\nk=3\n[B]\nk=4\n[a]\nm=5\n");
  TIniFile ini(path_);
  ini.DeleteKey("A", "K");
  EXPECT_FALSE(ini.ValueExists("A", "k"));
  EXPECT_EQ(ini.ReadString("A", "j", ""), "2");
  ini.EraseSection("a");  // every occurrence goes
  EXPECT_EQ(Read(), "[B]\r\nk=4\r\n");

  fs::remove(path_);  // removing what is not there writes nothing
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
    EXPECT_EQ(e.Message(), WithSystemReason("Unable to write to " + path, ENOENT));
  }
  EXPECT_EQ(ini.ReadInteger("Form2", "Top", 0), 1);
  EXPECT_THROW(ini.EraseSection("Form2"), EIniFileException);
  EXPECT_TRUE(ini.SectionExists("Form2"));
}

}  // namespace
}  // namespace qv
