#pragma once
// The name of the object that marks a folder as taken by a running program. Both the
// program and the clip tool compute it, so it lives in one place.

#include <string>
#include <string_view>

namespace qv {

// "Local\QuorvelVavad." and 16 hex digits of a hash of the folder as the file system
// names it (long names, upper case, no trailing separator): object names may not hold a
// backslash and are limited in length. With global, "Global\" instead of "Local\": one
// name for every logon session on the machine.
std::string InstanceObjectName(std::string_view canonicalFolder, bool global = false);

}  // namespace qv
