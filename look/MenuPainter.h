#pragma once
// TMenuPainter: a non-visual component that gives a form's popup menus a flat,
// owner-drawn look. Every item gets a coloured icon column, the selected item a
// filled and outlined highlight, check items flat marks, disabled items greyed
// icons and text, and shortcuts are right-aligned.
//
// Setting Active hooks the menus the form owns: their OwnerDraw goes on and the
// items' OnMeasureItem / OnDrawItem point at the painter (handlers the form set
// itself stay unless OverrideOwnerDraw). Clearing it, or freeing the painter,
// gives the menus back to the system.
//
// The colours used for painting are a working palette derived from the colour
// properties (or from the system colours while UseSystemColors is on); a colour
// setter only marks it stale and the next item painted recomputes it.
//
// With FlatMenu on, painting an item asks (through a message posted to the
// application window) for a flat frame with a drop shadow around the popup window;
// Gradient shades the item background. Ordinary controls are taken over by
// TControlSubClass objects (look/PainterManager.h) for the control and container
// kinds switched on. A form's menu bar and its control bars get the flat look too.

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Controls.h"
#include "framework/ExtCtrls.h"
#include "framework/Graphics.h"
#include "framework/Menus.h"
#include "framework/SysUtils.h"
#include "look/MenuColors.h"

namespace qv {

class TCustomForm;

// The kinds of menus and controls a painter may take over (bit i of the set).
enum TFlatControl : unsigned {
  xcMainMenu,
  xcPopupMenu,
  xcToolbar,
  xcControlbar,
  xcCombo,
  xcListBox,
  xcEdit,
  xcMaskEdit,
  xcMemo,
  xcRichEdit,
  xcMiscEdit,
  xcCheckBox,
  xcRadioButton,
  xcButton,
  xcBitBtn,
  xcSpeedButton,
  xcUpDown,
  xcPanel,
  xcGroupBox,
  xcTreeView,
  xcListView,
  xcProgressBar,
  xcHotKey,
};
using TFlatControls = std::uint32_t;
constexpr TFlatControls kAllFlatControls = 0x7FFFFF;

// The container kinds whose children may be taken over.
enum TFlatContainer : unsigned {
  xccForm,
  xccFrame,
  xccToolbar,
  xccCoolbar,
  xccControlbar,
  xccPanel,
  xccScrollBox,
  xccGroupBox,
  xccTabSheet,
  xccPageScroller,
};
using TFlatContainers = std::uint32_t;
constexpr TFlatContainers kAllFlatContainers = 0x3FF;

template <class E>
constexpr std::uint32_t FlatBit(E e) {
  return 1u << static_cast<unsigned>(e);
}

// A menu, item or control whose Tag is this keeps its own look.
constexpr int kKeepOwnLookTag = 999;

// Posted to the application window to have a popup window framed: lParam the
// menu item (its window is looked up) ...
constexpr UINT MPM_FRAME_BY_ITEM = 0xBCB3;
// ... or lParam the window and wParam 1 for right to left.
constexpr UINT MPM_FRAME_BY_WINDOW = 0xBCB4;

// What a framed popup window runs, as a subclass, until it hides, closes or is destroyed.
constexpr UINT_PTR kPopupFrameSubclassId = 0x51F;
LRESULT CALLBACK PopupFrameSubclassProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR id, DWORD_PTR ref);
// Whether a window runs the popup frame now, and taking it away.
bool HasPopupFrame(HWND wnd);
void RemovePopupFrame(HWND wnd);

// The colour routines of the flat look. Each takes system colour constants too.
TColor DarkenColor(TColor color, int n);
TColor LightenColor(TColor color, int percent);
TColor GrayOfColor(TColor color, int lift);
TColor AverageColors(const std::vector<TColor>& colors);

