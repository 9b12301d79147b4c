#include "look/MenuPainter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "framework/Buttons.h"
#include "framework/ChoiceCtrls.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Handles.h"
#include "framework/ImgList.h"
#include "framework/ShortCuts.h"
#include "framework/StdCtrls.h"
#include "framework/TypInfo.h"
#include "look/LookGeometry.h"
#include "look/PainterManager.h"

namespace qv {

TColor DarkenColor(TColor color, int n) {
  return DarkenRGB(static_cast<TColor>(ColorToRGB(color)), n);
}

TColor LightenColor(TColor color, int percent) {
  return LightenRGB(static_cast<TColor>(ColorToRGB(color)), percent);
}

TColor GrayOfColor(TColor color, int lift) {
  return GrayOfRGB(static_cast<TColor>(ColorToRGB(color)), lift);
}

TColor AverageColors(const std::vector<TColor>& colors) {
  std::vector<TColor> rgb;
  rgb.reserve(colors.size());
  for (TColor c : colors) rgb.push_back(static_cast<TColor>(ColorToRGB(c)));
  return AverageRGB(rgb);
}

namespace {

// Replaces every pixel by f(pixel); runs of equal pixels reuse the last result,
// which is most of a small icon.
template <class F>
void MapPixels(TBitmap& bitmap, F f) {
  if (bitmap.Empty()) return;
  TCanvas& canvas = bitmap.Canvas();
  COLORREF last_in = CLR_INVALID;
  TColor last_out = clBlack;
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      const COLORREF pixel = canvas.Pixel(x, y);
      if (pixel != last_in) {
        last_in = pixel;
        last_out = f(static_cast<TColor>(pixel));
      }
      canvas.SetPixel(x, y, last_out);
    }
  }
}

RECT Rect(int left, int top, int right, int bottom) { return RECT{left, top, right, bottom}; }
int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// Round half to even, as the layout rules expect.
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

// An item that sits in a form's menu bar.
bool IsTopLevelItem(const TMenuItem& item) {
  TMenu* menu = item.GetParentMenu();
  return menu && menu->IsMainMenu() && item.Parent() == &menu->Items();
}

bool IsLastTopLevelItem(const TMenuItem& item) {
  TMenuItem* bar = item.Parent();
  return bar && bar->Count() > 0 && bar->Items(bar->Count() - 1) == &item;
}

// The list image the item shows, or null.
TImageList* ItemImages(const TMenuItem& item) {
  TMenu* menu = item.GetParentMenu();
  TImageList* images = menu ? menu->Images() : nullptr;
  return images && item.ImageIndex != -1 ? images : nullptr;
}

TCustomForm* FormOf(TComponent* owner) {
  auto* form = dynamic_cast<TCustomForm*>(owner);
  if (!form) throw EInvalidCast(MsgInvalidCast());
  return form;
}

}  // namespace

void FadeBitmap(TBitmap& bitmap, int percent) {
  const int p = std::min(percent, 100);
  MapPixels(bitmap, [p](TColor c) { return LightenRGB(c, p); });
}

void GrayOutBitmap(TBitmap& bitmap, int lift) {
  MapPixels(bitmap, [lift](TColor c) { return GrayOfRGB(c, lift); });
}

void PaintIconShadow(TBitmap& bitmap, TCanvas& canvas, int x, int y, TColor color) {
  if (bitmap.Empty()) return;
  const COLORREF transparent = bitmap.BottomLeftColor();
  TCanvas& source = bitmap.Canvas();
  for (int j = 0; j < bitmap.Height(); ++j)
    for (int i = 0; i < bitmap.Width(); ++i)
      if (source.Pixel(i, j) != transparent) canvas.SetPixel(x + i, y + j, color);
}

bool LoadMenuFont(TFont& font) {
  // The record as it was before Vista added a padded-border field: every system
  // accepts this size.
  NONCLIENTMETRICSA metrics{};
  constexpr UINT kClassicSize =
      offsetof(NONCLIENTMETRICSA, lfMenuFont) + sizeof(LOGFONTA) + sizeof(LOGFONTA) * 2;
  static_assert(kClassicSize == 340);
  metrics.cbSize = kClassicSize;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kClassicSize, &metrics, 0)) return false;
  const LOGFONTA& lf = metrics.lfMenuFont;
  font.SetName(lf.lfFaceName);
  font.SetHeight(lf.lfHeight);
  unsigned style = 0;
  if (lf.lfWeight >= FW_BOLD) style |= fsBold;
  if (lf.lfItalic) style |= fsItalic;
  if (lf.lfUnderline) style |= fsUnderline;
  if (lf.lfStrikeOut) style |= fsStrikeOut;
  font.SetStyle(style);
  font.SetColor(clMenuText);
  return true;
}

// The owner is checked before the base class takes it, so a failed construction
// never appears among the owner's components.
TMenuPainter::TMenuPainter(TComponent* owner)
    : TComponent(FormOf(owner)), form_(static_cast<TCustomForm*>(owner)) {
  LoadMenuFont(font_);
  select_font_color_ = font_.Color();
  {
    // Forms have no canvas of their own here; the screen tells the same depth.
    WindowDc screen(nullptr);
    TCanvas canvas;
    canvas.SetHandle(screen.get());
    RefreshPalette(canvas);
    canvas.SetHandle(nullptr);
  }
  palette_stale_ = false;

  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExA(&version)) {
#pragma GCC diagnostic pop
    const TOsFlags os = OsFlagsOf(version.dwPlatformId == VER_PLATFORM_WIN32_NT,
                                  version.dwMajorVersion, version.dwMinorVersion);
    is_win_nt_ = os.IsWinNT;
    is_win_2000_ = os.IsWin2000;
    is_win_xp_ = os.IsWinXP;
  }
  // A painter open in a designer takes over nothing, so it needs no manager.
  if (!Designing()) {
    TMenuPainterManager::Require()->AddConstructed();
    managed_ = true;
  }
}

TMenuPainter::~TMenuPainter() {
  Release();
  deferred_window_.Reset();
}

// Items must not keep pointing at a painter that is gone, so the form is
// unhooked first; then the control-taking role is handed on while this
// painter's subclass objects still exist, and the form repaints without it.
void TMenuPainter::Release() {
  if (released_) return;
  released_ = true;
  HookComponents(form_, false, false);
  if (managed_)
    if (auto* manager = TMenuPainterManager::Instance()) manager->RemoveConstructed(this);
  if (form_ && form_->HandleAllocated() && !form_->Destroying()) form_->Update();
}

void TMenuPainter::BeforeDestruction() {
  Release();
  TComponent::BeforeDestruction();
}

