// The main window's lifecycle against the real Win32 API: start with and
// without clip files, save, clear, quit, close and the end of the session.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/FilesFolderWin.h"
#include "app/InstanceNameWin.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "framework/Clipbrd.h"
#include "framework/FileIO.h"
#include "framework/SysUtils.h"
#include "tests/win/MainWindowFixture.h"

namespace qv {
namespace {

using test::PromptRecorder;
using test::ScratchFolder;

const std::string kList =
    "second" + ListLineMarker + "0000200000002\r\n" + "first" + ListLineMarker + "0000100000001\r\n";
const std::string kStore =
    "/:hdr:\\0000200000002\r\nsecond\r\n/:tlr:\\0000200000002\r\n"
    "/:hdr:\\0000100000001\r\nfirst line\r\nsecond line\r\n/:tlr:\\0000100000001\r\n";

using MainWindow = test::MainWindowFixture;

TEST_F(MainWindow, AFirstRunIsQuietAndSavesEmptyFilesOnClose) {
  Start();
  EXPECT_TRUE(prompts.asked.empty());
  EXPECT_EQ(form->ClipControls().ClipList->Count(), 0);
  EXPECT_TRUE(form->History.Store().Empty());
  // Only the panel shows: no hidden part of the window sticks out beside it.
  const TPanel& panel = *form->ClipControls().Panel;
  EXPECT_EQ(form->ClientRect().right, panel.Left() + panel.Width());
  EXPECT_EQ(form->Caption(), "Quorvel Vavad");
  EXPECT_EQ(form->HotKey->Key(), TextToShortCut("F5"));

  form->Close();
  EXPECT_TRUE(app->Terminated());
  EXPECT_EQ(folder.Read("Lb1.qvl"), std::string());
  EXPECT_EQ(folder.Read("vqclips.qvl"), std::string());
}

// Moved to a monitor of 120 or 144 DPI, the window lays its 96-DPI layout out again, takes
// the place the system suggests, and is that layout again back at 96.
TEST_F(MainWindow, AMoveToAnotherDpiScalesTheWindowItsListAndItsMenu) {
  // Enough lines for the scroll bar, the newest one cut to its 180 pixels as a copy is.
  std::string lines;
  for (int i = 0; i < 72; ++i)
    lines += "line" + ListLineMarker + "00001000000" + std::to_string(10 + i) + "\r\n";
  folder.Write("Lb1.qvl", lines);
  Start();
  Clipboard().SetAsText(std::string(20, 'W') + " and some words that run on past the cut");
  form->Capture.ClipboardChanged();
  const TClipWindowControls& c = form->ClipControls();
  const std::string cut =
      c.ClipList->Items().Get(0).substr(0, c.ClipList->Items().Get(0).find(ListLineMarker));
  ASSERT_EQ(cut.substr(cut.size() - 3), "...");
  const auto lineHeight = [](TWinControl* list) {
    return static_cast<int>(SendMessageA(list->Handle(), LB_GETITEMHEIGHT, 0, 0));
  };
  // The window at 96 DPI, as it started: what the other scalings scale.
  const int width = c.Panel->Width(), listLeft = c.ClipList->BoundsRect().left,
            listHeight = c.ClipList->Height(), labelsHeight = c.SlotLabels->Height(),
            panelHeight = c.Panel->Height(), fontHeight = c.ClipList->Font().Height(),
            labelLine = lineHeight(c.SlotLabels), column = form->Tray().MenuPainter->ColumnWidth();
  for (const int dpi : {120, 144, 96}) {
    SCOPED_TRACE(dpi);
    const auto s = [dpi](int v) { return MulDiv(v, dpi, 96); };
    RECT suggested{40, 30, 40 + s(width), 30 + s(panelHeight)};
    SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    test::Pump();
    RECT window;
    GetWindowRect(form->Handle(), &window);
    EXPECT_EQ(window.left, 40);
    EXPECT_EQ(window.right - window.left, s(width));
    EXPECT_EQ(c.Panel->Width(), s(width));
    EXPECT_EQ(c.ClipList->BoundsRect().left, s(listLeft));
    // The heights scaled, grown where 36 whole lines need more: the slot labels name them.
    const int grown = c.ClipList->Height() - s(listHeight);
    EXPECT_GE(grown, 0);
    if (dpi == 96) {
      EXPECT_EQ(grown, 0);
    }
    EXPECT_EQ(c.SlotLabels->Height(), s(labelsHeight) + grown);
    EXPECT_EQ(c.Panel->Height(), s(panelHeight) + grown);
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.bottom, s(panelHeight) + grown);
    for (TWinControl* list : {static_cast<TWinControl*>(c.ClipList), static_cast<TWinControl*>(c.SlotLabels)}) {
      GetClientRect(list->Handle(), &client);
      EXPECT_GE(client.bottom, 36 * lineHeight(list));
    }
    EXPECT_EQ(c.ClipList->Font().Height(), s(fontHeight));
    // The check boxes stand right of the slot labels, and the cut line fits beside the
    // scroll bar after them.
    RECT check = c.ClipList->CheckRect(0), labels;
    MapWindowPoints(c.ClipList->Handle(), nullptr, reinterpret_cast<POINT*>(&check), 2);
    GetWindowRect(c.SlotLabels->Handle(), &labels);
    EXPECT_GE(check.left, labels.right);
    c.ClipList->Canvas().Font().Assign(c.ClipList->Font());
    GetClientRect(c.ClipList->Handle(), &client);
    EXPECT_LE(c.ClipList->CheckRect(0).right + 2 + c.ClipList->Canvas().TextWidth(cut),
              client.right);
    // The list's lines and the slot labels beside them keep in step.
    EXPECT_GE(lineHeight(c.ClipList), s(labelLine));
    EXPECT_EQ(lineHeight(c.SlotLabels), s(labelLine));
    EXPECT_EQ(form->Tray().MenuPainter->ColumnWidth(), s(column));
  }
}

// A kept clip's check box shows beside the slot labels, in the design's colours and in a
// high-contrast theme's, where a click reaches it.
TEST_F(MainWindow, KeepMarksShowBesideTheSlotLabelsInBothColourSchemes) {
  folder.Write("Lb1.qvl", kList);
  folder.Write("vqclips.qvl", kStore);
  Start();
  ASSERT_TRUE(form->History.SetKept(0, true));
  form->Show();  // first activation, then hidden
  test::Pump();
  form->ToggleClips();
  const TClipWindowControls& c = form->ClipControls();
  RECT kept = c.ClipList->CheckRect(0), labels;
  MapWindowPoints(c.ClipList->Handle(), nullptr, reinterpret_cast<POINT*>(&kept), 2);
  GetWindowRect(c.SlotLabels->Handle(), &labels);
  EXPECT_GE(kept.left, labels.right);
  EXPECT_EQ(WindowFromPoint(POINT{(kept.left + kept.right) / 2, (kept.top + kept.bottom) / 2}),
            c.ClipList->Handle());

  // On screen, from the labels' left edge to the boxes' right one, lines 0 and 1.
  const int width = kept.right - labels.left, line = kept.bottom - kept.top;
  const auto look = [&](int& marks, int& labelInk) {
    RedrawWindow(form->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::Pump();
    TBitmap shot(width, 2 * line);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.Canvas().Handle(), 0, 0, width, 2 * line, screen, labels.left, kept.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    marks = labelInk = 0;
    const int boxLeft = kept.left - labels.left, labelsWidth = labels.right - labels.left;
    const COLORREF labelBack = shot.Canvas().Pixel(labelsWidth - 1, 0);
    for (int y = 0; y < line; ++y) {
      for (int x = boxLeft; x < width; ++x)
        marks += shot.Canvas().Pixel(x, y) != shot.Canvas().Pixel(x, y + line);
      for (int x = 0; x < labelsWidth; ++x) labelInk += shot.Canvas().Pixel(x, y) != labelBack;
    }
  };
  for (const bool highContrast : {false, true}) {
    SCOPED_TRACE(highContrast ? "high contrast" : "design colours");
    ColorClipWindow(c, highContrast);
    int marks, labelInk;
    look(marks, labelInk);
    EXPECT_GT(marks, 8);     // the check mark itself
    EXPECT_GT(labelInk, 5);  // label "1"
  }
  // The same look for two unkept lines: what differed was the mark.
  form->History.SetKept(0, false);
  int marks, labelInk;
  look(marks, labelInk);
  EXPECT_EQ(marks, 0);
}

TEST_F(MainWindow, PreparedFilesLoadAndCloseWritesThemBackByteForByte) {
  folder.Write("Lb1.qvl", kList);
  folder.Write("vqclips.qvl", kStore);
  Start();
  EXPECT_TRUE(prompts.asked.empty());
  ASSERT_EQ(form->ClipControls().ClipList->Count(), 2);
  EXPECT_EQ(Text(0), "second");
  EXPECT_EQ(Text(1), "first line\r\nsecond line");
  SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(app->Terminated());
  EXPECT_EQ(folder.Read("Lb1.qvl"), kList);
  EXPECT_EQ(folder.Read("vqclips.qvl"), kStore);
}

TEST_F(MainWindow, AMissingStoreFileKeepsTheListAndSkipsTheRest) {
  folder.Write("Lb1.qvl", kList);
  Clipboard().SetAsText("would be captured at start");
  Start();
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].Text, "Cannot open file " + folder.File("vqclips.qvl"));
  EXPECT_EQ(prompts.asked[0].Caption, "qvavad");  // the title: the exe name, the rest lower case
  EXPECT_EQ(form->ClipControls().ClipList->Count(), 2);
  EXPECT_FALSE(form->History.Store().Locate(form->ClipControls().ClipList->Items().Get(0)).has_value());
  // The start-up capture was skipped with the rest: the clipboard's text is no clip.
  EXPECT_EQ(form->History.Store().Text().find("would be captured"), std::string::npos);
}

