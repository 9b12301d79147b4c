#pragma once
// TTrayIcon: one icon in the notification area, kept there through a hidden
// window of its own that turns the shell's mouse notices into component events.
// A right-button release over the icon opens the PopupMenu at the cursor.

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/ExtCtrls.h"
#include "framework/Graphics.h"
#include "framework/Menus.h"

namespace qv {

// The message the shell sends to the icon's window for mouse activity over it.
constexpr UINT WM_QVTRAYICON = 0xB054;

// An ordered list of owned icons (animation frames); every change is reported
// through OnChange.
class TIconList : public TObject {
  QV_CLASS(TIconList)
 public:
  TIconList() = default;
  TIconList(const TIconList&) = delete;
  TIconList& operator=(const TIconList&) = delete;

  int Count() const { return static_cast<int>(icons_.size()); }
  TIcon& Items(int index) const;
  // Adds a copy of the icon's image; returns its index.
  int Add(const TIcon& icon);
  void Insert(int index, const TIcon& icon);
  void Delete(int index);
  void Clear();
  // Replaces the whole list with copies of the other's icons.
  void Assign(const TIconList& other);

  TNotifyEvent OnChange;

 private:
  void Changed() { OnChange(this); }
  void CheckIndex(int index) const;
  std::vector<std::unique_ptr<TIcon>> icons_;
};

class TTrayIcon : public TComponent {
  QV_CLASS(TTrayIcon)
 public:
  explicit TTrayIcon(TComponent* owner);
  ~TTrayIcon() override;

  bool Active() const { return active_; }
  void SetActive(bool active);
  // While false, mouse notices from the shell are ignored (the icon stays).
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);

  // Changing it in place shows the change at once, as SetIcon does.
  TIcon& Icon() { return *icon_; }
  // Copies the image in and shows it at once (an empty icon takes the tray icon away).
  void SetIcon(const TIcon& icon);
  // Shows the current icon again (changes of Icon() are shown without it).
  void IconChanged() { Update(); }

  TIconList& Icons() { return *icons_; }
  void SetIcons(const TIconList& icons) { icons_->Assign(icons); }

  // Steps through Icons every Interval ms; stays off while Icons is empty.
  bool Animated() const { return animated_; }
  void SetAnimated(bool animated);
  uint16_t Interval() const { return interval_; }
  void SetInterval(uint16_t interval);
  int FrameIndex() const { return frame_index_; }

  TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* menu);

  // Form designer only: show or hide the icon there.
  bool ShowDesign() const { return show_design_; }
  void SetShowDesign(bool show);

  // True while the shell holds the icon (the last add succeeded, no delete since).
  bool Added() const { return added_; }
  // An add the shell refuses (at logon the taskbar may not be there yet) is tried
  // again this many milliseconds later, up to kAddRetries times.
  unsigned AddRetryInterval = 2000;
  static constexpr int kAddRetries = 15;
  // The record last handed to the shell, and the window that gets its notices.
  const NOTIFYICONDATAA& NotifyData() const { return data_; }
  // A warning balloon from the icon (title up to 63 characters, text up to 255). False
  // when the shell does not hold the icon or refused the balloon.
  bool ShowBalloon(const std::string& title, const std::string& text);
  // The record of the last balloon.
  const NOTIFYICONDATAA& BalloonData() const { return balloon_; }
  HWND WindowHandle() const { return window_.Handle(); }

  TMouseEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

  // Fills the record handed to the shell; runs before every add and modify.
  virtual void FillNotifyData(NOTIFYICONDATAA& data);

  virtual void DblClick();
  virtual void Click(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

  // Opens PopupMenu at the point; false when there was nothing to open.
  bool ShowPopup(int x, int y);

 private:
  enum PressedButton : unsigned { kLeftPressed = 1, kRightPressed = 2 };

  const TIcon* CurrentIcon() const;
  void Add();
  void Delete();
  void Update();
  void IconsChanged(TObject*) { Update(); }
  void AddRetryTick(TObject*);
  void AnimationTick(TObject*);
  void SetAnimationRunning(bool running);
  void TrayWndProc(TMessage& m);
  void HandleMouse(UINT mouseMsg);

  TUtilityWindow window_;
  bool active_ = true;
  bool added_ = false;
  bool animated_ = false;
  bool enabled_ = true;
  unsigned pressed_ = 0;
  int frame_index_ = -1;
  uint16_t interval_ = 150;
  NOTIFYICONDATAA data_{};
  NOTIFYICONDATAA balloon_{};
  std::unique_ptr<TIcon> icon_;
  std::unique_ptr<TIconList> icons_;
  // Animation runs on the UI thread, so frame steps never race a hint or icon change.
  std::unique_ptr<TTimer, ComponentDeleter> animation_timer_;
  std::unique_ptr<TTimer, ComponentDeleter> add_retry_timer_;
  int add_retries_left_ = 0;
  std::string hint_;
  bool show_design_ = false;
  TPopupMenu* popup_menu_ = nullptr;
};

}  // namespace qv