void TMenuPainter::Loaded() {
  TComponent::Loaded();
  if (!Designing())
    if (auto* manager = TMenuPainterManager::Instance()) manager->Register(this);
}

void TMenuPainter::SetDisableSubclassing(bool value) {
  disable_subclassing_ = value;
  auto* manager = TMenuPainterManager::Instance();
  if (!manager || Designing()) return;
  if (manager->ActivePainter() == this) {
    if (value) manager->Reassign(this);
  } else if (!manager->ActivePainter()) {
    manager->Reassign(nullptr);
  }
}

void TMenuPainter::Notification(TComponent* component, TOperation operation) {
  if (!Designing())
    if (auto* manager = TMenuPainterManager::Instance(); manager && manager->ActivePainter())
      manager->FormNotice(component, operation);
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove) {
    inserted_.erase(std::remove(inserted_.begin(), inserted_.end(), component), inserted_.end());
  } else if (active_ && auto_detect_ && !Designing() && component->Owner() == form_) {
    DeferInserted(component);
  }
}

namespace {
constexpr UINT kHookInserted = WM_APP + 0x39;
}

void TMenuPainter::DeferInserted(TComponent* component) {
  if (!deferred_window_)
    deferred_window_ = TUtilityWindow(TWndMethod::Of<&TMenuPainter::DeferredWndProc>(this));
  if (inserted_.empty()) PostMessageA(deferred_window_.Handle(), kHookInserted, 0, 0);
  inserted_.push_back(component);
}

void TMenuPainter::DeferredWndProc(TMessage& m) {
  if (m.Msg == kHookInserted) {
    HookInserted();
    return;
  }
  m.Result = DefWindowProcA(deferred_window_.Handle(), m.Msg, m.WParam, m.LParam);
}

// Of the kinds a newcomer may be, only a control bar is changed by the pass; a
// new menu item waits for the next full pass, as its menu is hooked as a whole.
void TMenuPainter::HookInserted() {
  std::vector<TComponent*> inserted;
  inserted.swap(inserted_);
  if (!active_ || !auto_detect_) return;
  for (TComponent* c : inserted)
    if (dynamic_cast<TMenuItem*>(c) || dynamic_cast<TControlBar*>(c)) HookComponent(c, true, true);
}

void TMenuPainter::SetPaletteColor(TColor& field, TColor value) {
  field = value;
  palette_stale_ = true;
}

void TMenuPainter::RedrawMenuBar() {
  if (form_ && form_->HandleAllocated()) ::DrawMenuBar(form_->Handle());
}

void TMenuPainter::SetFont(const TFont& font) {
  font_.Assign(font);
  RedrawMenuBar();
}

void TMenuPainter::SetMenuBarColor(TColor value) {
  SetPaletteColor(menu_bar_color_, value);
  RedrawMenuBar();
}

void TMenuPainter::SetUseSystemColors(bool value) {
  use_system_colors_ = value;
  RedrawMenuBar();
}

void TMenuPainter::SetOverrideOwnerDraw(bool value) {
  override_owner_draw_ = value;
  if (active_) SetActive(true);
}

void TMenuPainter::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  HookComponents(form_, value, true);
  RedrawMenuBar();
}

void TMenuPainter::SetFlatContainers(TFlatContainers value) {
  if (value != flat_containers_ && active_) {
    active_ = false;
    HookComponents(form_, false, true);
    active_ = true;
    flat_containers_ = value;
    HookComponents(form_, true, true);
  }
  flat_containers_ = value;
}

void TMenuPainter::SetFlatControls(TFlatControls value) {
  if (value != flat_controls_ && active_) {
    active_ = false;
    HookComponents(form_, false, true);
    active_ = true;
    flat_controls_ = value;
    HookComponents(form_, true, true);
  }
  flat_controls_ = value;
}

TColor TMenuPainter::TopItemTextColor(TColor color) {
  return TopItemTextRGB(static_cast<TColor>(ColorToRGB(color)), font_.Color());
}

void TMenuPainter::RefreshPalette(TCanvas& canvas) {
  palette_stale_ = false;
  HDC dc = canvas.Handle();
  high_color_ = dc && GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) >= 16;
  TPalette& p = palette_;
  p.ParentTintPercent = 16;
  p.HotTintPercent = 40;
  high_contrast_ = HighContrastOn();
  if (high_contrast_) {
    // The theme's own colours, unmixed: a tint of them is no longer the contrast it chose.
    p.MenuBackColor = clWindow;
    p.IconColumnColor = clBtnFace;
    p.HighlightFillColor = clHighlight;
    p.HighlightBorderColor = clHighlight;
    p.HighlightTextColor = clHighlightText;
    p.CheckFillColor = clWindow;
    p.CheckFillHotColor = clHighlight;
    p.CheckMarkColor = clWindowText;
    p.BarColor = clBtnFace;
    p.DisabledTextColor = clGrayText;
    p.SeparatorLineColor = clGrayText;
    p.FrameColor = clWindowText;
    p.FrameShadowColor = clWindowText;
    return;
  }

  p.MenuBackColor = color_;
  p.IconColumnColor = icon_back_color_;
  if (high_color_) {
    p.HighlightFillColor = use_dim_color_ ? LightenColor(select_color_, 68) : select_color_;
    p.CheckFillColor = use_dim_color_ ? LightenColor(select_color_, 80) : select_color_;
    p.CheckFillHotColor = use_dim_color_ ? LightenColor(select_color_, 50) : select_color_;
    p.FrameColor = DarkenColor(clBtnFace, 90);
    p.FrameShadowColor = DarkenColor(clBtnFace, 76);
  } else {
    p.HighlightFillColor = select_color_;
    p.CheckFillColor = clWhite;
    p.CheckFillHotColor = clSilver;
    p.FrameColor = clBtnShadow;
    p.FrameShadowColor = clBtnShadow;
  }
  p.HighlightBorderColor = select_border_color_;
  p.HighlightTextColor = select_font_color_;
  p.BarColor = menu_bar_color_;
  p.DisabledTextColor = disabled_color_;
  p.CheckMarkColor = checked_color_;
  p.SeparatorLineColor = separator_color_;

  if (!use_system_colors_) return;
  p.HighlightTextColor = font_.Color();
  p.HighlightBorderColor = clHighlight;
  p.BarColor = clBtnFace;
  p.CheckMarkColor = clHighlight;
  if (high_color_) {
    p.MenuBackColor = LightenColor(clBtnFace, 86);
    p.IconColumnColor = LightenColor(clBtnFace, 16);
    p.HighlightFillColor = LightenColor(clHighlight, 68);
    p.DisabledTextColor = LightenColor(clBtnShadow, 10);
    p.SeparatorLineColor = LightenColor(clBtnShadow, 25);
    p.CheckFillColor = LightenColor(clHighlight, 80);
    p.CheckFillHotColor = LightenColor(clHighlight, 50);
  } else {
    p.MenuBackColor = clWhite;
    p.IconColumnColor = clBtnFace;
    p.HighlightFillColor = clWhite;
    p.DisabledTextColor = clBtnShadow;
    p.SeparatorLineColor = clBtnShadow;
    p.CheckFillColor = clWhite;
    p.CheckFillHotColor = clWhite;
  }
}

