#include "framework/FileIO.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "framework/CodePage.h"
#include "framework/SysUtils.h"

// Only the C runtime's own headers here: this file is part of the portable core.
#if defined(_WIN32)
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace qv {

#if defined(_WIN32)
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

std::wstring WidePath(std::string_view path) {
  const std::u16string wide = Utf8ToUtf16(path);
  return std::wstring(wide.begin(), wide.end());
}

std::string Utf8Path(std::wstring_view path) {
  return Utf16ToUtf8(std::u16string(path.begin(), path.end()));
}
#endif

namespace {

// Closes a file only read, or one given up after a failure that is already told: its
// fclose has nothing more to say. Written files are closed by hand, and checked.
struct FileCloser {
  void operator()(std::FILE* file) const { (void)std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The C runtime's narrow calls on Windows read the path in the ANSI code page.
std::FILE* OpenFile(const std::string& path, const char* mode) {
#if defined(_WIN32)
  return _wfopen(WidePath(path).c_str(), WidePath(mode).c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

bool UnlinkFile(const std::string& path) {
#if defined(_WIN32)
  return _wremove(WidePath(path).c_str()) == 0;
#else
  return std::remove(path.c_str()) == 0;
#endif
}

// Pushes the written bytes out of the system's cache, so that the replace that
// follows never puts an unwritten file in place of a good one.
bool SyncToDisk(std::FILE* file) {
#if defined(_WIN32)
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

// The C runtime's calls tell why they failed in errno, and on Windows also in _doserrno as
// the system's own code, which is the one the rest of the program reports. Cleared before
// each operation, so that a failure the runtime finds by itself is not given an old code.
void ClearFileError() {
  errno = 0;
#if defined(_WIN32)
  _doserrno = 0;
#endif
}

TFileStatus FileFailure() {
#if defined(_WIN32)
  return TFileStatus::Failed(_doserrno);
#else
  return TFileStatus::Failed(static_cast<unsigned long>(errno));
#endif
}

long ProcessId() {
#if defined(_WIN32)
  return static_cast<long>(_getpid());
#else
  return static_cast<long>(getpid());
#endif
}

// Beside the target, so the final replace stays on one volume; the process id and
// a counter keep two writers of the same file apart.
std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp" + std::to_string(ProcessId()) + "-" + std::to_string(++counter);
}

TFileStatus WriteAndClose(FilePtr file, const std::string& bytes) {
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
    return FileFailure();
  if (std::fflush(file.get()) != 0 || !SyncToDisk(file.get())) return FileFailure();
  if (std::fclose(file.release()) != 0) return FileFailure();
  return TFileStatus();
}

}  // namespace

TFileStatus ReadWholeFile(const std::string& path, std::string& bytes,
                          size_t (*leadFor)(size_t size), size_t* leadUsed) {
  ClearFileError();
  FilePtr file(OpenFile(path, "rb"));
  if (!file) return FileFailure();
  std::string data;
  char chunk[65536];
  size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
  // The first read also catches what opens but cannot be read, such as a folder.
  if (std::ferror(file.get())) return FileFailure();
  size_t expected = got;
  if (got == sizeof chunk) {
    // A large file: size the buffer once, so that reading it stays linear.
    const long at = std::ftell(file.get());
    if (at >= 0 && std::fseek(file.get(), 0, SEEK_END) == 0) {
      const long size = std::ftell(file.get());
      if (size > at) expected = static_cast<size_t>(size);
      if (std::fseek(file.get(), at, SEEK_SET) != 0) return FileFailure();
    }
  }
  const size_t lead = leadFor ? leadFor(expected) : 0;
  data.reserve(lead + expected);
  data.resize(lead);
  data.append(chunk, got);
  if (got == sizeof chunk) {
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) data.append(chunk, got);
    if (std::ferror(file.get())) return FileFailure();
  }
  bytes.swap(data);
  if (leadUsed) *leadUsed = lead;
  return TFileStatus();
}

void ReadWholeFileOrRaise(const std::string& path, std::string& bytes,
                          size_t (*leadFor)(size_t size), size_t* leadUsed) {
  if (const TFileStatus read = ReadWholeFile(path, bytes, leadFor, leadUsed); !read)
    throw EFOpenError(MsgCannotOpenFile(path), read.Error());
}

bool IsTemporaryFileOf(const std::string& fileName, const std::string& targetName) {
  const std::string tail = ".tmp";
  if (fileName.size() < targetName.size() + tail.size() + 3) return false;
  for (size_t i = 0; i < targetName.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(fileName[i])) !=
        std::tolower(static_cast<unsigned char>(targetName[i])))
      return false;
  if (fileName.compare(targetName.size(), tail.size(), tail) != 0) return false;
  // Digits, one dash, digits.
  const std::string_view rest = std::string_view(fileName).substr(targetName.size() + tail.size());
  const size_t dash = rest.find('-');
  auto digits = [](std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
  };
  return dash != std::string_view::npos && digits(rest.substr(0, dash)) &&
         digits(rest.substr(dash + 1));
}

TFileStatus AppendToFileDurably(const std::string& path, const std::string& bytes) {
  ClearFileError();
  FilePtr file(OpenFile(path, "ab"));
  if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) return FileFailure();
  const long before = std::ftell(file.get());
  if (before < 0) return FileFailure();
  if ((bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size()) &&
      std::fflush(file.get()) == 0 && SyncToDisk(file.get()))
    return std::fclose(file.release()) == 0 ? TFileStatus() : FileFailure();
  const TFileStatus failed = FileFailure();
  // Half an append would hide whatever is appended after it: the file goes back to what
  // it held. Best effort: where even that fails, the reader stops at the torn entry, and
  // the failure above is what the caller hears of.
  std::clearerr(file.get());
  (void)std::fflush(file.get());
#if defined(_WIN32)
  (void)_chsize(_fileno(file.get()), before);
#else
  (void)ftruncate(fileno(file.get()), before);
#endif
  return failed;
}

TFileStatus WriteTemporaryFile(const std::string& path, const std::string& bytes,
                               std::string& temporary) {
  ClearFileError();
  const std::string name = TemporaryNameFor(path);
  FilePtr file(OpenFile(name, "wb"));
  if (!file) return FileFailure();
  if (const TFileStatus written = WriteAndClose(std::move(file), bytes); !written) {
    UnlinkFile(name);
    return written;
  }
  temporary = name;
  return TFileStatus();
}

TFileStatus WriteFileAtomically(const std::string& path, const std::string& bytes) {
  std::string temporary;
  if (const TFileStatus written = WriteTemporaryFile(path, bytes, temporary); !written)
    return written;
  if (const TFileStatus replaced = ReplaceFileWith(temporary, path); !replaced) {
    UnlinkFile(temporary);
    return replaced;
  }
  return TFileStatus();
}

void WriteFileAtomicallyOrRaise(const std::string& path, const std::string& bytes) {
  if (const TFileStatus written = WriteFileAtomically(path, bytes); !written)
    throw EFCreateError(MsgCannotCreateFile(path), written.Error());
}

TFileStatus RemoveFile(const std::string& path) {
  ClearFileError();
  if (UnlinkFile(path)) return TFileStatus();
  const TFileStatus failed = FileFailure();
  return PathExists(path) ? failed : TFileStatus();
}

}  // namespace qv
