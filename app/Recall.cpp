#include "app/Recall.h"

#include "framework/TextBuffer.h"

namespace qv {

int SlotOfKey(unsigned key) {
  if (key >= '1' && key <= '9') return static_cast<int>(key - '1');
  if (key == '0') return 9;
  if (key >= 'A' && key <= 'Z') return 10 + static_cast<int>(key - 'A');
  return -1;
}

int SlotLine(int slot, int topIndex) { return topIndex > slot ? slot + 36 : slot; }

std::string WithRecallSuffix(std::string text, bool plusCrLf, bool plusCrLfLf) {
  if (plusCrLf)
    text += "\r\n";
  else if (plusCrLfLf)
    text += "\r\n\n";
  return text;
}

std::string PreviewHintText(const std::string& gathered) {
  constexpr size_t kHintLines = 45;
  std::string text = gathered;
  for (char& c : text)
    if (c == '|') c = '\xA6';
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
