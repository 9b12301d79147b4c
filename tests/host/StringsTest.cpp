#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "framework/Strings.h"
#include "framework/SysUtils.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const TStrings& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
  return out;
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

template <class F>
void ExpectIndexError(F&& f, int index) {
  try {
    f();
    ADD_FAILURE() << "no error for index " << index;
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(index) + ")");
  }
}

// Implements only the primitives, the way a control's adapter does, and records
// what reaches them, so the generic operations are tested as an adapter sees them.
class PrimitiveStrings : public TStrings {
 public:
  int Count() const override { return static_cast<int>(lines.size()); }
  std::string Get(int index) const override {
    CheckIndex(index);
    return lines[index].first;
  }
  std::intptr_t GetObject(int index) const override {
    CheckIndex(index);
    return lines[index].second;
  }
  void PutObject(int index, std::intptr_t object) override {
    CheckIndex(index);
    lines[index].second = object;
  }
  void Insert(int index, const std::string& text) override {
    if (index < 0 || index > Count()) throw EStringListError(MsgListIndexError(index));
    lines.insert(lines.begin() + index, {text, 0});
  }
  void Delete(int index) override {
    CheckIndex(index);
    lines.erase(lines.begin() + index);
  }
  void Clear() override { lines.clear(); }
  void SetUpdateState(bool updating) override { log.push_back(updating ? "begin" : "end"); }

  std::vector<std::pair<std::string, std::intptr_t>> lines;
  std::vector<std::string> log;
};

class StringsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("qv_strings_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST(TStrings, SetTextEndsLinesAtCrLfLoneCrAndLoneLf) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"\r\n", {""}},
      {"\r\n\r\n", {"", ""}},
      {"\n\r", {"", ""}},  // LF then CR is two breaks, not one
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\r", {"a"}},
      {std::string("x\0y\n", 4), {std::string("x\0y", 3)}},
  };
  TStringList list;
  for (const Case& c : cases) {
    list.SetText(c.text);
    EXPECT_EQ(Lines(list), c.lines) << "text: " << ::testing::PrintToString(c.text);
  }
}

TEST(TStrings, TextEndsEveryLineWithCrLf) {
  TStringList list;
  EXPECT_EQ(list.Text(), "");
  list.SetText("one\ntwo\rthree");
  EXPECT_EQ(list.Text(), "one\r\ntwo\r\nthree\r\n");
  list.SetText("\n");
  EXPECT_EQ(list.Text(), "\r\n");
}

TEST(TStrings, BadIndicesRaiseTheListIndexError) {
  TStringList list;
  list.SetText("a\nb\nc");
  ExpectIndexError([&] { list.Get(3); }, 3);
  ExpectIndexError([&] { list.Get(-1); }, -1);
  ExpectIndexError([&] { list.Delete(3); }, 3);
  ExpectIndexError([&] { list.GetObject(3); }, 3);
  ExpectIndexError([&] { list.PutObject(7, 1); }, 7);
  ExpectIndexError([&] { list.SetStrings(3, "x"); }, 3);
  ExpectIndexError([&] { list.Insert(4, "x"); }, 4);
  ExpectIndexError([&] { list.Exchange(0, 3); }, 3);
  // A bad target is found before the line is taken out, so nothing is lost.
  ExpectIndexError([&] { list.Move(0, 3); }, 3);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", "c"}));
  list.Insert(3, "d");  // the end is a valid place to insert
  EXPECT_EQ(list[3], "d");
}

TEST(TStrings, ExchangeAndMoveKeepEachLinesObject) {
  for (int variant = 0; variant < 2; ++variant) {
    TStringList own;
    PrimitiveStrings adapter;
    TStrings& list = variant == 0 ? static_cast<TStrings&>(own) : adapter;
    for (int i = 0; i < 4; ++i) list.AddObject(std::string(1, char('a' + i)), 100 + i);

    list.Exchange(0, 3);
    list.Move(1, 3);  // b goes to the end
    list.SetStrings(1, "C");
    const std::vector<std::string> lines = {"d", "C", "a", "b"};
    const std::vector<std::intptr_t> objects = {103, 102, 100, 101};
    EXPECT_EQ(Lines(list), lines) << "variant " << variant;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(list.Objects(i), objects[i]) << "variant " << variant;
  }
}

TEST(TStrings, GenericOperationsOverPrimitives) {
  PrimitiveStrings list;
  EXPECT_EQ(list.Add("Alpha"), 0);
  EXPECT_EQ(list.AddObject("beta", 7), 1);
  EXPECT_EQ(list.IndexOf("ALPHA"), 0);
  EXPECT_EQ(list.IndexOf("BETA"), 1);
  EXPECT_EQ(list.IndexOf("gamma"), -1);

  // SetText runs inside one update, however many lines it adds.
  list.log.clear();
  list.SetText("x\ny\nz");
  EXPECT_EQ(list.log, (std::vector<std::string>{"begin", "end"}));
  EXPECT_EQ(list.Text(), "x\r\ny\r\nz\r\n");

  TStringList source;
  source.AddObject("p", 1);
  source.AddObject("q", 2);
  list.log.clear();
  list.Assign(source);
  EXPECT_EQ(list.log, (std::vector<std::string>{"begin", "end"}));
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"p", "q"}));
  EXPECT_EQ(list.Objects(1), 2);
  list.Assign(list);  // copying a list into itself keeps it
  EXPECT_EQ(list.Count(), 2);
}