TEST_F(MainWindow, ADamagedExactTextFileCostsOnlyItsTextsAndIsSaidOnce) {
  folder.Write("Lb1.qvl", kList);
  folder.Write("vqclips.qvl", kStore);
  folder.Write("vqclips.qvu", "/:utf:\\0000200000002 99\r\nhalf a bl");
  Start();
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_NE(prompts.asked[0].Text.find(folder.File("vqclips.qvu")), std::string::npos);
  EXPECT_EQ(Text(0), "second");
  EXPECT_EQ(form->History.ExactTextOf(0), nullptr);
  form->SaveClips();
  EXPECT_EQ(folder.Read("Lb1.qvl"), kList);
  EXPECT_EQ(folder.Read("vqclips.qvl"), kStore);
  EXPECT_FALSE(folder.Exists("vqclips.qvu"));
}

TEST_F(MainWindow, QuitAskedAndAnsweredNoThenYes) {
  folder.Write("Lb1.qvl", kList);
  folder.Write("vqclips.qvl", kStore);
  Start();
  prompts.answers = {TModalResult::mrNo};
  form->Tray().QuitItem->Click();
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].Caption, "Confirm");
  EXPECT_EQ(prompts.asked[0].Text, "Quit Quorel Vavad?");
  EXPECT_EQ(prompts.asked[0].Type, TMsgDlgType::mtConfirmation);
  const POINT cursor = CursorPosition();
  EXPECT_EQ(cursor.x, Screen->DesktopWidth() / 2 - 20);
  EXPECT_EQ(cursor.y, Screen->DesktopHeight() / 2 + 32);
  EXPECT_FALSE(app->Terminated());
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(form->Shown());

  folder.Write("Lb1.qvl", "");  // shows whether quitting writes
  prompts.answers = {TModalResult::mrYes};
  form->Tray().QuitItem->Click();
  EXPECT_TRUE(app->Terminated());
  EXPECT_EQ(folder.Read("Lb1.qvl"), kList);
}

