// The clip window read as a screen reader reads it: the objects the windows give through
// AccessibleObjectFromWindow, and the events they raise.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <string>
#include <vector>

#include "framework/Accessible.h"
#include "framework/Handles.h"
#include "look/ProgramColors.h"
#include "tests/win/MainWindowFixture.h"

namespace qv {
namespace {

// One reference to an object a reader was given.
struct Reader {
  explicit Reader(HWND wnd) {
    AccessibleObjectFromWindow(wnd, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                               reinterpret_cast<void**>(&object));
  }
  ~Reader() {
    if (object) object->Release();
  }
  static VARIANT Child(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
  }
  std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), long id = 0) {
    BSTR text = nullptr;
    if ((object->*get)(Child(id), &text) != S_OK || !text) return L"<none>";
    std::wstring result(text, SysStringLen(text));
    SysFreeString(text);
    return result;
  }
  std::wstring Name(long id = 0) { return Text(&IAccessible::get_accName, id); }
  std::wstring Description(long id = 0) { return Text(&IAccessible::get_accDescription, id); }
  long Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), long id) {
    VARIANT v;
    VariantInit(&v);
    return (object->*get)(Child(id), &v) == S_OK && v.vt == VT_I4 ? v.lVal : -1;
  }
  long Role(long id = 0) { return Number(&IAccessible::get_accRole, id); }
  long State(long id = 0) { return Number(&IAccessible::get_accState, id); }
  long ChildCount() {
    long count = -1;
    object->get_accChildCount(&count);
    return count;
  }
  IAccessible* object = nullptr;
};

// The events raised while it lives: (event, window, child id).
struct EventLog {
  struct Event {
    DWORD event;
    HWND wnd;
    long object, child;
  };
  EventLog() {
    log = this;
    hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, &EventLog::Hook, GetCurrentProcessId(), 0,
                           WINEVENT_OUTOFCONTEXT);
  }
  ~EventLog() {
    UnhookWinEvent(hook);
    log = nullptr;
  }
  static void CALLBACK Hook(HWINEVENTHOOK, DWORD event, HWND wnd, LONG object, LONG child, DWORD,
                            DWORD) {
    if (log) log->events.push_back({event, wnd, object, child});
  }
  bool Saw(DWORD event, HWND wnd, long child, long object = OBJID_CLIENT) const {
    for (const Event& e : events)
      if (e.event == event && e.wnd == wnd && e.object == object && e.child == child) return true;
    return false;
  }
  static inline EventLog* log = nullptr;
  HWINEVENTHOOK hook;
  std::vector<Event> events;
};

class Accessibility : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    MainWindowFixture::SetUp();
    Start();
    test::Pump();
    // Newest first: the snowman's clip is the newest.
    form->History.AddClip("beta road", "0000000000003", "beta road");
    form->History.AddClip("alpha street", "0000000000002", "alpha street");
    form->History.AddClip("?ber ?", "0000000000001", "?ber ?",
                          "\xC3\x9C"
                          "ber \xE2\x98\x83");
    form->Show();
    test::Pump();
    form->ToggleClips();
    test::Pump();
  }
  void TearDown() override {
    MainWindowFixture::TearDown();
    CoUninitialize();
  }
  const TClipWindowControls& c() { return form->ClipControls(); }
};

TEST_F(Accessibility, TheClipListIsAListOfTheShownClipsNamedAsDrawnWithTheirStates) {
  TCheckListBox& list = *c().ClipList;
  Reader reader(list.Handle());
  ASSERT_NE(reader.object, nullptr);
  EXPECT_EQ(reader.Role(), ROLE_SYSTEM_LIST);
  EXPECT_EQ(reader.Name(), L"Clips");
  ASSERT_EQ(reader.ChildCount(), 3);
  EXPECT_EQ(reader.Role(1), ROLE_SYSTEM_LISTITEM);
  EXPECT_EQ(reader.Name(1), L"\u00DCber \u2603");  // the exact text, not its ANSI rendering
  EXPECT_EQ(reader.Name(2), L"alpha street");
  EXPECT_EQ(reader.Description(2), L"2 of 3, slot 2");

  list.SetItemIndex(1);
  list.SetItemState(2, TCheckBoxState::cbChecked);
  EXPECT_TRUE(reader.State(2) & STATE_SYSTEM_SELECTED);
  EXPECT_FALSE(reader.State(1) & STATE_SYSTEM_SELECTED);
  EXPECT_TRUE(reader.State(3) & STATE_SYSTEM_CHECKED);
  EXPECT_FALSE(reader.State(2) & STATE_SYSTEM_CHECKED);
  EXPECT_FALSE(reader.State(2) & STATE_SYSTEM_FOCUSED);  // the panel has the keys
  list.SetFocus();
  EXPECT_TRUE(reader.State(2) & STATE_SYSTEM_FOCUSED);
  VARIANT focus;
  ASSERT_EQ(reader.object->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.lVal, 2);

  // A find: the children are the found clips, counted anew, and the count is told.
  form->Find().Open();
  EventLog log;
  c().FindLine->SetText("street");
  test::Pump();
  EXPECT_TRUE(log.Saw(EVENT_OBJECT_DESCRIPTIONCHANGE, c().FindLine->Handle(), CHILDID_SELF));
  EXPECT_EQ(Reader(c().FindLine->Handle()).Description(), L"1 clip found");
  ASSERT_EQ(reader.ChildCount(), 1);
  EXPECT_EQ(reader.Name(1), L"alpha street");
  EXPECT_EQ(reader.Description(1), L"1 of 1, slot 1");
  EXPECT_EQ(reader.Name(2), L"<none>");  // no such child
}

