#pragma once
// Shared by the Windows tests: a scratch folder, file helpers, a message pump,
// and prompts answered in-process.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/Dialogs.h"
#include "framework/FileIO.h"
#include "framework/Handles.h"

namespace qv::test {

// A fresh folder under %TEMP%, removed with its files at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    path_ = std::string(temp) + "qvtest" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++counter) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    WIN32_FIND_DATAA fd;
    if (const UniqueFind search(FindFirstFileA((path_ + "*").c_str(), &fd)); search) {
      do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
          DeleteFileA((path_ + fd.cFileName).c_str());
      } while (FindNextFileA(search.get(), &fd));
    }
    RemoveDirectoryA(path_.c_str());
  }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }
  std::optional<std::string> Read(const std::string& name) const {
    std::string bytes;
    if (!ReadWholeFile(File(name), bytes)) return std::nullopt;
    return bytes;
  }
  void Write(const std::string& name, const std::string& bytes) const {
    // A test that cannot even lay out its files tells nothing.
    if (!WriteFileAtomically(File(name), bytes)) ADD_FAILURE() << "cannot write " << File(name);
  }
  bool Exists(const std::string& name) const {
    return GetFileAttributesA(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

 private:
  std::string path_;
};

// Handles every waiting message of this thread.
inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Pumps until the condition holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, int milliseconds = 3000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Pump();
    Sleep(5);
  }
  return true;
}

// Answers every prompt with the next queued answer (OK when none is queued)
// and records what was asked, for as long as it lives.
class PromptRecorder {
 public:
  PromptRecorder() {
    DialogHook() = [this](const TDialogRequest& r) {
      asked.push_back(r);
      if (answers.empty()) return TModalResult::mrOk;
      const TModalResult a = answers.front();
      answers.pop_front();
      return a;
    };
  }
  ~PromptRecorder() { DialogHook() = nullptr; }
  std::vector<TDialogRequest> asked;
  std::deque<TModalResult> answers;
};

// A clipboard viewer that joins in front of those already there and passes no change
// notice on, as faulty viewers of other programs do; it does keep the chain itself whole.
class SwallowingViewer {
 public:
  SwallowingViewer() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &SwallowingViewer::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QvTestSwallowingViewer";
    RegisterClassA(&wc);
    wnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          wc.hInstance, nullptr);
    SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    next = SetClipboardViewer(wnd);
  }
  ~SwallowingViewer() {
    ChangeClipboardChain(wnd, next);
    DestroyWindow(wnd);
  }
  HWND wnd = nullptr;
  HWND next = nullptr;
  int swallowed = 0;

 private:
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* me = reinterpret_cast<SwallowingViewer*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (me && msg == WM_DRAWCLIPBOARD) {
      ++me->swallowed;
      return 0;
    }
    if (me && msg == WM_CHANGECBCHAIN) {
      if (reinterpret_cast<HWND>(wParam) == me->next)
        me->next = reinterpret_cast<HWND>(lParam);
      else if (me->next)
        SendMessageA(me->next, msg, wParam, lParam);
      return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
  }
};

}  // namespace qv::test