TEST_F(MainWindow, ACloseThatCannotSaveIsAbandonedAndTheProgramRuns) {
  app->SetExeName(folder.File("gone\\qvavad.exe"));
  Start();
  prompts.asked.clear();
  SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].Text, "Cannot create file " + folder.File("gone\\vqclips.qvl"));
  EXPECT_EQ(prompts.asked[0].Type, TMsgDlgType::mtError);
  EXPECT_FALSE(app->Terminated());
}

TEST_F(MainWindow, ClipFilesThatCouldNotBeReadAtStartAreSetAsideNotOverwritten) {
  folder.Write("Lb1.qvl", kList);
  folder.Write("vqclips.qvl", kStore);
  // Another program holds the list file open, unshared, while the program starts.
  HANDLE lock = CreateFileA(folder.File("Lb1.qvl").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  Start();
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(form->ClipControls().ClipList->Count(), 0);
  // While it is still held, a save cannot set it aside and is refused; nothing is lost.
  EXPECT_THROW(form->SaveClips(), EFCreateError);
  EXPECT_EQ(folder.Read("vqclips.qvl.bak"), kStore);
  CloseHandle(lock);

  form->SaveClips();
  EXPECT_EQ(folder.Read("Lb1.qvl.bak"), kList);
  EXPECT_EQ(folder.Read("vqclips.qvl.bak"), kStore);
  EXPECT_EQ(folder.Read("Lb1.qvl"), std::string());
  // Only once: the next save simply writes.
  form->SaveClips();
  EXPECT_FALSE(folder.Exists("Lb1.qvl.bak1"));
}

TEST_F(MainWindow, TemporaryFilesOfAKilledSaveAreRemovedAtStartAndNothingElse) {
  folder.Write("Lb1.qvl", kList);
  folder.Write("vqclips.qvl", kStore);
  const char* leftovers[] = {"vqclips.qvl.tmp4242-1", "Lb1.qvl.tmp7-12", "qvavad.ini.tmp1-1"};
  const char* others[] = {"vqclips.qvl.tmpx", "notes.txt.tmp1-1", "vqclips.qvl.bak"};
  for (const char* name : leftovers) folder.Write(name, "half a save");
  for (const char* name : others) folder.Write(name, "keep");
  Start();
  for (const char* name : leftovers) EXPECT_FALSE(folder.Exists(name)) << name;
  for (const char* name : others) EXPECT_EQ(folder.Read(name), "keep") << name;
  EXPECT_EQ(form->ClipControls().ClipList->Count(), 2);
}

TEST_F(MainWindow, EndOfSessionWritesBothFilesAndAgreesOnlyWhenTheyAreWritten) {
  Start();
  EXPECT_EQ(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_TRUE(folder.Exists("Lb1.qvl"));
  EXPECT_TRUE(folder.Exists("vqclips.qvl"));
  EXPECT_FALSE(app->Terminated());

  // A folder where the store file should be: it cannot be replaced.
  ASSERT_TRUE(DeleteFileA(folder.File("vqclips.qvl").c_str()));
  ASSERT_TRUE(CreateDirectoryA(folder.File("vqclips.qvl").c_str(), nullptr));
  prompts.asked.clear();
  EXPECT_EQ(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), 0);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].Text, "Cannot create file " + folder.File("vqclips.qvl"));
  RemoveDirectoryA(folder.File("vqclips.qvl").c_str());
}

