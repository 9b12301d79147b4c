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

}  // namespace qv
