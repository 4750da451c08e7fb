// Runtime errors: a number and an Italian description. A failing operation throws one; the
// event dispatcher catches it at the handler's boundary and shows the report.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace rt {

using HResult = std::int32_t;

constexpr HResult kOk = 0;
constexpr HResult kFail = static_cast<HResult>(0x80004005);
constexpr HResult kNoInterface = static_cast<HResult>(0x80004002);

// Error numbers the runtime raises by itself.
namespace err {
constexpr std::int32_t kInvalidCall = 5;
constexpr std::int32_t kOutOfMemory = 7;
constexpr std::int32_t kTypeMismatch = 13;
constexpr std::int32_t kInternal = 51;
constexpr std::int32_t kBadFileName = 52;
constexpr std::int32_t kFileNotFound = 53;
constexpr std::int32_t kDiskFull = 61;
constexpr std::int32_t kDeviceUnavailable = 68;
constexpr std::int32_t kPermissionDenied = 70;
constexpr std::int32_t kPathFileAccess = 75;
constexpr std::int32_t kPathNotFound = 76;
constexpr std::int32_t kObjectNotSet = 91;
constexpr std::int32_t kCantCreateObject = 429;
constexpr std::int32_t kNoSuchMember = 438;
constexpr std::int32_t kAutomation = 440;
}  // namespace err

class RuntimeError : public std::exception {
public:
    RuntimeError(std::int32_t number, std::wstring description);

    std::int32_t number() const { return number_; }
    const std::wstring& description() const { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    std::int32_t number_;
    std::wstring description_;
    std::string what_;
};

// The Italian text of a runtime error number; "Errore definito dall'applicazione o
// dall'oggetto" for a number the runtime has no text of.
std::wstring standardDescription(std::int32_t number);

[[noreturn]] void raiseError(std::int32_t number);
[[noreturn]] void raiseError(std::int32_t number, std::wstring description);

// An HRESULT as a runtime error: one of the form 0x800Annnn carries the error number nnnn;
// any other keeps the HRESULT itself as its (negative) number. An empty description takes
// the standard text of the number, or "Errore di automazione" for a bare HRESULT.
RuntimeError errorFromHResult(HResult hr, std::wstring description = {});

// The status form of an error number: 0x800A0000 | number.
HResult hresultOfError(std::int32_t number);

// The report shown when an error leaves a handler:
//   Errore di run-time 'N':
//
//   description
std::wstring errorReportText(const RuntimeError& error);

}  // namespace rt
