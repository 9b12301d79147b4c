// Values read back from a settings file: any text given to any kind of stored property
// either sets it or is refused with a conversion error, leaving it as it was; a value
// that was set and has a stored form is written out as a text that reads back to it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/Colors.h"
#include "framework/ShortCuts.h"
#include "framework/TypInfo.h"

namespace {

class TFuzzControl : public qv::TComponent {
  QV_CLASS(TFuzzControl)
 public:
  using qv::TComponent::TComponent;
  int width = 10;
  qv::TColor color = qv::clBtnFace;
  qv::TCursor cursor = qv::crDefault;
  std::string text;
  bool checked = false;
  char accel = 'k';
  qv::TShortCut key = 0xC028;
};

const auto registrar =
    qv::PropertyRegistrar<TFuzzControl, qv::TComponent>()
        .Integer("Width", &TFuzzControl::width, [](TFuzzControl& c, int v) { c.width = v; })
        .Color("Color", &TFuzzControl::color, [](TFuzzControl& c, qv::TColor v) { c.color = v; })
        .Cursor("Cursor", &TFuzzControl::cursor,
                [](TFuzzControl& c, qv::TCursor v) { c.cursor = v; })
        .String("Text", &TFuzzControl::text,
                [](TFuzzControl& c, const std::string& v) { c.text = v; })
        .Boolean("Checked", &TFuzzControl::checked, [](TFuzzControl& c, bool v) { c.checked = v; })
        .Char("Accel", &TFuzzControl::accel, [](TFuzzControl& c, char v) { c.accel = v; })
        .ShortCut("Key", &TFuzzControl::key, [](TFuzzControl& c, qv::TShortCut v) { c.key = v; });

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TFuzzControl control(nullptr);
  for (const qv::TPropInfo* prop : qv::GetPropList(&control)) {
    const std::string before = qv::PropValueToText(&control, prop);
    try {
      qv::TextToPropValue(&control, prop, text);
    } catch (const qv::EConvertError&) {
      if (qv::PropValueToText(&control, prop) != before) std::abort();
      continue;
    }
    const std::string written = qv::PropValueToText(&control, prop);
    if (written.empty()) continue;  // a value with no stored form (a colour without a name)
    TFuzzControl again(nullptr);
    qv::TextToPropValue(&again, prop, written);
    if (qv::PropValueToText(&again, prop) != written) std::abort();
  }
  // The hot key's text, as the settings file gives it.
  const qv::TShortCut key = qv::TextToShortCut(text);
  if (key != 0 && qv::TextToShortCut(qv::ShortCutToText(key)) != key) std::abort();
  return 0;
}