void TMenuPainter::HookComponents(TComponent* container, bool enable, bool update) {
  if (!container) return;
  // Copy: hooking never changes ownership, but a handler might.
  std::vector<TComponent*> owned;
  for (int i = 0; i < container->ComponentCount(); ++i) owned.push_back(container->Components(i));
  for (TComponent* c : owned) HookComponent(c, enable, update);
}

void TMenuPainter::HookComponent(TComponent* component, bool enable, bool update) {
  if (auto* bar = dynamic_cast<TMainMenu*>(component)) {
    if ((flat_controls_ & FlatBit(xcMainMenu)) && bar->Tag != kKeepOwnLookTag) {
      TMenuItem& root = bar->Items();
      for (int i = 0; i < root.Count(); ++i) {
        bar->OwnerDraw = enable;
        HookMenuItem(*root.Items(i), enable);
      }
      // The system measures bar items only when the bar is made again.
      bar->Rebuild();
    }
    return;
  }
  if (auto* controlBar = dynamic_cast<TControlBar*>(component)) {
    if ((flat_controls_ & FlatBit(xcControlbar)) && !Designing()) {
      const auto band = TBandPaintEvent::Of<&TMenuPainter::PaintControlBarBand>(this);
      if (enable) {
        if (!controlBar->OnBandPaint || override_owner_draw_) controlBar->OnBandPaint = band;
      } else if (controlBar->OnBandPaint == band) {
        controlBar->OnBandPaint = nullptr;
      }
      if (update) controlBar->Invalidate();
    }
    return;
  }
  if (auto* menu = dynamic_cast<TPopupMenu*>(component)) {
    if (flat_controls_ & FlatBit(xcPopupMenu)) {
      TMenuItem& root = menu->Items();
      for (int i = 0; i < root.Count(); ++i) {
        menu->OwnerDraw = enable;
        HookMenuItem(*root.Items(i), enable);
      }
    }
    return;
  }
  // There are no menu bars or control bars here; ordinary controls may be taken over.
  if (Designing()) return;
  if (auto* control = dynamic_cast<TControl*>(component)) HookControl(*control, enable, update);
  // Controls owned by something other than the form: a radio group's buttons,
  // a navigator's, a form's own.
  const bool radioGroup =
      dynamic_cast<TRadioGroup*>(component) && (flat_containers_ & FlatBit(xccGroupBox));
  if (radioGroup || std::string(component->ClassName()) == "TDBNavigator" ||
      dynamic_cast<TCustomForm*>(component))
    HookComponents(component, enable, update);
}

namespace {

// The control kind a painter may take over, or -1. A kind is the class or any
// class derived from it; a name is that exact class.
int ControlKind(TControl& c) {
  const std::string name = c.ClassName();
  if (dynamic_cast<TComboBox*>(&c)) return xcCombo;
  if (dynamic_cast<TMemo*>(&c)) return xcMemo;
  if (dynamic_cast<TEdit*>(&c)) return xcEdit;
  if (name == "TMaskEdit" || name == "TDBEdit") return xcMaskEdit;
  if (dynamic_cast<TRichEdit*>(&c)) return xcRichEdit;
  if (dynamic_cast<TCheckBox*>(&c)) return xcCheckBox;
  if (dynamic_cast<TRadioButton*>(&c)) return xcRadioButton;
  if (name == "TBitBtn") return xcBitBtn;
  if (name == "TButton") return xcButton;
  if (name == "TUpDown") return xcUpDown;
  if (dynamic_cast<TSpeedButton*>(&c)) return xcSpeedButton;
  if (dynamic_cast<TPanel*>(&c)) return xcPanel;
  if (name == "TDBNavigator" || name == "TDBLookupComboBox") return xcButton;
  if (dynamic_cast<TGroupBox*>(&c)) return xcGroupBox;
  if (dynamic_cast<TCustomListBox*>(&c)) return xcListBox;
  if (dynamic_cast<TTreeView*>(&c)) return xcTreeView;
  if (dynamic_cast<TListView*>(&c)) return xcListView;
  if (dynamic_cast<TProgressBar*>(&c)) return xcProgressBar;
  if (dynamic_cast<THotKey*>(&c)) return xcHotKey;
  return -1;
}

// The container kind of a control's parent, or -1.
int ContainerKind(TWinControl* parent) {
  if (!parent) return -1;
  const std::string name = parent->ClassName();
  if (dynamic_cast<TToolBar*>(parent)) return xccToolbar;
  if (dynamic_cast<TCoolBar*>(parent)) return xccCoolbar;
  if (dynamic_cast<TPanel*>(parent)) return xccPanel;
  if (dynamic_cast<TControlBar*>(parent)) return xccControlbar;
  if (dynamic_cast<TScrollBox*>(parent)) return xccScrollBox;
  if (dynamic_cast<TGroupBox*>(parent)) return xccGroupBox;
  if (dynamic_cast<TTabSheet*>(parent) || dynamic_cast<TTabControl*>(parent) ||
      name == "TdxTabSheet")
    return xccTabSheet;
  if (dynamic_cast<TPageScroller*>(parent)) return xccPageScroller;
  if (name == "TDBCtrlPanel") return xccFrame;
  if (dynamic_cast<TCustomForm*>(parent)) return xccForm;
  return -1;
}

}  // namespace

void TMenuPainter::HookControl(TControl& control, bool enable, bool update) {
  const int kind = ControlKind(control);
  const int container = ContainerKind(control.Parent());
  if (kind < 0 || container < 0) return;
  if (!(flat_controls_ & FlatBit(kind)) || !(flat_containers_ & FlatBit(container))) return;
  if (enable && control.Tag != kKeepOwnLookTag && control.Parent()->Tag != kKeepOwnLookTag) {
    // A control already taken over keeps the hook it has.
    if (!IsSubClassMethod(control.WindowProc)) {
      auto* sub = new TControlSubClass(this, &control);
      sub->SavedWindowProc = control.WindowProc;
      sub->SaveBorder();
      control.WindowProc = sub->Method();
    }
  }
  if (update) control.Invalidate();
}

