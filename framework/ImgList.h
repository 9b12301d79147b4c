#pragma once
// TImageList: pictures of one size kept together with their masks (the
// system's image list), drawn by index. Menus take their item icons from one.

#include <windows.h>

#include <commctrl.h>

#include "framework/Component.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"

namespace qv {

struct ImageListTraits {
  static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
using UniqueImageList = UniqueHandle<HIMAGELIST, ImageListTraits>;

class TImageList : public TComponent {
  QV_CLASS(TImageList)
 public:
  explicit TImageList(TComponent* owner);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Changing the size empties the list.
  void SetSize(int width, int height);
  int Count() const;
  // Adds a picture of the list's height (a wider one becomes several images);
  // pixels of `transparent` are masked out. Returns the index of the first image.
  int AddMasked(const TBitmap& image, TColor transparent);
  void Clear();
  // Draws image `index` with its top-left at (x, y), through its mask, with
  // no blending.
  void Draw(TCanvas& canvas, int x, int y, int index) const;
  HIMAGELIST Handle() const { return handle_.get(); }

 private:
  int width_ = 16;
  int height_ = 16;
  UniqueImageList handle_;
};

}  // namespace qv
