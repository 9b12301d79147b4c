#include "app/InstanceName.h"

#include <cstdint>
#include <cstdio>

namespace qv {

std::string InstanceObjectName(std::string_view canonicalFolder, bool global) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : canonicalFolder) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "%s\\QuorvelVavad.%016llx", global ? "Global" : "Local",
                static_cast<unsigned long long>(hash));
  return name;
}

}  // namespace qv
