#include "framework/ImgList.h"

namespace qv {

TImageList::TImageList(TComponent* owner) : TComponent(owner) { SetSize(16, 16); }

void TImageList::SetSize(int width, int height) {
  width_ = width;
  height_ = height;
  handle_.reset(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 4, 4));
}

int TImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_.get()) : 0; }

void TImageList::Clear() {
  if (handle_) ImageList_RemoveAll(handle_.get());
}

int TImageList::AddMasked(const TBitmap& image, TColor transparent) {
  if (!handle_ || image.Empty()) return -1;
  // The list takes a bitmap that is selected nowhere (and changes it while
  // masking), so it is given a copy.
  WindowDc screen(nullptr);
  UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), image.Width(), image.Height()));
  {
    UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
    SelectGuard keep(dc.get(), bitmap.get());
    BitBlt(dc.get(), 0, 0, image.Width(), image.Height(),
           const_cast<TBitmap&>(image).Canvas().Handle(), 0, 0, SRCCOPY);
  }
  const int index = ImageList_AddMasked(handle_.get(), bitmap.get(), ColorToRGB(transparent));
  return index;
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index) const {
  if (!handle_ || index < 0 || index >= Count()) return;
  ImageList_DrawEx(handle_.get(), index, canvas.Handle(), x, y, 0, 0, CLR_NONE, CLR_NONE,
                   ILD_TRANSPARENT);
}

}  // namespace qv
