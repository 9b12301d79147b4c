#include "qvclips/Commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "app/ClipStore.h"
#include "app/RecallRules.h"
#include "framework/CodePage.h"
#include "framework/FileIO.h"
#include "framework/SysUtils.h"
#include "qvclips/ClipFiles.h"

namespace qv {

namespace {

constexpr char kProgramFile[] = "qvavad.exe";

std::string WithSeparator(std::string folder, char separator) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += separator;
  return folder;
}

bool HoldsClipFiles(const std::string& folder, const TClipsHost& host) {
  const std::string at = WithSeparator(folder, host.separator);
  return host.isFile(at + kClipListFile) || host.isFile(at + kClipStoreFile);
}

// The folder given, else that of a program beside the tool, else the current one; but
// when that holds no clip file and the program's fallback folder does, the fallback (a
// program that cannot write its own folder keeps its files there).
std::string ChooseFolder(const std::string& given, const TClipsHost& host) {
  if (!given.empty()) return given;
  const std::string own = host.exeFolder();
  const std::string first =
      !own.empty() && host.isFile(WithSeparator(own, host.separator) + kProgramFile)
          ? own
          : host.currentFolder();
  const std::string fallback = host.fallbackFolder ? host.fallbackFolder() : std::string();
  if (fallback.empty() || HoldsClipFiles(first, host) || !HoldsClipFiles(fallback, host))
    return first;
  return fallback;
}

// UTF-8 for a terminal: a control character (C0, DEL, C1) as \xHH with its code, so that
// no escape sequence in a copied text reaches the terminal, and a backslash as \\, so that
// the form stays unambiguous. A byte that is not UTF-8 is shown as \xHH too.
std::string Escaped(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const size_t n = Utf8SequenceAt(utf8, i);
    unsigned code = b;
    if (n == 2 && b == 0xC2 && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
      code = static_cast<unsigned char>(utf8[i + 1]);  // U+0080..U+009F
    } else if (n > 1 || (n == 1 && b >= 0x20 && b != 0x7F)) {
      if (b == '\\') out += '\\';
      out.append(utf8.substr(i, n));
      i += n;
      continue;
    }
    out += "\\x";
    out += kHex[code >> 4];
    out += kHex[code & 0xF];
    i += std::max<size_t>(n, 1);
  }
  return out;
}

// Slot, id and a text in three columns, in UTF-8 and escaped; "-" for a line without an id.
std::string ClipRow(const TClip& clip, std::string_view utf8Text, const TClipsHost& host) {
  std::string row = clip.label;
  row.resize(std::max<size_t>(row.size() + 1, 4), ' ');
  // An id is digits as the program writes it, but a list edited by hand may hold anything.
  row += clip.id ? Escaped(host.toUtf8(*clip.id, 0)) : "-";
  row.resize(std::max(row.size() + 2, 4 + kClipIdLength + 2), ' ');
  row += Escaped(utf8Text);
  return row;
}

int List(const TClipPair& pair, std::ostream& out, const TClipsHost& host) {
  for (TClip clip : ClipsOf(pair)) {
    // A kept clip: a star after its slot.
    if (pair.History().Kept(clip.index)) clip.label += '*';
    out << ClipRow(clip, host.toUtf8(ListLineDisplay(clip.line), 0), host) << '\n';
  }
  return kExitOk;
}

int Delete(TClipPair& pair, const std::string& which, std::ostream& out, std::ostream& err,
           const TClipsHost& host) {
  if (host.programRunning(pair.Folder())) {
    err << "Quorvel Vavad is running from " << pair.Folder()
        << ": delete the clip there (Delete in its clip window), or quit it first\n";
    return kExitError;
  }
  TClipHistory& history = pair.History();
  int index = -1;
  if (which.size() == kClipIdLength) {
    for (int i = 0; i < history.Count() && index < 0; ++i)
      if (const auto id = history.IdOf(i); id && UpperCase(*id) == UpperCase(which)) index = i;
    if (index < 0) {
      err << "No line of " << pair.ListPath() << " has the clip id " << which << '\n';
      return kExitNotFound;
    }
  } else {
    index = IndexOfLineLabel(which);
    if (index < 0) {
      err << "'" << which
          << "' is neither a slot (1-9, 0, A-Z), a line number nor a 13-character clip id\n";
      return kExitError;
    }
    if (index >= history.Count()) {
      err << "No clip at slot " << which << ": the list has " << history.Count() << " lines\n";
      return kExitNotFound;
    }
  }
  const std::string id = history.IdOf(index).value_or("-");
  pair.Files().FollowChanges();
  history.Delete(index);
  // The program's own save: the files written whole, the journal (which still held the
  // text) ended, the copies set aside scrubbed of it.
  pair.Files().Save();
  out << "deleted clip " << id << '\n';
  return kExitOk;
}

