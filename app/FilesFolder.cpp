#include "app/FilesFolder.h"

namespace qv {

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

}  // namespace qv
