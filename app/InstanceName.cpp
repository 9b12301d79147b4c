#include "app/InstanceName.h"

#include <cstdint>
#include <cstdio>

namespace qv {

namespace {

uint64_t Fnv1a(std::string_view text) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace

std::string InstanceObjectName(std::string_view user, std::string_view canonicalFolder,
                               bool global) {
  char name[80];
  std::snprintf(name, sizeof name, "%s\\QuorvelVavad.%016llx.%016llx", global ? "Global" : "Local",
                static_cast<unsigned long long>(Fnv1a(user)),
                static_cast<unsigned long long>(Fnv1a(canonicalFolder)));
  return name;
}

std::string UnreachableCopyNotice(std::string_view folder) {
  std::string notice =
      "Quorvel Vavad is already recording the clips of this folder, in another session of "
      "yours or with other rights (as administrator), so this start cannot bring them up:\r\n";
  notice.append(folder);
  notice += "\r\n\r\nUse the copy that is running, or quit it there first.";
  return notice;
}

}  // namespace qv
