#pragma once
// Shortcut values: the 16-bit form in which menus and the hot key keep a key with
// its modifiers, and the texts ("Ctrl+Alt+Down", "F5") users and settings give them in.

#include <cstdint>
#include <string>

namespace qv {

// Bits 0-12 hold the key code (its low 8 bits are the virtual-key code); the top
// three bits are the modifiers.
using TShortCut = std::uint16_t;

constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scKeyMask = 0x1FFF;

// Modifier prefixes "Shift+", "Ctrl+" (or "^") and "Alt+" in any order and letter
// case, then a key name compared without regard to case. An empty or unknown key
// name gives 0.
TShortCut TextToShortCut(const std::string& text);

// "Shift+Ctrl+Alt+Key" in that order, as a menu shows it; "" for 0 or for a key
// code that has no name.
std::string ShortCutToText(TShortCut shortCut);

// The RegisterHotKey view of a shortcut: modifier bits MOD_ALT 1, MOD_CONTROL 2,
// MOD_SHIFT 4 (nothing else, in particular never the Windows key), and the
// virtual-key code, which is only the low 8 bits of the key code.
unsigned HotKeyModifiers(TShortCut shortCut);
std::uint8_t HotKeyVirtualKey(TShortCut shortCut);

}  // namespace qv
