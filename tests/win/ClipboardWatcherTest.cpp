// The clipboard watcher in the real viewer chain: it hears every change, passes
// every notice on, mends the chain when it changes and leaves it whole.

#include <gtest/gtest.h>

#include <memory>

#include "components/ClipboardWatcher.h"
#include "framework/Forms.h"
#include "tests/win/WinTestSupport.h"

namespace qv {
namespace {

// A plain viewer window joined before the watcher, so it sits behind it.
struct ViewerBehind {
  ViewerBehind() : window(TWndMethod::Of<&ViewerBehind::Proc>(this)), wnd(window.Handle()) {
    next = SetClipboardViewer(wnd);
  }
  ~ViewerBehind() { ChangeClipboardChain(wnd, next); }
  void Proc(TMessage& m) {
    if (m.Msg == WM_DRAWCLIPBOARD) ++draws;
    if (m.Msg == WM_CHANGECBCHAIN) {
      ++chainChanges;
      if (reinterpret_cast<HWND>(m.WParam) == next) next = reinterpret_cast<HWND>(m.LParam);
    }
    m.Result = DefWindowProcA(wnd, m.Msg, m.WParam, m.LParam);
  }
  TUtilityWindow window;
  HWND wnd;
  HWND next;
  int draws = 0;
  int chainChanges = 0;
};

struct Changes {
  int count = 0;
  void OnChange(TObject*) { ++count; }
};

class Watcher : public ::testing::Test {
 protected:
  // A watcher loaded the way a form loads it: joining happens in its after-load step.
  TClipboardWatcher* Load(bool withHandler = true) {
    owner.BeginLoading();
    watcher = new TClipboardWatcher(&owner);
    if (withHandler) watcher->OnChange = TNotifyEvent::Of<&Changes::OnChange>(&changes);
    owner.EndLoading();
    return watcher;
  }
  void CopySomething() {
    const int before = behind.draws;
    Clipboard().SetAsText("change " + std::to_string(++copies));
    ASSERT_TRUE(test::PumpUntil([&] { return behind.draws > before; }));
  }

