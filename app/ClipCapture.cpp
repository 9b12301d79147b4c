#include "app/ClipCapture.h"

#include <cstring>
#include <new>
#include <optional>
#include <string_view>

#include "framework/SysUtils.h"
#include "framework/WideText.h"

namespace qv {

namespace {

// About two seconds of tries for a clipboard that another program holds or whose owner is
// slow to render a large text.
constexpr unsigned kRetryInterval = 100;
constexpr int kRetries = 20;

// Content its source marks as not to be recorded (password managers and the
// like) is left alone, exactly as if the clipboard held no text.
bool IsPrivateClipboardContent(TClipboard& clipboard) {
  static const UINT exclude =
      TClipboard::RegisterFormat("ExcludeClipboardContentFromMonitorProcessing");
  static const UINT ignore = TClipboard::RegisterFormat("Clipboard Viewer Ignore");
  static const UINT history = TClipboard::RegisterFormat("CanIncludeInClipboardHistory");
  if (clipboard.HasFormat(exclude) || clipboard.HasFormat(ignore)) return true;
  if (clipboard.HasFormat(history)) {
    try {
      const std::optional<std::string> data = clipboard.FormatData(history);
      if (data && data->size() >= 4) {
        uint32_t value = 0;
        std::memcpy(&value, data->data(), 4);
        return value == 0;
      }
    } catch (const EClipboardException&) {
      return true;  // cannot tell: err on the side of not recording
    }
  }
  return false;
}

// Characters of a UTF-16 text: a surrogate pair is one, and so is a lone surrogate (it
// becomes U+FFFD).
size_t CharacterCount(std::wstring_view text) {
  size_t pairs = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++pairs;
      ++i;
    }
  }
  return text.size() - pairs;
}

// The most bytes one character takes in the system's ANSI code page (4 where the code page
// is UTF-8 or GB18030, the widest there are).
size_t AnsiCharacterBytes() {
  CPINFO info;
  return GetCPInfo(CP_ACP, &info) ? info.MaxCharSize : 4;
}

}  // namespace

TClipCapture::TClipCapture(TComponent* owner, TClipHistory& history, TCaptureHost& host)
    : history_(history),
      host_(host),
      ids_([] { return static_cast<uint32_t>(GetTickCount()); }),
      retry_timer_(MakeComponent<TTimer>(owner, "CaptureRetryTimer")) {
  retry_timer_->SetInterval(0);
  retry_timer_->OnTimer = TNotifyEvent::Of<&TClipCapture::RetryTimerTick>(this);
}

void TClipCapture::ClipboardChanged() {
  if (writing_) {
    notice_in_write_ = true;
    return;
  }
  const DWORD sequence = GetClipboardSequenceNumber();
  if (skip_next_ || (own_sequence_ != 0 && sequence == own_sequence_)) {
    skip_next_ = false;
    seen_sequence_ = sequence;
    return;
  }
  retry_timer_->SetInterval(0);  // this run reads the newest content itself
  retry_attempts_ = 0;
  if (ignore_next_) {
    ignore_next_ = false;
    seen_sequence_ = sequence;
    host_.CopyIgnored();
    return;
  }
  Run();
}

void TClipCapture::CatchUp() {
  if (writing_) return;
  const DWORD sequence = GetClipboardSequenceNumber();
  if (sequence != seen_sequence_ && sequence != own_sequence_) ClipboardChanged();
}

void TClipCapture::OwnWrite(const std::function<DWORD()>& write) {
  writing_ = true;
  notice_in_write_ = false;
  DWORD sequence = 0;
  try {
    sequence = write();
  } catch (...) {
    writing_ = false;
    // Nothing of ours is there: a notice that came meanwhile was someone else's change.
    if (notice_in_write_) ClipboardChanged();
    throw;
  }
  // The write's own number, not the clipboard's number now: a change another program made
  // since the write closed the clipboard is a copy to capture.
  own_sequence_ = sequence;
  writing_ = false;
  if (notice_in_write_) ClipboardChanged();
}

void TClipCapture::Report(DWORD sequence, const std::string& what) {
  if (sequence == reported_sequence_) return;
  reported_sequence_ = sequence;
  host_.NotKept(what);
}

void TClipCapture::ReportTooLarge(DWORD sequence, size_t size) {
  Report(sequence, Format("A copied text of %.1f MB was not kept: the history holds at most "
                          "%.0f MB.",
                          static_cast<double>(size) / (1 << 20),
                          static_cast<double>(history_.Store().Capacity()) / (1 << 20)));
}