TEST_F(Accessibility, TheWindowComingUpAndSelectionFocusAndCheckChangesAreRaised) {
  TCheckListBox& list = *c().ClipList;
  EventLog log;
  form->HideClips();
  form->ToggleClips();
  test::Pump();
  EXPECT_TRUE(log.Saw(EVENT_SYSTEM_FOREGROUND, form->Handle(), CHILDID_SELF, OBJID_WINDOW));
  list.SetItemIndex(2);
  list.SetItemState(0, TCheckBoxState::cbChecked);
  test::Pump();
  EXPECT_TRUE(log.Saw(EVENT_OBJECT_SELECTION, list.Handle(), 3));
  EXPECT_TRUE(log.Saw(EVENT_OBJECT_STATECHANGE, list.Handle(), 1));
  EXPECT_FALSE(log.Saw(EVENT_OBJECT_FOCUS, list.Handle(), 3));  // the list has no focus
  list.SetFocus();
  list.SetItemIndex(1);
  test::Pump();
  EXPECT_TRUE(log.Saw(EVENT_OBJECT_FOCUS, list.Handle(), 2));
}

TEST_F(Accessibility, EveryButtonIsAPushButtonNamedInWordsWithItsHint) {
  const struct {
    TSpeedButton* button;
    const wchar_t* name;
  } buttons[] = {
      {c().RangeButton, L"Paste the range up to the newest clip"},
      {c().PlusCrLfLfButton, L"Paste and add a line break and a line feed"},
      {c().PlusCrLfButton, L"Paste and add a line break"},
      {c().HideButton, L"Hide"},
      {c().FindButton, L"Find clips"},
  };
  for (const auto& b : buttons) {
    Reader reader(b.button->Handle());
    ASSERT_NE(reader.object, nullptr);
    EXPECT_EQ(reader.Role(), ROLE_SYSTEM_PUSHBUTTON) << b.name;
    EXPECT_EQ(reader.Name(), b.name);
  }
  Reader range(c().RangeButton->Handle());
  EXPECT_EQ(range.Description(), L"Paste from clicked line to top.");
  EXPECT_FALSE(range.State() & STATE_SYSTEM_PRESSED);
  c().RangeButton->SetDown(true);
  EXPECT_TRUE(range.State() & STATE_SYSTEM_PRESSED);

  // A reader may keep an object past its control: it then answers that it is gone.
  auto* passing = new TSpeedButton(form);
  passing->SetParent(c().Panel);
  passing->Accessibility.Name = "Passing";
  Reader kept(passing->Handle());
  EXPECT_EQ(kept.Name(), L"Passing");
  delete passing;
  EXPECT_EQ(kept.Name(), L"<none>");
  EXPECT_EQ(kept.Role(), -1);

  form->Find().Open();
  Reader find(c().FindLine->Handle());
  EXPECT_EQ(find.Name(), L"Find clips");
  EXPECT_EQ(find.Role(), ROLE_SYSTEM_TEXT);
}

TEST_F(Accessibility, TheSettingsControlsAreNamedByTheirLabels) {
  TSettingsDialog* settings = app->CreateForm<TSettingsDialog>();
  for (TComboBox* box : {settings->HotKeyChoice, settings->PasteDelayChoice}) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(box->Handle(), &info));
    const std::wstring label =
        box == settings->HotKeyChoice ? L"Quorel Clip HotKey:" : L"Paste Delay:";
    EXPECT_EQ(Reader(box->Handle()).Name(), label);
    EXPECT_EQ(Reader(info.hwndItem).Name(), label);  // its edit field
  }
  EXPECT_EQ(Reader(settings->TitlePanel->Handle()).Name(), L"Quorel Vavad, Vesk Quorvel Software");
  Reader ok(settings->OkButton->Handle());
  EXPECT_EQ(ok.Role(), ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(ok.Name(), L"OK");
}