// A clip's text in UTF-8, as a paste gives it: its exact text where it has one, else its
// 8-bit text from the code page.
std::string Utf8Text(std::string_view text, const std::string* exact, const TClipsHost& host) {
  return exact ? *exact : host.toUtf8(text, 0);
}

int Show(const TClipPair& pair, const std::string& which, std::ostream& out, std::ostream& err,
         const TClipsHost& host) {
  std::optional<std::string_view> text;
  const std::string* exact = nullptr;
  if (which.size() == kClipIdLength) {
    text = pair.Store().TextOf(which);
    exact = pair.ExactOf(which);
    if (!text) {
      err << "No clip has the id " << which << " in " << pair.StorePath() << '\n';
      return kExitNotFound;
    }
  } else {
    const int index = IndexOfLineLabel(which);
    if (index < 0) {
      err << "'" << which
          << "' is neither a slot (1-9, 0, A-Z), a line number nor a 13-character clip id\n";
      return kExitError;
    }
    const std::vector<TClip> clips = ClipsOf(pair);
    if (index >= static_cast<int>(clips.size())) {
      err << "No clip at slot " << which << ": the list has " << clips.size() << " lines\n";
      return kExitNotFound;
    }
    const TClip& clip = clips[static_cast<size_t>(index)];
    if (!clip.id) {
      err << "The line at slot " << which << " has no clip id\n";
      return kExitNotFound;
    }
    if (!clip.text) {
      err << "The text of clip " << *clip.id << " (slot " << which << ") is missing from "
          << pair.StorePath() << '\n';
      return kExitNotFound;
    }
    text = clip.text;
    exact = clip.exact;
  }
  out << Utf8Text(*text, exact, host);
  return kExitOk;
}

// findText is UTF-8, and so is every text searched: there a byte match is always one of
// whole characters, while in a double-byte code page a word could match the second byte of
// a character.
int Search(const TClipPair& pair, const std::string& findText, std::ostream& out,
           const TClipsHost& host) {
  const std::vector<std::string> words = FindWords(findText);
  int found = 0;
  std::string converted;
  for (const TClip& clip : ClipsOf(pair)) {
    if (!clip.text) continue;
    // The exact text where there is one: what the user copied.
    if (!clip.exact) converted = host.toUtf8(*clip.text, 0);
    const std::string_view text = clip.exact ? std::string_view(*clip.exact) : converted;
    if (!HoldsEveryWord(text, words)) continue;
    // The line of the first word shows where it matched.
    const size_t at = words.empty() ? 0 : FindIgnoringCase(text, words.front());
    out << ClipRow(clip, LineAround(text, at), host) << '\n';
    ++found;
  }
  return found ? kExitOk : kExitNotFound;
}

int Export(const TClipPair& pair, bool json, unsigned codePage, std::ostream& out,
           const TClipsHost& host) {
  const std::vector<TClip> clips = ClipsOf(pair);
  if (!json) {
    for (const TClip& clip : clips) {
      out << "=== " << clip.label << ' ' << clip.id.value_or("-") << '\n';
      if (clip.text) out << Utf8Text(*clip.text, clip.exact, host);
      out << '\n';
    }
    return kExitOk;
  }
  host.toUtf8("", codePage);  // an unknown code page stops the export before it starts
  nlohmann::ordered_json all = nlohmann::ordered_json::array();
  for (const TClip& clip : clips) {
    nlohmann::ordered_json item;
    item["slot"] = clip.label;
    // An id is digits as the program writes it, but a list edited by hand may hold anything.
    item["id"] = clip.id ? nlohmann::ordered_json(host.toUtf8(*clip.id, codePage)) : nullptr;
    item["text"] = clip.exact  ? nlohmann::ordered_json(*clip.exact)
                   : clip.text ? nlohmann::ordered_json(host.toUtf8(*clip.text, codePage))
                               : nullptr;
    all.push_back(std::move(item));
  }
  out << all.dump(2) << '\n';
  return kExitOk;
}

