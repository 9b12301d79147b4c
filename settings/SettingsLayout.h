#pragma once
// Where the Settings dialog's controls go. The design places them for the fonts of
// Windows; under other fonts a caption or a choice can be wider than its control.
// Such a control is widened, what it would then cover moves right, and the dialog
// grows: nothing is ever smaller than the design, so when every text fits the
// dialog is exactly the design. All values are pixels of one scale: the caller
// measures the texts in the font the controls use and gives the design in the same
// pixels.

namespace qv {

struct TBox {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int Right() const { return Left + Width; }
  bool operator==(const TBox&) const = default;
};

struct TSettingsLayout {
  int ClientWidth = 0, ClientHeight = 0;
  TBox TitlePanel, TitleLabel, MakerLabel;  // the labels inside the panel
  TBox AutoSave, Suppress, Sort;
  TBox HotKeyLabel, DelayLabel, HotKey, Delay;
  TBox Ok, Startup;
  bool operator==(const TSettingsLayout&) const = default;
};

// The design at 96 DPI. The labels' widths are those of their captions, so the design
// leaves them 0.
TSettingsLayout SettingsDesign();

// Widths of texts in the font the controls use, and what the controls around a text
// take from their width.
struct TSettingsTextWidths {
  int CheckBoxGlyph = 0;  // the box and the gap before the caption
  int AutoSave = 0, Suppress = 0, Startup = 0;
  int ComboChrome = 0;                    // frame, button and the edit field's margins
  int HotKeyChoice = 0, DelayChoice = 0;  // the widest choice of each list
  int HotKeyLabel = 0, DelayLabel = 0, TitleLabel = 0, MakerLabel = 0;
};

TSettingsLayout FitSettingsTexts(const TSettingsLayout& design, const TSettingsTextWidths& widths);

}  // namespace qv
