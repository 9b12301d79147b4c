#include "settings/SettingsRules.h"

#include <algorithm>

#include "framework/SysUtils.h"

namespace qv {

namespace {

constexpr unsigned kVkPageUp = 0x21, kVkDown = 0x28, kVkInsert = 0x2D, kVkDelete = 0x2E,
                   kVkF1 = 0x70, kVkF24 = 0x87;

bool IsFunctionKey(unsigned vk) { return vk >= kVkF1 && vk <= kVkF24; }
// PgUp, PgDn, End, Home and the four arrows.
bool IsNavigationKey(unsigned vk) { return vk >= kVkPageUp && vk <= kVkDown; }

}  // namespace

THotKeyProblem CheckHotKey(TShortCut key) {
  const unsigned vk = HotKeyVirtualKey(key);
  if (vk == 0) return THotKeyProblem::hkNoKey;
  const TShortCut mods = key & (scShift | scCtrl | scAlt);
  if ((mods == scCtrl && (vk == 'C' || vk == 'V' || vk == 'X' || vk == kVkInsert)) ||
      (mods == scShift && (vk == kVkInsert || vk == kVkDelete)))
    return THotKeyProblem::hkClipboardKey;
  if (mods == 0 && (IsFunctionKey(vk) || IsNavigationKey(vk))) return THotKeyProblem::hkOk;
  if (mods == scShift && IsFunctionKey(vk)) return THotKeyProblem::hkOk;
  // Without Ctrl or Alt every other key is part of ordinary typing or editing.
  if ((mods & (scCtrl | scAlt)) == 0) return THotKeyProblem::hkTypingKey;
  return THotKeyProblem::hkOk;
}

std::string HotKeyRefusedMessage(const std::string& text, THotKeyProblem problem) {
  const std::string start = "'" + text + "' cannot be the hot key: ";
  switch (problem) {
    case THotKeyProblem::hkNoKey:
      return start + "it names no key.";
    case THotKeyProblem::hkTypingKey:
      return start + "it would take a key away from ordinary typing in every program.";
    case THotKeyProblem::hkClipboardKey:
      return start + "it would take a clipboard key away from every program.";
    case THotKeyProblem::hkOk:
      break;
  }
  return std::string();
}

std::string HotKeyHeldMessage(const std::string& text) {
  return "Another program holds the hot key " + text +
         ", so it cannot bring up the clips.\r\nChoose another hot key in Settings.";
}

TPasteDelayChoice ReadPasteDelay(const std::string& text) {
  // Digits only (an optional sign), so that "1e3" or " 5" are no numbers here either.
  size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  if (i == text.size()) return {kDesignPasteDelay, false, false};
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return {kDesignPasteDelay, false, false};
    value = std::min<long long>(value * 10 + (text[i] - '0'), 1LL << 40);
  }
  if (text[0] == '-') value = -value;
  if (value < 0) return {0, false, true};
  if (value > kMaxPasteDelay) return {kMaxPasteDelay, false, true};
  return {static_cast<int>(value), true, true};
}

std::string PasteDelayOutOfRangeMessage(const std::string& text) {
  return "The paste delay " + text + " is not between 0 and " + std::to_string(kMaxPasteDelay) +
         " milliseconds.";
}

std::string PasteDelayReplacedMessage(const std::string& text, const TPasteDelayChoice& used) {
  const std::string instead = std::to_string(used.Milliseconds) + " is used instead.";
  if (!used.WholeNumber)
    return "The paste delay '" + text + "' is not a whole number of milliseconds; " + instead;
  return "The paste delay " + text + " is not between 0 and " + std::to_string(kMaxPasteDelay) +
         " milliseconds; " + instead;
}

