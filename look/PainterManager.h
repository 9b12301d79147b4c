#pragma once
// The application-wide side of the flat look: TMenuPainterManager picks one
// painter (the first active one) to take over the controls of every form of the
// application, including forms made later, and relays the popup-frame requests
// posted to the application window. TControlSubClass sits in front of one
// control's WindowProc, lets the control paint itself, then paints the flat
// border, face or mark over it.

#include <windows.h>

#include <vector>

#include "framework/Component.h"
#include "framework/Controls.h"

namespace qv {

class TApplication;
class TCustomForm;
class TMenuPainter;

// Framework notifications the subclass reacts to beyond the ones Controls.h names.
constexpr UINT CM_FOCUSCHANGED = 0xB007;
constexpr UINT CM_PARENTCOLORCHANGED = 0xB009;
constexpr UINT CM_ENABLEDCHANGED = 0xB00C;
constexpr UINT CM_PARENTCTL3DCHANGED = 0xB011;
constexpr UINT CM_TEXTCHANGED = 0xB012;
constexpr UINT CM_EXIT = 0xB01B;
constexpr UINT CM_INVALIDATE = 0xB034;
constexpr UINT CN_PARENTNOTIFY = 0xBE10;

class TControlSubClass : public TComponent {
  QV_CLASS(TControlSubClass)
 public:
  // Owned by the painter that made it; Control is watched, and this object goes
  // when the control does.
  TControlSubClass(TMenuPainter* owner, TControl* control);
  // Gives the control its own WindowProc back when it still runs ours.
  ~TControlSubClass() override;

  TControl* Control = nullptr;
  bool Recreating = false;
  bool Hot = false;
  bool LeftButtonDown = false;
  bool SpaceDown = false;
  bool SpaceSeen = false;
  bool Focused = false;
  TWndMethod SavedWindowProc;
  TMenuPainter* Painter = nullptr;
  bool SavedCtl3D = true;
  TBorderStyle SavedBorderStyle = TBorderStyle::bsSingle;
  UINT LastMessage = 0;

  void WindowProc(TMessage& message);
  // This object's WindowProc as a delegate, to compare a control's against.
  TWndMethod Method() { return TWndMethod::Of<&TControlSubClass::WindowProc>(this); }
  // Points the control back at SavedWindowProc and restores the saved values.
  void Restore();
  // Records the control's border values, for the kinds whose painters change them.
  void SaveBorder();

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void RepaintControl();
  void PaintCheckBox();
  void PaintEdit();
  void PaintListBorder();
  void PaintCombo();
  void PaintLookupCombo();
  void PaintRichEdit();
  void PaintRadioButton();
  void PaintButton();
  void PaintUpDown();
  void PaintSpeedButton();
  void PaintGroupBox();
  void PaintProgressBar();
  void PaintHotKey();
  void FlattenEdge(TWinControl& control);
  void PaintPanel();
  void FreeSelf();
};

// True when `method` is some subclass object's WindowProc.
bool IsSubClassMethod(const TWndMethod& method);

class TMenuPainterManager : public TComponent {
  QV_CLASS(TMenuPainterManager)
 public:
  // The one manager, made on first use by a painter; null when none exists.
  static TMenuPainterManager* Instance() { return instance_; }
  static TMenuPainterManager* Require();

  void Register(TMenuPainter* painter);
  // Forgets the painter; the manager goes with the last one.
  void Unregister(TMenuPainter* painter);
  void FormNotice(TComponent* component, TOperation operation);
  void Reassign(TMenuPainter* excluded);
  TMenuPainter* FindPainter(TMenuPainter* excluded) const;
  void ScanForms();
  void ReleaseForm(TCustomForm* form);
  // The application's main-window hook; it never claims a message.
  bool AppHook(TMessage& message);
  // The painter whose frame request is queued; it answers that request. Only one
  // request waits at a time, so one painter is enough to remember.
  void NoteFrameRequest(TMenuPainter* painter) { frame_requester_ = painter; }
  TMenuPainter* FrameRequester() const { return frame_requester_; }
  // Painters that exist but have not registered yet keep the manager alive.
  void AddConstructed() { ++constructed_; }
  void RemoveConstructed(TMenuPainter* painter);

  const std::vector<TMenuPainter*>& Painters() const { return painters_; }
  const std::vector<TCustomForm*>& PendingForms() const { return pending_forms_; }
  const std::vector<TCustomForm*>& HookedForms() const { return hooked_forms_; }
  TMenuPainter* ActivePainter() const { return active_painter_; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TMenuPainterManager();
  ~TMenuPainterManager() override;
  // Forms the application made since the last look, picked up as they appear:
  // the framework tells only a form's owner of its creation.
  void NoticeNewForms();
  void TakeOverPendingForms();
  void FrameByItem(TMessage& message, TMenuPainter* painter);
  // The painter that answers a frame request now being handled.
  TMenuPainter* TakeFrameRequester();
  void HookApplication();
  TApplication* App() const;

  static TMenuPainterManager* instance_;
  std::vector<TMenuPainter*> painters_;
  std::vector<TCustomForm*> pending_forms_;
  std::vector<TCustomForm*> hooked_forms_;
  TMenuPainter* active_painter_ = nullptr;
  TMenuPainter* frame_requester_ = nullptr;
  TApplication* app_ = nullptr;
  int constructed_ = 0;
};

}  // namespace qv