int Check(const TClipPair& pair, std::ostream& out) {
  const std::vector<TFinding> findings = CheckClipPair(pair);
  int problems = 0;
  for (const TFinding& finding : findings) {
    out << (finding.problem ? "" : "note: ") << finding.text << '\n';
    problems += finding.problem ? 1 : 0;
  }
  if (problems == 0) {
    out << "sound: " << pair.History().Count() << " list lines, " << pair.Store().Size()
        << " characters of clip texts\n";
    return kExitOk;
  }
  out << problems << (problems == 1 ? " problem\n" : " problems\n");
  return kExitNotFound;
}

// Copies a file to "<path>.bak" (or .bak1, .bak2... when that exists); returns the copy.
std::string SetAside(const std::string& path, const TClipsHost& host) {
  std::string bytes;
  ReadWholeFileOrRaise(path, bytes);
  std::string aside = path + ".bak";
  for (int n = 1; host.isFile(aside) && n < 100; ++n) aside = path + ".bak" + std::to_string(n);
  if (host.isFile(aside)) throw EFCreateError(MsgCannotCreateFile(aside));
  WriteFileAtomicallyOrRaise(aside, bytes);
  return aside;
}

uint32_t TickCount() {
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

int Repair(TClipPair& pair, std::ostream& out, std::ostream& err, const TClipsHost& host) {
  if (host.programRunning(pair.Folder())) {
    err << "Quorvel Vavad is running from " << pair.Folder()
        << ": quit it first, or it will write its own files over the repaired ones\n";
    return kExitError;
  }
  TClipIdGenerator ids(TickCount);
  const TRepairedPair repaired = RepairClipPair(pair, ids);
  const bool overLimit = pair.Store().Size() > kStoreCapacity;
  TClipFolder& files = pair.Files();
  const bool exactUnsound = files.ExactTextsDamaged() || !files.OrphanExactTexts().empty();
  const int unsaved = files.Replay().replayed;
  const bool unfinished = files.Replay().finishedSave;
  if (!repaired.Changed() && !exactUnsound && unsaved == 0 && !unfinished) {
    out << "nothing to repair\n";
  } else {
    // Copies of what changes, then the program's own save of the sound history.
    std::string exactAside, listAside, storeAside;
    if (exactUnsound && host.isFile(pair.ExactPath())) exactAside = SetAside(pair.ExactPath(), host);
    if (repaired.Changed()) {
      listAside = SetAside(pair.ListPath(), host);
      storeAside = SetAside(pair.StorePath(), host);
      std::string list;
      for (const std::string& line : repaired.list) list.append(line).append("\r\n");
      TClipHistory& history = pair.History();
      history.Assign(list, repaired.store.empty() ? std::string() : repaired.store + "\r\n", 0,
                     history.ExactTexts());
    }
    files.Save();
    if (exactUnsound)
      out << "kept " << pair.History().ExactTexts().size() << " exact texts of " << kExactTextFile
          << (exactAside.empty() ? std::string() : "; the original is in " + exactAside) << '\n';
    if (unsaved > 0)
      out << "saved " << unsaved << " change(s) of " << kClipJournalFile << " into the two files\n";
    if (unfinished) out << "finished a save that was stopped half-way\n";
    if (repaired.droppedListLines)
      out << "dropped " << repaired.droppedListLines << " list lines without a text\n";
    if (repaired.closedBlocks)
      out << "closed " << repaired.closedBlocks
          << " clip texts that were cut short (their trailer lines were missing)\n";
    if (repaired.wrappedRuns)
      out << "kept " << repaired.wrappedRuns << " runs of text outside any clip as clips\n";
    if (repaired.droppedBlankRuns)
      out << "dropped " << repaired.droppedBlankRuns << " runs of blank lines outside any clip\n";
    if (repaired.Changed())
      out << "the originals are in " << listAside << " and " << storeAside << '\n';
  }
  if (overLimit)
    out << "the clip texts are over their limit of " << kStoreCapacity
        << " characters; every clip is kept, and the program makes room at its next copy\n";
  return kExitOk;
}

}  // namespace

