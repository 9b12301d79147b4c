#pragma once
// What the Settings values may be: which hot keys the program can sensibly hold,
// the paste delay's range, and which stored placements still leave a usable
// dialog. Pure rules; the forms apply them.

#include <optional>
#include <string>
#include <vector>

#include "framework/ShortCuts.h"

namespace qv {

// The hot key of the design, used when a stored choice cannot be.
inline constexpr char kDesignHotKeyText[] = "Ctrl+Alt+Down";

enum class THotKeyProblem {
  hkOk,
  hkNoKey,         // the text names no key
  hkTypingKey,     // would swallow ordinary typing everywhere
  hkClipboardKey,  // would take the clipboard keys (and the program's own Ctrl+V)
};

// Function and navigation keys alone are fine; a key that types, alone or with
// Shift, is not; neither are Ctrl+C/V/X, Ctrl+Ins, Shift+Ins and Shift+Del.
THotKeyProblem CheckHotKey(TShortCut key);

// "'A' cannot be the hot key: ...". One sentence.
std::string HotKeyRefusedMessage(const std::string& text, THotKeyProblem problem);
// Names the key, says who has it and what to do, one sentence each.
std::string HotKeyHeldMessage(const std::string& text);

inline constexpr int kDesignPasteDelay = 100;
inline constexpr int kMaxPasteDelay = 5000;

struct TPasteDelayChoice {
  int Milliseconds = kDesignPasteDelay;
  // False when the text is no whole number, or one outside 0..kMaxPasteDelay;
  // Milliseconds then holds what is used instead.
  bool Valid = true;
  // False for a text that is no whole number at all.
  bool WholeNumber = true;
};
// A whole number within 0..kMaxPasteDelay; no number gives the design's 100,
// one out of range the nearest end of the range.
TPasteDelayChoice ReadPasteDelay(const std::string& text);
std::string PasteDelayOutOfRangeMessage(const std::string& text);
// Said once at start about a stored delay that could not be used.
std::string PasteDelayReplacedMessage(const std::string& text, const TPasteDelayChoice& used);

// The Settings as a value: what the dialog edits, OK applies and the main window puts in
// force.
struct TSettings {
  std::string HotKey = kDesignHotKeyText;  // as the hot-key choice writes it
  int PasteDelay = kDesignPasteDelay;      // milliseconds
  bool AutoSave = false;
  bool SuppressSaving = false;
};
// The dialog's entries, as typed or stored.
struct TSettingsEntry {
  std::string HotKey = kDesignHotKeyText;
  std::string PasteDelay = std::to_string(kDesignPasteDelay);
  bool AutoSave = false;
  bool SuppressSaving = false;
};
// Stored entries at start: a value that cannot work is replaced (the design's hot key; the
// nearest delay, or the design's for no number) and each replacement said in notes, so the
// user hears of it once and the file is mended when it is next written.
TSettings MendStoredSettings(const TSettingsEntry& stored, std::vector<std::string>& notes);
// Entries for OK: the settings, or nothing and the reason in refusal. A delay that is no
// whole number raises EConvertError, as every number field does.
std::optional<TSettings> AcceptSettings(const TSettingsEntry& entered, std::string& refusal);

// Starting with Windows: a value under the user's Run key holds the command line.
inline constexpr char kStartupValueName[] = "Quorvel Vavad";
// The exe's full path in quotes, so that a path with spaces stays one program.
std::string StartupCommand(const std::string& exePath);
// Whether a Run value starts this exe: its quoted path, or the whole text when it is
// not quoted, names it (letter case aside, as Windows compares paths).
bool StartsThisExe(const std::string& command, const std::string& exePath);
// The program a Run value starts, as StartsThisExe reads it.
std::string StartupProgram(const std::string& command);
// The folders on a program's full path, innermost first, down to its drive's root or its
// share (C:\ or \\server\share\ with its separator): where to look whether it is surely gone. Empty
// for a path that cannot be checked: not a full one, or one holding a %VARIABLE%.
std::vector<std::string> StartupProgramFolders(const std::string& program);

struct TScreenRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// Whether a window at this place could still be reached and dragged: enough of
// its top strip (where the caption is) lies on one of the monitors' work areas.
bool IsReachablePlacement(const TScreenRect& window, const std::vector<TScreenRect>& workAreas);

}  // namespace qv
