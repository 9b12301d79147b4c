#pragma once
// Forms, the application object and the screen.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Controls.h"

namespace qv {

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow };
enum class TPosition { poDesigned, poDesktopCenter, poScreenCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

using TCloseEvent = TMethod<TObject*, TCloseAction&>;
using TCloseQueryEvent = TMethod<TObject*, bool&>;

class TMainMenu;

class TCustomForm : public TWinControl {
  QV_CLASS(TCustomForm)
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  TFormBorderStyle BorderStyle = TFormBorderStyle::bsSizeable;
  TPosition Position = TPosition::poDesigned;
  bool KeyPreview = false;
  // Keys as in a dialog box: Tab and Shift+Tab move among the tab stops in the order
  // the controls were made, Enter clicks DefaultControl, Esc closes the form as
  // cancelled; the arrow keys stay with the control that has the focus. The focus
  // goes back to the control that last had it whenever the form is activated.
  bool DialogKeys = false;
  TControl* DefaultControl = nullptr;
  // The message loop offers every key press here first; true when it was a dialog key.
  bool DialogKey(const MSG& msg);
  // Moves the focus to the next (previous) tab stop, as Tab (Shift+Tab) does.
  void SelectNext(bool forward);
  // The form's menu bar, or null.
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);
  // Client size of the design; applied before the window is made.
  void SetClientSize(int width, int height);

  void Show();
  void Hide() { SetVisible(false); }
  void Close();
  // Shows the form modally and returns its ModalResult.
  TModalResult ShowModal();
  TModalResult ModalResult = TModalResult::mrNone;
  // Tests answer modal forms in-process through this hook.
  using TModalHook = std::function<TModalResult(TCustomForm&)>;
  static TModalHook& ModalHook() {
    static TModalHook hook;
    return hook;
  }
  bool Active() const { return active_; }
  void BringToFront();

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  void BeforeDestruction() override;
  void Notification(TComponent* component, TOperation operation) override;
  void SetVisible(bool visible) override;
  void WndProc(TMessage& message) override;
  // Keeps its place; the client area and everything in it grow or shrink.
  void ChangeScale(int newDpi) override;
  // Raised after the form was laid out for another DPI (the system DPI after its
  // design, the monitor's once it has a window, a move to another monitor).
  TNotifyEvent OnDpiChanged;

 protected:
  // Applies a design: `design` runs with the form and its components loading,
  // then every after-load step runs, then OnCreate.
  void ApplyDesign(const std::function<void()>& design);
  void CreateParams(TCreateParams& params) override;
  void WindowCreated() override;
  bool WantsKeyPreview() const override { return KeyPreview; }
  virtual bool CloseQuery();
  virtual void DoClose(TCloseAction& action);
  virtual void Activate();
  virtual void Deactivate();

 private:
  void PlaceOnScreen();
  // Gives the focus back to the control that had it, else to the first tab stop.
  void RestoreFocus();
  void FocusControl(TWinControl* control);
  TMainMenu* menu_ = nullptr;
  bool active_ = false;
  bool placed_ = false;
  HWND focused_child_ = nullptr;
  bool destroying_done_ = false;
  int modal_depth_ = 0;
};

class TForm : public TCustomForm {
  QV_CLASS(TForm)
 public:
  using TCustomForm::TCustomForm;
};

// The yellow box that shows a control's hint.
class THintWindow : public TWinControl {
  QV_CLASS(THintWindow)
 public:
  explicit THintWindow(TComponent* owner);
  // Shows the text with its top-left corner at a screen point, without activation.
  void ActivateHint(POINT at, const std::string& text, TColor color);
  void ReleaseHint();
  const std::string& Text() const { return text_; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint(TCanvas& canvas) override;

 private:
  std::string text_;
};

// A main-window hook: returns true when it handled the message.
using TWindowHook = std::function<bool(TMessage&)>;

class TApplication : public TComponent, public THintHost {
  QV_CLASS(TApplication)
 public:
  TApplication();
  ~TApplication() override;

  void Initialize();
  // Creates a form; the first one made becomes the main form.
  template <class T>
  T* CreateForm() {
    T* form = new T(this);
    if (!main_form_) main_form_ = form;
    return form;
  }
  TCustomForm* MainForm() const { return main_form_; }
  void SetMainForm(TCustomForm* form) { main_form_ = form; }

  // Shows the main form and runs the message loop until Terminate.
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles the messages waiting in the queue, then returns.
  void ProcessMessages();
  // Handles one message; false when the queue was empty.
  bool HandleMessage();

  // The hidden window that stands for the application (posted messages, hooks).
  HWND Handle() const { return window_.Handle(); }
  // The executable's file name up to its first dot, letters after the first in lower case.
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }
  static std::string TitleFromExeName(const std::string& exePath);
  // The executable's full path, UTF-8. Tests may name another one, so that a form whose
  // files live beside the executable uses a folder of their own.
  const std::string& ExeName() const { return exe_name_; }
  void SetExeName(const std::string& path);

  void Minimize();
  void Restore();
  bool Active() const { return active_; }

  TColor HintColor = clInfoBk;
  int HintPause = 500;
  int HintHidePause = 2500;
  bool ShowHint = true;

  // The hint shown now ("" when none).
  std::string ShownHint() const;
  // The window that shows hints; null before the first one.
  THintWindow* HintWindow() const { return hint_window_; }
  void CancelHint();
  void HintMouseMove(TControl* control) override;
  void HintMouseLeave(TControl* control) override;
  void HintShowChanged(TControl* control) override;
  void HintChanged(TControl* control) override;
  void HintMouseDown(TControl* control) override;

  TNotifyEvent OnDeactivate;
  TNotifyEvent OnActivate;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

  void HookMainWindow(int id, TWindowHook hook);
  void UnhookMainWindow(int id);

  // Shows an error that escaped a handler; the loop then goes on. Inside a message that
  // another thread or program sent, the error is shown once the handler has answered:
  // a modal box there would hold the sender until the user closes it.
  void HandleException();
  void ShowException(const std::exception& e);

  // Called by forms when the application gains or loses activation.
  void NotifyActivation(bool active);

 private:
  void AppWndProc(TMessage& m);
  // Translates and dispatches a message, through the dialog keys of a form that has them.
  void Dispatch(MSG& msg);
  std::vector<std::string> deferred_errors_;

  TUtilityWindow window_;
  TCustomForm* main_form_ = nullptr;
  std::string title_;
  std::string exe_name_;
  bool terminated_ = false;
  bool active_ = false;
  std::vector<std::pair<int, TWindowHook>> hooks_;
  void StartHintTimer();
  void ShowPendingHint();
  TControl* hint_control_ = nullptr;
  // The hint of hint_control_ has had its time; it comes back after the pointer leaves.
  bool hint_expired_ = false;
  THintWindow* hint_window_ = nullptr;
};

extern TApplication* Application;

class TScreen {
 public:
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  // The bounding box of all monitors.
  int DesktopWidth() const { return GetSystemMetrics(SM_CXVIRTUALSCREEN); }
  int DesktopHeight() const { return GetSystemMetrics(SM_CYVIRTUALSCREEN); }
  // Every form that exists, whoever owns it, in the order they were made.
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int i) const { return forms_.at(i); }

 private:
  friend class TCustomForm;
  std::vector<TCustomForm*> forms_;
};

extern TScreen* Screen;

// The mouse cursor, in screen coordinates.
void SetCursorPosition(int x, int y);
POINT CursorPosition();

}  // namespace qv
