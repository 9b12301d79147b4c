#include "app/FilesFolder.h"

#include <vector>

#include "framework/SysUtils.h"

namespace qv {

namespace {

std::vector<std::string_view> RecordLines(std::string_view record) {
  std::vector<std::string_view> lines;
  while (!record.empty()) {
    const size_t end = record.find('\n');
    std::string_view line = record.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) lines.push_back(line);
    record.remove_prefix(end == std::string_view::npos ? record.size() : end + 1);
  }
  return lines;
}

}  // namespace

std::string FallbackFilesFolder(std::string_view localAppData) {
  if (localAppData.empty()) return std::string();
  std::string folder(localAppData);
  if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder + kFallbackFolderName + '\\';
}

std::string FallbackFolderNotice(std::string_view exeFolder, std::string_view filesFolder) {
  // The folders on lines of their own: long paths wrap badly inside a sentence.
  std::string notice = "Quorvel Vavad cannot write files in its own folder:\r\n";
  notice.append(exeFolder);
  notice += "\r\n\r\nIt keeps your clips and settings in this folder instead:\r\n";
  notice.append(filesFolder);
  return notice;
}

std::string FilesFolderChangedNotice(std::string_view lastFolder, std::string_view filesFolder) {
  std::string notice = "Quorvel Vavad keeps your clips and settings in this folder now:\r\n";
  notice.append(filesFolder);
  notice += "\r\n\r\nThe clips of its last start are in this folder:\r\n";
  notice.append(lastFolder);
  return notice;
}

std::string FolderRecordNotWrittenNotice(std::string_view filesFolder, const std::string& record,
                                         unsigned long error) {
  std::string notice = "Quorvel Vavad keeps your clips in this folder:\r\n";
  notice.append(filesFolder);
  notice += "\r\n\r\nIt could not write that down in " + WithSystemReason(record, error) +
            ", so a later start may not find them there.";
  return notice;
}

bool KeepFilesInFallback(const TFolderFacts& facts) {
  if (facts.ExeFolder == TFolderProbe::Refused) return true;
  if (facts.ExeFolderHoldsClips) return false;
  return facts.LastStartUsedFallback && facts.FallbackHoldsClips;
}

bool RecordListsFolder(std::string_view record, std::string_view folder) {
  for (std::string_view line : RecordLines(record))
    if (line == folder) return true;
  return false;
}

std::string RecordWithFolder(std::string_view record, std::string_view folder, bool listed) {
  if (RecordListsFolder(record, folder) == listed) return std::string(record);
  std::string out;
  for (std::string_view line : RecordLines(record)) {
    if (line == folder) continue;
    out.append(line);
    out += "\r\n";
  }
  if (listed) {
    out.append(folder);
    out += "\r\n";
  }
  return out;
}

}  // namespace qv
