#pragma once
// Exceptions and small system helpers of the toolkit.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

// Base of every exception the program raises on purpose; the message loop shows its Message in an error box.
class Exception : public std::exception {
public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  const std::string &Message() const { return FMessage; }
  const char *what() const noexcept override { return FMessage.c_str(); }

private:
  std::string FMessage;
};

// Silent exception: unwinds an operation the user cancelled; the message loop swallows it.
class EAbort : public Exception {
public:
  EAbort() : Exception("Operation aborted") {}
};

// A failing HRESULT from an OLE or shell call.
class EOleError : public Exception {
public:
  EOleError(const std::string &message, HRESULT errorCode) : Exception(message), FErrorCode(errorCode) {}
  HRESULT ErrorCode() const { return FErrorCode; }

private:
  HRESULT FErrorCode;
};

class EListError : public Exception {
  using Exception::Exception;
};

class EStreamError : public Exception {
  using Exception::Exception;
};

class EReadError : public EStreamError {
  using EStreamError::EStreamError;
};

class EThread : public Exception {
  using Exception::Exception;
};

[[noreturn]] void Abort();

// Raises EOleError carrying hr when hr is a failure code.
void OleCheck(HRESULT hr);

// The system's text for an error code (GetLastError values and HRESULTs alike), without the trailing line
// break; a generic text when the system has none.
std::string SysErrorMessage(DWORD code);

// Raises an Exception with the system's text of the last error.
[[noreturn]] void RaiseLastOSError();

// Bytes free for the current user on a drive (0 the current drive, 1 A:, 2 B:, ...); -1 when the drive
// cannot be read.
int64_t DiskFree(int drive);

// printf-style formatting into a std::string.
std::string FormatStr(const char *format, ...) __attribute__((format(printf, 1, 2)));

// UTF-8 (the active code page under our manifest) to UTF-16 and back, for the wide edges of the platform.
std::wstring Utf8ToWide(const std::string &text);
std::string WideToUtf8(const wchar_t *text, int length = -1);

// Upper case by the user's locale, on the wide form so that every script (not only one byte's worth) is
// converted.
std::string AnsiUpperCase(const std::string &text);

// Runs an action when the scope ends, on every exit path.
template <class F> class TAtExit {
public:
  explicit TAtExit(F action) : FAction(std::move(action)) {}
  ~TAtExit() { FAction(); }
  TAtExit(const TAtExit &) = delete;
  TAtExit &operator=(const TAtExit &) = delete;

private:
  F FAction;
};