void TMenuPainter::HookMenuItem(TMenuItem& item, bool enable) {
  const auto draw = TMenuDrawItemEvent::Of<&TMenuPainter::DrawMenuItem>(this);
  const auto measure = TMenuMeasureItemEvent::Of<&TMenuPainter::MeasureMenuItem>(this);
  if (enable) {
    if (item.Tag != kKeepOwnLookTag) {
      if (!item.OnDrawItem || override_owner_draw_) item.OnDrawItem = draw;
      if (!item.OnMeasureItem || override_owner_draw_) item.OnMeasureItem = measure;
    }
  } else {
    if (item.OnDrawItem == draw) item.OnDrawItem = nullptr;
    if (item.OnMeasureItem == measure) item.OnMeasureItem = nullptr;
  }
  for (int i = 0; i < item.Count(); ++i) HookMenuItem(*item.Items(i), enable);
}

int TMenuPainter::Dpi() const { return form_ ? form_->Dpi() : kDesignDpi; }

TFont& TMenuPainter::ItemFont() {
  item_font_.Assign(font_);
  item_font_.SetHeight(Scaled(font_.Height()));
  return item_font_;
}

SIZE TMenuPainter::GetIconSize(TMenuItem& item) {
  SIZE size{0, 0};
  if (TImageList* images = ItemImages(item))
    size = SIZE{Scaled(images->Width()), Scaled(images->Height())};
  else if (item.Bitmap().Width() > 0)
    size = SIZE{Scaled(item.Bitmap().Width()), Scaled(item.Bitmap().Height())};
  if (!IsTopLevelItem(item)) size.cx = std::max<LONG>(size.cx, ColumnWidth());
  return size;
}

void TMenuPainter::MeasureMenuItem(TObject* sender, TCanvas& canvas, int& width, int& height) {
  if (!active_) return;
  auto* item = dynamic_cast<TMenuItem*>(sender);
  if (!item) return;
  const bool separator = item->Caption() == "-";
  std::string s = separator ? std::string() : item->Caption();
  const std::string shortCut = ShortCutToText(item->ShortCut);
  // The letters reserve the gap between caption and shortcut.
  if (!Trim(shortCut).empty()) s = item->Caption() + shortCut + "WWW";

  canvas.Font().Assign(ItemFont());
  int w = canvas.TextWidth(s) + Scaled(5);
  if (s.find('&') != std::string::npos) w -= canvas.TextWidth("&");
  // Room for the arrow the system draws beside a sub-menu.
  if (!IsTopLevelItem(*item) && item->Count() > 0) w += Scaled(6);
  const SIZE icon = GetIconSize(*item);
  w += icon.cx;
  if (w > width) width = w;

  if (separator) {
    height = Scaled(4);
    return;
  }
  const int textHeight = canvas.TextHeight(s);
  int h = textHeight + RoundEven(0.75 * textHeight);
  h = std::max<int>(h, icon.cy + Scaled(6));
  if (h > height) height = h;
}

void TMenuPainter::DrawMenuItem(TObject* sender, TCanvas& canvas, RECT rect, bool selected) {
  if (!active_) return;
  auto* item = dynamic_cast<TMenuItem*>(sender);
  if (!item) return;
  try {
    PaintMenuItem(*item, canvas, rect, selected);
  } catch (...) {
    // A half-painted item is better than a menu that breaks the message loop.
  }
}

void TMenuPainter::PaintMenuItem(TMenuItem& item, TCanvas& target, RECT area, bool selected) {
  const bool topLevel = IsTopLevelItem(item);
  // A popup item's buffer reaches 4 pixels left of the item so that the item's
  // own coordinates start at x = 4; a bar item's starts at the item.
  RECT w = Rect(4, 0, Width(area) + 4, Height(area));
  POINT origin{area.left - 4, area.top};
  if (topLevel) {
    w = Rect(0, 0, Width(area), Height(area) - 1);
    origin.x = area.left;
  }
  TBitmap buffer(w.right, Height(area));
  TCanvas& canvas = buffer.Canvas();
  const bool enabled = item.Enabled();
  TMenu* menu = item.GetParentMenu();
  const bool rtl = menu && menu->IsRightToLeft();
  if (PaletteDue()) RefreshPalette(canvas);
  canvas.Font().Assign(ItemFont());
  w.bottom += 1;

  TBitmap icon;
  const bool hasIcon = ItemIcon(item, icon);
  const TItemLayout layout = LayOutItem(w, rtl, topLevel, hasIcon ? icon.Width() : -1);
  const TColor barColor = PaintItemBackground(canvas, w, layout.column, topLevel, rtl);
  const bool hot = PaintItemHighlight(item, canvas, target, area, w, selected, topLevel, barColor, rtl);
  if (item.Checked() || item.RadioItem)
    PaintCheckMark(item, canvas, selected, layout.check, hasIcon, enabled);
  if (hasIcon)
    PaintItemIcon(&item, canvas, icon, layout.column, selected || hot, false, enabled,
                  item.Checked(), topLevel, rtl);
  PaintItemCaption(item, canvas, layout.text, selected, topLevel, rtl);

  target.Draw(origin.x, origin.y, buffer);
  if (topLevel && draw_menu_bar_ && IsLastTopLevelItem(item)) {
    // The rest of the bar, past the last item, in the bar colour too.
    RECT client{};
    if (form_ && form_->HandleAllocated()) GetClientRect(form_->Handle(), &client);
    target.Brush().SetStyle(TBrushStyle::bsSolid);
    target.Brush().SetColor(barColor);
    target.FillRect(rtl ? Rect(3, area.top, area.left, area.bottom)
                        : Rect(area.right, area.top, client.right + 5, area.bottom));
  }
  if (flat_menu_) RequestPopupFrame(item, target);
}

