// TQvTrayIcon against the real shell of Wine: the icon's presence is read back
// from the shell itself (a modify only succeeds for an icon it holds), and the
// mouse notices are sent to the icon's window as the shell would send them.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "components/QVShell.h"
#include "framework/SysUtils.h"

namespace qv {
namespace {

// A 16 x 16 icon of one colour, owned by the caller.
HICON MakeIconHandle(COLORREF color) {
  HDC screen = GetDC(nullptr);
  HBITMAP colorBits = CreateCompatibleBitmap(screen, 16, 16);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, colorBits);
  HBRUSH brush = CreateSolidBrush(color);
  RECT r{0, 0, 16, 16};
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);  // all zero: fully opaque
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = mask;
  info.hbmColor = colorBits;
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(colorBits);
  return icon;
}

TIcon MakeIcon(COLORREF color) {
  TIcon icon;
  icon.SetHandle(MakeIconHandle(color));
  return icon;
}

// Asks the shell whether it holds the icon of that record.
bool ShellHolds(const NOTIFYICONDATAA& record) {
  NOTIFYICONDATAA probe = record;
  probe.uFlags = NIF_TIP;
  return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

void SendMouse(TQvTrayIcon& tray, UINT mouseMsg) {
  SendMessageA(tray.WindowHandle(), WM_QVTRAYICON, 0, static_cast<LPARAM>(mouseMsg));
}

// Writes down every event it is given, in order.
class Recorder : public TObject {
 public:
  std::vector<std::string> log;

  void Bind(TQvTrayIcon& tray) {
    tray.OnClick = TNotifyEvent::Of<&Recorder::Click>(this);
    tray.OnDblClick = TNotifyEvent::Of<&Recorder::DblClick>(this);
    tray.OnMouseDown = TMouseEvent::Of<&Recorder::Down>(this);
    tray.OnMouseUp = TMouseEvent::Of<&Recorder::Up>(this);
    tray.OnMouseMove = TMouseMoveEvent::Of<&Recorder::Move>(this);
  }
  void Click(TObject*) { log.push_back("click"); }
  void DblClick(TObject*) { log.push_back("dblclick"); }
  void Item(TObject*) { log.push_back("item"); }
  void Popup(TObject*) { log.push_back("popup"); }
  void Down(TObject*, TMouseButton b, TShiftState s, int x, int y) {
    log.push_back("down " + Describe(b, s));
    last = POINT{x, y};
  }
  void Up(TObject*, TMouseButton b, TShiftState s, int, int) {
    log.push_back("up " + Describe(b, s));
  }
  void Move(TObject*, TShiftState, int x, int y) {
    log.push_back("move");
    last = POINT{x, y};
  }
  POINT last{-1, -1};

 private:
  static std::string Describe(TMouseButton b, TShiftState s) {
    std::string text = b == mbLeft ? "L" : b == mbRight ? "R" : "M";
    if (s & ssLeft) text += "+left";
    if (s & ssRight) text += "+right";
    if (s & ssMiddle) text += "+middle";
    if (s & ssDouble) text += "+double";
    return text;
  }
};

// Waits on a second thread for a popup menu to show, notes where it appeared,
// then chooses its first item or closes it with Escape.
class MenuAnswerer {
 public:
  explicit MenuAnswerer(bool chooseFirst) {
    thread_ = std::thread([this, chooseFirst] { Run(chooseFirst); });
  }
  ~MenuAnswerer() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  bool seen() const { return seen_; }
  RECT rect() const { return rect_; }

 private:
  void Run(bool chooseFirst) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      HWND menu = FindWindowA("#32768", nullptr);
      if (menu && IsWindowVisible(menu)) {
        if (!seen_) {
          GetWindowRect(menu, &rect_);
          seen_ = true;
          if (chooseFirst) {
            PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
          } else {
            PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
          }
        } else {
          PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);  // still open: insist
        }
      } else if (seen_) {
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  std::thread thread_;
  std::atomic<bool> seen_{false};
  RECT rect_{};
};

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_.reset(new TComponent(nullptr));
    tray_ = new TQvTrayIcon(owner_.get());
    // As a form design does it: properties first, then the after-load step.
    owner_->BeginLoading();
    tray_->SetIcon(MakeIcon(RGB(0, 128, 0)));
    owner_->EndLoading();
  }

  TPopupMenu* MakeMenu(std::vector<TMenuItem*>* items, int count) {
    auto* menu = new TPopupMenu(owner_.get());
    for (int i = 0; i < count; ++i) {
      auto* item = new TMenuItem(owner_.get());
      item->SetCaption("Item " + std::to_string(i));
      item->OnClick = TNotifyEvent::Of<&Recorder::Item>(&rec_);
      menu->Items().Add(item);
      if (items) items->push_back(item);
    }
    menu->OnPopup = TNotifyEvent::Of<&Recorder::Popup>(&rec_);
    return menu;
  }

  std::unique_ptr<TComponent, ComponentDeleter> owner_;
  TQvTrayIcon* tray_ = nullptr;
  Recorder rec_;
};

