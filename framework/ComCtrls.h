#pragma once
// The common controls of the system: rich edit field, tree and list views,
// progress bar, hot-key field, up-down arrows, and the containers other
// controls are placed on (tool bar, cool bar, tabs and pages, page scroller).
// Thin wrappers: the window does the work.

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/ShortCuts.h"

namespace qv {

// A visible rich-edit field.
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

// The system's tool bar; controls put on it sit in a row of tools.
class TToolBar : public TWinControl {
  QV_CLASS(TToolBar)
 public:
  explicit TToolBar(TComponent* owner);

 protected:
  void CreateParams(TCreateParams& params) override;
};

// The system's rebar: a strip of bands for the controls put on it.
class TCoolBar : public TWinControl {
  QV_CLASS(TCoolBar)
 public:
  explicit TCoolBar(TComponent* owner);

 protected:
  void CreateParams(TCreateParams& params) override;
};

// The system's tab row; TTabControl and TPageControl build on it.
class TCustomTabControl : public TWinControl {
  QV_CLASS(TCustomTabControl)
 public:
  explicit TCustomTabControl(TComponent* owner);
  int TabIndex() const;
  void SetTabIndex(int index);
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WindowCreated() override;
  void WndProc(TMessage& message) override;
  void SetTabTexts(const std::vector<std::string>& tabs);
  // The user chose another tab.
  virtual void Change() { OnChange(this); }

 private:
  std::vector<std::string> tabs_;
  int tab_index_ = 0;
};

// A row of tabs over controls of its own: the tabs only say which one is chosen.
class TTabControl : public TCustomTabControl {
  QV_CLASS(TTabControl)
 public:
  using TCustomTabControl::TCustomTabControl;
  void SetTabs(const std::vector<std::string>& tabs) { SetTabTexts(tabs); }
};

class TTabSheet;

// Tabs, each with a page (a TTabSheet) that shows while its tab is chosen.
class TPageControl : public TCustomTabControl {
  QV_CLASS(TPageControl)
 public:
  using TCustomTabControl::TCustomTabControl;
  // Pages that outlive the control forget it.
  ~TPageControl() override;
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int index) const { return pages_.at(index); }
  TTabSheet* ActivePage() const;
  void SetActivePage(TTabSheet* page);
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  void WindowCreated() override;
  void Change() override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void UpdateTabs();
  // Every page over the tabs' display area, only the chosen one shown.
  void ArrangePages();
  std::vector<TTabSheet*> pages_;
};

// One page of a page control.
class TTabSheet : public TWinControl {
  QV_CLASS(TTabSheet)
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return page_control_; }
  // Puts the page into that control, its caption becoming the tab's text.
  void SetPageControl(TPageControl* control);

 private:
  friend class TPageControl;
  TPageControl* page_control_ = nullptr;
};

// The system's pager: scroll arrows for one control wider than the pager.
class TPageScroller : public TWinControl {
  QV_CLASS(TPageScroller)
 public:
  explicit TPageScroller(TComponent* owner);
  // The control that is scrolled; it must already be on the pager.
  void SetControl(TWinControl* control);

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TWinControl* control_ = nullptr;
};

}  // namespace qv
