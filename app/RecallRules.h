#pragma once
// The pure rules of recall and preview: which line a slot key picks, the
// suffix a recall adds, and the text a preview hint shows.

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// The slots: "1".."9", "0", "A".."Z".
constexpr int kSlotCount = 36;

// Slot of a virtual-key code: "1".."9" are 0..8, "0" is 9, "A".."Z" are 10..35;
// -1 for every other key (the numeric keypad and function keys included).
int SlotOfKey(unsigned key);

// The label of a slot (0..35): '1'..'9', '0', 'A'..'Z'; '\0' for any other number.
char SlotLabel(int slot);

// How a line of the clip list is named outside the window: the label beside it while the
// list is at its top for the first 36 lines, then its line number counted from 1.
std::string LineLabel(int index);
// The list index a name gives: a label (letters in either case), or a line number from 1
// ("1".."9" name the same lines either way, "0" is the tenth); -1 for anything else.
int IndexOfLineLabel(const std::string& name);

// Where a shown row of count is, as a screen reader says it: "3 of 40", with the slot label
// beside it for the rows that have one ("3 of 40, slot C").
std::string RowPlace(int row, int count);

// The list line a slot picks while the list shows topIndex as its first line:
// the label of the second column (slot + 36) once the list is scrolled past it.
int SlotLine(int slot, int topIndex);

// The text a recall puts on the clipboard: "+cR" adds CR LF, else "+CR" adds
// CR LF LF.
std::string WithRecallSuffix(std::string text, bool plusCrLf, bool plusCrLfLf);

// A preview hint (UTF-8 in and out): "|" (the end of a short hint) shown as a broken bar, at most
// 45 lines, the 45th ending with "..." whenever the text has that many.
std::string PreviewHintText(const std::string& gathered);

// One synthetic key event: a virtual-key code going down or up.
struct TKeyStroke {
  std::uint8_t Vk;
  bool Up;
  friend bool operator==(const TKeyStroke&, const TKeyStroke&) = default;
};

// The keys that turn Ctrl+V into another key when still held: left and right
// Shift (0xA0, 0xA1), Alt (0xA4, 0xA5) and Windows (0x5B, 0x5C).
bool IsPasteSpoilingModifier(std::uint8_t vk);

// Exactly Ctrl+V while the given keys are held down: Ctrl goes down first (so
// letting Alt or the Windows key up opens no menu), then every held Shift, Alt
// and Windows key goes up, then V down, V up, Ctrl up. Other keys are ignored.
std::vector<TKeyStroke> ExactCtrlVStrokes(const std::vector<std::uint8_t>& held);

}  // namespace qv
