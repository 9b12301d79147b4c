#pragma once
// Where the program keeps its files when its own folder cannot be written (installed
// under Program Files): a folder of its own in the user's local application data. The
// program and the clip tool both look there, so the rule lives in one place.

#include <string>
#include <string_view>

namespace qv {

inline constexpr char kFallbackFolderName[] = "Quorvel Vavad";

// The folder under localAppData, with a trailing backslash; empty without localAppData.
std::string FallbackFilesFolder(std::string_view localAppData);
// What the user is told the first time the program keeps its files there.
std::string FallbackFolderNotice(std::string_view exeFolder, std::string_view filesFolder);

}  // namespace qv
