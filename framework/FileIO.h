#pragma once
// Whole-file reads and crash-safe whole-file writes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Paths are UTF-8 throughout, whatever the system's ANSI code page can hold.

// Reads the whole file; false when it cannot be opened or read. With leadFor, the bytes
// start with leadFor(size of the file) zero bytes in front of its content (their number in
// leadUsed): room that a reader can keep, without copying the content once more.
bool ReadWholeFile(const std::string& path, std::string& bytes,
                   size_t (*leadFor)(size_t size) = nullptr, size_t* leadUsed = nullptr);

// Writes bytes to a temporary file beside path, flushes it, then puts it in
// place with one replace, so a crash or a full disk leaves the old file whole.
// false when any step fails; the temporary file is then removed.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

// The first half of that: bytes in a new temporary file beside path, pushed to the disk.
// Its path, or empty when any step failed (nothing is left behind then).
std::string WriteTemporaryFile(const std::string& path, const std::string& bytes);

// Deletes a file; false when it is still there.
bool RemoveFile(const std::string& path);

// Appends bytes to the end of the file (made when missing) and pushes them to the disk;
// false when any step fails.
bool AppendToFileDurably(const std::string& path, const std::string& bytes);

// Whether fileName is a temporary file that WriteFileAtomically makes for a file named
// targetName ("<targetName>.tmp<process>-<count>", letter case of the name ignored): one
// that a killed writer left behind.
bool IsTemporaryFileOf(const std::string& fileName, const std::string& targetName);

// Replaces target by temporary in one step (platform-specific).
bool ReplaceFileWith(const std::string& temporary, const std::string& target);

// Whether anything (a file or a folder) is there (platform-specific).
bool PathExists(const std::string& path);

// Renames a file to a name that is not taken yet, never replacing one (platform-specific).
bool RenameFileTo(const std::string& from, const std::string& to);

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