// Every pixel of the bitmap lightened by `percent` (capped at 100).
void FadeBitmap(TBitmap& bitmap, int percent);
// Every pixel of the bitmap replaced by its grey plus `lift`.
void GrayOutBitmap(TBitmap& bitmap, int lift);
// Paints every pixel of the bitmap that is not its transparent (bottom-left)
// colour as one colour on the canvas, the bitmap's top-left at (x, y).
void PaintIconShadow(TBitmap& bitmap, TCanvas& canvas, int x, int y, TColor color);
// The system menu font in clMenuText; false, and the font unchanged, when the
// system's metrics cannot be read.
bool LoadMenuFont(TFont& font);

class TMenuPainter : public TComponent {
  QV_CLASS(TMenuPainter)
 public:
  // The colours actually painted with.
  struct TPalette {
    TColor MenuBackColor = clWhite;
    TColor IconColumnColor = clBtnFace;
    TColor HighlightFillColor = clHighlight;
    TColor HighlightBorderColor = clHighlight;
    TColor HighlightTextColor = clMenuText;
    TColor CheckFillColor = clHighlight;
    TColor CheckFillHotColor = clHighlight;
    TColor CheckMarkColor = clHighlight;
    TColor BarColor = clBtnFace;
    TColor DisabledTextColor = clInactiveCaption;
    TColor SeparatorLineColor = clBtnFace;
    TColor FrameColor = clBtnShadow;
    TColor FrameShadowColor = clBtnShadow;
    // Tints for the control painters.
    int ParentTintPercent = 16;
    int HotTintPercent = 40;
  };

  // The owner must be a form; anything else raises EInvalidCast.
  explicit TMenuPainter(TComponent* owner);
  ~TMenuPainter() override;

  std::uint8_t DimLevel() const { return dim_level_; }
  void SetDimLevel(std::uint8_t value) { dim_level_ = value; }
  std::uint8_t GrayLevel() const { return gray_level_; }
  void SetGrayLevel(std::uint8_t value) { gray_level_ = value; }
  TFont& Font() { return font_; }
  void SetFont(const TFont& font);
  TColor Color() const { return color_; }
  void SetColor(TColor value) { SetPaletteColor(color_, value); }
  bool DrawMenuBar() const { return draw_menu_bar_; }
  void SetDrawMenuBar(bool value) { draw_menu_bar_ = value; }
  TColor IconBackColor() const { return icon_back_color_; }
  void SetIconBackColor(TColor value) { SetPaletteColor(icon_back_color_, value); }
  TColor MenuBarColor() const { return menu_bar_color_; }
  void SetMenuBarColor(TColor value);
  TColor SelectColor() const { return select_color_; }
  void SetSelectColor(TColor value) { SetPaletteColor(select_color_, value); }
  TColor SelectBorderColor() const { return select_border_color_; }
  void SetSelectBorderColor(TColor value) { SetPaletteColor(select_border_color_, value); }
  TColor SelectFontColor() const { return select_font_color_; }
  void SetSelectFontColor(TColor value) { SetPaletteColor(select_font_color_, value); }
  TColor DisabledColor() const { return disabled_color_; }
  void SetDisabledColor(TColor value) { SetPaletteColor(disabled_color_, value); }
  TColor SeparatorColor() const { return separator_color_; }
  void SetSeparatorColor(TColor value) { SetPaletteColor(separator_color_, value); }
  TColor CheckedColor() const { return checked_color_; }
  void SetCheckedColor(TColor value) { SetPaletteColor(checked_color_, value); }
  // Of the 96-DPI design; menus are drawn at the DPI of the painter's form.
  int IconWidth() const { return icon_width_; }
  void SetIconWidth(int value) { icon_width_ = value; }
  int Dpi() const;
  // A length of the design at that DPI.
  int Scaled(int designValue) const { return ScaleToDpi(designValue, Dpi()); }
  // The icon column as drawn.
  int ColumnWidth() const { return Scaled(icon_width_); }
  bool DrawSelect() const { return draw_select_; }
  void SetDrawSelect(bool value) { draw_select_ = value; }
  bool UseSystemColors() const { return use_system_colors_; }
  // Takes effect at the next palette refresh, which only a colour setter requests.
  void SetUseSystemColors(bool value);
  bool UseDimColor() const { return use_dim_color_; }
  void SetUseDimColor(bool value) { use_dim_color_ = value; }
  bool OverrideOwnerDraw() const { return override_owner_draw_; }
  void SetOverrideOwnerDraw(bool value);
  bool Gradient() const { return gradient_; }
  void SetGradient(bool value) { gradient_ = value; }
  bool FlatMenu() const { return flat_menu_; }
  void SetFlatMenu(bool value) { flat_menu_ = value; }
  bool AutoDetect() const { return auto_detect_; }
  void SetAutoDetect(bool value) { auto_detect_ = value; }
  TFlatContainers FlatContainers() const { return flat_containers_; }
  void SetFlatContainers(TFlatContainers value);
  TFlatControls FlatControls() const { return flat_controls_; }
  void SetFlatControls(TFlatControls value);
  bool Active() const { return active_; }
  void SetActive(bool value);
  bool DisableSubclassing() const { return disable_subclassing_; }
  // Kept, so that the manager never picks this painter to take over other forms'
  // controls; hands that role on when this painter holds it, or lets the manager
  // look for a holder when none does.
  void SetDisableSubclassing(bool value);

