#pragma once
// String values of keys below HKEY_CURRENT_USER, the part of the registry that
// belongs to the user who runs the program. Names and texts are UTF-8, through the
// wide calls: a value may hold a path the ANSI code page cannot.

#include <optional>
#include <string>

namespace qv {

// The text of a string value; nullopt when the key or the value is not there, or
// the value holds no text.
std::optional<std::string> ReadUserRegString(const std::string& keyPath, const std::string& name);
// Makes the key when it is missing. A refusal raises "Unable to write to %s".
void WriteUserRegString(const std::string& keyPath, const std::string& name,
                        const std::string& value);
// A value that is not there is no error; a refusal raises "Unable to write to %s".
void DeleteUserRegValue(const std::string& keyPath, const std::string& name);

}  // namespace qv
