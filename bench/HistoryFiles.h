#pragma once
// Clip files of many short clips for the benchmarks, written the way the program writes
// them. Header only: the native benchmarks and the driver that measures the program
// under Wine both make their histories with it.

#include <cstdio>
#include <string>

#include "app/ClipStore.h"

namespace qv::bench {

// One line of about 120 characters, different for every n.
inline std::string ShortClipText(int n, size_t length = 121) {
  std::string text = "clip " + std::to_string(n) + " ";
  while (text.size() < length) text += static_cast<char>('a' + (n + text.size()) % 26);
  return text;
}

// Unique for n below 10,000,000: the first seven digits are n itself.
inline std::string ShortClipId(int n) {
  return TClipIdGenerator::FormatId(n, static_cast<int32_t>((n * 7919) % 1000000));
}

struct THistoryImages {
  std::string list;   // Lb1.qvl
  std::string store;  // vqclips.qvl
};

// Clips 1 .. clips, the newest (the highest) first. With 100,000 clips of 121 characters
// the store is 0.5% short of full; fill tops it up to exactly its capacity, so that every
// further capture makes room.
inline THistoryImages MakeHistoryImages(int clips, bool fill) {
  constexpr size_t kBlockExtra = 2 * (kHeaderMarker.size() + kClipIdLength + 2);
  size_t length = 121, longer = 0;
  if (fill && clips > 0) {
    // Each block is followed by a line break in the file.
    const size_t each = kStoreCapacity / static_cast<size_t>(clips);
    length = each - kBlockExtra - 2;
    longer = kStoreCapacity - each * static_cast<size_t>(clips);
  }
  THistoryImages images;
  images.store.reserve(static_cast<size_t>(clips) * (length + kBlockExtra + 1));
  for (int n = clips; n >= 1; --n) {
    const std::string text = ShortClipText(n, length + (static_cast<size_t>(n) <= longer ? 1 : 0));
    const std::string id = ShortClipId(n);
    images.list.append(MakeListLine(text.substr(0, 30) + "...", id)).append("\r\n");
    images.store.append(MakeBlock(id, text)).append("\r\n");
  }
  return images;
}

// Writes Lb1.qvl and vqclips.qvl into the folder (with its trailing separator).
inline bool WriteHistoryFiles(const std::string& folder, int clips, bool fill = true) {
  const THistoryImages images = MakeHistoryImages(clips, fill && clips >= 100000);
  for (const auto& [name, bytes] :
       {std::pair{kClipListFile, &images.list}, std::pair{kClipStoreFile, &images.store}}) {
    std::FILE* file = std::fopen((folder + name).c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes->data(), 1, bytes->size(), file) == bytes->size();
    if (std::fclose(file) != 0 || !written) return false;
  }
  return true;
}

}  // namespace qv::bench
