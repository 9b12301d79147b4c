#include <windows.h>
#include <gtest/gtest.h>

TEST(Wine, CreatesAWindow) {
  HWND h = CreateWindowExA(0, "STATIC", "x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(h, nullptr);
  DestroyWindow(h);
}
