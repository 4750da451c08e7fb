#include "runtime/error.h"

#include <cstdint>
#include <string>

#include "runtime/text.h"

namespace rt {

namespace {

constexpr std::uint32_t kControlFacilityMask = 0xFFFF0000u;
constexpr std::uint32_t kControlFacility = 0x800A0000u;

struct Description {
    std::int32_t number;
    const wchar_t* text;
};

constexpr Description kDescriptions[] = {
    {err::kInvalidCall, L"Chiamata di routine o argomento non validi"},
    {err::kOutOfMemory, L"Memoria esaurita"},
    {err::kTypeMismatch, L"Tipo non corrispondente"},
    {err::kInternal, L"Errore interno"},
    {err::kBadFileName, L"Nome o numero di file non valido"},
    {err::kFileNotFound, L"Impossibile trovare il file"},
    {err::kDiskFull, L"Disco pieno"},
    {err::kDeviceUnavailable, L"Periferica non disponibile"},
    {err::kPermissionDenied, L"Autorizzazione negata"},
    {err::kPathFileAccess, L"Errore di accesso al percorso/file"},
    {err::kPathNotFound, L"Impossibile trovare il percorso"},
    {err::kObjectNotSet, L"Variabile oggetto o variabile del blocco With non impostata"},
    {err::kCantCreateObject, L"Il componente ActiveX non pu\u00F2 creare l'oggetto"},
    {err::kNoSuchMember, L"Propriet\u00E0 o metodo non supportati dall'oggetto"},
    {err::kAutomation, L"Errore di automazione"},
};

std::string whatText(std::int32_t number, const std::wstring& description)
{
    return "runtime error " + std::to_string(number) + ": " + toUtf8(description);
}

}  // namespace

RuntimeError::RuntimeError(std::int32_t number, std::wstring description)
    : number_(number), description_(std::move(description)), what_(whatText(number_, description_))
{
}

std::wstring standardDescription(std::int32_t number)
{
    for (const Description& d : kDescriptions) {
        if (d.number == number)
            return d.text;
    }
    return L"Errore definito dall'applicazione o dall'oggetto";
}

void raiseError(std::int32_t number)
{
    throw RuntimeError(number, standardDescription(number));
}

void raiseError(std::int32_t number, std::wstring description)
{
    throw RuntimeError(number, std::move(description));
}

RuntimeError errorFromHResult(HResult hr, std::wstring description)
{
    const auto bits = static_cast<std::uint32_t>(hr);
    if ((bits & kControlFacilityMask) == kControlFacility) {
        const auto number = static_cast<std::int32_t>(bits & 0xFFFFu);
        return RuntimeError(number, description.empty() ? standardDescription(number) : std::move(description));
    }
    return RuntimeError(hr, description.empty() ? standardDescription(err::kAutomation) : std::move(description));
}

HResult hresultOfError(std::int32_t number)
{
    return static_cast<HResult>(kControlFacility | (static_cast<std::uint32_t>(number) & 0xFFFFu));
}

std::wstring errorReportText(const RuntimeError& error)
{
    return L"Errore di run-time '" + std::to_wstring(error.number()) + L"':\n\n" + error.description();
}

}  // namespace rt
