// The journal reader under any bytes: it never crashes, and what it hands out is exactly
// what a writer would have written for those entries (so a damaged entry is never among
// them). Then entries built from the bytes, sound but of any content, are replayed by a
// start: it never crashes and leaves no journal behind.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/ClipFolder.h"
#include "framework/FileIO.h"
#include "framework/SysUtils.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("qv_fuzz_journal_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const qv::TJournalRead read = qv::ReadJournal(bytes);
  std::string again;
  for (const qv::TJournalEntry& e : read.entries) qv::AppendJournalEntry(again, e.kind, e.fields);
  if (again != bytes.substr(0, read.soundLength)) std::abort();
  if ((read.end == qv::TJournalEnd::Whole) != (read.soundLength == size)) std::abort();

  // Entries: a kind byte, a field count, then fields cut from the rest by length bytes.
  static const char kinds[] = {'A', 'M', 'R', 'C', 'L'};
  std::string journal;
  size_t at = 0;
  while (at + 2 <= size) {
    const auto kind = static_cast<qv::TJournalKind>(kinds[data[at] % 5]);
    const int count = data[at + 1] % 5;
    at += 2;
    std::vector<std::string> fields;
    for (int f = 0; f < count && at < size; ++f) {
      const size_t n = std::min<size_t>(data[at], size - at - 1);
      fields.emplace_back(bytes.substr(at + 1, n));
      at += 1 + n;
    }
    qv::AppendJournalEntry(journal, kind, fields);
  }
  // Files of the last run, and the damaged journals set aside, go.
  for (const auto& entry : std::filesystem::directory_iterator(Folder()))
    std::filesystem::remove(entry.path());
  // Without the journal on disk the run would test nothing.
  if (!qv::WriteFileAtomically(Folder() + qv::kClipJournalFile, journal)) std::abort();
  qv::TClipHistory history(2000);
  qv::TClipFolder files(history);
  files.SetFolder(Folder());
  try {
    files.Load();
  } catch (const qv::EFOpenError&) {
    // An empty journal: nothing was saved, as on a first start.
    if (!journal.empty()) std::abort();
  }
  if (std::filesystem::exists(Folder() + qv::kClipJournalFile) && !journal.empty()) std::abort();
  return 0;
}
