#include "app/RecallRules.h"

#include "framework/TextBuffer.h"

namespace qv {

int SlotOfKey(unsigned key) {
  if (key >= '1' && key <= '9') return static_cast<int>(key - '1');
  if (key == '0') return 9;
  if (key >= 'A' && key <= 'Z') return 10 + static_cast<int>(key - 'A');
  return -1;
}

char SlotLabel(int slot) {
  if (slot >= 0 && slot <= 8) return static_cast<char>('1' + slot);
  if (slot == 9) return '0';
  if (slot >= 10 && slot <= 35) return static_cast<char>('A' + slot - 10);
  return '\0';
}

std::string LineLabel(int index) {
  if (const char label = SlotLabel(index)) return std::string(1, label);
  return std::to_string(index + 1);
}

std::string RowPlace(int row, int count) {
  std::string place = std::to_string(row + 1) + " of " + std::to_string(count);
  // The labels stand beside the first two rounds of rows.
  if (row >= 0 && row < 2 * kSlotCount)
    place += std::string(", slot ") + SlotLabel(row % kSlotCount);
  return place;
}

int IndexOfLineLabel(const std::string& name) {
  if (name.size() == 1) {
    const char c = name[0];
    return SlotOfKey(static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
  }
  if (name.empty() || name.size() > 9 || name[0] == '0' ||
      name.find_first_not_of("0123456789") != std::string::npos)
    return -1;
  return std::stoi(name) - 1;
}

int SlotLine(int slot, int topIndex) { return topIndex > slot ? slot + kSlotCount : slot; }

std::string WithRecallSuffix(std::string text, bool plusCrLf, bool plusCrLfLf) {
  if (plusCrLf)
    text += "\r\n";
  else if (plusCrLfLf)
    text += "\r\n\n";
  return text;
}

std::string PreviewHintText(const std::string& gathered) {
  constexpr size_t kHintLines = 45;
  // The broken bar U+00A6, in UTF-8.
  std::string text;
  for (char c : gathered) {
    if (c == '|')
      text.append("\xC2\xA6");
    else
      text.push_back(c);
  }
  TTextBuffer lines;
  lines.SetText(text);
  std::string hint;
  for (size_t i = 0; i < lines.LineCount() && i < kHintLines; ++i) {
    if (i > 0) hint += "\r\n";
    hint += lines.Line(i);
    if (i == kHintLines - 1) hint += "...";
  }
  return hint;
}

bool IsPasteSpoilingModifier(std::uint8_t vk) {
  return vk == 0xA0 || vk == 0xA1 || vk == 0xA4 || vk == 0xA5 || vk == 0x5B || vk == 0x5C;
}

std::vector<TKeyStroke> ExactCtrlVStrokes(const std::vector<std::uint8_t>& held) {
  constexpr std::uint8_t kCtrl = 0x11, kV = 'V';
  std::vector<TKeyStroke> strokes{{kCtrl, false}};
  for (std::uint8_t vk : held)
    if (IsPasteSpoilingModifier(vk)) strokes.push_back({vk, true});
  strokes.insert(strokes.end(), {{kV, false}, {kV, true}, {kCtrl, true}});
  return strokes;
}

}  // namespace qv
