#pragma once
// The names stored files and other programs rely on, in one place. They come from the
// program's first design and stay exactly as they are, however the code names things:
// older copies and other programs read the files and find the windows by them.

namespace qv {

// Window classes: other programs find the clip window and the Settings dialog by them.
inline constexpr char kMainWindowClass[] = "TForm1";
inline constexpr char kSettingsWindowClass[] = "TForm2";

// The settings file ("<title>.ini" beside the clip files): the section is the dialog's
// name, each key a control's name and its value ("ComboBox1.Text", "CheckBox2.Checked"),
// beside the dialog's "Left", "Top", "Width" and "Height".
inline constexpr char kSettingsSection[] = "Form2";
inline constexpr char kHotKeyControl[] = "ComboBox1";     // "ComboBox1.Text"
inline constexpr char kPasteDelayControl[] = "ComboBox2";  // "ComboBox2.Text"
inline constexpr char kAutoSaveControl[] = "CheckBox1";    // "CheckBox1.Checked"
inline constexpr char kSuppressControl[] = "CheckBox2";    // "CheckBox2.Checked"

// The two clip files, 8-bit text in the ANSI code page with CR LF breaks: the list's lines
// and the store of the texts. What they cannot hold lives beside them in files of this
// program's own (exact texts, the journal).
inline constexpr char kClipListFile[] = "Lb1.qvl";
inline constexpr char kClipStoreFile[] = "vqclips.qvl";

}  // namespace qv