bool TMenuPainter::ItemIcon(TMenuItem& item, TBitmap& icon) {
  // A private copy of the picture on a uniform background: fading and greying
  // change it, and its bottom-left colour stays the transparent one.
  bool hasIcon = false;
  if (!item.Bitmap().Empty() && item.Bitmap().Width() > 0 && item.Bitmap().Height() > 0) {
    TBitmap& picture = item.Bitmap();
    icon.SetSize(picture.Width(), picture.Height());
    icon.Canvas().Brush().SetColor(static_cast<TColor>(icon.BottomLeftColor()));
    icon.Canvas().FillRect(Rect(0, 0, icon.Width(), icon.Height()));
    icon.Canvas().DrawTransparent(0, 0, picture, picture.BottomLeftColor());
    hasIcon = true;
  }
  if (TImageList* images = ItemImages(item)) {
    icon.SetSize(images->Width(), images->Height());
    icon.Canvas().Brush().SetColor(static_cast<TColor>(icon.BottomLeftColor()));
    icon.Canvas().FillRect(Rect(0, 0, icon.Width(), icon.Height()));
    images->Draw(icon.Canvas(), 0, 0, item.ImageIndex);
    hasIcon = true;
  }
  if (hasIcon && Dpi() != kDesignDpi) {
    // Pictures are drawn for 96 DPI. Pixel for pixel, so that the transparent
    // colour stays one colour and no fringe shows around the picture.
    TBitmap scaled(Scaled(icon.Width()), Scaled(icon.Height()));
    SetStretchBltMode(scaled.Canvas().Handle(), COLORONCOLOR);
    StretchBlt(scaled.Canvas().Handle(), 0, 0, scaled.Width(), scaled.Height(),
               icon.Canvas().Handle(), 0, 0, icon.Width(), icon.Height(), SRCCOPY);
    icon.SetSize(scaled.Width(), scaled.Height());
    BitBlt(icon.Canvas().Handle(), 0, 0, scaled.Width(), scaled.Height(), scaled.Canvas().Handle(),
           0, 0, SRCCOPY);
  }
  return hasIcon;
}

TMenuPainter::TItemLayout TMenuPainter::LayOutItem(RECT w, bool rtl, bool topLevel,
                                                   int iconWidth) const {
  const bool hasIcon = iconWidth >= 0;
  const int iconW = hasIcon ? iconWidth : 0;
  const int column = ColumnWidth(), box = Scaled(10);
  TItemLayout l;
  l.column = rtl ? Rect(w.right - column, w.top, w.right, w.bottom)
                 : Rect(w.left, w.top, w.left + column, w.bottom);
  if (hasIcon) {
    l.check = Rect(l.column.left + 1, l.column.top + 2, l.column.right - 3, l.column.bottom - 2);
  } else {
    const int left = l.column.left + (Width(l.column) - box) / 2;
    const int top = l.column.top + (Height(l.column) - box) / 2;
    l.check = Rect(left, top, left + box, top + box);
  }
  if (iconW > column) {
    if (rtl)
      l.check.left = l.check.right - iconW;
    else
      l.check.right = l.check.left + iconW;
  }
  if (topLevel) OffsetRect(&l.check, 0, -1);

  l.text = w;
  if (rtl) {
    l.text.right = std::min<LONG>(topLevel ? w.right - Scaled(4) : w.right - column,
                                  w.right - iconW - Scaled(8));
  } else {
    l.text.left =
        std::max<LONG>(topLevel ? w.left + Scaled(4) : w.left + column, w.left + iconW + Scaled(4));
  }
  if (topLevel) {
    if (!hasIcon)
      l.text = w;
    else if (rtl)
      l.text.right += 5;
    else
      l.text.left -= 5;
  }
  return l;
}

TColor TMenuPainter::PaintItemBackground(TCanvas& canvas, RECT w, RECT column, bool topLevel,
                                         bool rtl) {
  const TPalette& p = palette_;
  TColor barColor = p.BarColor;
  if (topLevel) {
    if (draw_menu_bar_) barColor = menu_bar_color_;
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(barColor);
    canvas.FillRect(w);
  } else if (high_color_ && gradient_) {
    PaintGradient(canvas, Rect(w.left, w.top, w.right + 2, w.bottom), rtl);
  } else {
    // The whole buffer, then the icon column.
    canvas.Brush().SetColor(p.MenuBackColor);
    canvas.FillRect(Rect(w.left - 4, w.top, w.right, w.bottom));
    canvas.Brush().SetColor(p.IconColumnColor);
    canvas.FillRect(column);
  }
  return barColor;
}

bool TMenuPainter::PaintItemHighlight(TMenuItem& item, TCanvas& canvas, TCanvas& target,
                                      RECT area, RECT w, bool selected, bool topLevel,
                                      TColor barColor, bool rtl) {
  const TPalette& p = palette_;
  const bool enabled = item.Enabled();
  if (selected && draw_select_) {
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    if (topLevel) {
      PaintBarItem(&item, canvas, w, barColor, rtl);
    } else if (enabled) {
      const RECT h = Rect(w.left, w.top + 1, w.right - (flat_menu_ ? 1 : 0), w.bottom - 1);
      canvas.Brush().SetColor(p.HighlightFillColor);
      canvas.FillRect(h);
      canvas.Brush().SetStyle(TBrushStyle::bsClear);
      canvas.Pen().SetColor(p.HighlightBorderColor);
      canvas.Rectangle(h.left, h.top, h.right, h.bottom);
    }
    return true;
  }
  if (topLevel && enabled && is_win_nt_ && IsCursorOver(target, area)) {
    // Hot tracking of the bar: the item under the mouse.
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(p.HighlightFillColor);
    canvas.Pen().SetColor(p.HighlightBorderColor);
    canvas.Rectangle(w.left, w.top, w.right - 7, w.bottom);
    return true;
  }
  return false;
}

void TMenuPainter::PaintItemCaption(TMenuItem& item, TCanvas& canvas, RECT text, bool selected,
                                    bool topLevel, bool rtl) {
  if (item.Caption() == "-") {
    const int y = text.top + RoundEven(Height(text) / 2.0);
    canvas.Pen().SetColor(palette_.SeparatorLineColor);
    if (rtl) {
      canvas.MoveTo(text.left, y);
      canvas.LineTo(text.right - Scaled(7), y);
    } else {
      canvas.MoveTo(text.left + Scaled(7), y);
      canvas.LineTo(text.right, y);
    }
    return;
  }
  UINT format;
  if (rtl) {
    text.right -= Scaled(3);
    format = DT_RIGHT | DT_RTLREADING;
  } else {
    text.left += Scaled(3);
    format = DT_LEFT;
  }
  text.top += (Height(text) - canvas.TextHeight("W")) / 2;
  PaintItemText(&item, " " + item.Caption(), ShortCutToText(item.ShortCut), canvas, text,
                selected, item.Enabled(), item.Default, topLevel, rtl, ItemFont(), format);
}