TSettings MendStoredSettings(const TSettingsEntry& stored, std::vector<std::string>& notes) {
  TSettings settings;
  settings.HotKey = stored.HotKey;
  const THotKeyProblem problem = CheckHotKey(TextToShortCut(stored.HotKey));
  if (problem != THotKeyProblem::hkOk) {
    notes.push_back(HotKeyRefusedMessage(stored.HotKey, problem) + " " + kDesignHotKeyText +
                    " is used instead.");
    settings.HotKey = kDesignHotKeyText;
  }
  const TPasteDelayChoice delay = ReadPasteDelay(stored.PasteDelay);
  if (!delay.Valid) notes.push_back(PasteDelayReplacedMessage(stored.PasteDelay, delay));
  settings.PasteDelay = delay.Milliseconds;
  settings.AutoSave = stored.AutoSave;
  settings.SuppressSaving = stored.SuppressSaving;
  return settings;
}

std::optional<TSettings> AcceptSettings(const TSettingsEntry& entered, std::string& refusal) {
  const THotKeyProblem problem = CheckHotKey(TextToShortCut(entered.HotKey));
  if (problem != THotKeyProblem::hkOk) {
    refusal = HotKeyRefusedMessage(entered.HotKey, problem);
    return std::nullopt;
  }
  const int delay = StrToInt(entered.PasteDelay);
  if (delay < 0 || delay > kMaxPasteDelay) {
    refusal = PasteDelayOutOfRangeMessage(entered.PasteDelay);
    return std::nullopt;
  }
  return TSettings{entered.HotKey, delay, entered.AutoSave, entered.SuppressSaving};
}

bool IsReachablePlacement(const TScreenRect& window, const std::vector<TScreenRect>& workAreas) {
  // The strip a user grabs to move it: the top 20 pixels, of which at least
  // 40 pixels (or the whole width, when narrower) must be on one monitor.
  constexpr int kStrip = 20, kGrab = 40;
  const int width = window.Right - window.Left;
  if (width <= 0 || window.Bottom <= window.Top) return false;
  const int need = std::min(width, kGrab);
  const int stripBottom = std::min(window.Bottom, window.Top + kStrip);
  for (const TScreenRect& area : workAreas) {
    const int w = std::min(window.Right, area.Right) - std::max(window.Left, area.Left);
    const int h = std::min(stripBottom, area.Bottom) - std::max(window.Top, area.Top);
    if (w >= need && h > 0) return true;
  }
  return false;
}

std::string StartupCommand(const std::string& exePath) { return "\"" + exePath + "\""; }

std::string StartupProgram(const std::string& command) {
  const std::string text = Trim(command);
  if (text.empty() || text[0] != '"') return text;
  const size_t close = text.find('"', 1);
  return text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
}

std::vector<std::string> StartupProgramFolders(const std::string& program) {
  const auto separator = [](char c) { return c == '\\' || c == '/'; };
  const auto nextSeparator = [&](size_t from) {
    while (from < program.size() && !separator(program[from])) ++from;
    return from;
  };
  // Windows runs a Run value with its variables expanded; unexpanded, it names nothing.
  if (program.find('%') != std::string::npos) return {};
  size_t root = 0;  // the length of the drive's root or the share, its separator included
  const char drive = static_cast<char>(program.empty() ? 0 : program[0] | 0x20);
  if (program.size() > 3 && drive >= 'a' && drive <= 'z' && program[1] == ':' &&
      separator(program[2])) {
    root = 3;
  } else if (program.size() > 2 && separator(program[0]) && separator(program[1]) &&
             program[2] != '?' && program[2] != '.') {
    const size_t server = nextSeparator(2);
    const size_t share = nextSeparator(server + 1);
    if (server == 2 || share == server + 1 || share >= program.size()) return {};
    root = share + 1;
  } else {
    return {};
  }
  std::vector<std::string> folders;
  for (size_t at = nextSeparator(root); at < program.size(); at = nextSeparator(at + 1))
    folders.push_back(program.substr(0, at));
  std::reverse(folders.begin(), folders.end());
  folders.push_back(program.substr(0, root));
  return folders;
}

bool StartsThisExe(const std::string& command, const std::string& exePath) {
  return !exePath.empty() && SameText(StartupProgram(command), exePath);
}

}  // namespace qv
