#include "framework/RichEdit.h"

#include "framework/Clipbrd.h"
#include "framework/SysUtils.h"

namespace qv {

void TQvRichEdit::PasteFromClipboard() {
  std::string pasted;
  try {
    pasted = Clipboard().AsText();
  } catch (const EClipboardException&) {
    return;
  }
  std::string text = lines_.Text() + TTextBuffer::NormalizeLineBreaks(pasted);
  if (text.size() > MaxLength) text.resize(MaxLength);
  lines_.SetText(text);
}

}  // namespace qv
