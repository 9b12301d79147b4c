#pragma once
// Errors with the system's exact messages, and the small text and time helpers
// everything else uses. Text is bytes in the ANSI code page.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace qv {

// Every error the program shows is one of these; what() is the text the user sees.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  const std::string Message() const { return what(); }
};

#define QV_EXCEPTION(Name, Base)                                      \
  class Name : public Base {                                          \
   public:                                                            \
    explicit Name(const std::string& message) : Base(message) {}      \
  };

QV_EXCEPTION(EConvertError, Exception)
QV_EXCEPTION(EInOutError, Exception)
QV_EXCEPTION(EStringListError, Exception)
QV_EXCEPTION(EOutOfResources, Exception)
QV_EXCEPTION(EIniFileException, Exception)
QV_EXCEPTION(EClipboardException, Exception)
QV_EXCEPTION(EInvalidOperation, Exception)
QV_EXCEPTION(EInvalidCast, Exception)
#undef QV_EXCEPTION

// A file that could not be read or written. The message stays the exact text; the system's
// code for why travels beside it (0 when nothing told why), for whoever shows it with
// WithSystemReason.
class EStreamError : public Exception {
 public:
  explicit EStreamError(const std::string& message, unsigned long error = 0)
      : Exception(message), error_(error) {}
  unsigned long ErrorCode() const { return error_; }

 private:
  unsigned long error_;
};
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// A system call that failed: its name and the system's error code travel with the text.
class EWin32Error : public Exception {
 public:
  EWin32Error(std::string call, unsigned long code, const std::string& message)
      : Exception(message), call_(std::move(call)), code_(code) {}
  const std::string& Call() const { return call_; }
  unsigned long ErrorCode() const { return code_; }

 private:
  std::string call_;
  unsigned long code_;
};

// The system's own text for one of its error codes (a Windows error code on Windows, an
// errno value elsewhere), as it gives it; empty when it has none (platform-specific).
std::string SystemErrorText(unsigned long error);
// The message with the system's reason in brackets, its closing full stop dropped:
// "Unable to write to C:\qv\qvavad.ini (Access is denied)". Only the message when the
// code is 0 or the system has no text for it.
std::string WithSystemReason(const std::string& message, unsigned long error);

// The messages, built exactly as the user sees them.
std::string MsgCannotOpenFile(const std::string& path);     // "Cannot open file %s"
std::string MsgCannotCreateFile(const std::string& path);   // "Cannot create file %s"
std::string MsgInvalidInteger(const std::string& text);     // "'%s' is not a valid integer value"
std::string MsgListIndexError(int index);                   // "List index out of bounds (%d)"
std::string MsgUnableToInsertLine();                        // "Unable to insert a line"
std::string MsgUnableToWrite(const std::string& path);      // "Unable to write to %s"
std::string MsgCannotOpenClipboard();                       // "Cannot open clipboard"
std::string MsgCannotWriteClipboard();                      // "Cannot write to clipboard"
std::string MsgInvalidCast();                               // "Invalid class typecast"

// Decimal text to integer: optional leading blanks, optional sign, digits; "$" or
// "0x" introduces hexadecimal. Anything else raises EConvertError with
// "'%s' is not a valid integer value".
int StrToInt(const std::string& text);
bool TryStrToInt(const std::string& text, int& value);
int StrToIntDef(const std::string& text, int fallback);
std::string IntToStr(long long value);

// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ASCII-only case rules (the ANSI letters above 127 are left as they are).
std::string UpperCase(std::string text);
std::string LowerCase(std::string text);
bool SameText(const std::string& a, const std::string& b);
int CompareText(const std::string& a, const std::string& b);
std::string Trim(const std::string& text);

// Folder part of a path, ending with its separator ('\\' or '/'); "" when there is none.
std::string ExtractFilePath(const std::string& path);
std::string ExtractFileName(const std::string& path);

// The current local date and time as a day count (days since 1899-12-30 plus the
// fraction of the day), truncated to whole seconds, so that two events within one
// second compare equal.
double NowSeconds();
// The same truncation for any date-time value.
double TruncateToSeconds(double dateTime);

}  // namespace qv