  const TPalette& Palette() const { return palette_; }
  bool HighColor() const { return high_color_; }
  bool PaletteStale() const { return palette_stale_; }
  bool IsWinNT() const { return is_win_nt_; }
  bool IsWin2000() const { return is_win_2000_; }
  bool IsWinXP() const { return is_win_xp_; }
  bool FramePainting() const { return frame_painting_; }
  TCustomForm* Form() const { return form_; }

  // Recomputes the working palette; the canvas's device tells the colour depth.
  void RefreshPalette(TCanvas& canvas);

  // Hooks (enable) or unhooks every component the container owns.
  void HookComponents(TComponent* container, bool enable, bool update);
  void HookComponent(TComponent* component, bool enable, bool update);

  // The handlers put on hooked items.
  void MeasureMenuItem(TObject* sender, TCanvas& canvas, int& width, int& height);
  // Paints nothing while inactive; a failure while painting leaves the item as far
  // as it got.
  void DrawMenuItem(TObject* sender, TCanvas& canvas, RECT rect, bool selected);

  // Paints one popup item into `rect` of the canvas, composed off-screen first.
  void PaintMenuItem(TMenuItem& item, TCanvas& canvas, RECT rect, bool selected);
  // PaintMenuItem by item part.
  struct TItemLayout {
    RECT column;  // the icon column
    RECT check;   // where a check mark goes
    RECT text;    // caption and shortcut, or the separator line
  };
  // A private copy of the item's picture or image-list icon; false when it has none.
  bool ItemIcon(TMenuItem& item, TBitmap& icon);
  // iconWidth is -1 for an item without an icon.
  TItemLayout LayOutItem(RECT w, bool rtl, bool topLevel, int iconWidth) const;
  // Returns the bar colour used.
  TColor PaintItemBackground(TCanvas& canvas, RECT w, RECT column, bool topLevel, bool rtl);
  // Whether the item shows as hot (selected, or a bar item under the pointer).
  bool PaintItemHighlight(TMenuItem& item, TCanvas& canvas, TCanvas& target, RECT area, RECT w,
                          bool selected, bool topLevel, TColor barColor, bool rtl);
  void PaintItemCaption(TMenuItem& item, TCanvas& canvas, RECT text, bool selected,
                        bool topLevel, bool rtl);
  // Size the icon column needs for the item (at least IconWidth wide).
  SIZE GetIconSize(TMenuItem& item);
  // Draws the icon in column `column`, faded, greyed, lifted or shadowed as the
  // state asks. The icon is changed in place: pass a copy.
  void PaintItemIcon(TObject* sender, TCanvas& canvas, TBitmap& icon, RECT column, bool hot,
                     bool down, bool enabled, bool checked, bool topLevel, bool rightToLeft);
  // Draws the caption in `rect` and the shortcut right-aligned in it.
  void PaintItemText(TObject* sender, const std::string& text, const std::string& shortCut,
                     TCanvas& canvas, RECT rect, bool selected, bool enabled, bool isDefault,
                     bool topLevel, bool rightToLeft, TFont& font, UINT format);
  void PaintCheckMark(TMenuItem& item, TCanvas& canvas, bool selected, RECT box, bool hasIcon,
                      bool enabled);