void TClipCapture::Run() {
  // One run at a time: a notice that arrives while a run waits for a late-rendered text
  // asks for one more run afterwards instead of running inside it.
  if (capturing_) {
    capture_again_ = true;
    return;
  }
  capturing_ = true;
  ScopeExit done([this] { capturing_ = false; });
  bool read = true;
  do {
    capture_again_ = false;
    read = CaptureOnce();
  } while (capture_again_);
  if (read) return;
  const DWORD sequence = GetClipboardSequenceNumber();
  if (sequence != retry_sequence_) retry_attempts_ = 0;
  retry_sequence_ = sequence;
  if (retry_attempts_++ < kRetries)
    retry_timer_->SetInterval(kRetryInterval);
  else
    Report(sequence, "A copied text was not kept: the clipboard stayed busy.");
}

void TClipCapture::RetryTimerTick(TObject*) {
  retry_timer_->SetInterval(0);
  // A newer content brings a notice of its own.
  if (GetClipboardSequenceNumber() != retry_sequence_) return;
  Run();
}

bool TClipCapture::CaptureOnce() {
  const DWORD sequence = GetClipboardSequenceNumber();
  seen_sequence_ = sequence;
  if (!on_) return true;
  TClipboard& clipboard = host_.CaptureClipboard();
  // Notices arrive after the fact: by now the source may be placing its next content.
  // Holding the clipboard open while it is examined and read means the text and its
  // private marks are from one and the same content. No waiting here: the retry timer
  // waits, so the hot key and the other notices are answered meanwhile.
  if (!clipboard.TryOpen()) return false;
  // The text's ANSI rendering goes into the store inside a block of its own. Every character
  // becomes at least one byte of that rendering ("?" where the code page lacks it) and line
  // breaks only grow, so a text of more characters than the room a block leaves cannot be
  // kept: it is said at once, before any of the full-size copies that converting it takes
  // (more memory than a 32-bit process finds for a text of a hundred MB or two).
  const size_t frame = MakeBlock(std::string(kClipIdLength, '0'), {}).size();
  const size_t capacity = history_.Store().Capacity();
  const size_t room = capacity > frame ? capacity - frame : 0;
  size_t least = 0;  // the fewest bytes the rendering can have
  std::string exact;
  TAnsiRendering ansi{};
  try {
    std::optional<std::wstring> text;
    {
      ScopeExit close([&clipboard] { clipboard.Close(); });
      if (!clipboard.HasFormat(CF_UNICODETEXT) && !clipboard.HasFormat(CF_TEXT)) return true;
      if (IsPrivateClipboardContent(clipboard)) return true;
      // The system offers every text as UTF-16; the 8-bit form only where it does not.
      bool read = false;
      if (clipboard.HasFormat(CF_UNICODETEXT)) {
        read = clipboard.ViewUnicodeText([&](std::wstring_view t) {
          least = CharacterCount(t);
          if (least <= room) text.emplace(t);
        });
      } else {
        // No character takes more bytes than the code page's widest.
        read = clipboard.ViewText([&](std::string_view t) {
          const size_t widest = AnsiCharacterBytes();
          least = (t.size() + widest - 1) / widest;
          if (least <= room) text = AnsiToWide(t);
        });
      }
      if (!read) return false;
    }
    // An empty text is nothing to paste back: never a clip.
    if (text && text->empty()) return true;
    ++texts_seen_;
    if (!text) {
      ReportTooLarge(sequence, least);
      return true;
    }
    // The store keeps hard lines: lone CR and LF become CR LF, as a paste into a text
    // control makes them, so the duplicate rule compares what the history would hold.
    exact = TTextBuffer::NormalizeLineBreaks(WideToUtf8(*text));
    text.reset();  // one full-size copy fewer while the next ones are made
    if (exact == last_text_) return true;
    // The list and the store hold the ANSI rendering, as other programs read them; the
    // exact text goes beside them only where that rendering lost something.
    ansi = WideToAnsi(Utf8ToWide(exact));
  } catch (const std::bad_alloc&) {
    // Out of memory on the way: nothing has changed yet, and it is said like a text the
    // history cannot hold, never in a message box.
    ReportTooLarge(sequence, least);
    return true;
  }
  const auto width = [this](const std::string& t) { return host_.TextWidth(t); };
  if (history_.AddClip(ansi.text, ids_, width, ansi.exact ? std::string_view() : exact)) {
    last_text_ = std::move(exact);
  } else if (history_.Store().KeptInTheWay()) {
    Report(sequence, Format("A copied text of %.1f MB was not kept: kept clips fill the room it "
                            "needs. Let some of them go to make room.",
                            static_cast<double>(ansi.text.size()) / (1 << 20)));
  } else if (ansi.text.size() > room) {
    ReportTooLarge(sequence, ansi.text.size());
  }
  return true;
}

}  // namespace qv
