#pragma once
// TIniFile: "[Section]" headers and "key=value" lines in a plain text file, read and
// written by us. The object is short-lived: it reads the file once when made, answers
// reads from memory, and writes the whole file at once on every change, crash-safe.
//
// Section and key names ignore ASCII letter case and surrounding blanks. A value is
// everything after the key's first '=', without the blanks around it. When a name appears twice,
// the first occurrence is the one that counts. Lines starting with ';' are comments.

#include <string>
#include <vector>

#include "framework/Component.h"

namespace qv {

class TStrings;

class TIniFile : public TObject {
  QV_CLASS(TIniFile)

 public:
  // A missing or unreadable file reads as empty; it is created by the first write.
  explicit TIniFile(const std::string& fileName);
  // Over the given content instead of the file's; writes still go to fileName.
  static TIniFile FromText(const std::string& fileName, const std::string& content);

  const std::string& FileName() const { return file_name_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
  // A value that is not an integer (decimal, or hexadecimal after "0x" or "$") gives fallback.
  int ReadInteger(const std::string& section, const std::string& key, int fallback) const;
  // Any integer but 0 reads as true.
  bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;

  // Each write changes one line, or adds the key at the end of its section (and the
  // section at the end of the file), keeping every other line as it was; then the
  // whole file is written. Raises EIniFileException when the file cannot be written,
  // and the object then still holds what the file holds.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  // The section's key names, in file order, each once.
  void ReadSection(const std::string& section, TStrings& keys) const;
  // The section names, in file order, each once.
  void ReadSections(TStrings& sections) const;

  // Removes the section with all its lines, wherever it appears.
  void EraseSection(const std::string& section);
  void DeleteKey(const std::string& section, const std::string& key);

  // The content as it is (or would be) written: every line followed by CR LF.
  std::string Text() const;

 private:
  struct FromContent {};
  TIniFile(const std::string& fileName, const std::string& content, FromContent);

  void Parse(const std::string& content);
  // Writes lines as the new file and, once that worked, keeps them.
  void Commit(std::vector<std::string> lines);

  std::string file_name_;
  // The file's lines without their line breaks.
  std::vector<std::string> lines_;
};

}  // namespace qv
