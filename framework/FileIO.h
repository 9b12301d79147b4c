#pragma once
// Whole-file reads and crash-safe whole-file writes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Paths are UTF-8 throughout, whatever the system's ANSI code page can hold.

// How a file operation ended: done, or not, with the system's code for why (a Windows error
// code on Windows, an errno value elsewhere; 0 when nothing told why, as when a test refuses
// the operation). Tests as a bool, so callers that only ask whether it was done read as before.
class TFileStatus {
 public:
  TFileStatus() = default;
  static TFileStatus Failed(unsigned long error) { return TFileStatus(false, error); }
  explicit operator bool() const { return done_; }
  unsigned long Error() const { return error_; }

 private:
  TFileStatus(bool done, unsigned long error) : done_(done), error_(error) {}
  bool done_ = true;
  unsigned long error_ = 0;
};

// Reads the whole file; fails when it cannot be opened or read. With leadFor, the bytes
// start with leadFor(size of the file) zero bytes in front of its content (their number in
// leadUsed): room that a reader can keep, without copying the content once more.
TFileStatus ReadWholeFile(const std::string& path, std::string& bytes,
                          size_t (*leadFor)(size_t size) = nullptr, size_t* leadUsed = nullptr);

// ReadWholeFile that raises EFOpenError ("Cannot open file <path>", with the system's code)
// when it fails.
void ReadWholeFileOrRaise(const std::string& path, std::string& bytes,
                          size_t (*leadFor)(size_t size) = nullptr, size_t* leadUsed = nullptr);

// Writes bytes to a temporary file beside path, flushes it, then puts it in
// place with one replace, so a crash or a full disk leaves the old file whole.
// Fails when any step fails; the temporary file is then removed.
TFileStatus WriteFileAtomically(const std::string& path, const std::string& bytes);

// WriteFileAtomically that raises EFCreateError ("Cannot create file <path>", with the
// system's code) when it fails.
void WriteFileAtomicallyOrRaise(const std::string& path, const std::string& bytes);

// The first half of that: bytes in a new temporary file beside path, pushed to the disk;
// its path in temporary. When any step fails, nothing is left behind.
TFileStatus WriteTemporaryFile(const std::string& path, const std::string& bytes,
                               std::string& temporary);

// Deletes a file; fails when it is still there.
TFileStatus RemoveFile(const std::string& path);

// Appends bytes to the end of the file (made when missing) and pushes them to the disk;
// fails when any step fails.
TFileStatus AppendToFileDurably(const std::string& path, const std::string& bytes);

// Whether fileName is a temporary file that WriteFileAtomically makes for a file named
// targetName ("<targetName>.tmp<process>-<count>", letter case of the name ignored): one
// that a killed writer left behind.
bool IsTemporaryFileOf(const std::string& fileName, const std::string& targetName);

// Replaces target by temporary in one step (platform-specific).
TFileStatus ReplaceFileWith(const std::string& temporary, const std::string& target);

// Whether anything (a file or a folder) is there (platform-specific).
bool PathExists(const std::string& path);

// Renames a file to a name that is not taken yet, never replacing one (platform-specific).
TFileStatus RenameFileTo(const std::string& from, const std::string& to);

// The names of the files in a folder (ending in its separator), folders left out
// (platform-specific).
std::vector<std::string> FileNamesIn(const std::string& folder);

// When the file was last written, in the platform's own units (only compared with other
// such times); false when it cannot be told (platform-specific).
bool FileModifiedTime(const std::string& path, int64_t& time);

#if defined(_WIN32)
// A path as the wide calls of Windows take it, and a path or name they give, as UTF-8.
std::wstring WidePath(std::string_view path);
std::string Utf8Path(std::wstring_view path);
// The running executable's full path (platform-specific).
std::string ExecutablePath();
#endif

}  // namespace qv
