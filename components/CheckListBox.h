#pragma once
// The clip list control: an owner-drawn list box with a small check box in front of
// every line that the user can toggle. Its lines are either its own or, for the clip
// list, a line source's: it then holds only their number and asks for each one it shows.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "components/CheckStates.h"
#include "framework/StdCtrls.h"

namespace qv {

using TMeasureItemEvent = TMethod<TObject*, int, int&>;
// Control, line index, out: the text to draw in place of the line's own (UTF-16); left
// empty, the line's own text is drawn.
using TGetWideTextEvent = TMethod<TObject*, int, std::wstring&>;
// Control, line index, in-out width of the line's text part in pixels.
using TGetItemWidthEvent = TMethod<TObject*, int, int&>;

// An owner-drawing list box that keeps its horizontal scroll width in step with
// its widest line.
class TOwnerDrawListBox : public TCustomListBox {
  QV_CLASS(TOwnerDrawListBox)
 public:
  explicit TOwnerDrawListBox(TComponent* owner);
  ~TOwnerDrawListBox() override;

  // Measures text in the control's font outside painting; holds the item DC while
  // a line is drawn (so OnDrawItem handlers draw on it).
  TCanvas& Canvas() { return *canvas_; }

  // The horizontal scroll width follows the widest line; only while Columns is 0.
  bool AutoScroll() const { return auto_scroll_; }
  void SetAutoScroll(bool value);
  // Draws the selection of an unfocused list in button-face colours.
  bool GraySelection() const { return gray_selection_; }
  void SetGraySelection(bool value);
  int TabWidth() const { return tab_width_; }
  void SetTabWidth(int value);
  int Columns() const { return columns_; }
  void SetColumns(int value);
  bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool value);
  bool ExtendedSelect() const { return extended_select_; }
  void SetExtendedSelect(bool value);
  // Pixel width of the widest line seen since the last clear or full recount.
  int WidestLine() const { return widest_line_; }

  // Both decide how wide a line is, so every change re-applies the width rules;
  // the setters are the only way to change them.
  void SetOnDrawItem(TDrawItemEvent handler) override;
  const TGetItemWidthEvent& OnGetItemWidth() const { return on_get_item_width_; }
  void SetOnGetItemWidth(TGetItemWidthEvent handler);
  TMeasureItemEvent OnMeasureItem;
  TGetWideTextEvent OnGetWideText;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WindowCreated() override;
  void WndProc(TMessage& m) override;
  void DrawItem(int index, RECT rect, unsigned state) override;
  void MeasureItem(int index, int& height) override;
  void ResetItemHeight() override;

  // The lowest line height the subclass needs (the check list's image height).
  virtual int MinimumItemHeight() const { return 0; }
  // Pixel width of line index, for the horizontal scroll width.
  virtual int ItemWidth(int index);
  // Called with the line's rectangle as the system gives it; draws through DrawItem.
  virtual void DrawLine(const DRAWITEMSTRUCT& item);

  bool ExtentFollowsLines() const { return auto_scroll_ && columns_ == 0; }
  void SetWidestLine(int width);
  void RecountWidestLine();
  void ScrollToLeftEdge();
  // Re-applies the width rules after a switch of them.
  void WidthRulesChanged();

 private:
  std::unique_ptr<TCanvas> canvas_;
  TGetItemWidthEvent on_get_item_width_;
  int widest_line_ = 0;
  bool auto_scroll_ = false;
  bool gray_selection_ = false;
  int tab_width_ = 0;
  int columns_ = 0;
  bool multi_select_ = false;
  bool extended_select_ = true;
};

// The per-line check record, kept in the line's item data.
struct TCheckListBoxItem {
  std::intptr_t Data = 0;
  TCheckBoxState State = TCheckBoxState::cbUnchecked;
  bool Enabled = true;
};

class TCheckListBox;

// Lines kept outside the control, for a list too long to copy into a list box: the window
// holds only their number and asks for each line's text and check as it shows it.
class TListLineSource {
 public:
  virtual ~TListLineSource() = default;
  virtual std::string LineText(int index) = 0;
  // The line's check record, kept by the source, for an index the list has.
  virtual TCheckListBoxItem& LineCheck(int index) = 0;
};

// The Items of a check list box: exchanged or moved lines keep their check data.
class TCheckListBoxStrings : public TListBoxStrings {
  QV_CLASS(TCheckListBoxStrings)
 public:
  explicit TCheckListBoxStrings(TCheckListBox& listBox);
  // A line of the source when the list has one.
  std::string Get(int index) const override;
  void Exchange(int index1, int index2) override;
  void Move(int currentIndex, int newIndex) override;

 private:
  TCheckListBox& check_list_;
};

using TCheckStateChangeEvent = TMethod<TObject*, int>;
// One value of the form-stored "Strings" list.
using TStreamValue = std::variant<std::string, long long, bool>;

class TCheckListBox : public TOwnerDrawListBox {
  QV_CLASS(TCheckListBox)
 public:
  explicit TCheckListBox(TComponent* owner);
  ~TCheckListBox() override;