TEST_F(TrayIconTest, AddsAfterLoadAndRecordDescribesTheIcon) {
  ASSERT_TRUE(tray_->Added());
  EXPECT_TRUE(ShellHolds(tray_->NotifyData()));
  const NOTIFYICONDATAA& data = tray_->NotifyData();
  EXPECT_EQ(data.cbSize, NOTIFYICONDATAA_V1_SIZE);
  EXPECT_EQ(data.hWnd, tray_->WindowHandle());
  EXPECT_EQ(data.uID, 0u);
  EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(data.uCallbackMessage, 0xB054u);
  EXPECT_EQ(data.hIcon, tray_->Icon().Handle());
  EXPECT_STREQ(data.szTip, "");
}

TEST_F(TrayIconTest, NothingIsTakenWhileLoadingOrWithoutAnIcon) {
  TComponent owner(nullptr);
  auto* tray = new TQvTrayIcon(&owner);
  owner.BeginLoading();
  tray->SetIcon(MakeIcon(RGB(255, 0, 0)));
  EXPECT_FALSE(tray->Added());  // the after-load step adds
  owner.EndLoading();
  EXPECT_TRUE(tray->Added());

  TQvTrayIcon empty(nullptr);
  empty.BeginLoading();
  empty.EndLoading();
  EXPECT_FALSE(empty.Added());
  EXPECT_TRUE(empty.Active());

  TComponent designer(nullptr);
  designer.SetDesigning(true);
  TQvTrayIcon designed(&designer);
  designed.SetIcon(MakeIcon(RGB(0, 0, 255)));
  EXPECT_FALSE(designed.Added());
  designed.SetShowDesign(true);
  EXPECT_TRUE(designed.Added());
  designed.SetShowDesign(false);
  EXPECT_FALSE(designed.Added());
}

TEST_F(TrayIconTest, ActiveRemovesAndRestoresTheIcon) {
  const NOTIFYICONDATAA record = tray_->NotifyData();
  tray_->SetActive(false);
  EXPECT_FALSE(tray_->Added());
  EXPECT_FALSE(ShellHolds(record));
  tray_->SetActive(false);
  EXPECT_FALSE(tray_->Added());

  // While inactive, icon changes are kept but not shown.
  tray_->SetIcon(MakeIcon(RGB(10, 20, 30)));
  EXPECT_FALSE(tray_->Added());

  tray_->SetActive(true);
  EXPECT_TRUE(tray_->Added());
  EXPECT_TRUE(ShellHolds(tray_->NotifyData()));
  EXPECT_EQ(tray_->NotifyData().hIcon, tray_->Icon().Handle());
}

TEST_F(TrayIconTest, SetIconCopiesAndShowsAtOnce) {
  const HICON before = tray_->NotifyData().hIcon;
  TIcon source = MakeIcon(RGB(200, 0, 200));
  tray_->SetIcon(source);
  EXPECT_TRUE(tray_->Added());
  EXPECT_NE(tray_->NotifyData().hIcon, before);
  EXPECT_EQ(tray_->NotifyData().hIcon, tray_->Icon().Handle());
  // A copy: the caller's icon stays its own.
  EXPECT_NE(tray_->Icon().Handle(), source.Handle());
  EXPECT_TRUE(ShellHolds(tray_->NotifyData()));

  // An empty icon takes the tray icon away; a new one brings it back.
  tray_->SetIcon(TIcon());
  EXPECT_FALSE(tray_->Added());
  EXPECT_TRUE(tray_->Active());
  tray_->SetIcon(MakeIcon(RGB(0, 0, 0)));
  EXPECT_TRUE(tray_->Added());
  EXPECT_EQ(tray_->NotifyData().hIcon, tray_->Icon().Handle());
}

TEST_F(TrayIconTest, TipIsTheShortHintCutTo63Characters) {
  tray_->SetHint("Quorvel|the long part");
  EXPECT_STREQ(tray_->NotifyData().szTip, "Quorvel");
  tray_->SetHint(std::string(70, 'x'));
  EXPECT_EQ(std::string(tray_->NotifyData().szTip), std::string(63, 'x'));
  tray_->SetHint("|only long");
  EXPECT_STREQ(tray_->NotifyData().szTip, "");
  EXPECT_TRUE(ShellHolds(tray_->NotifyData()));
}

