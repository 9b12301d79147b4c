#pragma once
// Pop-up menus and their items, with owner drawing for painters that draw menus
// themselves.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Controls.h"
#include "framework/Events.h"
#include "framework/Graphics.h"
#include "framework/ShortCuts.h"

namespace qv {

struct TMessage;

enum TOwnerDrawStateFlag : unsigned {
  odSelected = 1,
  odGrayed = 2,
  odDisabled = 4,
  odChecked = 8,
  odFocused = 16,
  odDefault = 32,
  odHotLight = 64,
  odNoAccel = 128,
};
using TOwnerDrawState = unsigned;

using TMenuMeasureItemEvent = TMethod<TObject*, TCanvas&, int&, int&>;
using TAdvancedMenuDrawItemEvent = TMethod<TObject*, TCanvas&, RECT, TOwnerDrawState>;
// The simple draw event: only whether the item is the selected one.
using TMenuDrawItemEvent = TMethod<TObject*, TCanvas&, RECT, bool>;

class TMenu;
class TImageList;

class TMenuItem : public TComponent {
  QV_CLASS(TMenuItem)
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { checked_ = checked; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  bool Default = false;
  // Checked shows a dot instead of a tick.
  bool RadioItem = false;
  TShortCut ShortCut = 0;
  int ImageIndex = -1;
  // A 16 x 16 picture shown beside the caption.
  TBitmap& Bitmap() { return bitmap_; }
  bool IsLine() const { return caption_ == "-"; }

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int i) const { return items_.at(i); }
  TMenuItem* Parent() const { return parent_; }
  int MenuIndex() const;
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  // The menu this item belongs to (through its parents).
  TMenu* GetParentMenu() const;

  // Runs the item's command as if the user had chosen it.
  virtual void Click();

  TNotifyEvent OnClick;
  TMenuMeasureItemEvent OnMeasureItem;
  // OnAdvancedDrawItem wins when both draw events are assigned.
  TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
  TMenuDrawItemEvent OnDrawItem;

 private:
  friend class TMenu;
  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  TBitmap bitmap_;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;
  UINT command_ = 0;
};

class TMenu : public TComponent {
  QV_CLASS(TMenu)
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  TMenuItem& Items() { return *items_; }
  bool OwnerDraw = false;
  TBiDiMode BiDiMode = TBiDiMode::bdLeftToRight;
  bool IsRightToLeft() const { return BiDiMode != TBiDiMode::bdLeftToRight; }
  // Where items take their pictures by ImageIndex; forgotten when the list goes.
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* images);
  // The menu bar of a form, rather than a menu that pops up.
  virtual bool IsMainMenu() const { return false; }
  // The system menu made from the items (made again whenever it is asked for).
  HMENU Handle();
  // The item with that command number, or null.
  TMenuItem* FindCommand(UINT command) const;
  TNotifyEvent OnChange;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // The empty system menu the items are built into.
  virtual HMENU CreateHandle() { return CreatePopupMenu(); }

 public:
  // Owner-drawn items arrive here from the window that shows the menu.
  bool HandleMenuMessage(TMessage& m);

 private:
  void Build(HMENU menu, TMenuItem& parent);
  TImageList* images_ = nullptr;
  std::unique_ptr<TMenuItem> items_;
  UniqueMenu handle_;
  UINT next_command_ = 1;
};

class TCustomForm;

// A form's menu bar: its top-level items sit in the bar, their sub-items drop
// down. The form shows it once its Menu names it.
class TMainMenu : public TMenu {
  QV_CLASS(TMainMenu)
 public:
  using TMenu::TMenu;
  bool IsMainMenu() const override { return true; }
  // Builds the bar again and gives it to the form's window, after items change.
  void Rebuild();
  // Follows the pointer over the bar of `wnd` (`screen` null once it has left
  // the bar): the owner-drawn items it leaves and enters are painted again at
  // once, so that their painter can show which one is under the pointer.
  void TrackHotItem(HWND wnd, const POINT* screen);
  // Bar position of the item under the pointer, or -1.
  int HotItem() const { return hot_item_; }

 protected:
  HMENU CreateHandle() override { return CreateMenu(); }

 private:
  // Paints one owner-drawn bar item through the form's own draw-item path.
  void RepaintBarItem(HWND wnd, int position);
  int hot_item_ = -1;
};

class TPopupMenu : public TMenu {
  QV_CLASS(TPopupMenu)
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  // Shows the menu at a screen point and runs the chosen item's command.
  void Popup(int x, int y);
  TComponent* PopupComponent = nullptr;
  bool AutoPopup = true;
  TNotifyEvent OnPopup;
  // The window that owns the menu while it is shown.
  HWND WindowHandle() const { return window_.Handle(); }

 private:
  void WndProc(TMessage& m);
  TUtilityWindow window_;
};

}  // namespace qv