  // Both raise EStringListError for an index the list does not have.
  TCheckBoxState ItemState(int index);
  void SetItemState(int index, TCheckBoxState state);
  bool ItemEnabled(int index);
  void SetItemEnabled(int index, bool enabled);

  // Reads true only when set and the kind shows check boxes or check marks.
  bool AllowGrayed() const;
  void SetAllowGrayed(bool value) { allow_grayed_ = value; }
  TCheckKind CheckKind() const { return check_kind_; }
  void SetCheckKind(TCheckKind kind);
  // Radio mode: the first checked line, else -1.
  int CheckedIndex();
  void SetCheckedIndex(int index);

  // The form-stored version of the "Strings" layout; 202 is the current one.
  int InternalVersion = 202;
  // "Strings" as a form stores it: text, state, enabled for every line.
  std::vector<TStreamValue> WriteStringsProperty();
  // Replaces the lines from a stored "Strings" list in the layout of InternalVersion.
  void ReadStringsProperty(const std::vector<TStreamValue>& values);

  // Not clNone: the check images are drawn as their shapes in this colour (a high-contrast
  // theme's text colour), not in their own colours.
  TColor CheckColor = clNone;

  // Width of the check column in front of every line: the image and 2 pixels.
  int StripWidth() const;
  // Room before the check column, in 96-DPI pixels: another control may stand over the
  // start of the lines (the clip window's slot labels), and the checks must show beside it.
  // The text moves right with the checks.
  int CheckIndent() const { return check_indent_; }
  void SetCheckIndent(int value);
  // The check column of line index, in client coordinates.
  RECT CheckRect(int index);
  // The line whose check box holds the client point, else -1.
  int CheckAt(POINT point);

  // What the user's click or key does to a line; out-of-range and disabled lines
  // are left alone.
  void ToggleClickCheck(int index);

  // Lines from a source instead of lines of its own (null: its own again). The window is
  // made anew, empty; such a list has no horizontal scroll width (AutoScroll goes off). Lines
  // are added and deleted through Items as usual (their texts are not kept), or counted in
  // one step with SetLineCount.
  void SetLineSource(TListLineSource* source);
  TListLineSource* LineSource() const { return source_; }
  // The number of lines of the source; the list shows its top, nothing selected.
  void SetLineCount(int count);

  TNotifyEvent OnClickCheck;
  TCheckStateChangeEvent OnStateChange;

  // What a screen reader is told of line index (UTF-16): its name, by default the text drawn,
  // and a description, by default none. Asked only when a reader asks.
  TGetWideTextEvent OnGetItemName;
  TGetWideTextEvent OnGetItemDescription;
  std::wstring ItemName(int index);
  std::wstring ItemDescription(int index);

  // Item data holds the check record; the line's object lives inside it.
  std::intptr_t InternalGetItemData(int index) override;
  void InternalSetItemData(int index, std::intptr_t data) override;
  void DeleteString(int index) override;
  void ResetContent() override;

 protected:
  virtual void ClickCheck();
  virtual void StateChange(int index);

  void Loaded() override;
  void CreateParams(TCreateParams& params) override;
  void WindowCreated() override;
  void WindowDestroying() override;
  void WindowDestroyed() override;
  bool KeyPress(char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DrawLine(const DRAWITEMSTRUCT& item) override;
  void DrawItem(int index, RECT rect, unsigned state) override;
  int ItemWidth(int index) override;
  void WndProc(TMessage& m) override;
  TAccessibleObject* NewAccessible() override;
  int MinimumItemHeight() const override { return ScaleValue(check_height_); }

 private:
  friend class TCheckListBoxStrings;
  struct SavedCheck {
    TCheckBoxState state;
    bool enabled;
  };

  void CheckLineIndex(int index);
  // The line's record, or null when its item data holds none.
  TCheckListBoxItem* FindRecord(int index);
  TCheckListBoxItem& RecordFor(int index);
  void FreeRecord(int index);
  // Writes both fields straight into the record: no events, strip repainted.
  void RestoreCheck(int index, TCheckBoxState state, bool enabled);
  void SaveChecks();
  void ApplyRadioMode();
  void InvalidateCheck(int index);
  void DrawCheck(const RECT& strip, TCheckBoxState state, bool enabled);
  // Tells a reader the selected line changed (and that it has the focus, when the list has).
  void SelectionMoved();

  bool allow_grayed_ = false;
  TCheckKind check_kind_ = TCheckKind::ckCheckBoxes;
  bool in_update_ = false;
  int check_indent_ = 0;
  int check_width_ = 16;
  int check_height_ = 13;
  TBitmap cell_;
  std::unordered_map<const TCheckListBoxItem*, std::unique_ptr<TCheckListBoxItem>> records_;
  std::deque<SavedCheck> saved_checks_;
  TListLineSource* source_ = nullptr;
  // A source's list across a re-creation of the window.
  int saved_line_count_ = 0;
};

}  // namespace qv
