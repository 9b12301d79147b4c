#include <gtest/gtest.h>

#include "framework/Colors.h"
#include "framework/ShortCuts.h"
#include "framework/TypInfo.h"

namespace qv {
namespace {

enum class TAlign { alNone, alTop, alBottom };

class TTestControl : public TComponent {
  QV_CLASS(TTestControl)
 public:
  using TComponent::TComponent;
  int Width() const { return width_; }
  void SetWidth(int value) { width_ = value; }

  int width_ = 10;
  TColor color_ = clBtnFace;
  TCursor cursor_ = crDefault;
  std::string caption_;
  bool visible_ = true;
  TAlign align_ = TAlign::alNone;
  double ratio_ = 0.25;
  char accel_ = 'k';
  TTestControl* buddy_ = nullptr;
  unsigned anchors_ = 3;
  int bevel_ = 1;
};

class TTestEdit : public TTestControl {
  QV_CLASS(TTestEdit)
 public:
  using TTestControl::TTestControl;
  bool Checked() const { return checked_; }
  // Like a check box: a change of state runs the click handler.
  void SetChecked(bool value) {
    if (value == checked_) return;
    checked_ = value;
    ++clicks_;
  }

  std::string text_ = "design";
  bool checked_ = false;
  int clicks_ = 0;
  TShortCut key_ = 0xC028;
  std::string short_name_;
};

// Declares its own class name but registers nothing: described as a TTestEdit.
class TTestUnregistered : public TTestEdit {
  QV_CLASS(TTestUnregistered)
 public:
  using TTestEdit::TTestEdit;
};

// Not derived from any registered class.
class TLoner : public TObject {
  QV_CLASS(TLoner)
};

const auto controlRegistrar =
    PropertyRegistrar<TTestControl, TComponent>()
        .Integer("Width", &TTestControl::Width, &TTestControl::SetWidth)
        .Color("Color", &TTestControl::color_, [](TTestControl& c, TColor v) { c.color_ = v; })
        .Cursor("Cursor", &TTestControl::cursor_, [](TTestControl& c, TCursor v) { c.cursor_ = v; })
        .String("Caption", &TTestControl::caption_,
                [](TTestControl& c, const std::string& v) { c.caption_ = v; })
        .Boolean("Visible", &TTestControl::visible_,
                 [](TTestControl& c, bool v) { c.visible_ = v; })
        .Enumeration("Align", "TAlign", {"alNone", "alTop", "alBottom"}, &TTestControl::align_,
                     [](TTestControl& c, TAlign v) { c.align_ = v; })
        .Float("Ratio", &TTestControl::ratio_, [](TTestControl& c, double v) { c.ratio_ = v; })
        .Char("Accel", &TTestControl::accel_, [](TTestControl& c, char v) { c.accel_ = v; })
        .Object("Buddy", "TTestControl", &TTestControl::buddy_,
                [](TTestControl& c, TTestControl* v) { c.buddy_ = v; })
        .Set("Anchors", "TAnchors", {"akLeft", "akTop", "akRight", "akBottom"},
             &TTestControl::anchors_, [](TTestControl& c, unsigned v) { c.anchors_ = v; })
        .Integer("bevel", &TTestControl::bevel_, [](TTestControl& c, int v) { c.bevel_ = v; })
        .Event("OnClick");

const auto editRegistrar =
    PropertyRegistrar<TTestEdit, TTestControl>()
        .String("Text", &TTestEdit::text_, [](TTestEdit& e, const std::string& v) { e.text_ = v; })
        .Boolean("Checked", &TTestEdit::Checked, &TTestEdit::SetChecked)
        .ShortCut("Key", &TTestEdit::key_, [](TTestEdit& e, TShortCut v) { e.key_ = v; })
        .String(
            "ShortName", &TTestEdit::short_name_,
            [](TTestEdit& e, const std::string& v) { e.short_name_ = v; }, "ShortString",
            TTypeKind::tkString)
        .Integer(
            "Count", [](TTestEdit& e) { return static_cast<int>(e.text_.size()); }, nullptr)
        // Redeclared: the descendant's version hides the ancestor's.
        .Integer("Width", &TTestEdit::Width, nullptr, "TEditWidth");

std::vector<std::string> Names(const std::vector<const TPropInfo*>& list) {
  std::vector<std::string> names;
  for (const TPropInfo* p : list) names.push_back(p->Name);
  return names;
}

TEST(TypInfo, WalkIsSortedAndInheritsOnce) {
  TTestEdit edit(nullptr);
  const std::vector<std::string> expected = {"Accel",   "Align",   "Anchors", "bevel", "Buddy",
                                             "Caption", "Checked", "Color",   "Count", "Cursor",
                                             "Key",     "Name",    "OnClick", "Ratio", "ShortName",
                                             "Tag",     "Text",    "Visible", "Width"};
  EXPECT_EQ(Names(GetPropList(&edit)), expected);
  EXPECT_EQ(GetPropInfo(&edit, "width")->TypeName, "TEditWidth");

  // The parent sees neither the child's properties nor its redeclaration.
  TTestControl control(nullptr);
  const auto controlNames = Names(GetPropList(&control));
  EXPECT_EQ(controlNames.size(), 14u);
  EXPECT_EQ(GetPropInfo(&control, "Text"), nullptr);
  EXPECT_EQ(GetPropInfo(&control, "WIDTH")->TypeName, "Integer");

  // Every component has its name and tag.
  TComponent plain(nullptr);
  EXPECT_EQ(Names(GetPropList(&plain)), (std::vector<std::string>{"Name", "Tag"}));
}

TEST(TypInfo, ClassesWithoutTheirOwnEntry) {
  TTestUnregistered u(nullptr);
  // Its own name, even asked through a base, though its properties are TTestEdit's.
  const TObject& asObject = u;
  EXPECT_STREQ(asObject.ClassName(), "TTestUnregistered");
  EXPECT_EQ(GetPropList(&u).size(), 19u);
  ASSERT_NE(GetPropInfo(&u, "Checked"), nullptr);
  SetOrdProp(&u, "Checked", 1);
  EXPECT_TRUE(u.Checked());

  TLoner loner;
  EXPECT_STREQ(static_cast<const TObject&>(loner).ClassName(), "TLoner");
  EXPECT_TRUE(GetPropList(&loner).empty());
  EXPECT_EQ(GetPropInfo(&loner, "Name"), nullptr);
  EXPECT_TRUE(GetPropList(nullptr).empty());
}

TEST(TypInfo, TypedAccessByName) {
  TTestEdit edit(nullptr);
  edit.SetName("Edit1");
  EXPECT_EQ(GetStrProp(&edit, "name"), "Edit1");
  SetOrdProp(&edit, "Align", 2);
  EXPECT_EQ(edit.align_, TAlign::alBottom);
  SetOrdProp(&edit, "Color", clHighlight);
  EXPECT_EQ(GetOrdProp(&edit, "color"), clHighlight);  // system colours stay negative
  SetFloatProp(&edit, "Ratio", 1.5);
  EXPECT_DOUBLE_EQ(GetFloatProp(&edit, "Ratio"), 1.5);
  SetStrProp(&edit, "Text", "abc");
  EXPECT_EQ(GetOrdProp(&edit, "Count"), 3);
  edit.accel_ = static_cast<char>(0xE9);
  EXPECT_EQ(GetOrdProp(&edit, "Accel"), 0xE9);  // characters count 0 to 255

  TTestControl other(nullptr);
  const TPropInfo* buddy = GetPropInfo(&edit, "Buddy");
  SetObjectProp(&edit, buddy, &other);
  EXPECT_EQ(GetObjectProp(&edit, buddy), &other);
  TLoner loner;
  EXPECT_THROW(SetObjectProp(&edit, buddy, &loner), EPropertyError);
  EXPECT_EQ(edit.buddy_, &other);
  SetObjectProp(&edit, buddy, nullptr);
  EXPECT_EQ(edit.buddy_, nullptr);

  EXPECT_THROW(GetOrdProp(&edit, "Nope"), EPropertyError);
  EXPECT_THROW(GetOrdProp(&edit, "Text"), EPropertyError);
  EXPECT_THROW(GetFloatProp(&edit, "Width"), EPropertyError);
  EXPECT_THROW(SetOrdProp(&edit, "Count", 1), EPropertyError);  // read only
  EXPECT_THROW(SetOrdProp(&edit, "Width", 1), EPropertyError);  // redeclared read only
  EXPECT_THROW(GetOrdProp(&edit, "OnClick"), EPropertyError);
}

TEST(TypInfo, EnumerationNames) {
  TTestEdit edit(nullptr);
  const TPropInfo* checked = GetPropInfo(&edit, "Checked");
  EXPECT_EQ(checked->Kind, TTypeKind::tkEnumeration);
  EXPECT_EQ(checked->TypeName, "Boolean");
  EXPECT_EQ(GetEnumName(checked, 0), "False");
  EXPECT_EQ(GetEnumName(checked, 1), "True");
  EXPECT_EQ(GetEnumName(checked, 2), "");
  const TPropInfo* align = GetPropInfo(&edit, "Align");
  EXPECT_EQ(GetEnumValue(align, "ALTOP"), 1);
  EXPECT_EQ(GetEnumValue(align, "alLeft"), -1);
  EXPECT_EQ(GetEnumName(GetPropInfo(&edit, "Anchors"), 3), "akBottom");
}

TEST(TypInfo, ValuesWrittenAsText) {
  TTestEdit edit(nullptr);
  auto text = [&](const char* name) { return PropValueToText(&edit, GetPropInfo(&edit, name)); };
  // Colours and cursors only by name.
  EXPECT_EQ(text("Color"), "clBtnFace");
  edit.color_ = 0x00123456;
  EXPECT_EQ(text("Color"), "");
  EXPECT_EQ(text("Cursor"), "crDefault");
  edit.cursor_ = crHandPoint;
  EXPECT_EQ(text("Cursor"), "crHandPoint");
  edit.cursor_ = -5;
  EXPECT_EQ(text("Cursor"), "");
  // Other integers in decimal.
  edit.bevel_ = -42;
  EXPECT_EQ(text("bevel"), "-42");
  EXPECT_EQ(text("Key"), "49192");
  // A character as itself; #0 is not written.
  EXPECT_EQ(text("Accel"), "k");
  edit.accel_ = 0;
  EXPECT_EQ(text("Accel"), "");
  // Boolean in capitals.
  EXPECT_EQ(text("Visible"), "TRUE");
  EXPECT_EQ(text("Checked"), "FALSE");
  // Strings unchanged.
  edit.caption_ = " two  words ";
  EXPECT_EQ(text("Caption"), " two  words ");
  EXPECT_EQ(text("Name"), "");
  // Not written at all.
  edit.align_ = TAlign::alTop;
  EXPECT_EQ(text("Align"), "");
  EXPECT_EQ(text("Ratio"), "");
  EXPECT_EQ(text("Anchors"), "");
  EXPECT_EQ(text("Buddy"), "");
  EXPECT_EQ(text("OnClick"), "");
}

TEST(TypInfo, TextsReadBack) {
  TTestEdit edit(nullptr);
  auto set = [&](const char* name, const std::string& value) {
    TextToPropValue(&edit, GetPropInfo(&edit, name), value);
  };
  set("Color", "clRed");
  EXPECT_EQ(edit.color_, clRed);
  set("Color", "CLHIGHLIGHT");
  EXPECT_EQ(edit.color_, clHighlight);
  set("Color", "65280");
  EXPECT_EQ(edit.color_, clLime);
  set("Cursor", "crIBeam");
  EXPECT_EQ(edit.cursor_, crIBeam);
  set("Cursor", "-21");
  EXPECT_EQ(edit.cursor_, crHandPoint);
  set("bevel", "17");
  EXPECT_EQ(edit.bevel_, 17);
  set("Key", "116");
  EXPECT_EQ(edit.key_, 0x74);
  set("Accel", "xyz");
  EXPECT_EQ(edit.accel_, 'x');
  set("Caption", "Hello");
  EXPECT_EQ(edit.caption_, "Hello");
  set("ShortName", "abc");
  EXPECT_EQ(edit.short_name_, "abc");

  // Boolean: exactly "TRUE" or "FALSE", through the setter.
  set("Checked", "TRUE");
  EXPECT_TRUE(edit.checked_);
  EXPECT_EQ(edit.clicks_, 1);
  set("Checked", "TRUE");
  EXPECT_EQ(edit.clicks_, 1);
  for (const char* ignored : {"true", "False", "1", "yes", "TRUE "}) set("Checked", ignored);
  EXPECT_TRUE(edit.checked_);
  set("Checked", "FALSE");
  EXPECT_FALSE(edit.checked_);
  EXPECT_EQ(edit.clicks_, 2);

  // Nothing is read for other enumerations, floats, sets, classes and events.
  set("Align", "alTop");
  set("Align", "1");
  EXPECT_EQ(edit.align_, TAlign::alNone);
  set("Ratio", "1.5");
  EXPECT_DOUBLE_EQ(edit.ratio_, 0.25);
  set("Anchors", "15");
  EXPECT_EQ(edit.anchors_, 3u);
  set("Buddy", "Edit1");
  EXPECT_EQ(edit.buddy_, nullptr);
  EXPECT_NO_THROW(set("OnClick", "Edit1Click"));
}

TEST(TypInfo, BadOrEmptyTextLeavesValue) {
  TTestEdit edit(nullptr);
  auto set = [&](const char* name, const std::string& value) {
    TextToPropValue(&edit, GetPropInfo(&edit, name), value);
  };
  EXPECT_THROW(set("Color", "reddish"), EConvertError);
  EXPECT_EQ(edit.color_, clBtnFace);
  EXPECT_THROW(set("Cursor", "crBusy"), EConvertError);
  EXPECT_EQ(edit.cursor_, crDefault);
  try {
    set("bevel", "12abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12abc' is not a valid integer value");
  }
  EXPECT_EQ(edit.bevel_, 1);
  // The empty text changes nothing, whatever the kind.
  for (const TPropInfo* p : GetPropList(&edit)) EXPECT_NO_THROW(TextToPropValue(&edit, p, ""));
  EXPECT_EQ(edit.text_, "design");
  EXPECT_EQ(edit.accel_, 'k');
  EXPECT_EQ(edit.color_, clBtnFace);
  EXPECT_EQ(edit.width_, 10);
  EXPECT_EQ(edit.clicks_, 0);
}

}  // namespace
}  // namespace qv