TEST_F(MainWindow, ClearVavadEmptiesTheHistoryOnlyWhenConfirmed) {
  folder.Write("Lb1.qvl", kList);
  folder.Write("vqclips.qvl", kStore);
  Start();
  prompts.answers = {TModalResult::mrNo};
  form->Tray().ClearItem->Click();
  EXPECT_EQ(prompts.asked.back().Text, "Clear all current clips?");
  EXPECT_EQ(CursorPosition().y, Screen->DesktopHeight() / 2 + 33);
  EXPECT_EQ(form->ClipControls().ClipList->Count(), 2);

  // A kept clip stays, and the question says so.
  ASSERT_TRUE(form->History.SetKept(1, true));
  prompts.answers = {TModalResult::mrYes};
  form->Tray().ClearItem->Click();
  EXPECT_EQ(prompts.asked.back().Text, "Clear all current clips? 1 kept clips stay.");
  ASSERT_EQ(form->ClipControls().ClipList->Count(), 1);
  EXPECT_EQ(form->ClipControls().ClipList->ItemState(0), TCheckBoxState::cbChecked);

  form->History.SetKept(0, false);
  prompts.answers = {TModalResult::mrYes};
  form->Tray().ClearItem->Click();
  EXPECT_EQ(form->ClipControls().ClipList->Count(), 0);
  EXPECT_TRUE(form->History.Store().Empty());
  EXPECT_EQ(folder.Read("Lb1.qvl"), kList);  // the files' timer rewrites them a moment later
  form->Tray().SaveItem->Click();
  EXPECT_EQ(folder.Read("Lb1.qvl"), std::string());
  EXPECT_EQ(folder.Read("vqclips.qvl"), std::string());
}