// Whether the mouse is over `area` of the window the target canvas paints.
bool TMenuPainter::IsCursorOver(TCanvas& target, RECT area) {
  HWND wnd = WindowFromDC(target.Handle());
  if (!wnd) return false;
  POINT cursor{};
  RECT window{};
  if (!GetCursorPos(&cursor) || !GetWindowRect(wnd, &window)) return false;
  const int x = cursor.x - window.left, y = cursor.y - window.top;
  return x >= area.left && x <= area.right - 1 && y >= area.top && y <= area.bottom - 2;
}

void TMenuPainter::RequestPopupFrame(TMenuItem& item, TCanvas& target) {
  if (Designing() || !flat_menu_ || IsTopLevelItem(item)) return;
  HWND app = Application ? Application->Handle() : nullptr;
  if (!app) return;
  // One request at a time: a burst of item painting makes one frame pass.
  MSG queued;
  if (PeekMessageA(&queued, app, MPM_FRAME_BY_ITEM, MPM_FRAME_BY_WINDOW, PM_NOREMOVE)) return;
  HWND w = WindowFromDC(target.Handle());
  // The manager answers the request with the painter that posted it, in that
  // painter's colours, whether or not it is the one taking over controls.
  auto* manager = TMenuPainterManager::Instance();
  if (!w) {
    if (PostMessageA(app, MPM_FRAME_BY_ITEM, 0, reinterpret_cast<LPARAM>(&item)) && manager)
      manager->NoteFrameRequest(this);
    return;
  }
  if (form_ && form_->HandleAllocated() && w == form_->Handle()) return;
  TMenu* menu = item.GetParentMenu();
  if (PostMessageA(app, MPM_FRAME_BY_WINDOW, menu && menu->IsRightToLeft() ? 1 : 0,
                   reinterpret_cast<LPARAM>(w)) &&
      manager)
    manager->NoteFrameRequest(this);
}

void TMenuPainter::PaintGradient(TCanvas& canvas, RECT w, bool rightToLeft) {
  const int strips = w.right - w.left + 1;
  int step = 0;
  canvas.Brush().SetStyle(TBrushStyle::bsSolid);
  for (int i = 0; i < strips; ++i) {
    const int x = rightToLeft ? w.right - 1 - i : w.left + i;
    const bool iconZone = rightToLeft ? (w.right - ColumnWidth() + 5 < x && x < w.right)
                                      : (w.left < x && x < w.left + ColumnWidth() + 5);
    step = std::min(step + (iconZone ? 3 : 1), 96);
    canvas.Brush().SetColor(LightenColor(palette_.IconColumnColor, step));
    canvas.FillRect(Rect(x, w.top, x + 1, w.bottom));
  }
}

void TMenuPainter::PaintBarItem(TObject* sender, TCanvas& canvas, RECT w, TColor barColor,
                                bool rightToLeft) {
  const int l = w.left, t = w.top, r = w.right, b = w.bottom;
  canvas.Brush().SetStyle(TBrushStyle::bsSolid);
  canvas.Brush().SetColor(palette_.HighlightFillColor);
  canvas.FillRect(w);
  canvas.Pen().SetColor(palette_.HighlightBorderColor);
  if (!rightToLeft && dynamic_cast<TMenuItem*>(sender) && high_color_) {
    canvas.MoveTo(l, b - 1);
    canvas.LineTo(l, t);
    canvas.LineTo(r - 8, t);
    canvas.LineTo(r - 8, b);
    // The shadow darkens towards the item.
    struct Shade {
      int n;
      RECT rect;
    };
    for (const Shade& s :
         {Shade{10, Rect(r - 7, t, r, b)}, Shade{30, Rect(r - 7, t + 3, r - 2, b)},
          Shade{60, Rect(r - 7, t + 5, r - 3, b)}, Shade{100, Rect(r - 7, t + 7, r - 4, b)}}) {
      canvas.Brush().SetColor(DarkenColor(barColor, s.n));
      canvas.FillRect(s.rect);
    }
    return;
  }
  const TColor shade = DarkenColor(barColor, 70);
  canvas.Brush().SetColor(shade);
  canvas.MoveTo(l, b - 1);
  canvas.LineTo(l, t);
  canvas.LineTo(r - 3, t);
  canvas.LineTo(r - 3, b);
  canvas.FillRect(Rect(r - 2, t + 2, r, b));
  canvas.Brush().SetColor(barColor);
  canvas.FillRect(Rect(r - 2, t, r, t + 2));
}

void TMenuPainter::PaintControlBarBand(TObject* sender, TControl* /*control*/, TCanvas& canvas,
                                       RECT& rect, TBandPaintOptions& options) {
  if (PaletteDue()) RefreshPalette(canvas);
  options = 0;
  auto* bar = dynamic_cast<TControl*>(sender);
  const TColor color = bar ? bar->Color() : clBtnFace;
  canvas.Brush().SetStyle(TBrushStyle::bsSolid);
  canvas.Brush().SetColor(high_color_ ? LightenColor(color, 6) : color);
  canvas.FillRect(rect);
  int level = 30;
  for (int y = rect.top + 5; y <= rect.bottom - 5; ++y) {
    canvas.Pen().SetColor(DarkenColor(color, level));
    if (y % 2 == 0) {
      canvas.MoveTo(rect.left + 3, y);
      canvas.LineTo(rect.left + 6, y);
      level += 7;
    }
  }
}

namespace {
// Marks a window that runs the frame (the import libraries lack GetWindowSubclass).
const char kPopupFrameProp[] = "QvPopupFrame";
}  // namespace

