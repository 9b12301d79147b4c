// Capture through the real clipboard: texts copied while the main window runs
// become clips, newest first, unless they repeat the last one, caching is off,
// the change brings no text, or its source marks the content as private.

#include <gtest/gtest.h>

#include <cstring>

#include "tests/win/MainWindowFixture.h"

namespace qv {
namespace {

class Capture : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    folder.Write("Lb1.qvl", "");
    folder.Write("vqclips.qvl", "");
    Start();
    test::Pump();  // the clearing of the clipboard reaches the watcher
  }

  // Copies text as another program would and waits until the watcher has seen it.
  void Copy(const std::string& text, const char* extraFormat = nullptr, DWORD extraValue = 0) {
    const int before = notices;
    Clipboard().Open();
    EmptyClipboard();
    Clipboard().SetAsText(text);
    if (extraFormat) Put(extraFormat, extraValue);
    Clipboard().Close();
    WaitForNotice(before);
  }
  void Put(const char* format, DWORD value) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
    std::memcpy(GlobalLock(mem), &value, sizeof value);
    GlobalUnlock(mem);
    SetClipboardData(RegisterClipboardFormatA(format), mem);
  }
  void WaitForNotice(int before) {
    ASSERT_TRUE(test::PumpUntil([&] { return notices > before; })) << "no change notice";
  }
  int Count() { return form->QvCheckListBox1->Count(); }
  std::string Line(int i) { return form->QvCheckListBox1->Items().Get(i); }
  std::string Display(int i) { return Line(i).substr(0, Line(i).size() - 90); }

  void Counting() {
    counted_ = form->ClipboardWatcher1->OnChange;
    form->ClipboardWatcher1->OnChange = TNotifyEvent::Of<&Capture::Notice>(this);
  }
  void Notice(TObject* sender) {
    ++notices;
    counted_(sender);
  }

  int notices = 0;
  TNotifyEvent counted_;
};

TEST_F(Capture, OneLineTextBecomesABlockAndAListLine) {
  Counting();
  Copy("hello");
  ASSERT_EQ(Count(), 1);
  const std::string line = Line(0);
  ASSERT_EQ(line.size(), 5u + 77u + 13u);
  EXPECT_EQ(line.substr(0, 5 + 77), "hello" + ListLineMarker);
  const std::string id = line.substr(82);
  EXPECT_EQ(form->QvRichEdit2.Text(), "/:hdr:\\" + id + "\r\nhello\r\n/:tlr:\\" + id);
  EXPECT_EQ(Text(0), "hello");
}

TEST_F(Capture, DisplayLinesFollowTheFirstNonBlankLine) {
  Counting();
  Copy("one\r\ntwo\r\nthree");
  EXPECT_EQ(Display(0), "one...");
  EXPECT_EQ(Text(0), "one\r\ntwo\r\nthree");
  Copy("\r\n \t \r\n  word\r\nrest");
  EXPECT_EQ(Display(0), "  word...");
  Copy("ends with a break\r\n");
  EXPECT_EQ(Display(0), "ends with a break");
  Copy("unix\nlines");
  EXPECT_EQ(Display(0), "unix...");
  EXPECT_EQ(Text(0), "unix\r\nlines");
  EXPECT_EQ(Count(), 4);
}

TEST_F(Capture, AnOverWideLineIsCutToTheLongestStartThatFits) {
  Counting();
  const std::string wide(120, 'W');
  Copy(wide);
  const std::string display = Display(0);
  ASSERT_GE(display.size(), 4u);
  EXPECT_EQ(display.substr(display.size() - 3), "...");
  const std::string cut = display.substr(0, display.size() - 3);
  EXPECT_EQ(cut, wide.substr(0, cut.size()));
  EXPECT_LE(form->DisplayTextWidth(cut), 180);
  EXPECT_GT(form->DisplayTextWidth(wide.substr(0, cut.size() + 1)), 180);
  EXPECT_EQ(Text(0), wide);
}

TEST_F(Capture, RepeatsOfTheLastTextAreNotStoredButAreSeen) {
  Counting();
  Copy("A");
  LastCaptureTime = 0;
  Copy("A");
  EXPECT_EQ(Count(), 1);
  EXPECT_GT(LastCaptureTime, 0);
  Copy("B");
  Copy("A");
  EXPECT_EQ(Count(), 3);
  EXPECT_EQ(Text(0), "A");
  EXPECT_EQ(Text(1), "B");
  EXPECT_EQ(Text(2), "A");
  EXPECT_NE(Line(0), Line(2));  // two clips, two ids
}

