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
  ViewerBehind() {
    wnd = AllocateHWnd(TWndMethod::Of<&ViewerBehind::Proc>(this));
    next = SetClipboardViewer(wnd);
  }
  ~ViewerBehind() {
    ChangeClipboardChain(wnd, next);
    DeallocateHWnd(wnd);
  }
  void Proc(TMessage& m) {
    if (m.Msg == WM_DRAWCLIPBOARD) ++draws;
    if (m.Msg == WM_CHANGECBCHAIN) {
      ++chainChanges;
      if (reinterpret_cast<HWND>(m.WParam) == next) next = reinterpret_cast<HWND>(m.LParam);
    }
    m.Result = DefWindowProcA(wnd, m.Msg, m.WParam, m.LParam);
  }
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
  SendMessageA(watcher->WindowHandle(), WM_CHANGECBCHAIN, 0,
               reinterpret_cast<LPARAM>(behind.wnd));
}

TEST_F(Watcher, FreeingTheWatcherSplicesTheChain) {
  Load();
  watcher->Free();
  watcher = nullptr;
  EXPECT_EQ(GetClipboardViewer(), behind.wnd);
  CopySomething();  // still reaches the viewer that was behind it
}

TEST_F(Watcher, VersionIgnoresWritesAndADesignedWatcherNeverJoins) {
  Load();
  watcher->SetVersion("9.9");
  EXPECT_EQ(watcher->Version(), "1.20.00.00");

  TComponent designer(nullptr);
  designer.SetDesigning(true);
  designer.BeginLoading();
  auto* designed = new TClipboardWatcher(&designer);
  designer.EndLoading();
  EXPECT_EQ(designed->WindowHandle(), nullptr);
}

}  // namespace
}  // namespace qv
