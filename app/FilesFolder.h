#pragma once
// Where the program keeps its files when its own folder cannot be written (installed
// under Program Files): a folder of its own in the user's local application data. The
// program and the clip tool both look there, so the rule lives in one place.

#include <string>
#include <string_view>

namespace qv {

inline constexpr char kFallbackFolderName[] = "Quorvel Vavad";
// In the fallback folder: the folders of the executables whose last start kept their
// files there, one a line (UTF-8, as CanonicalFolder gives them).
inline constexpr char kFolderRecordFile[] = "folders.txt";

// The folder under localAppData, with a trailing backslash; empty without localAppData.
std::string FallbackFilesFolder(std::string_view localAppData);
// What the user is told the first time the program keeps its files there.
std::string FallbackFolderNotice(std::string_view exeFolder, std::string_view filesFolder);
// What the user is told when the files are kept in another folder than at the last start,
// where clips are left.
std::string FilesFolderChangedNotice(std::string_view lastFolder, std::string_view filesFolder);

// What the user is told when the record of where the files are kept could not be written:
// a later start may look in the executable's folder and not find these clips.
// error: the system's code of the failed write.
std::string FolderRecordNotWrittenNotice(std::string_view filesFolder, const std::string& record,
                                         unsigned long error);

// How a try to make a file in a folder went.
enum class TFolderProbe {
  Writable,
  Refused,  // access denied or write-protected: nothing can be written there
  Failed,   // for another reason, which tells nothing of the folder
};

// What the choice of the folder goes by.
struct TFolderFacts {
  TFolderProbe ExeFolder = TFolderProbe::Writable;
  bool ExeFolderHoldsClips = false;  // Lb1.qvl or vqclips.qvl
  bool FallbackHoldsClips = false;
  bool LastStartUsedFallback = false;  // the record lists the executable's folder
};

// Whether the files go to the fallback folder: only when the executable's folder is
// really not writable, or when the last start kept them there, they are there and the
// executable's folder holds none. A probe that failed otherwise keeps the folder the
// clips are in, so that no start shows another history for a passing fault.
bool KeepFilesInFallback(const TFolderFacts& facts);

// The record with the folder listed or not; the same text when nothing changes.
std::string RecordWithFolder(std::string_view record, std::string_view folder, bool listed);
bool RecordListsFolder(std::string_view record, std::string_view folder);

}  // namespace qv
