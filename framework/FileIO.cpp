#include "framework/FileIO.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <memory>
#include <string_view>

#include "framework/CodePage.h"

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

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
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

bool WriteAndClose(FilePtr file, const std::string& bytes) {
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
    return false;
  if (std::fflush(file.get()) != 0 || !SyncToDisk(file.get())) return false;
  return std::fclose(file.release()) == 0;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, size_t (*leadFor)(size_t size),
                   size_t* leadUsed) {
  FilePtr file(OpenFile(path, "rb"));
  if (!file) return false;
  std::string data;
  char chunk[65536];
  size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
  // The first read also catches what opens but cannot be read, such as a folder.
  if (std::ferror(file.get())) return false;
  size_t expected = got;
  if (got == sizeof chunk) {
    // A large file: size the buffer once, so that reading it stays linear.
    const long at = std::ftell(file.get());
    if (at >= 0 && std::fseek(file.get(), 0, SEEK_END) == 0) {
      const long size = std::ftell(file.get());
      if (size > at) expected = static_cast<size_t>(size);
      if (std::fseek(file.get(), at, SEEK_SET) != 0) return false;
    }
  }
  const size_t lead = leadFor ? leadFor(expected) : 0;
  data.reserve(lead + expected);
  data.resize(lead);
  data.append(chunk, got);
  if (got == sizeof chunk) {
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) data.append(chunk, got);
    if (std::ferror(file.get())) return false;
  }
  bytes.swap(data);
  if (leadUsed) *leadUsed = lead;
  return true;
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

bool AppendToFileDurably(const std::string& path, const std::string& bytes) {
  FilePtr file(OpenFile(path, "ab"));
  if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) return false;
  const long before = std::ftell(file.get());
  if (before < 0) return false;
  if ((bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size()) &&
      std::fflush(file.get()) == 0 && SyncToDisk(file.get()))
    return std::fclose(file.release()) == 0;
  // Half an append would hide whatever is appended after it: the file goes back to what
  // it held.
  std::clearerr(file.get());
  std::fflush(file.get());
#if defined(_WIN32)
  (void)_chsize(_fileno(file.get()), before);
#else
  (void)ftruncate(fileno(file.get()), before);
#endif
  return false;
}

std::string WriteTemporaryFile(const std::string& path, const std::string& bytes) {
  const std::string temporary = TemporaryNameFor(path);
  FilePtr file(OpenFile(temporary, "wb"));
  if (!file) return std::string();
  if (!WriteAndClose(std::move(file), bytes)) {
    UnlinkFile(temporary);
    return std::string();
  }
  return temporary;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  const std::string temporary = WriteTemporaryFile(path, bytes);
  if (temporary.empty()) return false;
  if (!ReplaceFileWith(temporary, path)) {
    UnlinkFile(temporary);
    return false;
  }
  return true;
}

bool RemoveFile(const std::string& path) { return UnlinkFile(path) || !PathExists(path); }

}  // namespace qv