TEST(TStrings, UpdatesNestAndSurviveErrors) {
  PrimitiveStrings list;
  list.BeginUpdate();
  list.BeginUpdate();
  list.EndUpdate();
  EXPECT_EQ(list.UpdateCount(), 1);
  list.EndUpdate();
  list.EndUpdate();  // an unmatched end is ignored
  EXPECT_EQ(list.log, (std::vector<std::string>{"begin", "end"}));

  list.log.clear();
  EXPECT_THROW(list.LoadFromFile("/nonexistent-folder-qv/Lb1.qvl"), EFOpenError);
  EXPECT_EQ(list.UpdateCount(), 0);
}

TEST(TStringList, SortedAddFindAndCaseRules) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"pear", "Apple", "banana", "apple", "Cherry"}) list.Add(s);
  // Case is ignored for the order; equal lines keep the order they came in.
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"Apple", "apple", "banana", "Cherry", "pear"}));

  int index = -1;
  EXPECT_TRUE(list.Find("APPLE", index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(list.Find("blueberry", index));
  EXPECT_EQ(index, 3);
  EXPECT_EQ(list.IndexOf("CHERRY"), 3);

  // An explicit index is honoured even while sorted.
  list.Insert(0, "zebra");
  EXPECT_EQ(list[0], "zebra");
  list.Delete(0);

  list.SetCaseSensitive(true);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"Apple", "Cherry", "apple", "banana", "pear"}));
  EXPECT_EQ(list.IndexOf("cherry"), -1);
}

TEST(TStringList, TurningSortedOnSortsAndKeepsObjects) {
  TStringList list;
  list.AddObject("b", 2);
  list.AddObject("a", 1);
  list.AddObject("c", 3);
  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(list.Objects(0), 1);
  EXPECT_EQ(list.Objects(2), 3);
  // Loading a text into a sorted list sorts it too.
  list.SetText("y\nx");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"x", "y"}));
}

struct EventLog : TObject {
  void Changing(TObject* sender) {
    EXPECT_EQ(sender, expected);
    events += "<";
  }
  void Changed(TObject*) { events += ">"; }
  TObject* expected = nullptr;
  std::string events;
};

TEST(TStringList, ChangeEventsWrapEachChangeOrAWholeUpdate) {
  TStringList list;
  EventLog log;
  log.expected = &list;
  list.OnChanging = TNotifyEvent::Of<&EventLog::Changing>(&log);
  list.OnChange = TNotifyEvent::Of<&EventLog::Changed>(&log);

  list.Add("a");
  list.SetStrings(0, "b");
  list.Delete(0);
  EXPECT_EQ(log.events, "<><><>");

  log.events.clear();
  list.Clear();  // nothing to clear: no change
  list.SetText("1\n2\n3\n4");
  list.Exchange(0, 3);
  EXPECT_EQ(log.events, "<><>");
}

TEST_F(StringsFiles, SaveAndLoadRoundTripWithCrLf) {
  TStringList list;
  list.SetText("first\n\nthird   /:hdr:\\0001234000056");
  const std::string path = Path("Lb1.qvl");
  list.SaveToFile(path);
  EXPECT_EQ(ReadBytes(path), "first\r\n\r\nthird   /:hdr:\\0001234000056\r\n");

  PrimitiveStrings loaded;
  loaded.Add("old line");
  loaded.LoadFromFile(path);
  EXPECT_EQ(Lines(loaded), Lines(list));
  EXPECT_EQ(loaded.log, (std::vector<std::string>{"begin", "end"}));

  TStringList empty;
  empty.SaveToFile(path);
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(StringsFiles, LoadOfAMissingFileRaisesAndKeepsTheList) {
  TStringList list;
  list.Add("kept");
  const std::string path = Path("Lb1.qvl");
  try {
    list.LoadFromFile(path);
    ADD_FAILURE() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + path);
  }
  EXPECT_EQ(Lines(list), std::vector<std::string>{"kept"});
}

TEST_F(StringsFiles, FailedSaveRaisesAndLeavesTheOldFileWhole) {
  TStringList list;
  list.Add("new");
  const std::string missing = Path("no-such-folder/Lb1.qvl");
  try {
    list.SaveToFile(missing);
    ADD_FAILURE() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file " + missing);
  }

  // A folder standing where the file should be: the save fails, the folder stays.
  fs::create_directory(Path("vqclips.qvl"));
  WriteBytes(Path("vqclips.qvl/inside"), "old");
  EXPECT_THROW(list.SaveToFile(Path("vqclips.qvl")), EFCreateError);
  EXPECT_EQ(ReadBytes(Path("vqclips.qvl/inside")), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1)
      << "a temporary file was left behind";
}

}  // namespace
}  // namespace qv
