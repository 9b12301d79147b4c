#pragma once
// A main window of its own for each test: a fresh application whose executable
// (and so whose clip files) live in a scratch folder, prompts answered in-process.

#include <gtest/gtest.h>

#include <memory>

#include "app/MainWindow.h"
#include "framework/Clipbrd.h"
#include "tests/win/WinTestSupport.h"

namespace qv {
// A list line's spaces and header marker, between its display text and its id.
inline const std::string ListLineMarker{kListLineMarker};
// The shortcut value's modifier bits, as hot keys are stored: Ctrl and Alt.
inline constexpr unsigned kCtrlBit = 0x4000, kAltBit = 0x8000;
inline constexpr unsigned kCtrlAltDown = VK_DOWN | kCtrlBit | kAltBit;
}  // namespace qv

namespace qv::test {

class MainWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    // Nothing on the clipboard: the start-up capture then takes nothing.
    Clipboard().Clear();
    app = std::make_unique<TApplication>();
    app->SetExeName(folder.File("qvavad.exe"));
  }
  void TearDown() override { app.reset(); }

  TMainWindow* Start() { return form = app->CreateForm<TMainWindow>(); }
  std::string Text(int listIndex) { return *form->History.TextOf(listIndex); }

  ScratchFolder folder;
  PromptRecorder prompts;
  std::unique_ptr<TApplication> app;
  TMainWindow* form = nullptr;
};

}  // namespace qv::test
