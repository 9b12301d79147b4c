#pragma once
// TQvRichEdit: a hidden plain-text buffer used as a line store. It never shows; the
// program uses it for text, not for editing.

#include <string>

#include "framework/Component.h"
#include "framework/TextBuffer.h"

namespace qv {

class TQvRichEdit : public TComponent {
  QV_CLASS(TQvRichEdit)
 public:
  explicit TQvRichEdit(TComponent* owner) : TComponent(owner) {}

  TTextBuffer& Lines() { return lines_; }
  const TTextBuffer& Lines() const { return lines_; }
  std::string Text() const { return lines_.Text(); }
  void SetText(const std::string& text) { lines_.SetText(text); }
  void Clear() { lines_.Clear(); }

  bool PlainText = false;

 private:
  TTextBuffer lines_;
};

}  // namespace qv
