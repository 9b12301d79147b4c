// The preview hint over the slot labels and the tray commands of the main window.

#include <gtest/gtest.h>

#include "tests/win/MainWindowFixture.h"

namespace qv {
namespace {

class Hints : public test::MainWindowFixture {
 protected:
  // Clips given newest first.
  void StartWithClips(const std::vector<std::string>& texts) {
    std::string list, store;
    for (size_t i = 0; i < texts.size(); ++i) {
      char id[14];
      std::snprintf(id, sizeof id, "%07zu%06zu", i + 1, i + 1);
      list += "clip" + ListLineMarker + id + "\r\n";
      store += std::string("/:hdr:\\") + id + "\r\n" + texts[i] + "\r\n/:tlr:\\" + id + "\r\n";
    }
    folder.Write("Lb1.qvl", list);
    folder.Write("vqclips.qvl", store);
    Start();
  }
  std::string Preview(int label) {
    form->ClipControls().SlotLabels->SetItemIndex(label);
    form->ClipControls().SlotLabels->OnClick(nullptr);
    return form->ClipControls().SlotLabels->Hint();
  }
  static std::string Lines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += (i ? "\r\n" : "") + std::string("line ") + std::to_string(i);
    return text;
  }
};

TEST_F(Hints, APreviewShowsAtMost45LinesTheLastEndingWithDots) {
  StartWithClips({Lines(44), Lines(45), Lines(100)});
  EXPECT_EQ(Preview(0), Lines(44));
  EXPECT_EQ(Preview(1), Lines(45) + "...");
  EXPECT_EQ(Preview(2), Lines(45) + "...");
  EXPECT_TRUE(form->ClipControls().SlotLabels->ShowHint());
  EXPECT_EQ(form->Preview().HintTimer->Interval(), 100u);
  EXPECT_EQ(form->ClipControls().SlotLabels->ItemIndex(), -1);
  EXPECT_EQ(form->ClipControls().ClipList->ItemIndex(), -1);  // and nothing was recalled
}

TEST_F(Hints, VerticalBarsShowAsBrokenBarsButPasteUnchanged) {
  StartWithClips({"a|b"});
  EXPECT_EQ(Preview(0), "a\xC2\xA6" "b");
  EXPECT_EQ(*form->History.Store().Locate(form->ClipControls().ClipList->Items().Get(0)), "a|b");
}

TEST_F(Hints, ALabelWithoutAClipShowsNothing) {
  StartWithClips({"only"});
  EXPECT_EQ(Preview(5), "");
  EXPECT_FALSE(form->ClipControls().SlotLabels->ShowHint());
  EXPECT_EQ(form->ClipControls().SlotLabels->ItemIndex(), -1);
}

TEST_F(Hints, RangeModePreviewsTheRunToTheTop) {
  StartWithClips({"n0", "n1", "n2", "n3", "n4"});
  form->ClipControls().RangeButton->Click();
  EXPECT_EQ(Preview(3), "n3\r\nn2\r\nn1\r\nn0");
}

TEST_F(Hints, ThePreviewGoesWhenThePointerLeavesTheLabels) {
  StartWithClips({"text"});
  Preview(0);
  SetCursorPosition(form->Left() + 200, form->Top() + 200);
  form->Preview().HintTimer->OnTimer(nullptr);
  EXPECT_FALSE(form->ClipControls().SlotLabels->ShowHint());
  EXPECT_EQ(form->Preview().HintTimer->Interval(), 0u);
}

TEST_F(Hints, TheApplicationShowsAHintSwitchedOnUnderThePointer) {
  StartWithClips({"shown as a hint", "another clip"});
  form->Show();
  test::Pump();
  form->ToggleClips();  // up again after the first activation hid it
  SetCursorPosition(form->Left() + form->ClipControls().SlotLabels->Left() + 5,
                    form->Top() + form->ClipControls().SlotLabels->Top() + 5);
  Preview(0);
  ASSERT_TRUE(test::PumpUntil([&] { return !app->ShownHint().empty(); }));
  EXPECT_EQ(app->ShownHint(), "shown as a hint");
  // The preview opens below the pointer and right of the labels: the labels under
  // it stay clickable.
  RECT shown, labels;
  ASSERT_TRUE(GetWindowRect(app->HintWindow()->Handle(), &shown));
  ASSERT_TRUE(GetWindowRect(form->ClipControls().SlotLabels->Handle(), &labels));
  EXPECT_GE(shown.left, labels.right);
  EXPECT_GT(shown.top, labels.top + 5);

  // Another label's preview replaces the shown one...
  Preview(1);
  ASSERT_TRUE(test::PumpUntil([&] { return app->ShownHint() == "another clip"; }))
      << app->ShownHint();
  // ...a press on the labels takes it away, and the click on label 1 brings its own...
  SendMessageA(form->ClipControls().SlotLabels->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(app->ShownHint(), "");
  SendMessageA(form->ClipControls().SlotLabels->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(test::PumpUntil([&] { return app->ShownHint() == "shown as a hint"; }))
      << app->ShownHint();
  // ...and a label without a clip leaves none.
  Preview(7);
  EXPECT_EQ(app->ShownHint(), "");
  test::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(app->ShownHint(), "");
  form->ClipControls().SlotLabels->SetShowHint(false);
  EXPECT_EQ(app->ShownHint(), "");
}

TEST_F(Hints, TrayIconCommandRemovesAndRestoresTheIcon) {
  StartWithClips({"x"});
  ASSERT_TRUE(form->Tray().TrayIcon->Added());
  form->Tray().TrayIconItem->Click();
  EXPECT_FALSE(form->Tray().TrayIconItem->Checked());
  EXPECT_FALSE(form->Tray().TrayIcon->Added());
  EXPECT_FALSE(form->Shown());
  form->Tray().TrayIconItem->Click();
  EXPECT_TRUE(form->Tray().TrayIcon->Added());
}

TEST_F(Hints, ADoubleClickOnTheTrayIconTogglesCaptureWithoutHiding) {
  StartWithClips({"x"});
  form->ToggleClips();
  ASSERT_TRUE(form->Shown());
  form->Tray().TrayIcon->OnDblClick(nullptr);
  EXPECT_FALSE(form->Tray().CachingItem->Checked());
  EXPECT_TRUE(form->Shown());
  form->Tray().TrayIcon->OnDblClick(nullptr);
  EXPECT_TRUE(form->Tray().CachingItem->Checked());
}

}  // namespace
}  // namespace qv
