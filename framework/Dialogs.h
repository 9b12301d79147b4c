#pragma once
// Message dialogs. Every prompt goes through DialogHook() when one is set, so
// tests can answer them in-process; otherwise a real message box is shown.

#include <functional>
#include <string>

#include "framework/Forms.h"

namespace qv {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };

struct TDialogRequest {
  std::string Caption;
  std::string Text;
  TMsgDlgType Type;
  unsigned Buttons;
};

using TDialogHook = std::function<TModalResult(const TDialogRequest&)>;
TDialogHook& DialogHook();

// Caption by type: "Warning", "Error", "Information", "Confirm" (custom: the
// application title).
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons);
// A plain box with an OK button, captioned with the application title.
void ShowMessage(const std::string& text);
// The box that shows an error, captioned with the application title.
void ShowErrorBox(const std::string& text);

}  // namespace qv
