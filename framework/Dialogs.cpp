#include "framework/Dialogs.h"

#include <windows.h>

#include "framework/WideText.h"

namespace qv {

TDialogHook& DialogHook() {
  static TDialogHook hook;
  return hook;
}

namespace {

std::string AppTitle() { return Application ? Application->Title() : std::string(); }

TModalResult Show(const TDialogRequest& request) {
  if (DialogHook()) return DialogHook()(request);
  UINT flags = MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST;
  switch (request.Type) {
    case TMsgDlgType::mtWarning:
      flags |= MB_ICONWARNING;
      break;
    case TMsgDlgType::mtError:
      flags |= MB_ICONERROR;
      break;
    case TMsgDlgType::mtInformation:
      flags |= MB_ICONINFORMATION;
      break;
    case TMsgDlgType::mtConfirmation:
      flags |= MB_ICONQUESTION;
      break;
    case TMsgDlgType::mtCustom:
      break;
  }
  const unsigned b = request.Buttons;
  if ((b & mbYes) && (b & mbNo) && (b & mbCancel))
    flags |= MB_YESNOCANCEL;
  else if ((b & mbYes) && (b & mbNo))
    flags |= MB_YESNO;
  else if ((b & mbOK) && (b & mbCancel))
    flags |= MB_OKCANCEL;
  else
    flags |= MB_OK;
  // Wide: a path in the text may hold what the ANSI code page cannot.
  switch (MessageBoxW(nullptr, MessageToWide(request.Text).c_str(),
                      MessageToWide(request.Caption).c_str(), flags)) {
    case IDYES:
      return TModalResult::mrYes;
    case IDNO:
      return TModalResult::mrNo;
    case IDOK:
      return TModalResult::mrOk;
    default:
      return TModalResult::mrCancel;
  }
}

}  // namespace

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) {
  static const char* const kCaptions[] = {"Warning", "Error", "Information", "Confirm", ""};
  std::string caption = kCaptions[static_cast<int>(type)];
  if (type == TMsgDlgType::mtCustom) caption = AppTitle();
  return Show(TDialogRequest{caption, text, type, buttons});
}

void ShowMessage(const std::string& text) {
  Show(TDialogRequest{AppTitle(), text, TMsgDlgType::mtCustom, mbOK});
}

void ShowErrorBox(const std::string& text) {
  Show(TDialogRequest{AppTitle(), text, TMsgDlgType::mtError, mbOK});
}

}  // namespace qv
