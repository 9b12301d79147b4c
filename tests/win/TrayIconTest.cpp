// TTrayIcon against the real shell of Wine: the icon's presence is read back
// from the shell itself (a modify only succeeds for an icon it holds), and the
// mouse notices are sent to the icon's window as the shell would send them.
#include <gtest/gtest.h>

#include <cstring>
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "components/TrayIcon.h"
#include "tests/win/WinTestSupport.h"

namespace qv {
namespace {

using Log = std::vector<std::string>;

// A fresh icon of our own (a copy: every call gives a new handle).
TIcon MakeIcon() {
  TIcon icon;
  icon.SetHandle(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
  return icon;
}

bool ShellHolds(const NOTIFYICONDATAA& record) {
  NOTIFYICONDATAA probe = record;
  probe.uFlags = NIF_TIP;
  return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

void SendMouse(TTrayIcon& tray, std::initializer_list<UINT> mouseMsgs) {
  for (UINT msg : mouseMsgs)
    SendMessageA(tray.WindowHandle(), WM_QVTRAYICON, 0, static_cast<LPARAM>(msg));
}

// Writes down every event it is given, in order.
struct Recorder : TObject {
  Log log;
  void Bind(TTrayIcon& tray) {
    tray.OnClick = TMouseEvent::Of<&Recorder::Click>(this);
    tray.OnDblClick = TNotifyEvent::Of<&Recorder::DblClick>(this);
    tray.OnMouseDown = TMouseEvent::Of<&Recorder::Down>(this);
    tray.OnMouseUp = TMouseEvent::Of<&Recorder::Up>(this);
    tray.OnMouseMove = TMouseMoveEvent::Of<&Recorder::Move>(this);
  }
  void Click(TObject*, TMouseButton b, TShiftState s, int x, int y) {
    POINT pt;
    GetCursorPos(&pt);
    log.push_back("click" + Text(b, s) + (x == pt.x && y == pt.y ? "" : " elsewhere"));
  }
  void DblClick(TObject*) { log.push_back("dblclick"); }
  void Item(TObject*) { log.push_back("item"); }
  void Popup(TObject*) { log.push_back("popup"); }
  void Down(TObject*, TMouseButton b, TShiftState s, int, int) {
    log.push_back("down" + Text(b, s));
  }
  void Up(TObject*, TMouseButton b, TShiftState s, int, int) { log.push_back("up" + Text(b, s)); }
  void Move(TObject*, TShiftState, int, int) { log.push_back("move"); }
  static std::string Text(TMouseButton b, TShiftState s) {
    std::string text = b == mbLeft ? " L" : b == mbRight ? " R" : " M";
    if (s & (ssLeft | ssRight | ssMiddle)) text += "+button";
    if (s & ssDouble) text += "+double";
    return text;
  }
};

// On a second thread: waits for a popup menu, notes where it appeared and
// chooses its first item.
class MenuAnswerer {
 public:
  MenuAnswerer() : thread_([this] { Run(); }) {}
  ~MenuAnswerer() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  bool seen = false;
  RECT rect{};

 private:
  void Run() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
      HWND menu = FindWindowA("#32768", nullptr);
      if (menu && IsWindowVisible(menu)) {
        if (!seen) {
          seen = true;
          GetWindowRect(menu, &rect);
          PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
          PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        } else {
          PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);  // still open: close it
        }
      } else if (seen) {
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  std::thread thread_;
};

// Wine's shell drops the icons of a destroyed window by itself, so whether the
// destructor removed the icon is asked while its window is being destroyed.
struct DestroyWatch {
  static inline HWND window = nullptr;
  static inline NOTIFYICONDATAA record{};
  static inline int heldAtDestroy = -1;
  static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam) {
    const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && cwp->hwnd == window && cwp->message == WM_DESTROY)
      heldAtDestroy = ShellHolds(record) ? 1 : 0;
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }
  static int FreeAndAsk(TTrayIcon* tray) {
    window = tray->WindowHandle();
    record = tray->NotifyData();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &Hook, nullptr, GetCurrentThreadId());
    tray->Free();
    UnhookWindowsHookEx(hook);
    return heldAtDestroy;
  }
};

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_.reset(new TComponent(nullptr));
    tray_ = new TTrayIcon(owner_.get());
    // As a form design does it: properties first, then the after-load step.
    owner_->BeginLoading();
    tray_->SetIcon(MakeIcon());
    addedWhileLoading_ = tray_->Added();
    owner_->EndLoading();
  }

  TPopupMenu* MakeMenu(int count) {
    auto* menu = new TPopupMenu(owner_.get());
    for (int i = 0; i < count; ++i) {
      auto* item = new TMenuItem(owner_.get());
      item->SetCaption("Item " + std::to_string(i));
      item->OnClick = TNotifyEvent::Of<&Recorder::Item>(&rec_);
      menu->Items().Add(item);
    }
    menu->OnPopup = TNotifyEvent::Of<&Recorder::Popup>(&rec_);
    return menu;
  }

  std::unique_ptr<TComponent, ComponentDeleter> owner_;
  TTrayIcon* tray_ = nullptr;
  bool addedWhileLoading_ = true;
  Recorder rec_;
};

