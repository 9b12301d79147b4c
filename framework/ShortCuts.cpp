#include "framework/ShortCuts.h"

#include <cstddef>

#include "framework/SysUtils.h"

namespace qv {

namespace {

struct KeyName {
  std::uint8_t key;
  const char* name;
};

// Named keys besides digits, letters and F1-F24, by virtual-key code.
constexpr KeyName kKeyNames[] = {
    {0x08, "BkSp"}, {0x09, "Tab"},   {0x0D, "Enter"}, {0x1B, "Esc"},  {0x20, "Space"},
    {0x21, "PgUp"}, {0x22, "PgDn"},  {0x23, "End"},   {0x24, "Home"}, {0x25, "Left"},
    {0x26, "Up"},   {0x27, "Right"}, {0x28, "Down"},  {0x2D, "Ins"},  {0x2E, "Del"},
};

constexpr unsigned kF1 = 0x70;
constexpr unsigned kFunctionKeys = 24;

// The key code a name stands for, or 0.
unsigned KeyFromName(const std::string& name) {
  if (name.empty()) return 0;
  if (name.size() == 1) {
    const char c = name[0];
    if (c >= '0' && c <= '9') return static_cast<unsigned char>(c);
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c);
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
    return 0;
  }
  for (const KeyName& k : kKeyNames)
    if (SameText(name, k.name)) return k.key;
  // "F" and 1 to 24 written plainly; "F05" or "F0" name nothing.
  if ((name[0] == 'F' || name[0] == 'f') && name.size() <= 3 && name[1] != '0') {
    unsigned n = 0;
    for (size_t i = 1; i < name.size(); ++i) {
      if (name[i] < '0' || name[i] > '9') return 0;
      n = n * 10 + static_cast<unsigned>(name[i] - '0');
    }
    if (n >= 1 && n <= kFunctionKeys) return kF1 + n - 1;
  }
  return 0;
}

std::string NameOfKey(unsigned key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
    return std::string(1, static_cast<char>(key));
  // Appended rather than "F" + ..., which GCC 12 at -O3 flags with a false -Wrestrict.
  if (key >= kF1 && key < kF1 + kFunctionKeys)
    return std::string("F").append(std::to_string(key - kF1 + 1));
  for (const KeyName& k : kKeyNames)
    if (k.key == key) return k.name;
  return std::string();
}

// Consumes a prefix (letter case ignored) at pos when it is there.
bool TakePrefix(const std::string& text, size_t& pos, const char* prefix) {
  const std::string p(prefix);
  if (text.size() - pos < p.size() || !SameText(text.substr(pos, p.size()), p)) return false;
  pos += p.size();
  return true;
}

}  // namespace

TShortCut TextToShortCut(const std::string& text) {
  unsigned modifiers = 0;
  size_t pos = 0;
  for (;;) {
    if (TakePrefix(text, pos, "Shift+")) {
      modifiers |= scShift;
    } else if (TakePrefix(text, pos, "Ctrl+") || TakePrefix(text, pos, "^")) {
      modifiers |= scCtrl;
    } else if (TakePrefix(text, pos, "Alt+")) {
      modifiers |= scAlt;
    } else {
      break;
    }
  }
  const unsigned key = KeyFromName(text.substr(pos));
  if (key == 0) return 0;
  return static_cast<TShortCut>(key | modifiers);
}

std::string ShortCutToText(TShortCut shortCut) {
  const std::string name = NameOfKey(shortCut & scKeyMask);
  if (name.empty()) return name;
  std::string text;
  if (shortCut & scShift) text += "Shift+";
  if (shortCut & scCtrl) text += "Ctrl+";
  if (shortCut & scAlt) text += "Alt+";
  return text + name;
}

unsigned HotKeyModifiers(TShortCut shortCut) {
  unsigned mods = 0;
  if (shortCut & scAlt) mods |= 1;
  if (shortCut & scCtrl) mods |= 2;
  if (shortCut & scShift) mods |= 4;
  return mods;
}

std::uint8_t HotKeyVirtualKey(TShortCut shortCut) {
  return static_cast<std::uint8_t>(shortCut & scKeyMask & 0xFF);
}

}  // namespace qv
