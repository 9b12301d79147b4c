#pragma once
// A main window of its own for each test: a fresh application whose executable
// (and so whose clip files) live in a scratch folder, prompts answered in-process.

#include <gtest/gtest.h>

#include <memory>

#include "app/Unit1.h"
#include "framework/Clipbrd.h"
#include "tests/win/WinTestSupport.h"

namespace qv::test {

class MainWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    FirstActivationDone = 0;
    WindowShown = 0;
    SkipNextCapture = 1;
    PasteDelay = 0;
    CapturesSinceAutoSave = 0;
    // Nothing on the clipboard: the start-up capture then takes nothing.
    Clipboard().Clear();
    app = std::make_unique<TApplication>();
    app->SetExeName(folder.File("qvavad.exe"));
  }
  void TearDown() override { app.reset(); }

  TForm1* Start() { return form = app->CreateForm<TForm1>(); }
  std::string Text(int listIndex) {
    return *form->QvRichEdit2.Locate(form->QvCheckListBox1->Items().Get(listIndex));
  }

  ScratchFolder folder;
  PromptRecorder prompts;
  std::unique_ptr<TApplication> app;
  TForm1* form = nullptr;
};

}  // namespace qv::test