TEST_F(TrayIconTest, DoubleClickSequenceRaisesEventsInOrder) {
  rec_.Bind(*tray_);
  SendMouse(*tray_, WM_LBUTTONDOWN);
  SendMouse(*tray_, WM_LBUTTONUP);
  SendMouse(*tray_, WM_LBUTTONDBLCLK);
  SendMouse(*tray_, WM_LBUTTONUP);
  const std::vector<std::string> expected{"down L+left", "click",         "up L+left",
                                          "dblclick",    "down L+double", "up L+left"};
  EXPECT_EQ(rec_.log, expected);

  // Every event gets the cursor position in screen coordinates.
  SetCursorPos(123, 234);
  POINT pt;
  GetCursorPos(&pt);
  SendMouse(*tray_, WM_MOUSEMOVE);
  EXPECT_EQ(rec_.last.x, pt.x);
  EXPECT_EQ(rec_.last.y, pt.y);
}

TEST_F(TrayIconTest, OtherButtonsAndUnmatchedReleases) {
  rec_.Bind(*tray_);
  // A release whose press happened elsewhere is only a mouse up.
  SendMouse(*tray_, WM_RBUTTONUP);
  SendMouse(*tray_, WM_LBUTTONUP);
  SendMouse(*tray_, WM_RBUTTONDBLCLK);
  SendMouse(*tray_, WM_MBUTTONDOWN);
  SendMouse(*tray_, WM_MBUTTONUP);
  SendMouse(*tray_, WM_MBUTTONDBLCLK);
  SendMouse(*tray_, WM_MOUSEMOVE);
  // Without a menu, a right click is a click like any other.
  SendMouse(*tray_, WM_RBUTTONDOWN);
  SendMouse(*tray_, WM_RBUTTONUP);
  const std::vector<std::string> expected{
      "up R+right",    "up L+left", "down R+double", "down M+middle", "up M+middle",
      "down M+double", "move",      "down R+right",  "click",         "up R+right"};
  EXPECT_EQ(rec_.log, expected);
}

TEST_F(TrayIconTest, DisabledIgnoresNoticesButKeepsTheIcon) {
  rec_.Bind(*tray_);
  tray_->SetPopupMenu(MakeMenu(nullptr, 1));
  tray_->SetEnabled(false);
  SendMouse(*tray_, WM_LBUTTONDBLCLK);
  SendMouse(*tray_, WM_RBUTTONDOWN);
  SendMouse(*tray_, WM_RBUTTONUP);
  EXPECT_TRUE(rec_.log.empty());
  EXPECT_TRUE(tray_->Added());
  // Other messages still get the default handling.
  SendMessageA(tray_->WindowHandle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("tray"));
  EXPECT_EQ(GetWindowTextLengthA(tray_->WindowHandle()), 4);
}

TEST_F(TrayIconTest, DefaultEnabledMenuItemTakesTheDoubleClick) {
  std::vector<TMenuItem*> items;
  tray_->SetPopupMenu(MakeMenu(&items, 3));
  rec_.Bind(*tray_);

  items[1]->Default = true;
  items[1]->SetEnabled(false);  // a disabled default does not count
  SendMouse(*tray_, WM_LBUTTONDBLCLK);
  items[2]->Default = true;
  SendMouse(*tray_, WM_LBUTTONDBLCLK);
  const std::vector<std::string> expected{"dblclick", "down L+double", "item", "down L+double"};
  EXPECT_EQ(rec_.log, expected);

  // An inactive icon has no menu to look in.
  rec_.log.clear();
  tray_->SetActive(false);
  SendMouse(*tray_, WM_LBUTTONDBLCLK);
  EXPECT_EQ(rec_.log.front(), "dblclick");
}

TEST_F(TrayIconTest, RightReleasePopsTheMenuAtTheCursor) {
  TPopupMenu* menu = MakeMenu(nullptr, 2);
  tray_->SetPopupMenu(menu);
  rec_.Bind(*tray_);
  SetCursorPos(300, 250);
  POINT pt;
  GetCursorPos(&pt);

  {
    MenuAnswerer answer(/*chooseFirst=*/true);
    SendMouse(*tray_, WM_RBUTTONDOWN);
    SendMouse(*tray_, WM_RBUTTONUP);
    answer.Join();
    ASSERT_TRUE(answer.seen());
    EXPECT_EQ(answer.rect().left, pt.x);
    EXPECT_EQ(answer.rect().top, pt.y);
  }
  // The menu was shown, so no click; the chosen item ran.
  const std::vector<std::string> expected{"down R+right", "popup", "item", "up R+right"};
  EXPECT_EQ(rec_.log, expected);
  EXPECT_EQ(menu->PopupComponent, tray_);

  // With its automatic popup off, the menu stays shut and the click is raised.
  rec_.log.clear();
  menu->AutoPopup = false;
  SendMouse(*tray_, WM_RBUTTONDOWN);
  SendMouse(*tray_, WM_RBUTTONUP);
  const std::vector<std::string> plain{"down R+right", "click", "up R+right"};
  EXPECT_EQ(rec_.log, plain);
}