int RunClipsTool(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                 const TClipsHost& host) {
  CLI::App app{
      "Reads and checks the clip history of Quorvel Vavad: the clip list Lb1.qvl and the clip "
      "texts vqclips.qvl.",
      "qvclips"};
  app.require_subcommand(1);
  app.footer(
      "Slots: 1-9, 0, A-Z name the first 36 lines of the list, then the line number (37, 38...).\n"
      "Exit codes: 0 done, 1 a check found problems or nothing matched, 2 bad usage or a file "
      "error.");
  std::string dir;
  app.add_option("--dir", dir,
                 "Folder of the clip files (default: the folder of a qvavad.exe beside qvclips, "
                 "else the current folder; on Windows, when that holds no clip file and "
                 "%LOCALAPPDATA%\\Quorvel Vavad does, that one)");

  const std::string escapes =
      " (UTF-8; control characters as \\xHH, e.g. \\x1b for ESC, a backslash as \\\\)";
  CLI::App* list = app.add_subcommand(
      "list",
      "One line per clip, top of the list first: slot (a star after it for a kept clip), id, "
      "the text the list shows" +
          escapes);
  CLI::App* show = app.add_subcommand(
      "show", "A clip's full text in UTF-8, exactly as the program pastes it (its exact text, "
              "else its text from the system's code page)");
  std::string which;
  show->add_option("slot", which, "A slot (1-9, 0, A-Z), a line number or a clip id")->required();
  CLI::App* search = app.add_subcommand(
      "search",
      "Clips whose text holds every word of TEXT, anywhere and in any order (letter case not "
      "significant): slot, id, the line of the first word" +
          escapes);
  std::string needle;
  search->add_option("text", needle, "The words to look for, separated by blanks")->required();
  CLI::App* exportAll =
      app.add_subcommand("export", "Every clip, top of the list first, with its full text");
  bool json = false;
  unsigned codePage = 0;
  CLI::Option* jsonFlag =
      exportAll->add_flag("--json", json, "A JSON array of {slot, id, text}, the texts in UTF-8");
  exportAll->add_option("--codepage", codePage, "The code page of the texts: " + host.codePageHelp)
      ->needs(jsonFlag);
  CLI::App* check = app.add_subcommand(
      "check", "Whether the two files are sound: each problem on a line (notes are not problems)");
  CLI::App* repair = app.add_subcommand(
      "repair",
      "Writes a sound pair: drops list lines whose text is gone and keeps every clip text; the "
      "originals are kept as .bak files. Refuses while the program runs from the folder (Windows)");
  CLI::App* remove = app.add_subcommand(
      "delete",
      "Deletes a clip: its list line, its text and every copy of that text no line shows, from "
      "every file. Refuses while the program runs from the folder (Windows)");
  std::string victim;
  remove->add_option("slot", victim, "A slot (1-9, 0, A-Z), a line number or a clip id")->required();
  for (CLI::App* sub : {list, show, search, exportAll, check, repair, remove}) sub->fallthrough();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e, out, err) == 0 ? kExitOk : kExitError;
  }

  try {
    const std::string folder = host.fullPath(ChooseFolder(dir, host));
    if (!host.isFolder(folder)) {
      err << "Cannot find folder " << folder << '\n';
      return kExitError;
    }
    TClipPair pair(WithSeparator(folder, host.separator));
    int code = kExitError;
    if (*list) code = List(pair, out, host);
    if (*show) code = Show(pair, which, out, err, host);
    if (*search)
      code = Search(pair, host.argumentToUtf8 ? host.argumentToUtf8(needle) : needle, out, host);
    if (*exportAll) code = Export(pair, json, codePage, out, host);
    if (*check) code = Check(pair, out);
    if (*repair) code = Repair(pair, out, err, host);
    if (*remove) code = Delete(pair, victim, out, err, host);
    out.flush();
    if (!out) {
      err << "Cannot write the output\n";
      return kExitError;
    }
    return code;
  } catch (const EStreamError& e) {
    err << WithSystemReason(e.Message(), e.ErrorCode()) << '\n';
    return kExitError;
  } catch (const Exception& e) {
    err << e.what() << '\n';
    return kExitError;
  } catch (const std::exception& e) {
    err << "qvclips: " << e.what() << '\n';
    return kExitError;
  }
}

}  // namespace qv
