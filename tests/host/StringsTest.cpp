#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "framework/Strings.h"
#include "tests/host/ScratchDir.h"
#include "framework/SysUtils.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

Texts Lines(const TStrings& list) {
  Texts out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
  return out;
}

// Only the primitives, as a control's adapter has them, logging update states: the
// generic operations are tested the way an adapter will use them.
class PrimitiveStrings : public TStrings {
 public:
  int Count() const override { return static_cast<int>(lines.size()); }
  std::string Get(int i) const override {
    CheckIndex(i);
    return lines[i].first;
  }
  std::intptr_t GetObject(int i) const override {
    CheckIndex(i);
    return lines[i].second;
  }
  void PutObject(int i, std::intptr_t o) override {
    CheckIndex(i);
    lines[i].second = o;
  }
  void Insert(int i, const std::string& s) override {
    if (i < 0 || i > Count()) throw EStringListError(MsgListIndexError(i));
    lines.insert(lines.begin() + i, {s, 0});
  }
  void Delete(int i) override {
    CheckIndex(i);
    lines.erase(lines.begin() + i);
  }
  void Clear() override { lines.clear(); }
  void SetUpdateState(bool on) override { log += on ? "(" : ")"; }

  std::vector<std::pair<std::string, std::intptr_t>> lines;
  std::string log;
};

TEST(TStrings, SetTextBreaksAndTextJoinsWithCrLf) {
  const std::vector<std::pair<std::string, Texts>> cases = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"\r\n\r\n", {"", ""}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"\n\r", {"", ""}},  // LF then CR is two breaks, not one
      {"a\r\r\nb", {"a", "", "b"}},
      {std::string("x\0y", 3), {std::string("x\0y", 3)}},
  };
  TStringList list;
  for (const auto& [text, lines] : cases) {
    list.SetText(text);
    EXPECT_EQ(Lines(list), lines) << ::testing::PrintToString(text);
  }
  list.SetText("one\ntwo\rthree");
  EXPECT_EQ(list.Text(), "one\r\ntwo\r\nthree\r\n");
}

TEST(TStrings, BadIndicesRaiseTheListIndexError) {
  TStringList list;
  list.SetText("a\nb\nc");
  const std::vector<std::pair<int, std::function<void()>>> calls = {
      {3, [&] { list.Get(3); }},         {-1, [&] { list.GetObject(-1); }},
      {3, [&] { list.Delete(3); }},      {7, [&] { list.PutObject(7, 1); }},
      {4, [&] { list.Insert(4, "x"); }}, {3, [&] { list.Exchange(0, 3); }},
      {3, [&] { list.Move(0, 3); }},  // checked before the line is taken out
  };
  for (const auto& [index, call] : calls) {
    try {
      call();
      ADD_FAILURE() << "no error for " << index;
    } catch (const EStringListError& e) {
      EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(index) + ")");
    }
  }
  EXPECT_EQ(Lines(list), (Texts{"a", "b", "c"}));
}

TEST(TStrings, ExchangeMoveAndPutKeepEachLinesObject) {
  TStringList own;
  PrimitiveStrings adapter;
  for (TStrings* list : {static_cast<TStrings*>(&own), static_cast<TStrings*>(&adapter)}) {
    for (int i = 0; i < 4; ++i) list->AddObject(std::string(1, char('a' + i)), 100 + i);
    list->Exchange(0, 3);
    list->Move(1, 3);
    list->SetStrings(1, "C");
    EXPECT_EQ(Lines(*list), (Texts{"d", "C", "a", "b"})) << list->ClassName();
    EXPECT_EQ(std::vector<std::intptr_t>(
                  {list->Objects(0), list->Objects(1), list->Objects(2), list->Objects(3)}),
              std::vector<std::intptr_t>({103, 102, 100, 101}));
  }
}

