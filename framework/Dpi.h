#pragma once
// Dots per inch: what the program's designs are drawn for (96) and what the
// monitors have. The calls that know a monitor's DPI are missing before
// Windows 10, so they are looked up at run time; without them every window
// has the system DPI.

#include <windows.h>

namespace qv {

constexpr int kDesignDpi = 96;

// A length of a 96-DPI design at `dpi`, and back.
inline int ScaleToDpi(int designValue, int dpi) { return MulDiv(designValue, dpi, kDesignDpi); }
inline int ScaleFromDpi(int value, int dpi) { return MulDiv(value, kDesignDpi, dpi); }

// A length of a design as it is laid out at one DPI after another: while nothing
// else changed it, each is worked out from its 96-DPI value, so that moves between
// monitors leave no rounding behind.
class TDpiLength {
 public:
  int Rescale(int current, int oldDpi, int newDpi) {
    if (!known_ || current != shown_) {
      design_ = MulDiv(current, kDesignDpi, oldDpi);
      known_ = true;
    }
    shown_ = MulDiv(design_, newDpi, kDesignDpi);
    return shown_;
  }

 private:
  int design_ = 0, shown_ = 0;
  bool known_ = false;
};

// The DPI of the primary monitor at logon.
int SystemDpi();
// The DPI of the monitor a window is on (the system DPI where Windows cannot say).
int WindowDpi(HWND window);
// A system metric (SM_CXSMICON...) at a DPI.
int SystemMetricForDpi(int index, int dpi);
// The window rectangle around a client rectangle, with frame metrics at a DPI.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);

}  // namespace qv