TEST_F(TrayIconTest, FreedMenuIsForgotten) {
  TPopupMenu* menu = MakeMenu(nullptr, 1);
  tray_->SetPopupMenu(menu);
  menu->Free();
  EXPECT_EQ(tray_->PopupMenu(), nullptr);

  // Also when the menu belongs to another owner.
  auto* other = new TPopupMenu(nullptr);
  tray_->SetPopupMenu(other);
  EXPECT_EQ(tray_->PopupMenu(), other);
  other->Free();
  EXPECT_EQ(tray_->PopupMenu(), nullptr);

  // A menu replaced before it is freed no longer concerns the icon.
  auto* first = new TPopupMenu(nullptr);
  auto* second = new TPopupMenu(nullptr);
  tray_->SetPopupMenu(first);
  tray_->SetPopupMenu(second);
  first->Free();
  EXPECT_EQ(tray_->PopupMenu(), second);
  second->Free();
  EXPECT_EQ(tray_->PopupMenu(), nullptr);
}

// Wine's shell drops the icons of a window once it is destroyed, so whether the
// destructor itself removed the icon is asked while its window still exists.
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
  // Frees the component and tells whether the shell still held the icon when
  // the component's window was being destroyed.
  static int FreeAndAsk(TComponent* component, const TQvTrayIcon& tray) {
    window = tray.WindowHandle();
    record = tray.NotifyData();
    heldAtDestroy = -1;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &Hook, nullptr, GetCurrentThreadId());
    component->Free();
    UnhookWindowsHookEx(hook);
    return heldAtDestroy;
  }
};

TEST_F(TrayIconTest, DestructorRemovesTheIcon) {
  const NOTIFYICONDATAA record = tray_->NotifyData();
  ASSERT_TRUE(ShellHolds(record));
  EXPECT_EQ(DestroyWatch::FreeAndAsk(tray_, *tray_), 0);
  tray_ = nullptr;
  EXPECT_FALSE(ShellHolds(record));

  // The owner frees its icon the same way.
  TComponent* owner = new TComponent(nullptr);
  auto* owned = new TQvTrayIcon(owner);
  owner->BeginLoading();
  owned->SetIcon(MakeIcon(RGB(1, 2, 3)));
  owner->EndLoading();
  ASSERT_TRUE(ShellHolds(owned->NotifyData()));
  EXPECT_EQ(DestroyWatch::FreeAndAsk(owner, *owned), 0);
}

TEST_F(TrayIconTest, AnimationStepsThroughIconsOnTheMessageLoop) {
  tray_->SetAnimated(true);
  EXPECT_FALSE(tray_->Animated());  // nothing to animate

  tray_->Icons().Add(MakeIcon(RGB(255, 0, 0)));
  tray_->Icons().Add(MakeIcon(RGB(0, 0, 255)));
  tray_->SetInterval(10);
  tray_->SetAnimated(true);
  ASSERT_TRUE(tray_->Animated());
  EXPECT_EQ(tray_->FrameIndex(), 0);
  EXPECT_EQ(tray_->NotifyData().hIcon, tray_->Icons().Items(0).Handle());

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (tray_->FrameIndex() == 0 && std::chrono::steady_clock::now() < deadline) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(5);
  }
  EXPECT_EQ(tray_->FrameIndex(), 1);
  EXPECT_EQ(tray_->NotifyData().hIcon, tray_->Icons().Items(1).Handle());

  // Emptying the list ends the animation and shows Icon again.
  tray_->Icons().Clear();
  EXPECT_FALSE(tray_->Animated());
  EXPECT_EQ(tray_->NotifyData().hIcon, tray_->Icon().Handle());
  EXPECT_TRUE(ShellHolds(tray_->NotifyData()));
}

TEST(IconList, KeepsOwnedCopiesInOrderAndReportsChanges) {
  struct Counter : TObject {
    int changes = 0;
    void Changed(TObject*) { ++changes; }
  } counter;
  TIconList list;
  list.OnChange = TNotifyEvent::Of<&Counter::Changed>(&counter);
  TIcon a = MakeIcon(RGB(1, 1, 1));
  TIcon b = MakeIcon(RGB(2, 2, 2));
  list.Add(a);
  list.Insert(0, b);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_NE(list.Items(0).Handle(), b.Handle());
  EXPECT_FALSE(list.Items(0).Empty());
  TIconList copy;
  copy.Assign(list);
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_NE(copy.Items(1).Handle(), list.Items(1).Handle());
  list.Delete(0);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_THROW(list.Delete(5), Exception);
  EXPECT_THROW(list.Items(-1), Exception);
  EXPECT_EQ(counter.changes, 3);
}

}  // namespace
}  // namespace qv