// The program is "killed" by ending it without its close: only the journal knows what
// happened since the files were written.
TEST_F(MainWindow, ACaptureARecallAndAClearAreJournaledAndReplayedAtTheNextStart) {
  folder.Write("Lb1.qvl", kList);
  folder.Write("vqclips.qvl", kStore);
  auto killAndStart = [this] {
    app.reset();
    Clipboard().Clear();  // so that the start captures nothing of its own
    app = std::make_unique<TApplication>();
    app->SetExeName(folder.File("qvavad.exe"));
    Start();
  };
  Start();
  Clipboard().SetAsText("copied");
  form->Capture.ClipboardChanged();
  WORD key = '3';
  form->OnKeyDown(form, key, 0);  // "first" goes to the top
  test::Pump();
  const auto before = form->History.Lines();
  ASSERT_EQ(form->History.Display(0), "first");
  // Flushed by the window's timer within a second.
  EXPECT_EQ(form->FilesTimer->Interval(), 1000u);
  ASSERT_TRUE(test::PumpUntil([this] { return form->FilesTimer->Interval() == 0; }));
  EXPECT_TRUE(folder.Exists("vqclips.qvj"));
  EXPECT_EQ(folder.Read("Lb1.qvl"), kList);

  killAndStart();
  EXPECT_TRUE(prompts.asked.empty());
  EXPECT_EQ(form->History.Lines(), before);
  EXPECT_EQ(Text(1), "copied");
  EXPECT_FALSE(folder.Exists("vqclips.qvj"));  // saved into the files and emptied
  EXPECT_EQ(*folder.Read("Lb1.qvl"), before[0] + "\r\n" + before[1] + "\r\n" + before[2] + "\r\n");

  prompts.answers = {TModalResult::mrYes};
  form->Tray().ClearItem->Click();
  form->FilesTimer->OnTimer(nullptr);
  killAndStart();
  EXPECT_EQ(form->ClipControls().ClipList->Count(), 0);
  EXPECT_EQ(folder.Read("vqclips.qvl"), std::string());

  // A journal another program holds, so that it can be neither written nor deleted: the
  // save and the quit go on. The next start finds it stale, keeps it aside and says so.
  Clipboard().SetAsText("held");
  form->Capture.ClipboardChanged();
  form->FilesTimer->OnTimer(nullptr);
  const std::string journal = *folder.Read("vqclips.qvj");
  HANDLE held = CreateFileA(folder.File("vqclips.qvj").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  prompts.answers = {TModalResult::mrYes};
  form->Tray().QuitItem->Click();
  EXPECT_TRUE(app->Terminated());
  EXPECT_EQ(prompts.asked.back().Text, "Quit Quorel Vavad?");  // no error after it
  CloseHandle(held);
  prompts.asked.clear();
  killAndStart();
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_NE(prompts.asked[0].Text.find("does not fit"), std::string::npos);
  EXPECT_EQ(folder.Read("vqclips.qvj.bak"), journal);
  ASSERT_EQ(form->ClipControls().ClipList->Count(), 1);
  EXPECT_EQ(Text(0), "held");
}

TEST_F(MainWindow, ADamagedJournalIsReplayedUpToTheDamageAndToldOnce) {
  folder.Write("Lb1.qvl", kList);
  folder.Write("vqclips.qvl", kStore);
  std::string journal;
  AppendJournalEntry(journal, TJournalKind::Capture,
                     {"0000300000003", "third" + ListLineMarker + "0000300000003", "third"});
  folder.Write("vqclips.qvj", journal + std::string(30, 'x'));
  Start();
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_NE(prompts.asked[0].Text.find("damaged"), std::string::npos);
  EXPECT_EQ(form->ClipControls().ClipList->Count(), 3);
  EXPECT_EQ(Text(0), "third");
  EXPECT_TRUE(folder.Exists("vqclips.qvj.bak"));
  app.reset();
  app = std::make_unique<TApplication>();
  app->SetExeName(folder.File("qvavad.exe"));
  Start();
  EXPECT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(form->ClipControls().ClipList->Count(), 3);
}

TEST_F(MainWindow, FirstActivationTakesTheSettingsAndHidesTheWindow) {
  Start();
  EXPECT_EQ(form->HotKey->Key(), VK_F5);  // after creation
  form->Show();
  test::Pump();
  EXPECT_EQ(form->HotKey->Key(), kCtrlAltDown);
  EXPECT_EQ(form->Recall.PasteDelay(), 100);
  EXPECT_FALSE(form->Files.AutoSave());
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

TEST_F(MainWindow, AutoSaveWritesOnlyAfterAChangeWasSeen) {
  Start();
  form->Files.SetAutoSave(true, 0);
  form->Files.Tick(kAutoSaveInterval);
  EXPECT_FALSE(folder.Exists("Lb1.qvl"));

  Clipboard().SetAsText("seen");
  form->Capture.ClipboardChanged();
  form->Files.Tick(kAutoSaveInterval + 1000);  // the interval counts from the last one
  EXPECT_FALSE(folder.Exists("Lb1.qvl"));
  form->Files.Tick(2 * kAutoSaveInterval);
  EXPECT_TRUE(folder.Exists("Lb1.qvl"));

  DeleteFileA(folder.File("Lb1.qvl").c_str());
  form->Files.Tick(3 * kAutoSaveInterval);
  EXPECT_FALSE(folder.Exists("Lb1.qvl"));
}

TEST_F(MainWindow, CachingSwitchTogglesTheItemAndTheTrayIcon) {
  Start();
  EXPECT_TRUE(form->Tray().CachingItem->Checked());
  EXPECT_TRUE(form->Tray().TrayIcon->Added());
  // Which picture the tray shows, told by the icons' images.
  const auto shows = [&](TImage* image) {
    ICONINFO a{}, b{};
    GetIconInfo(form->Tray().TrayIcon->NotifyData().hIcon, &a);
    GetIconInfo(image->Icon().Handle(), &b);
    BITMAP ba{}, bb{};
    GetObjectA(a.hbmColor, sizeof ba, &ba);
    GetObjectA(b.hbmColor, sizeof bb, &bb);
    std::vector<char> pa(ba.bmWidthBytes * ba.bmHeight), pb(bb.bmWidthBytes * bb.bmHeight);
    GetBitmapBits(a.hbmColor, static_cast<LONG>(pa.size()), pa.data());
    GetBitmapBits(b.hbmColor, static_cast<LONG>(pb.size()), pb.data());
    for (HBITMAP h : {a.hbmColor, a.hbmMask, b.hbmColor, b.hbmMask}) DeleteObject(h);
    return !pa.empty() && pa == pb;
  };
  ASSERT_FALSE(shows(form->Tray().CachingOffIcon));  // the pictures differ
  EXPECT_TRUE(shows(form->Tray().CachingOnIcon));
  form->Tray().CachingItem->Click();
  EXPECT_FALSE(form->Tray().CachingItem->Checked());
  EXPECT_TRUE(shows(form->Tray().CachingOffIcon));
  EXPECT_FALSE(form->Shown());
  form->Tray().CachingItem->Click();
  EXPECT_TRUE(form->Tray().CachingItem->Checked());
  EXPECT_TRUE(shows(form->Tray().CachingOnIcon));
}

TEST_F(MainWindow, OneRecorderPerFolderAndASecondStartBringsTheClipsUp) {
  Start();
  TSingleInstance first(folder.Path());
  ASSERT_TRUE(first.First());
  first.Publish(form->Handle());
  // The same folder however it is written; another folder is free.
  std::string upper = folder.Path();
  CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
  TSingleInstance again(upper.substr(0, upper.size() - 1));
  EXPECT_FALSE(again.First());
  test::ScratchFolder elsewhere;
  EXPECT_TRUE(TSingleInstance(elsewhere.Path()).First());

  form->Show();  // first activation, then hidden
  test::Pump();
  ASSERT_FALSE(form->Shown());
  EXPECT_TRUE(again.ShowRunning(0));
  ASSERT_TRUE(test::PumpUntil([this] { return form->Shown(); }));
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  // Shown already: a further start leaves it up rather than hiding it as the hot key would.
  EXPECT_TRUE(again.ShowRunning(0));
  test::Pump();
  EXPECT_TRUE(form->Shown());
}

TEST_F(MainWindow, ACopyOfThisUserInAnotherSessionHoldsTheFolderAnotherAccountsObjectDoesNot) {
  // This user's copy in another logon session: only the machine-wide name is there. It
  // holds the folder, and cannot be asked to show its clips from here.
  test::ScratchFolder other;
  TOwnObjectSecurity security;
  UniqueKernelObject session(CreateMutexW(
      security.Attributes(), FALSE, WidePath(InstanceNameOfFolder(other.Path(), true)).c_str()));
  ASSERT_TRUE(session);
  TSingleInstance blocked(other.Path());
  EXPECT_FALSE(blocked.First());
  EXPECT_FALSE(blocked.ShowRunning(0));

  // Another account made this user's names first: shut out of the machine's, and the owner
  // of the session's. Neither keeps this user from recording.
  test::ScratchFolder squatted;
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  ACL noAccess;
  InitializeAcl(&noAccess, sizeof noAccess, ACL_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, &noAccess, FALSE);
  SECURITY_ATTRIBUTES closed{sizeof closed, &sd, FALSE};
  UniqueKernelObject machine(
      CreateMutexW(&closed, FALSE, WidePath(InstanceNameOfFolder(squatted.Path(), true)).c_str()));
  ASSERT_TRUE(machine);
  PSECURITY_DESCRIPTOR foreign = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"O:BAD:(A;;GA;;;WD)", SDDL_REVISION_1, &foreign, nullptr));
  ScopeExit freeForeign([&] { LocalFree(foreign); });
  SECURITY_ATTRIBUTES othersOwn{sizeof othersOwn, foreign, FALSE};
  UniqueKernelObject local(
      CreateMutexW(&othersOwn, FALSE, WidePath(InstanceNameOfFolder(squatted.Path())).c_str()));
  ASSERT_TRUE(local);
  if (OwnedByThisUser(local.get()))
    GTEST_SKIP() << "this system gives the object this user's owner";
  EXPECT_TRUE(TSingleInstance(squatted.Path()).First());
}

