#pragma once
// The name of the object that marks a folder as taken by a running program. Both the
// program and the clip tool compute it, so it lives in one place.

#include <string>
#include <string_view>

namespace qv {

// "Local\QuorvelVavad.", 16 hex digits of a hash of the user (the text of the account's
// SID), a dot and 16 of the folder as the file system names it (long names, upper case,
// no trailing separator): object names may not hold a backslash and are limited in
// length. Per user, so that another account cannot take the name of this user's folder
// first. With global, "Global\" instead of "Local\": one name for every logon session
// on the machine.
std::string InstanceObjectName(std::string_view user, std::string_view canonicalFolder,
                               bool global = false);

// What a start says when its folder is held by a copy it cannot ask to show the clips.
std::string UnreachableCopyNotice(std::string_view folder);

}  // namespace qv
