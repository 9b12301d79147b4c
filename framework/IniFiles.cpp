#include "framework/IniFiles.h"

#include "framework/FileIO.h"
#include "framework/Strings.h"
#include "framework/SysUtils.h"

namespace qv {

namespace {

using Lines = std::vector<std::string>;

size_t FirstNonBlank(const std::string& line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  return i;
}

// "[Name]" (blanks around it and after the bracket allowed); false for any other line.
bool IsSectionHeader(const std::string& line, std::string* name) {
  const size_t open = FirstNonBlank(line);
  if (open >= line.size() || line[open] != '[') return false;
  const size_t close = line.find(']', open + 1);
  if (close == std::string::npos) return false;
  if (name) *name = Trim(line.substr(open + 1, close - open - 1));
  return true;
}

// "key=value" outside comments; eq receives the position of the first '='.
bool IsKeyLine(const std::string& line, std::string& key, size_t& eq) {
  const size_t first = FirstNonBlank(line);
  if (first >= line.size() || line[first] == ';' || line[first] == '[') return false;
  eq = line.find('=', first);
  if (eq == std::string::npos) return false;
  key = Trim(line.substr(0, eq));
  return true;
}

bool IsBlank(const std::string& line) { return FirstNonBlank(line) == line.size(); }

// A section's lines: its header and everything up to the next header.
struct SectionRange {
  int header = -1;
  int end = 0;
  bool found() const { return header >= 0; }
};

SectionRange FindSection(const Lines& lines, const std::string& section, int from = 0) {
  SectionRange range;
  const int n = static_cast<int>(lines.size());
  std::string name;
  for (int i = from; i < n; ++i) {
    if (!IsSectionHeader(lines[i], &name)) continue;
    if (range.found()) {
      range.end = i;
      return range;
    }
    if (SameText(name, Trim(section))) range.header = i;
  }
  range.end = n;
  return range;
}

int FindKey(const Lines& lines, const SectionRange& range, const std::string& key,
            size_t* eqOut = nullptr) {
  if (!range.found()) return -1;
  const std::string wanted = Trim(key);
  std::string name;
  size_t eq = 0;
  for (int i = range.header + 1; i < range.end; ++i) {
    if (IsKeyLine(lines[i], name, eq) && SameText(name, wanted)) {
      if (eqOut) *eqOut = eq;
      return i;
    }
  }
  return -1;
}

// A value is one line of the file; anything after a line break would become a line
// of its own, so it is cut there.
std::string OneLine(const std::string& value) {
  return value.substr(0, value.find_first_of("\r\n"));
}

std::string JoinLines(const Lines& lines) {
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string out;
  out.reserve(size);
  for (const std::string& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

void AddOnce(TStrings& names, const std::string& name) {
  if (names.IndexOf(name) < 0) names.Add(name);
}

}  // namespace

TIniFile::TIniFile(const std::string& fileName) : file_name_(fileName) {
  std::string content;
  if (ReadWholeFile(fileName, content)) Parse(content);
}

TIniFile::TIniFile(const std::string& fileName, const std::string& content, FromContent)
    : file_name_(fileName) {
  Parse(content);
}

TIniFile TIniFile::FromText(const std::string& fileName, const std::string& content) {
  return TIniFile(fileName, content, FromContent{});
}

void TIniFile::Parse(const std::string& content) {
  lines_.clear();
  size_t start = 0;
  while (start < content.size()) {
    size_t stop = content.find('\n', start);
    if (stop == std::string::npos) stop = content.size();
    size_t cut = stop;
    if (cut > start && content[cut - 1] == '\r') --cut;
    lines_.emplace_back(content, start, cut - start);
    start = stop + 1;
  }
}

std::string TIniFile::Text() const { return JoinLines(lines_); }

void TIniFile::Commit(Lines lines) {
  if (const TFileStatus written = WriteFileAtomically(file_name_, JoinLines(lines)); !written)
    throw EIniFileException(WithSystemReason(MsgUnableToWrite(file_name_), written.Error()));
  lines_.swap(lines);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
  size_t eq = 0;
  const int at = FindKey(lines_, FindSection(lines_, section), key, &eq);
  // Blanks around the value are not part of it, as the system's profile functions read it.
  return at < 0 ? fallback : Trim(lines_[at].substr(eq + 1));
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int fallback) const {
  int value = 0;
  return TryStrToInt(ReadString(section, key, std::string()), value) ? value : fallback;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  Lines lines = lines_;
  const SectionRange range = FindSection(lines, section);
  const std::string entry = key + "=" + OneLine(value);
  if (!range.found()) {
    lines.push_back("[" + section + "]");
    lines.push_back(entry);
  } else {
    size_t eq = 0;
    const int at = FindKey(lines, range, key, &eq);
    if (at >= 0) {
      // The key keeps its own spelling and indentation; only the value changes.
      std::string line = lines[at].substr(0, eq + 1) + OneLine(value);
      if (line == lines[at]) return;
      lines[at].swap(line);
    } else {
      // After the section's last non-blank line, so blank lines that set it apart
      // from the next section stay where they are.
      int place = range.end;
      while (place > range.header + 1 && IsBlank(lines[place - 1])) --place;
      lines.insert(lines.begin() + place, entry);
    }
  }
  Commit(std::move(lines));
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::SectionExists(const std::string& section) const {
  return FindSection(lines_, section).found();
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  return FindKey(lines_, FindSection(lines_, section), key) >= 0;
}

void TIniFile::ReadSection(const std::string& section, TStrings& keys) const {
  TUpdateGuard update(keys);
  keys.Clear();
  const SectionRange range = FindSection(lines_, section);
  if (!range.found()) return;
  std::string name;
  size_t eq = 0;
  for (int i = range.header + 1; i < range.end; ++i)
    if (IsKeyLine(lines_[i], name, eq)) AddOnce(keys, name);
}

void TIniFile::ReadSections(TStrings& sections) const {
  TUpdateGuard update(sections);
  sections.Clear();
  std::string name;
  for (const std::string& line : lines_)
    if (IsSectionHeader(line, &name)) AddOnce(sections, name);
}

void TIniFile::EraseSection(const std::string& section) {
  Lines lines = lines_;
  bool erased = false;
  for (SectionRange range = FindSection(lines, section); range.found();
       range = FindSection(lines, section, range.header)) {
    lines.erase(lines.begin() + range.header, lines.begin() + range.end);
    erased = true;
  }
  if (erased) Commit(std::move(lines));
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
  Lines lines = lines_;
  SectionRange range = FindSection(lines, section);
  bool deleted = false;
  for (int at = FindKey(lines, range, key); at >= 0; at = FindKey(lines, range, key)) {
    lines.erase(lines.begin() + at);
    --range.end;
    deleted = true;
  }
  if (deleted) Commit(std::move(lines));
}

}  // namespace qv