TEST(TStrings, GenericOperationsRunInsideOneUpdate) {
  PrimitiveStrings list;
  list.AddObject("Alpha", 7);
  EXPECT_EQ(list.IndexOf("ALPHA"), 0);
  EXPECT_EQ(list.IndexOf("beta"), -1);

  list.SetText("x\ny\nz");
  TStringList source;
  source.AddObject("p", 1);
  list.Assign(source);
  list.Assign(list);
  list.BeginUpdate();
  list.Exchange(0, 0);
  list.EndUpdate();
  list.EndUpdate();  // an unmatched end is ignored
  EXPECT_EQ(list.log, "()()()");
  EXPECT_EQ(list.Objects(0), 1);

  EXPECT_THROW(list.LoadFromFile("/nonexistent-qv-folder/Lb1.qvl"), EFOpenError);
  EXPECT_EQ(list.UpdateCount(), 0);
  EXPECT_EQ(Lines(list), Texts{"p"});
}

TEST(TStringList, SortedAddFindAndCaseRules) {
  TStringList list;
  list.AddObject("pear", 1);
  list.AddObject("Apple", 2);
  list.SetSorted(true);
  for (const char* s : {"banana", "apple", "Cherry"}) list.Add(s);
  // Letter case is ignored; equal lines keep the order they came in.
  EXPECT_EQ(Lines(list), (Texts{"Apple", "apple", "banana", "Cherry", "pear"}));
  EXPECT_EQ(list.Objects(4), 1);

  int index = -1;
  EXPECT_TRUE(list.Find("APPLE", index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(list.Find("blueberry", index));
  EXPECT_EQ(index, 3);
  list.Insert(0, "zebra");  // an explicit index is honoured even while sorted
  EXPECT_EQ(list[0], "zebra");
  list.Delete(0);

  list.SetCaseSensitive(true);
  EXPECT_EQ(Lines(list), (Texts{"Apple", "Cherry", "apple", "banana", "pear"}));
  EXPECT_EQ(list.IndexOf("cherry"), -1);
}

struct EventLog : TObject {
  void Changing(TObject*) { events += "<"; }
  void Changed(TObject* sender) { events += sender ? ">" : "?"; }
  std::string events;
};

TEST(TStringList, ChangeEventsWrapEachChangeOrAWholeUpdate) {
  TStringList list;
  EventLog log;
  list.OnChanging = TNotifyEvent::Of<&EventLog::Changing>(&log);
  list.OnChange = TNotifyEvent::Of<&EventLog::Changed>(&log);
  list.Add("a");
  list.Delete(0);
  list.Clear();  // nothing to clear: no change
  list.SetText("1\n2\n3");
  EXPECT_EQ(log.events, "<><><>");
}

class StringsFiles : public test::ScratchDirTest {
 protected:
  std::string Read(const std::string& name) const { return ReadFile(Path(name)); }
};

TEST_F(StringsFiles, SaveAndLoadRoundTrip) {
  TStringList list;
  list.SetText("first\n\nthird   /:hdr:\\0001234000056");
  list.SaveToFile(Path("Lb1.qvl"));
  EXPECT_EQ(Read("Lb1.qvl"), "first\r\n\r\nthird   /:hdr:\\0001234000056\r\n");

  PrimitiveStrings loaded;
  loaded.Add("old line");
  loaded.LoadFromFile(Path("Lb1.qvl"));
  EXPECT_EQ(Lines(loaded), Lines(list));
  EXPECT_EQ(loaded.log, "()");

  TStringList().SaveToFile(Path("Lb1.qvl"));
  EXPECT_EQ(fs::file_size(Path("Lb1.qvl")), 0u);
}

TEST_F(StringsFiles, FailuresRaiseTheFileMessagesAndKeepWhatWasThere) {
  TStringList list;
  list.Add("kept");
  try {
    list.LoadFromFile(Path("Lb1.qvl"));
    ADD_FAILURE() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + Path("Lb1.qvl"));
  }
  EXPECT_EQ(Lines(list), Texts{"kept"});

  const std::string missing = Path("no-such-folder/Lb1.qvl");
  try {
    list.SaveToFile(missing);
    ADD_FAILURE() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file " + missing);
  }
}

}  // namespace
}  // namespace qv