// Beside the exe while it can be written or holds the clips; else in "Quorvel Vavad" of
// the local application data, made by the first such start only (that one tells the
// user); a move between the two is told once, naming both; the clip files follow the
// folder chosen.
TEST_F(MainWindow, FilesLiveBesideTheExeWhileItsFolderCanBeWrittenElseInLocalAppData) {
  const TFilesFolder beside = ChooseFilesFolder(folder.Path());
  EXPECT_EQ(beside.Folder, folder.Path());
  EXPECT_FALSE(beside.FellBack);
  EXPECT_EQ(beside.Notice, "");
  WIN32_FIND_DATAA found;
  EXPECT_EQ(FindFirstFileA(folder.File("*.tmp").c_str(), &found), INVALID_HANDLE_VALUE);

  ScratchFolder appData;
  char before[MAX_PATH] = {0};
  GetEnvironmentVariableA("LOCALAPPDATA", before, sizeof before);
  SetEnvironmentVariableA("LOCALAPPDATA", appData.Path().c_str());
  const std::string fallback = appData.Path() + "Quorvel Vavad\\";
  ScopeExit restore([&] {
    SetEnvironmentVariableA("LOCALAPPDATA", before[0] ? before : nullptr);
    TMainWindow::SetClipFolder("");
    app.reset();
    for (const char* name : {"Lb1.qvl", "vqclips.qvl", "vqclips.qvj", kFolderRecordFile})
      DeleteFileA((fallback + name).c_str());
    RemoveDirectoryA(fallback.c_str());
  });
  const auto refused = [](const std::string&) { return TFolderProbe::Refused; };
  const auto failed = [](const std::string&) { return TFolderProbe::Failed; };
  // A probe that fails for a passing reason changes nothing.
  EXPECT_EQ(ChooseFilesFolder(folder.Path(), failed).Folder, folder.Path());
  EXPECT_EQ(GetFileAttributesA(fallback.c_str()), INVALID_FILE_ATTRIBUTES);

  const TFilesFolder first = ChooseFilesFolder(folder.Path(), refused);
  EXPECT_EQ(first.Folder, fallback);
  EXPECT_TRUE(first.FellBack);
  EXPECT_EQ(first.Notice, FallbackFolderNotice(folder.Path(), fallback));
  RememberFilesFolder(first);
  TMainWindow::SetClipFolder(first.Folder);
  Start();
  form->SaveClips();
  EXPECT_NE(GetFileAttributesA((fallback + "Lb1.qvl").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(folder.Read("Lb1.qvl").has_value());
  app.reset();

  // The last start kept them there: so does a start that finds the exe's folder writable
  // again but without clips, and says nothing.
  for (const auto probe : {+refused, +failed, &ProbeFolder}) {
    const TFilesFolder later = ChooseFilesFolder(folder.Path(), probe);
    EXPECT_EQ(later.Folder, fallback);
    EXPECT_EQ(later.Notice, "");
  }
  // Clips beside the exe (copied back by the user) win over a probe's passing fault; the
  // move is told once, naming both folders.
  folder.Write("Lb1.qvl", "");
  const TFilesFolder back = ChooseFilesFolder(folder.Path(), failed);
  EXPECT_EQ(back.Folder, folder.Path());
  EXPECT_EQ(back.Notice, FilesFolderChangedNotice(fallback, folder.Path()));
  RememberFilesFolder(back);
  EXPECT_EQ(ChooseFilesFolder(folder.Path()).Notice, "");
  // Not writable after all: to the fallback folder, which the message names with the exe's.
  const TFilesFolder away = ChooseFilesFolder(folder.Path(), refused);
  EXPECT_EQ(away.Folder, fallback);
  EXPECT_EQ(away.Notice, FilesFolderChangedNotice(folder.Path(), fallback));
}

TEST_F(MainWindow, TheMenuHoldsItsSevenItemsInOrder) {
  Start();
  TMenuItem& items = form->Tray().TrayMenu->Items();
  ASSERT_EQ(items.Count(), 7);
  const char* captions[] = {"Settings...", "Save Vavad",       "Clear Vavad", "Tray Icon",
                            " Caching",    "Ignore next copy", " Quit"};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(items.Items(i)->Caption(), captions[i]);
  EXPECT_TRUE(form->Tray().TrayIconItem->Checked());
}

}  // namespace
}  // namespace qv