void TMenuPainter::PaintPopupFrame(HWND window, bool rightToLeft) {
  if (!flat_menu_ || !window || frame_painting_) return;
  WindowDc dc(window, true);
  if (!dc) return;
  frame_painting_ = true;
  ScopeExit done([this] { frame_painting_ = false; });

  TCanvas canvas;
  canvas.SetHandle(dc.get());
  if (PaletteDue()) RefreshPalette(canvas);
  const TPalette& p = palette_;
  RECT f;
  GetWindowRect(window, &f);
  OffsetRect(&f, -f.left, -f.top);

  // The menu window is the system's: subclassed the documented way, once.
  if (!HasPopupFrame(window)) {
    SetWindowSubclass(window, PopupFrameSubclassProc, kPopupFrameSubclassId, 0);
    SetPropA(window, kPopupFrameProp, reinterpret_cast<HANDLE>(1));
  }

  if (!is_win_xp_) {
    // The shadow needs the two corners it does not cover cut away.
    HRGN current = CreateRectRgn(0, 0, 0, 0);
    RECT box{};
    const bool hasRegion = GetWindowRgn(window, current) != ERROR;
    if (hasRegion) GetRgnBox(current, &box);
    DeleteObject(current);
    if (!hasRegion || std::abs(box.right - f.right) > 5 || std::abs(box.bottom - f.bottom) > 5) {
      HRGN a = CreateRectRgn(f.left, f.top, f.right - 2, f.bottom - 2);
      HRGN b = CreateRectRgn(f.left + 2, f.top + 2, f.right, f.bottom);
      CombineRgn(a, a, b, RGN_OR);
      DeleteObject(b);
      if (!SetWindowRgn(window, a, TRUE)) DeleteObject(a);  // the window owns it when set
    }
    f.right -= 2;
    f.bottom -= 2;
  }

  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.Pen().SetColor(p.FrameColor);
  canvas.Rectangle(f.left, f.top, f.right, f.bottom);
  // The system's 3-D edge under the frame is covered with the first item row
  // and, where the system draws its own shadow, with the menu's colour on the
  // side away from the icon column. (Covering the column's side would hide the
  // column in right-to-left menus.)
  HDC h = canvas.Handle();
  const int rowWidth = f.right - f.left - 1;
  if (is_win_xp_) {
    canvas.Pen().SetColor(p.MenuBackColor);
    if (rightToLeft)
      canvas.Rectangle(f.left + 1, f.top + 1, f.left + 3, f.bottom - 1);
    else
      canvas.Rectangle(f.right - 3, f.top + 1, f.right - 1, f.bottom - 1);
  }
  canvas.Pen().SetColor(p.IconColumnColor);
  if (rightToLeft) {
    canvas.MoveTo(f.right - 3, f.top + 2);
    canvas.LineTo(f.right - 2, f.bottom - 1);
  } else {
    canvas.Rectangle(f.left + 1, f.top + 2, f.left + 3, f.bottom - 1);
  }
  StretchBlt(h, f.left + 1, f.top + 1, rowWidth, 2, h, f.left + 1, f.top + 3, rowWidth, 1, SRCCOPY);
  if (is_win_xp_)
    StretchBlt(h, f.left + 1, f.bottom - 3, rowWidth, 2, h, f.left + 1, f.top + 3, rowWidth, 1,
               SRCCOPY);
  f.right += 2;
  f.bottom += 2;
  if (!is_win_xp_) {
    canvas.Pen().SetColor(p.FrameShadowColor);
    canvas.Rectangle(f.left + 2, f.bottom - 2, f.right, f.bottom);
    canvas.Rectangle(f.right - 2, f.top + 2, f.right, f.bottom);
  }
  canvas.SetHandle(nullptr);
}

bool HasPopupFrame(HWND wnd) { return wnd && GetPropA(wnd, kPopupFrameProp) != nullptr; }

void RemovePopupFrame(HWND wnd) {
  RemoveWindowSubclass(wnd, PopupFrameSubclassProc, kPopupFrameSubclassId);
  RemovePropA(wnd, kPopupFrameProp);
}

LRESULT CALLBACK PopupFrameSubclassProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR, DWORD_PTR) {
  if (msg == WM_ERASEBKGND) return 1;
  if ((msg == WM_SHOWWINDOW && !wparam) || msg == WM_CLOSE || msg == WM_DESTROY) {
    RECT r{};
    GetWindowRect(wnd, &r);
    SetWindowRgn(wnd, nullptr, FALSE);
    RemovePopupFrame(wnd);
    const LRESULT result = DefSubclassProc(wnd, msg, wparam, lparam);
    // A cascade's parent popup lies beside this one; its frame showed through.
    HWND under = WindowFromPoint(POINT{r.right + 2, r.top + 2});
    if (!HasPopupFrame(under)) under = WindowFromPoint(POINT{r.right + 2, r.bottom - 2});
    if (HasPopupFrame(under)) InvalidateRect(under, nullptr, FALSE);
    return result;
  }
  return DefSubclassProc(wnd, msg, wparam, lparam);
}

void TMenuPainter::PaintCheckMark(TMenuItem& item, TCanvas& canvas, bool selected, RECT c,
                                  bool hasIcon, bool enabled) {
  const TPalette& p = palette_;
  if (enabled) {
    const bool plainTick = !item.RadioItem && !hasIcon;
    canvas.Pen().SetColor(plainTick ? p.CheckMarkColor : p.HighlightBorderColor);
    canvas.Brush().SetColor(selected ? p.CheckFillHotColor : p.CheckFillColor);
  } else {
    canvas.Pen().SetColor(p.DisabledTextColor);
  }
  canvas.Brush().SetStyle(TBrushStyle::bsSolid);
  if (!item.Checked()) return;

  if (item.RadioItem) {
    if (hasIcon) {
      canvas.RoundRect(c.left, c.top, c.right, c.bottom, 6, 6);
    } else {
      canvas.Ellipse(c.left, c.top, c.right, c.bottom);
      InflateRect(&c, -2, -2);
      canvas.Brush().SetColor(canvas.Pen().Color());
      canvas.Ellipse(c.left, c.top, c.right, c.bottom);
    }
    return;
  }
  canvas.Rectangle(c.left, c.top, c.right, c.bottom);
  if (hasIcon) return;
  canvas.Pen().SetColor(enabled ? clBlack : p.DisabledTextColor);
  const int l = c.left, t = c.top, r = c.right, b = c.bottom;
  const POINT strokes[5][2] = {{{l + 1, t + 5}, {l + 4, b - 2}},
                               {{l + 2, t + 5}, {l + 4, b - 3}},
                               {{l + 2, t + 4}, {l + 5, b - 3}},
                               {{l + 4, b - 3}, {r + 2, t - 1}},
                               {{l + 4, b - 2}, {r - 2, t + 3}}};
  for (const auto& s : strokes) {
    canvas.MoveTo(s[0].x, s[0].y);
    canvas.LineTo(s[1].x, s[1].y);
  }
}

void TMenuPainter::PaintItemIcon(TObject* sender, TCanvas& canvas, TBitmap& icon, RECT column,
                                 bool hot, bool down, bool enabled, bool checked, bool topLevel,
                                 bool rightToLeft) {
  if (icon.Empty() || icon.Width() <= 0 || icon.Height() <= 0) return;
  int x = column.left, y = column.top + 1;
  if (dynamic_cast<TMenuItem*>(sender)) {
    y = column.top + Scaled(3);
    if (icon.Width() < ColumnWidth())
      x = column.left + (ColumnWidth() - icon.Width()) / 2 - 1;
    else
      x = rightToLeft ? column.right - icon.Width() - 2 : column.left + 2;
  }
  if (topLevel) x = rightToLeft ? column.right - icon.Width() - 5 : column.left + 1;

  if (hot && topLevel && enabled && !down) {
    x -= 1;
    y -= 2;
  }
  // A hot icon lifts up and left over its shadow.
  if (hot && !topLevel && enabled && !checked && !down) {
    x -= 1;
    y -= 1;
  }
  if (!hot && enabled && !checked && high_color_) FadeBitmap(icon, dim_level_);
  if (!enabled) {
    GrayOutBitmap(icon, gray_level_);
    FadeBitmap(icon, 40);
  }
  if (hot && enabled && !checked)
    PaintIconShadow(icon, canvas, x + 2, y + 2, DarkenColor(palette_.HighlightFillColor, 50));
  icon.Transparent = true;
  canvas.Draw(x, y, icon);
}

