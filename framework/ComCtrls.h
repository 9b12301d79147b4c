#pragma once
// The common controls of the system: rich edit field, tree and list views,
// progress bar, hot-key field and up-down arrows. Thin wrappers: the window
// does the work.

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "framework/Controls.h"
#include "framework/ShortCuts.h"

namespace qv {

// A visible rich-edit field (the hidden text buffers are TQvRichEdit).
class TRichEdit : public TWinControl {
  QV_CLASS(TRichEdit)
 public:
  explicit TRichEdit(TComponent* owner);
  std::string Text() const;
  void SetText(const std::string& text) { SetCaption(text); }

 protected:
  void CreateParams(TCreateParams& params) override;
};

class TTreeView : public TWinControl {
  QV_CLASS(TTreeView)
 public:
  explicit TTreeView(TComponent* owner);
  // Adds a node under `parent` (null: at the top); returns the new node.
  HTREEITEM AddItem(HTREEITEM parent, const std::string& text);

 protected:
  void CreateParams(TCreateParams& params) override;
};

class TListView : public TWinControl {
  QV_CLASS(TListView)
 public:
  explicit TListView(TComponent* owner);
  int AddItem(const std::string& caption);

 protected:
  void CreateParams(TCreateParams& params) override;
};

class TProgressBar : public TWinControl {
  QV_CLASS(TProgressBar)
 public:
  explicit TProgressBar(TComponent* owner);
  int Position() const { return position_; }
  void SetPosition(int position);
  int Min = 0;
  int Max = 100;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WindowCreated() override;

 private:
  int position_ = 0;
};

// A field that shows the key combination pressed in it.
class THotKey : public TWinControl {
  QV_CLASS(THotKey)
 public:
  explicit THotKey(TComponent* owner);
  TShortCut HotKey() const;
  void SetHotKey(TShortCut value);

 protected:
  void CreateParams(TCreateParams& params) override;
  void WindowCreated() override;

 private:
  TShortCut hot_key_ = 0;
};

// A pair of arrows that step a position between Min and Max.
class TUpDown : public TWinControl {
  QV_CLASS(TUpDown)
 public:
  explicit TUpDown(TComponent* owner);
  int Position() const;
  void SetPosition(int position);
  int Min = 0;
  int Max = 100;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WindowCreated() override;

 private:
  int position_ = 0;
};

}  // namespace qv