TEST_F(TrayIconTest, AddsAfterLoadWithItsRecord) {
  EXPECT_FALSE(addedWhileLoading_);
  ASSERT_TRUE(tray_->Added());
  const NOTIFYICONDATAA& data = tray_->NotifyData();
  EXPECT_TRUE(ShellHolds(data));
  // The shell's first layout, which ends with the 64-byte tip: 88 bytes in the 32-bit
  // product, 104 in the 64-bit twin.
  EXPECT_EQ(data.cbSize, sizeof(void*) == 4 ? 88u : 104u);
  EXPECT_EQ(offsetof(NOTIFYICONDATAA, szTip) + 64, data.cbSize);
  EXPECT_EQ(data.hIcon, tray_->Icon().Handle());
  // The shell tells of a click with the record's message to the record's window.
  rec_.Bind(*tray_);
  SendMessageA(data.hWnd, data.uCallbackMessage, data.uID, WM_LBUTTONDBLCLK);
  EXPECT_EQ(rec_.log, (Log{"dblclick", "down L+double"}));

  TTrayIcon empty(nullptr);  // an empty icon is never added
  empty.BeginLoading();
  empty.EndLoading();
  EXPECT_FALSE(empty.Added());
}

TEST_F(TrayIconTest, ActiveAndIconDecideWhatTheShellHolds) {
  const NOTIFYICONDATAA first = tray_->NotifyData();
  tray_->SetActive(false);
  EXPECT_FALSE(tray_->Added());
  EXPECT_FALSE(ShellHolds(first));
  tray_->SetIcon(MakeIcon());  // kept, not shown
  EXPECT_FALSE(tray_->Added());
  tray_->SetActive(true);
  EXPECT_TRUE(ShellHolds(tray_->NotifyData()));
  EXPECT_EQ(tray_->NotifyData().hIcon, tray_->Icon().Handle());

  // SetIcon copies the image and shows it at once.
  TIcon source = MakeIcon();
  const HICON before = tray_->NotifyData().hIcon;
  tray_->SetIcon(source);
  EXPECT_NE(tray_->Icon().Handle(), source.Handle());
  EXPECT_NE(tray_->NotifyData().hIcon, before);
  EXPECT_EQ(tray_->NotifyData().hIcon, tray_->Icon().Handle());

  // An empty icon takes the tray icon away; a new one brings it back.
  tray_->SetIcon(TIcon());
  EXPECT_FALSE(tray_->Added());
  tray_->SetIcon(MakeIcon());
  EXPECT_TRUE(tray_->Added());
  EXPECT_TRUE(ShellHolds(tray_->NotifyData()));

  // A change of Icon in place reaches the shell as well.
  const HICON replaced = CopyIcon(LoadIconA(nullptr, IDI_APPLICATION));
  tray_->Icon().SetHandle(replaced);
  EXPECT_EQ(tray_->NotifyData().hIcon, replaced);
  EXPECT_TRUE(ShellHolds(tray_->NotifyData()));
  tray_->Icon().SetHandle(nullptr);
  EXPECT_FALSE(tray_->Added());
}