TEST_F(Capture, EmptyTextAfterAStartIsARepeatOfTheEmptyLastText) {
  Counting();
  Copy("");
  EXPECT_EQ(Count(), 0);
  Copy("x");
  Copy("");
  ASSERT_EQ(Count(), 2);
  EXPECT_EQ(Text(0), "");
  const std::string id = Line(0).substr(Line(0).size() - 13);
  EXPECT_EQ(Line(0), ListLineMarker + id);
  EXPECT_EQ(form->QvRichEdit2.Text().substr(0, 46),
            "/:hdr:\\" + id + "\r\n\r\n/:tlr:\\" + id + "\r\n");
}

TEST_F(Capture, AChangeWithoutTextChangesNothing) {
  Counting();
  LastCaptureTime = 0;
  const int before = notices;
  Clipboard().Open();
  EmptyClipboard();
  Put("QvPictureStandIn", 1);
  Clipboard().Close();
  WaitForNotice(before);
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(LastCaptureTime, 0);
}

TEST_F(Capture, CachingOffTakesNothingAndTheLastTextStillCounts) {
  Counting();
  Copy("kept");
  form->Caching1Click(nullptr);
  Copy("missed");
  EXPECT_EQ(Count(), 1);
  form->Caching1Click(nullptr);
  Copy("kept");  // equal to the last text stored before caching went off
  EXPECT_EQ(Count(), 1);
  Copy("new");
  EXPECT_EQ(Count(), 2);
}

TEST_F(Capture, PrivateContentIsNeverRecorded) {
  Counting();
  LastCaptureTime = 0;
  Copy("secret1", "ExcludeClipboardContentFromMonitorProcessing");
  Copy("secret2", "Clipboard Viewer Ignore");
  Copy("secret3", "CanIncludeInClipboardHistory", 0);
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(LastCaptureTime, 0);
  Copy("public", "CanIncludeInClipboardHistory", 1);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Text(0), "public");
}

TEST_F(Capture, TheProgramsOwnWriteIsSkippedOnce) {
  Counting();
  SkipNextCapture = 1;
  Copy("recalled");
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(SkipNextCapture, 0);
  Copy("next");
  EXPECT_EQ(Count(), 1);
}

TEST_F(Capture, CapturesSurviveAQuitAndARestartNewestFirst) {
  Counting();
  Copy("first");
  Copy("second");
  form->Close();
  const std::string list = *folder.Read("Lb1.qvl");
  const std::string store = *folder.Read("vqclips.qvl");
  EXPECT_EQ(list.substr(0, 6), "second");
  EXPECT_EQ(store.substr(20, 10), "\r\nsecond\r\n");
  EXPECT_EQ(store.substr(store.size() - 2), "\r\n");
}

class StartUpCapture : public test::MainWindowFixture {};

TEST_F(StartUpCapture, TextOnTheClipboardAtStartBecomesTheNewestClipEvenIfItRepeats) {
  folder.Write("Lb1.qvl", "same" + ListLineMarker + "0000100000001\r\n");
  folder.Write("vqclips.qvl", "/:hdr:\\0000100000001\r\nsame\r\n/:tlr:\\0000100000001\r\n");
  Clipboard().SetAsText("same");
  Start();
  EXPECT_EQ(SkipNextCapture, 0);  // the joining notice only cleared it
  ASSERT_EQ(form->QvCheckListBox1->Count(), 2);
  EXPECT_EQ(Text(0), "same");
  EXPECT_NE(form->QvCheckListBox1->Items().Get(0), form->QvCheckListBox1->Items().Get(1));
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// The display cut searches the prefix widths; on the real font it must agree
// with taking one character off the end at a time while the text is too wide.
TEST_F(StartUpCapture, TheCutAgreesWithOneCharacterAtATimeOnTheRealFont) {
  Start();
  auto width = [&](const std::string& t) { return form->DisplayTextWidth(t); };
  const std::string samples[] = {
      std::string(200, 'i'),
      std::string(60, 'W'),
      "The quick brown fox jumps over the lazy dog, then does it all over again and again",
      "\tindented with a tab and spaces       and more text to make it run long enough",
      "caf\xE9 na\xEFve r\xE9sum\xE9 \xC6sop \xDF\xDF\xDF mixed ANSI letters that run on and on",
      "exactly-fitting-check " + std::string(40, 'm'),
  };
  for (const std::string& line : samples) {
    std::string slow = line;
    bool truncated = false;
    while (width(slow) > 180) {
      truncated = true;
      slow.pop_back();
    }
    const TCutResult fast = CutToWidth(line, width);
    EXPECT_EQ(fast.text, slow) << line;
    EXPECT_EQ(fast.truncated, truncated) << line;
  }
}

}  // namespace
}  // namespace qv