TEST_F(Accessibility, TheOwnerDrawnTrayMenuHoldsItsItemsTexts) {
  TPopupMenu& menu = *form->Tray().TrayMenu;
  HMENU handle = menu.Handle();
  ASSERT_EQ(GetMenuItemCount(handle), menu.Items().Count());
  for (int i = 0; i < menu.Items().Count(); ++i) {
    char text[64] = {};
    GetMenuStringA(handle, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    EXPECT_EQ(text, menu.Items().Items(i)->Caption());
  }
}

// Any pixel of the rectangle (client coordinates of the control) in this colour.
bool Shows(TWinControl* control, RECT r, COLORREF color) {
  WindowDc dc(control->Handle());
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (GetPixel(dc.get(), x, y) == color) return true;
  return false;
}

COLORREF Pixel(TWinControl* control, int x, int y) {
  WindowDc dc(control->Handle());
  return GetPixel(dc.get(), x, y);
}

TEST_F(Accessibility, UnderAHighContrastSetEverySurfaceTakesTheSystemColoursAndGivesThemBack) {
  // A set unlike the design and unlike itself, so that each surface shows which it took.
  const int elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT,
                          COLOR_HIGHLIGHT};
  const COLORREF contrast[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 96), RGB(255, 255, 0),
                               RGB(0, 255, 255)};
  COLORREF saved[5];
  for (int i = 0; i < 5; ++i) saved[i] = GetSysColor(elements[i]);
  SetSysColors(5, elements, contrast);
  test::Pump();
  ColorClipWindow(c(), true);
  RedrawWindow(form->Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  test::Pump();

  EXPECT_EQ(Pixel(c().Panel, c().Panel->Width() - 4, 300), RGB(0, 0, 96));
  EXPECT_EQ(Pixel(c().SlotStrip, 1, 100), RGB(0, 255, 255));
  EXPECT_EQ(Pixel(c().ClipList, 150, 300), RGB(0, 0, 0));
  const RECT firstLine = c().ClipList->ItemRect(1);
  EXPECT_TRUE(Shows(c().ClipList, firstLine, RGB(255, 255, 255)));
  const RECT label{0, 0, c().SlotLabels->Width(), 13};
  EXPECT_EQ(Pixel(c().SlotLabels, 1, 1), RGB(0, 0, 96));
  EXPECT_TRUE(Shows(c().SlotLabels, label, RGB(255, 255, 0)));
  // The logo in the two colours of the buttons' face and text, and nothing else.
  {
    WindowDc dc(c().Logo->Handle());
    int text = 0, face = 0, other = 0;
    for (int y = 0; y < c().Logo->Height(); ++y)
      for (int x = 0; x < c().Logo->Width(); ++x) {
        const COLORREF p = GetPixel(dc.get(), x, y);
        text += p == RGB(255, 255, 0);
        face += p == RGB(0, 0, 96);
        other += p != RGB(255, 255, 0) && p != RGB(0, 0, 96);
      }
    EXPECT_GT(text, 0);
    EXPECT_GT(face, text);  // letters on the face, not a block
    EXPECT_EQ(other, 0);
  }
  for (TSpeedButton* b : {c().RangeButton, c().PlusCrLfButton, c().HideButton, c().FindButton}) {
    const RECT face{0, 0, b->Width(), b->Height()};
    EXPECT_TRUE(Shows(b, face, RGB(255, 255, 0))) << b->Name();
    EXPECT_EQ(Pixel(b, 1, 1), RGB(0, 0, 96)) << b->Name();
  }

  SetSysColors(5, elements, saved);  // the window takes the design back at once
  test::Pump();
  UpdateWindow(form->Handle());
  EXPECT_EQ(Pixel(c().Panel, c().Panel->Width() - 4, 300), ColorToRGB(kPanelColor));
  EXPECT_EQ(Pixel(c().ClipList, 150, 300), RGB(255, 255, 204));
  EXPECT_EQ(Pixel(c().SlotStrip, 1, 100), ColorToRGB(39423));

  // The Settings dialog the same way; Sort still looks unavailable until saving is suppressed.
  TSettingsDialog* settings = app->CreateForm<TSettingsDialog>();
  settings->ApplyColors(true);
  EXPECT_EQ(settings->Color(), clBtnFace);
  EXPECT_EQ(settings->SortButton->Font().Color(), clGrayText);
  settings->SuppressBox->SetChecked(true);
  EXPECT_EQ(settings->SortButton->Font().Color(), clBtnText);
  settings->ApplyColors(false);
  EXPECT_EQ(settings->Color(), kPanelColor);
  EXPECT_EQ(settings->SortButton->Font().Color(), TColor{8388608});
}

}  // namespace
}  // namespace qv