  TApplication app;
  ViewerBehind behind;
  TComponent owner{nullptr};
  TClipboardWatcher* watcher = nullptr;
  Changes changes;
  int copies = 0;
};

TEST_F(Watcher, JoiningRaisesOneChangeAtOnceThatReachesNobodyElse) {
  const int draws = behind.draws;
  Load();
  EXPECT_EQ(changes.count, 1);
  EXPECT_EQ(behind.draws, draws);
  EXPECT_EQ(watcher->NextViewer(), behind.wnd);
  EXPECT_EQ(GetClipboardViewer(), watcher->WindowHandle());
}

TEST_F(Watcher, EveryNoticeIsPassedOnWithOrWithoutAHandler) {
  Load();
  CopySomething();
  CopySomething();
  EXPECT_EQ(changes.count, 3);
  watcher->OnChange = nullptr;
  CopySomething();
  EXPECT_EQ(changes.count, 3);
  EXPECT_GE(behind.draws, 3);
}

TEST_F(Watcher, AChainChangeNamingTheNextViewerReplacesItAndGoesNoFurther) {
  Load();
  const int before = behind.chainChanges;
  HWND stranger = reinterpret_cast<HWND>(0x1234);
  SendMessageA(watcher->WindowHandle(), WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(stranger), 0);
  EXPECT_EQ(behind.chainChanges, before + 1);  // not ours: passed on
  EXPECT_EQ(watcher->NextViewer(), behind.wnd);

  SendMessageA(watcher->WindowHandle(), WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(behind.wnd), 0);
  EXPECT_EQ(behind.chainChanges, before + 1);  // ours: replaced, not passed on
  EXPECT_EQ(watcher->NextViewer(), nullptr);
  // Last in the chain: the watcher still hears of a copy, and nobody else does.
  const int changesBefore = changes.count, drawsBefore = behind.draws;
  Clipboard().SetAsText("last in the chain");
  test::PumpUntil([&] { return changes.count > changesBefore; });
  EXPECT_EQ(changes.count, changesBefore + 1);
  EXPECT_EQ(behind.draws, drawsBefore);
  SendMessageA(watcher->WindowHandle(), WM_CHANGECBCHAIN, 0, reinterpret_cast<LPARAM>(behind.wnd));
}

TEST_F(Watcher, FreeingTheWatcherSplicesTheChain) {
  Load();
  watcher->Free();
  watcher = nullptr;
  EXPECT_EQ(GetClipboardViewer(), behind.wnd);
  CopySomething();  // still reaches the viewer that was behind it
}

// A viewer on a thread of its own that stops answering once it has joined.
struct HungViewer {
  HungViewer() {
    thread = CreateThread(nullptr, 0, &HungViewer::Run, this, 0, nullptr);
    WaitForSingleObject(joined, 5000);
  }
  ~HungViewer() {
    SetEvent(release);
    // Leaving the chain sends to the watcher on this thread: keep answering meanwhile.
    test::PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 20000);
    CloseHandle(thread);
    CloseHandle(joined);
    CloseHandle(release);
  }
  static DWORD WINAPI Run(void* self) {
    auto* me = static_cast<HungViewer*>(self);
    HWND wnd = CreateWindowExA(0, "STATIC", "hung viewer", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               nullptr, nullptr);
    HWND next = SetClipboardViewer(wnd);
    SetEvent(me->joined);
    // Hung: no message is handled until the test is over (or 15 s have passed).
    WaitForSingleObject(me->release, 15000);
    me->woke = true;
    ChangeClipboardChain(wnd, next);
    DestroyWindow(wnd);
    return 0;
  }
  HANDLE joined = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = nullptr;
  volatile bool woke = false;
};

TEST_F(Watcher, AHungViewerBehindDoesNotStopTheNotices) {
  HungViewer hung;
  Load();
  ASSERT_NE(watcher->NextViewer(), nullptr);
  for (int i = 0; i < 3; ++i) {
    Clipboard().SetAsText("past a hung viewer " + std::to_string(i));
    ASSERT_TRUE(test::PumpUntil([&] { return changes.count >= 2 + i; }, 4000)) << i;
  }
  EXPECT_FALSE(hung.woke);  // all three were handled while it still hung
}

// A viewer in front of the watcher that, as the chain changes, passes a notice to the
// window that is leaving, as a change arriving at that moment would.
struct ViewerInFront {
  ViewerInFront() : window(TWndMethod::Of<&ViewerInFront::Proc>(this)), wnd(window.Handle()) {
    next = SetClipboardViewer(wnd);
  }
  ~ViewerInFront() { ChangeClipboardChain(wnd, next); }
  void Proc(TMessage& m) {
    if (m.Msg == WM_CHANGECBCHAIN) {
      SendMessageA(reinterpret_cast<HWND>(m.WParam), WM_DRAWCLIPBOARD, 0, 0);
      if (reinterpret_cast<HWND>(m.WParam) == next) next = reinterpret_cast<HWND>(m.LParam);
    }
    m.Result = DefWindowProcA(wnd, m.Msg, m.WParam, m.LParam);
  }
  TUtilityWindow window;
  HWND wnd;
  HWND next;
};

TEST_F(Watcher, AWatcherThatIsLeavingRaisesNoMoreChanges) {
  Load();
  ViewerInFront front;
  test::Pump();
  const int before = changes.count;
  watcher->Free();
  watcher = nullptr;
  EXPECT_EQ(changes.count, before);
  EXPECT_EQ(front.next, behind.wnd);  // the chain was still mended
}

TEST_F(Watcher, ACopyBehindAViewerThatPassesNothingOnIsFoundByTheCheck) {
  Load();
  test::SwallowingViewer swallower;
  test::Pump();
  const int before = changes.count, swallowed = swallower.swallowed;
  watcher->CheckChain();  // nothing missed yet
  EXPECT_EQ(watcher->MissedNotices(), 0);
  Clipboard().SetAsText("behind a swallower");
  ASSERT_TRUE(test::PumpUntil([&] { return swallower.swallowed > swallowed; }));
  EXPECT_EQ(changes.count, before);
  watcher->CheckChain();
  EXPECT_EQ(changes.count, before + 1);
  EXPECT_EQ(watcher->MissedNotices(), 1);
  EXPECT_EQ(GetClipboardViewer(), watcher->WindowHandle());  // the head again
  EXPECT_EQ(watcher->NextViewer(), swallower.wnd);
  // Later copies bring their notices again; the check finds nothing missed.
  Clipboard().SetAsText("in front of it");
  ASSERT_TRUE(test::PumpUntil([&] { return changes.count == before + 2; }));
  watcher->CheckChain();
  EXPECT_EQ(watcher->MissedNotices(), 1);
}

TEST_F(Watcher, VersionIgnoresWritesAndADesignedWatcherNeverJoins) {
  Load();
  const std::string version = watcher->Version();
  ASSERT_NE(version, "9.9");
  watcher->SetVersion("9.9");
  EXPECT_EQ(watcher->Version(), version);
  watcher->SetVersion("");
  EXPECT_EQ(watcher->Version(), version);

  HWND viewer = GetClipboardViewer();
  TComponent designer(nullptr);
  designer.SetDesigning(true);
  designer.BeginLoading();
  auto* designed = new TClipboardWatcher(&designer);
  designed->OnChange = TNotifyEvent::Of<&Changes::OnChange>(&changes);
  const int before = changes.count;
  designer.EndLoading();
  EXPECT_EQ(designed->WindowHandle(), nullptr);
  EXPECT_EQ(GetClipboardViewer(), viewer);
  EXPECT_EQ(changes.count, before);
}

}  // namespace
}  // namespace qv