  // Vertical one-pixel strips of the icon-column colour, lightening quickly across
  // the icon zone and slowly after it.
  void PaintGradient(TCanvas& canvas, RECT w, bool rightToLeft);
  // The highlight of a selected menu-bar item with its stepped shadow at the right.
  void PaintBarItem(TObject* sender, TCanvas& canvas, RECT w, TColor barColor, bool rightToLeft);
  // A control bar's band: a light fill and a dotted grip; the bar paints nothing itself.
  void PaintControlBarBand(TObject* sender, TControl* control, TCanvas& canvas, RECT& rect,
                           TBandPaintOptions& options);
  // Draws the flat frame and shadow of one popup menu window (FlatMenu only).
  void PaintPopupFrame(HWND window, bool rightToLeft);
  // Posts a frame request for an item painted on `target`, unless one is queued.
  void RequestPopupFrame(TMenuItem& item, TCanvas& target);

 protected:
  void Loaded() override;
  void BeforeDestruction() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void SetPaletteColor(TColor& field, TColor value);
  // Components new to the form are looked at once they are whole: the insertion
  // notice comes while they are still being built.
  void DeferInserted(TComponent* component);
  void HookInserted();
  void DeferredWndProc(TMessage& message);
  void HookMenuItem(TMenuItem& item, bool enable);
  void HookControl(TControl& control, bool enable, bool update);
  void Release();
  void RedrawMenuBar();
  TColor TopItemTextColor(TColor color);
  bool IsCursorOver(TCanvas& target, RECT area);

  TCustomForm* form_;
  std::uint8_t dim_level_ = 30;
  std::uint8_t gray_level_ = 10;
  TFont font_;
  // Font at the form's DPI, for measuring and drawing items.
  TFont& ItemFont();
  TFont item_font_;
  TColor color_ = clBtnFace;
  bool draw_menu_bar_ = false;
  TColor icon_back_color_ = clBtnFace;
  TColor menu_bar_color_ = clBtnFace;
  TColor select_color_ = clHighlight;
  TColor select_border_color_ = clHighlight;
  TColor select_font_color_ = clMenuText;
  TColor disabled_color_ = clInactiveCaption;
  TColor separator_color_ = clBtnFace;
  TColor checked_color_ = clHighlight;
  int icon_width_ = 24;
  bool draw_select_ = true;
  bool use_system_colors_ = true;
  bool use_dim_color_ = false;
  bool override_owner_draw_ = false;
  bool gradient_ = false;
  bool flat_menu_ = false;
  bool auto_detect_ = false;
  TFlatContainers flat_containers_ = kAllFlatContainers;
  TFlatControls flat_controls_ = kAllFlatControls;
  bool active_ = false;
  bool disable_subclassing_ = false;

  TPalette palette_;
  bool high_color_ = true;
  bool palette_stale_ = false;
  // The palette was made for a high-contrast theme; a theme change makes it stale too.
  bool high_contrast_ = false;
  bool PaletteDue() const { return palette_stale_ || HighContrastOn() != high_contrast_; }
  bool is_win_nt_ = false;
  bool is_win_2000_ = false;
  bool is_win_xp_ = false;
  bool frame_painting_ = false;
  bool released_ = false;
  bool managed_ = false;
  std::vector<TComponent*> inserted_;
  // Receives the message that brings the deferred look at new components.
  TUtilityWindow deferred_window_;
};

}  // namespace qv
