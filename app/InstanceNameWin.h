#pragma once
// The folder's instance name as Windows sees the folder and the user; shared by the
// program and the clip tool, which links no window code, hence inline here.

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "app/InstanceName.h"
#include "framework/FileIO.h"

namespace qv {

// The folder as the file system names it: long names, one letter case, backslashes, no
// trailing separator.
inline std::string CanonicalFolder(const std::string& folder) {
  std::wstring path = WidePath(folder);
  if (DWORD n = GetLongPathNameW(path.c_str(), nullptr, 0)) {
    std::wstring longer(n, L'\0');
    n = GetLongPathNameW(path.c_str(), longer.data(), n);
    if (n > 0 && n < longer.size()) path.assign(longer, 0, n);
  }
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  if (!path.empty()) CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  return Utf8Path(path);
}

// The text of this process's user account SID ("S-1-5-21-..."); empty when it cannot be
// read.
inline const std::string& UserSidText() {
  static const std::string text = [] {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return std::string();
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    std::string sid;
    LPWSTR wide = nullptr;
    if (size && GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &wide)) {
      sid = Utf8Path(wide);
      LocalFree(wide);
    }
    CloseHandle(token);
    return sid;
  }();
  return text;
}

inline std::string InstanceNameOfFolder(const std::string& folder, bool global = false) {
  return InstanceObjectName(UserSidText(), CanonicalFolder(folder), global);
}

// What the objects that mark a folder are made with: owned by this user, who alone may
// open them, so that an elevated copy's object is still this user's and another
// account's copy cannot open it. Null attributes (the system's defaults) where the
// user is unknown.
class TOwnObjectSecurity {
 public:
  TOwnObjectSecurity() {
    const std::wstring sid = WidePath(UserSidText());
    if (sid.empty()) return;
    const std::wstring text = L"O:" + sid + L"D:P(A;;GA;;;" + sid + L")";
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1,
                                                             &descriptor_, nullptr))
      attributes_ = SECURITY_ATTRIBUTES{sizeof attributes_, descriptor_, FALSE};
  }
  ~TOwnObjectSecurity() {
    if (descriptor_) LocalFree(descriptor_);
  }
  TOwnObjectSecurity(const TOwnObjectSecurity&) = delete;
  TOwnObjectSecurity& operator=(const TOwnObjectSecurity&) = delete;
  SECURITY_ATTRIBUTES* Attributes() { return descriptor_ ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

// Whether one of this user's copies made the object: its owner is this user. Where
// either cannot be read it counts as this user's: the one recorder is then kept per
// folder, whoever made the object.
inline bool OwnedByThisUser(HANDLE object) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                      nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
    return true;
  bool mine = true;
  LPWSTR wide = nullptr;
  if (owner && !UserSidText().empty() && ConvertSidToStringSidW(owner, &wide)) {
    mine = Utf8Path(wide) == UserSidText();
    LocalFree(wide);
  }
  LocalFree(descriptor);
  return mine;
}

// Whether one of this user's copies holds the folder: the object is there, in the
// machine's namespace or the session's, and this user's.
inline bool FolderHeldByThisUser(const std::string& folder) {
  for (bool global : {true, false}) {
    const HANDLE held = OpenMutexW(SYNCHRONIZE | READ_CONTROL, FALSE,
                                   WidePath(InstanceNameOfFolder(folder, global)).c_str());
    if (!held) continue;  // not there, or another account's that shuts this user out
    const bool mine = OwnedByThisUser(held);
    CloseHandle(held);
    if (mine) return true;
  }
  return false;
}

}  // namespace qv
