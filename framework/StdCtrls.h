#pragma once
// Standard controls: edit field, list box (with its strings adapter) and the
// speed button.

#include <memory>
#include <string>

#include "framework/Controls.h"
#include "framework/Strings.h"

namespace qv {

class TEdit : public TWinControl {
  QV_CLASS(TEdit)
 public:
  explicit TEdit(TComponent* owner);
  std::string Text() const;
  void SetText(const std::string& text);
  // The text changed, by the user or by SetText.
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& m) override;
};

// A multi-line edit field.
class TMemo : public TEdit {
  QV_CLASS(TMemo)
 public:
  explicit TMemo(TComponent* owner);

 protected:
  void CreateParams(TCreateParams& params) override;
};

// A push button of the system's; OnClick when pressed.
class TButton : public TWinControl {
  QV_CLASS(TButton)
 public:
  explicit TButton(TComponent* owner);
  // The button Enter presses; set before the window is made.
  bool Default = false;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& m) override;
};

// A round button of which one per parent is checked.
class TRadioButton : public TWinControl {
  QV_CLASS(TRadioButton)
 public:
  explicit TRadioButton(TComponent* owner);
  bool Checked() const { return checked_; }
  // Checking one unchecks the other radio buttons of the same parent.
  void SetChecked(bool checked);
  TAlignment Alignment = TAlignment::taRightJustify;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WindowCreated() override;
  void WndProc(TMessage& m) override;

 private:
  bool checked_ = false;
};

// A captioned frame that holds other controls.
class TGroupBox : public TWinControl {
  QV_CLASS(TGroupBox)
 public:
  explicit TGroupBox(TComponent* owner);

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& m) override;
};

enum class TListBoxStyle { lbStandard = 0, lbOwnerDrawFixed = 1, lbOwnerDrawVariable = 2 };

class TCustomListBox;
using TDrawItemEvent = TMethod<TObject*, int, RECT, unsigned>;

// The list box's lines: every operation is a message to the list box window.
class TListBoxStrings : public TStrings {
  QV_CLASS(TListBoxStrings)
 public:
  explicit TListBoxStrings(TCustomListBox& listBox) : list_box_(listBox) {}
  int Count() const override;
  std::string Get(int index) const override;
  std::intptr_t GetObject(int index) const override;
  void PutObject(int index, std::intptr_t object) override;
  void Insert(int index, const std::string& text) override;
  int Add(const std::string& text) override;
  void Delete(int index) override;
  void Clear() override;
  int IndexOf(const std::string& text) const override;

 protected:
  void SetUpdateState(bool updating) override;
  TCustomListBox& list_box_;
};

class TCustomListBox : public TWinControl {
  QV_CLASS(TCustomListBox)
 public:
  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;

  TStrings& Items() { return *items_; }
  int ItemIndex();
  void SetItemIndex(int index);
  int TopIndex();
  void SetTopIndex(int index);
  int Count() { return items_->Count(); }
  void Clear() { items_->Clear(); }

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle style);
  int ItemHeight() const { return item_height_; }
  void SetItemHeight(int height);
  // The line height grows with the font.
  void ChangeScale(int newDpi) override;
  // How many pixels taller the list must be to show rows whole lines at the line height
  // its window has now (a font that rounded up makes lines taller than the scaled design);
  // 0 when they fit, or while it has no window.
  int HeightShortOf(int rows);
  bool IntegralHeight() const { return integral_height_; }
  void SetIntegralHeight(bool value);
  // The designs' shorthand for BorderStyle bsNone, read when the window is made.
  bool BorderSingle = true;

  // Index of the line at a client point: -1 outside the client area; below the
  // last line, -1 when only existing lines count, else the index after the last
  // line tried.
  int ItemAtPos(POINT point, bool existingOnly);
  // The line's rectangle; for index = Count() the place a next line would take,
  // empty for any other index outside the list.
  RECT ItemRect(int index);

  // Set only through the setter, so a subclass hears of every change of it.
  const TDrawItemEvent& OnDrawItem() const { return on_draw_item_; }
  virtual void SetOnDrawItem(TDrawItemEvent handler) { on_draw_item_ = handler; }

  // The item-data value of a line: overridable, so a subclass may keep records there.
  virtual std::intptr_t InternalGetItemData(int index);
  virtual void InternalSetItemData(int index, std::intptr_t data);
  virtual void DeleteString(int index);
  virtual void ResetContent();

 protected:
  // Made once, by the constructor of the most-derived class that needs its own.
  void SetItems(std::unique_ptr<TStrings> items) { items_ = std::move(items); }
  void CreateParams(TCreateParams& params) override;
  void WindowCreated() override;
  void WindowDestroying() override;
  void WndProc(TMessage& m) override;
  bool NotifiesDoubleClicks() const override { return true; }
  virtual void DrawItem(int index, RECT rect, unsigned state);
  virtual void MeasureItem(int index, int& height);
  // Sends the line height to the window (owner-drawn fixed style); subclasses may
  // derive the height from the font instead.
  virtual void ResetItemHeight();

  std::unique_ptr<TStrings> items_;
  std::unique_ptr<TStringList> saved_items_;
  int saved_top_index_ = 0, saved_item_index_ = -1;
  bool sorted_ = false;
  TListBoxStyle style_ = TListBoxStyle::lbStandard;
  int item_height_ = 16;
  TDpiLength item_height_dpi_;
  bool integral_height_ = false;
  // Where the default drawing of an owner-drawn line starts its text.
  int text_indent_ = 2;

 private:
  TDrawItemEvent on_draw_item_;
};

class TListBox : public TCustomListBox {
  QV_CLASS(TListBox)
 public:
  using TCustomListBox::TCustomListBox;
};

// A flat button that draws itself; in a group it can stay down.
class TSpeedButton : public TWinControl {
  QV_CLASS(TSpeedButton)
 public:
  explicit TSpeedButton(TComponent* owner);
  bool Flat = true;
  int GroupIndex = 0;
  bool AllowAllUp = false;
  bool Down() const { return down_; }
  void SetDown(bool down);
  TBitmap& Glyph() { return glyph_; }
  // Not clNone: the glyph is drawn as its outline filled in this colour (a high-contrast
  // theme's text colour), not in its own colours.
  TColor GlyphColor = clNone;
  void Click() override;
  // Down reads as pressed.
  long AccessibleState() const override;

 protected:
  void Paint(TCanvas& canvas) override;
  void WndProc(TMessage& m) override;

 private:
  bool down_ = false;
  bool pressed_ = false;
  bool hot_ = false;
  TBitmap glyph_;
};

}  // namespace qv
