// Parses any bytes as an ini file; every read must hold together with the others,
// and the written form must parse back to itself.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/IniFiles.h"
#include "framework/Strings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  const qv::TIniFile ini = qv::TIniFile::FromText("fuzz.ini", content);
  const std::string text = ini.Text();
  if (qv::TIniFile::FromText("fuzz.ini", text).Text() != text) std::abort();

  qv::TStringList sections, keys;
  ini.ReadSections(sections);
  for (int s = 0; s < sections.Count(); ++s) {
    const std::string section = sections[s];
    if (!ini.SectionExists(section)) std::abort();
    ini.ReadSection(section, keys);
    for (int k = 0; k < keys.Count(); ++k) {
      if (!ini.ValueExists(section, keys[k])) std::abort();
      // A present key never falls back, whatever the fallback.
      const std::string value = ini.ReadString(section, keys[k], "a");
      if (value != ini.ReadString(section, keys[k], "b")) std::abort();
      if (value.find('\n') != std::string::npos) std::abort();
      ini.ReadInteger(section, keys[k], 0);
      ini.ReadBool(section, keys[k], false);
    }
  }
  return 0;
}
