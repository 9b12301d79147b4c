// The global hot key against the real RegisterHotKey: it holds its key from the moment
// the key is set, moves the hold with the key, lets go when disabled or freed, and raises
// OnHotKey for every WM_HOTKEY its window receives.

#include <gtest/gtest.h>

#include "components/GlobalHotKey.h"
#include "framework/Forms.h"
#include "tests/win/WinTestSupport.h"

namespace qv {
namespace {

class HotKey : public ::testing::Test {
 public:
  // Whether another program could take the key now.
  static bool Free(TShortCut key) {
    if (!RegisterHotKey(nullptr, 0x5152, HotKeyModifiers(key), HotKeyVirtualKey(key))) return false;
    UnregisterHotKey(nullptr, 0x5152);
    return true;
  }
  void Pressed(TObject* sender) {
    EXPECT_EQ(sender, hotKey);
    ++presses;
  }

  TApplication app;
  TComponent owner{nullptr};
  TGlobalHotKey* hotKey = nullptr;
  int presses = 0;
  const TShortCut first = TextToShortCut("Ctrl+Alt+F11");
  const TShortCut second = TextToShortCut("Ctrl+Shift+F12");
};

TEST_F(HotKey, HoldsItsKeyFromLoadingToTheEndAndRaisesOnHotKey) {
  ASSERT_TRUE(Free(first));
  ASSERT_TRUE(Free(second));
  owner.BeginLoading();
  hotKey = new TGlobalHotKey(&owner);
  hotKey->OnHotKey = TNotifyEvent::Of<&HotKey::Pressed>(this);
  hotKey->SetKey(first);
  EXPECT_FALSE(Free(first));  // held while the form still loads
  owner.EndLoading();
  EXPECT_TRUE(hotKey->Registered());

  PostMessageA(hotKey->HotKeyWindow(), WM_HOTKEY, 0, 0);
  EXPECT_TRUE(test::PumpUntil([&] { return presses == 1; }));

  hotKey->SetKey(second);
  EXPECT_TRUE(Free(first));
  EXPECT_FALSE(Free(second));
  hotKey->SetEnabled(false);
  EXPECT_FALSE(hotKey->Registered());
  EXPECT_TRUE(Free(second));
  hotKey->SetEnabled(true);
  EXPECT_FALSE(Free(second));
  hotKey->Free();
  EXPECT_TRUE(Free(second));
}

// The main window warns when its key is held elsewhere: Registered() must say so, and
// enabling again takes the key once it is free.
TEST_F(HotKey, AKeyHeldByAnotherProgramIsNotTakenUntilItIsFree) {
  ASSERT_TRUE(RegisterHotKey(nullptr, 0x5153, HotKeyModifiers(first), HotKeyVirtualKey(first)));
  hotKey = new TGlobalHotKey(&owner);
  hotKey->SetKey(first);
  EXPECT_FALSE(hotKey->Registered());
  hotKey->SetKey(first);  // the same key again: no retry
  EXPECT_FALSE(hotKey->Registered());
  UnregisterHotKey(nullptr, 0x5153);
  hotKey->SetEnabled(true);
  EXPECT_TRUE(hotKey->Registered());
  EXPECT_FALSE(Free(first));
}

}  // namespace
}  // namespace qv
