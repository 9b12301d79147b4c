#include "app/FilesFolder.h"

namespace qv {

std::string FallbackFilesFolder(std::string_view localAppData) {
  if (localAppData.empty()) return std::string();
  std::string folder(localAppData);
  if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder + kFallbackFolderName + '\\';
}

std::string FallbackFolderNotice(std::string_view exeFolder, std::string_view filesFolder) {
  std::string notice = "Quorvel Vavad cannot write to its own folder, ";
  notice.append(exeFolder);
  notice += ". It keeps your clips and settings in ";
  notice.append(filesFolder);
  notice += " instead.";
  return notice;
}

}  // namespace qv