TEST_F(TrayIconTest, ARestartedTaskbarGetsTheIconBack) {
  const NOTIFYICONDATAA record = tray_->NotifyData();
  Shell_NotifyIconA(NIM_DELETE, const_cast<NOTIFYICONDATAA*>(&record));  // the shell forgot it
  ASSERT_FALSE(ShellHolds(record));
  SendMessageA(tray_->WindowHandle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(ShellHolds(tray_->NotifyData()));
  EXPECT_TRUE(tray_->Added());

  // An inactive icon stays away.
  tray_->SetActive(false);
  SendMessageA(tray_->WindowHandle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_FALSE(ShellHolds(tray_->NotifyData()));
}

// Its first `refusals` adds are refused: the shell is handed the same icon twice, and
// turns the second add down. Counted by add, not by time, so a slow machine changes nothing.
class TRefusedTray : public TTrayIcon {
 public:
  using TTrayIcon::TTrayIcon;
  int refusals = 0;
  int adds = 0;

 protected:
  void FillNotifyData(NOTIFYICONDATAA& data) override {
    TTrayIcon::FillNotifyData(data);
    if (Added()) return;  // a modify
    if (++adds > refusals) return;
    data.uID = 7;
    Shell_NotifyIconA(NIM_ADD, &data);
  }
};

TEST_F(TrayIconTest, ARefusedAddIsTriedAgainOnATimer) {
  auto* tray = new TRefusedTray(owner_.get());
  tray->AddRetryInterval = 20;
  tray->refusals = 3;
  owner_->BeginLoading();
  tray->SetIcon(MakeIcon());
  owner_->EndLoading();
  EXPECT_FALSE(tray->Added());
  // Refused twice more on the timer; the third retry is taken.
  ASSERT_TRUE(test::PumpUntil([&] { return tray->Added(); }, 10000)) << tray->adds << " adds";
  EXPECT_EQ(tray->adds, 4);
  EXPECT_TRUE(ShellHolds(tray->NotifyData()));
  tray->Free();
}

TEST_F(TrayIconTest, TipIsTheShortHintCutTo63Characters) {
  tray_->SetHint("Quorvel|the long part");
  EXPECT_STREQ(tray_->NotifyData().szTip, "Quorvel");
  tray_->SetHint(std::string(70, 'x'));
  EXPECT_EQ(std::string(tray_->NotifyData().szTip), std::string(63, 'x'));
}

TEST_F(TrayIconTest, MouseNoticesBecomeEventsInOrder) {
  rec_.Bind(*tray_);
  SendMouse(*tray_, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
  EXPECT_EQ(rec_.log, (Log{"down L+button", "click L+button", "up L+button", "dblclick",
                           "down L+double", "up L+button"}));

  // A release whose press happened elsewhere is only a mouse up; without a
  // menu a right click is a click like any other.
  rec_.log.clear();
  SendMouse(*tray_, {WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_RBUTTONDBLCLK, WM_MOUSEMOVE,
                     WM_RBUTTONDOWN, WM_RBUTTONUP});
  EXPECT_EQ(rec_.log, (Log{"up R+button", "down M+button", "up M+button", "down R+double", "move",
                           "down R+button", "click R+button", "up R+button"}));

  // Disabled: nothing is raised, no menu opens, the icon stays.
  rec_.log.clear();
  tray_->SetPopupMenu(MakeMenu(1));
  tray_->SetEnabled(false);
  SendMouse(*tray_, {WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP});
  EXPECT_TRUE(rec_.log.empty());
  EXPECT_TRUE(tray_->Added());
}

TEST_F(TrayIconTest, DefaultEnabledMenuItemTakesTheDoubleClick) {
  TPopupMenu* menu = MakeMenu(3);
  tray_->SetPopupMenu(menu);
  rec_.Bind(*tray_);
  menu->Items().Items(1)->Default = true;
  menu->Items().Items(1)->SetEnabled(false);  // does not count
  SendMouse(*tray_, {WM_LBUTTONDBLCLK});
  menu->Items().Items(2)->Default = true;
  SendMouse(*tray_, {WM_LBUTTONDBLCLK});
  EXPECT_EQ(rec_.log, (Log{"dblclick", "down L+double", "item", "down L+double"}));
}

TEST_F(TrayIconTest, RightReleasePopsTheMenuAtTheCursor) {
  TPopupMenu* menu = MakeMenu(2);
  tray_->SetPopupMenu(menu);
  rec_.Bind(*tray_);
  SetCursorPos(300, 250);
  POINT pt;
  GetCursorPos(&pt);
  {
    MenuAnswerer answer;
    SendMouse(*tray_, {WM_RBUTTONDOWN, WM_RBUTTONUP});
    answer.Join();
    ASSERT_TRUE(answer.seen);
    EXPECT_EQ(answer.rect.left, pt.x);
    EXPECT_EQ(answer.rect.top, pt.y);
  }
  // Shown, so no click; the chosen item ran.
  EXPECT_EQ(rec_.log, (Log{"down R+button", "popup", "item", "up R+button"}));
  EXPECT_EQ(menu->PopupComponent, tray_);

  rec_.log.clear();
  menu->AutoPopup = false;
  SendMouse(*tray_, {WM_RBUTTONDOWN, WM_RBUTTONUP});
  EXPECT_EQ(rec_.log, (Log{"down R+button", "click R+button", "up R+button"}));
}

TEST_F(TrayIconTest, FreedMenuIsForgotten) {
  TPopupMenu* menu = MakeMenu(1);  // same owner
  tray_->SetPopupMenu(menu);
  menu->Free();
  EXPECT_EQ(tray_->PopupMenu(), nullptr);

  auto* other = new TPopupMenu(nullptr);  // no common owner: free notification
  tray_->SetPopupMenu(other);
  other->Free();
  EXPECT_EQ(tray_->PopupMenu(), nullptr);
}

TEST_F(TrayIconTest, DestructorRemovesTheIcon) {
  const NOTIFYICONDATAA record = tray_->NotifyData();
  ASSERT_TRUE(ShellHolds(record));
  EXPECT_EQ(DestroyWatch::FreeAndAsk(tray_), 0);
  tray_ = nullptr;
  EXPECT_FALSE(ShellHolds(record));
}

TEST_F(TrayIconTest, AnimationStepsThroughIconsOnTheMessageLoop) {
  tray_->SetAnimated(true);
  EXPECT_FALSE(tray_->Animated());  // nothing to animate

  tray_->Icons().Add(MakeIcon());
  tray_->Icons().Add(MakeIcon());
  tray_->SetInterval(10);
  tray_->SetAnimated(true);
  ASSERT_TRUE(tray_->Animated());
  EXPECT_EQ(tray_->NotifyData().hIcon, tray_->Icons().Items(0).Handle());
  EXPECT_TRUE(test::PumpUntil([&] { return tray_->FrameIndex() == 1; }));
  EXPECT_EQ(tray_->NotifyData().hIcon, tray_->Icons().Items(1).Handle());

  // Emptying the list ends the animation and shows Icon again.
  tray_->Icons().Clear();
  EXPECT_FALSE(tray_->Animated());
  EXPECT_EQ(tray_->NotifyData().hIcon, tray_->Icon().Handle());
  EXPECT_TRUE(ShellHolds(tray_->NotifyData()));
}

// Last: a balloon on screen can keep the shell busy for the tests after it.
TEST_F(TrayIconTest, ABalloonTravelsInItsOwnRecordAndLeavesTheIconsAlone) {
  const NOTIFYICONDATAA icon = tray_->NotifyData();
  EXPECT_TRUE(tray_->ShowBalloon("Quorvel Vavad", "A copied text was not kept."));
  EXPECT_STREQ(tray_->BalloonData().szInfoTitle, "Quorvel Vavad");
  EXPECT_STREQ(tray_->BalloonData().szInfo, "A copied text was not kept.");
  EXPECT_EQ(std::memcmp(&tray_->NotifyData(), &icon, sizeof icon), 0);
  EXPECT_TRUE(ShellHolds(tray_->NotifyData()));
  // Cut to what the record holds; no icon, no balloon.
  tray_->ShowBalloon(std::string(100, 't'), std::string(300, 'x'));
  EXPECT_EQ(std::string(tray_->BalloonData().szInfo), std::string(255, 'x'));
  EXPECT_EQ(std::string(tray_->BalloonData().szInfoTitle), std::string(63, 't'));
  tray_->ShowBalloon("", "");  // an empty text takes the balloon away
  tray_->SetActive(false);
  EXPECT_FALSE(tray_->ShowBalloon("Quorvel Vavad", "unseen"));
}

}  // namespace
}  // namespace qv