void TMenuPainter::PaintItemText(TObject* /*sender*/, const std::string& text,
                                 const std::string& shortCut, TCanvas& canvas, RECT rect,
                                 bool selected, bool enabled, bool isDefault, bool topLevel,
                                 bool rightToLeft, TFont& font, UINT format) {
  canvas.Font().Assign(font);
  TColor color = selected ? palette_.HighlightTextColor : font.Color();
  if (!enabled) color = palette_.DisabledTextColor;
  if (selected && topLevel && use_system_colors_)
    color = TopItemTextColor(palette_.IconColumnColor);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  format |= DT_EXPANDTABS;

  if (enabled && isDefault) {
    // A soft halo: the text a few times, each a shade darker than what lies under it.
    struct Halo {
      int dl, dt, dr, shade;
    };
    for (const Halo& h :
         {Halo{1, 0, 0, 30}, Halo{1, 2, 1, 30}, Halo{0, 1, 0, 40}, Halo{1, 1, 1, 60}}) {
      RECT r = Rect(rect.left + h.dl, rect.top + h.dt, rect.right + h.dr, rect.bottom);
      canvas.Font().SetColor(
          DarkenColor(static_cast<TColor>(canvas.Pixel(r.left, r.top)), h.shade));
      canvas.DrawText(text, r, format);
    }
  }
  canvas.Font().SetColor(color);
  RECT r = rect;
  canvas.DrawText(text, r, format);

  r = rect;
  UINT shortCutFormat = format & ~static_cast<UINT>(DT_LEFT | DT_CENTER | DT_RIGHT);
  if (rightToLeft) {
    r.left += 10;
    shortCutFormat |= DT_LEFT;
  } else {
    r.right -= 10;
    shortCutFormat |= DT_RIGHT;
  }
  canvas.DrawText(shortCut + " ", r, shortCutFormat);
}

namespace {

const auto registrar =
    PropertyRegistrar<TMenuPainter, TComponent>()
        .Integer("DimLevel", &TMenuPainter::DimLevel, &TMenuPainter::SetDimLevel, "Byte")
        .Integer("GrayLevel", &TMenuPainter::GrayLevel, &TMenuPainter::SetGrayLevel, "Byte")
        .Object(
            "Font", "TFont", [](TMenuPainter& m) { return &m.Font(); },
            [](TMenuPainter& m, TFont* f) {
              if (f) m.SetFont(*f);
            })
        .Color("Color", &TMenuPainter::Color, &TMenuPainter::SetColor)
        .Boolean("DrawMenuBar", &TMenuPainter::DrawMenuBar, &TMenuPainter::SetDrawMenuBar)
        .Color("IconBackColor", &TMenuPainter::IconBackColor, &TMenuPainter::SetIconBackColor)
        .Color("MenuBarColor", &TMenuPainter::MenuBarColor, &TMenuPainter::SetMenuBarColor)
        .Color("SelectColor", &TMenuPainter::SelectColor, &TMenuPainter::SetSelectColor)
        .Color("SelectBorderColor", &TMenuPainter::SelectBorderColor,
               &TMenuPainter::SetSelectBorderColor)
        .Color("SelectFontColor", &TMenuPainter::SelectFontColor, &TMenuPainter::SetSelectFontColor)
        .Color("DisabledColor", &TMenuPainter::DisabledColor, &TMenuPainter::SetDisabledColor)
        .Color("SeparatorColor", &TMenuPainter::SeparatorColor, &TMenuPainter::SetSeparatorColor)
        .Color("CheckedColor", &TMenuPainter::CheckedColor, &TMenuPainter::SetCheckedColor)
        .Integer("IconWidth", &TMenuPainter::IconWidth, &TMenuPainter::SetIconWidth)
        .Boolean("DrawSelect", &TMenuPainter::DrawSelect, &TMenuPainter::SetDrawSelect)
        .Boolean("UseSystemColors", &TMenuPainter::UseSystemColors,
                 &TMenuPainter::SetUseSystemColors)
        .Boolean("UseDimColor", &TMenuPainter::UseDimColor, &TMenuPainter::SetUseDimColor)
        .Boolean("OverrideOwnerDraw", &TMenuPainter::OverrideOwnerDraw,
                 &TMenuPainter::SetOverrideOwnerDraw)
        .Boolean("Gradient", &TMenuPainter::Gradient, &TMenuPainter::SetGradient)
        .Boolean("FlatMenu", &TMenuPainter::FlatMenu, &TMenuPainter::SetFlatMenu)
        .Boolean("AutoDetect", &TMenuPainter::AutoDetect, &TMenuPainter::SetAutoDetect)
        .Set("FlatContainers", "TFlatContainers",
             {"xccForm", "xccFrame", "xccToolbar", "xccCoolbar", "xccControlbar", "xccPanel",
              "xccScrollBox", "xccGroupBox", "xccTabSheet", "xccPageScroller"},
             &TMenuPainter::FlatContainers, &TMenuPainter::SetFlatContainers)
        .Set("FlatControls", "TFlatControls",
             {"xcMainMenu",    "xcPopupMenu",   "xcToolbar",     "xcControlbar", "xcCombo",
              "xcListBox",     "xcEdit",        "xcMaskEdit",    "xcMemo",       "xcRichEdit",
              "xcMiscEdit",    "xcCheckBox",    "xcRadioButton", "xcButton",     "xcBitBtn",
              "xcSpeedButton", "xcUpDown",      "xcPanel",       "xcGroupBox",   "xcTreeView",
              "xcListView",    "xcProgressBar", "xcHotKey"},
             &TMenuPainter::FlatControls, &TMenuPainter::SetFlatControls)
        .Boolean("Active", &TMenuPainter::Active, &TMenuPainter::SetActive)
        .Boolean("DisableSubclassing", &TMenuPainter::DisableSubclassing,
                 &TMenuPainter::SetDisableSubclassing);

}  // namespace

}  // namespace qv
