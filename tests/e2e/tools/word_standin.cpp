// A stand-in word processor for the tests: an in-process automation server registered under
// "word.application". Its application object has `Documents` (a collection with `Open`) and
// `Visible`. Every call is appended as one JSON line to the file named by ORVANE_WORD_LOG
// ("word.log" beside the DLL when unset). Like a real word processor, `Open` of a file that
// does not exist fails with an exception (scode 0x800A1436).
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <string>

#include "tool_support.h"

namespace {

// {D275519D-92DC-4889-B160-0ED8C13EE74C}
const CLSID kClsid = {0xd275519d, 0x92dc, 0x4889, {0xb1, 0x60, 0x0e, 0xd8, 0xc1, 0x3e, 0xe7, 0x4c}};
const wchar_t kClsidText[] = L"{D275519D-92DC-4889-B160-0ED8C13EE74C}";
const wchar_t kProgId[] = L"word.application";
constexpr SCODE kCannotOpen = static_cast<SCODE>(0x800A1436);

HMODULE module;
LONG liveObjects;
LONG serverLocks;

void record(const std::string& line)
{
    try {
        const auto path = tools::environment(L"ORVANE_WORD_LOG");
        tools::appendLine(path ? *path : tools::besideModule(module, L"word.log"), line);
    } catch (const std::exception&) {
        // A lost log line shows in the test that reads the log; the caller's call goes on.
    }
}

// The argument as text for the log: its string form, or null when it has none.
std::string argumentText(const VARIANT& argument)
{
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, const_cast<VARIANT*>(&argument), VARIANT_ALPHABOOL, VT_BSTR)))
        return "null";
    std::string out = tools::json(std::wstring_view(V_BSTR(&text), SysStringLen(V_BSTR(&text))));
    VariantClear(&text);
    return out;
}

// An IDispatch with a fixed table of member names, no type information, and reference counting.
class Dispatch : public IDispatch {
public:
    Dispatch() { InterlockedIncrement(&liveObjects); }
    Dispatch(const Dispatch&) = delete;
    Dispatch& operator=(const Dispatch&) = delete;
    virtual ~Dispatch() { InterlockedDecrement(&liveObjects); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (!names || !ids || count == 0)
            return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        ids[0] = memberId(names[0]);
        return ids[0] != DISPID_UNKNOWN && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }

protected:
    virtual DISPID memberId(const wchar_t* name) const = 0;

private:
    LONG references = 1;
};

bool isCall(WORD flags)
{
    return (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0;
}

class Documents final : public Dispatch {
    static constexpr DISPID kOpen = 1;

    DISPID memberId(const wchar_t* name) const override
    {
        return lstrcmpiW(name, L"Open") == 0 ? kOpen : DISPID_UNKNOWN;
    }

public:
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) override
    {
        if (id != kOpen || !isCall(flags))
            return DISP_E_MEMBERNOTFOUND;
        if (!params || params->cArgs <= params->cNamedArgs)
            return DISP_E_BADPARAMCOUNT;
        // Positional arguments come last in rgvarg, in reverse order.
        std::string args;
        for (UINT i = params->cArgs; i-- > params->cNamedArgs;)
            tools::appendItem(args, argumentText(params->rgvarg[i]));
        VARIANT path;
        VariantInit(&path);
        const bool named = SUCCEEDED(VariantChangeType(&path, &params->rgvarg[params->cArgs - 1], 0, VT_BSTR));
        const bool missing = !named || GetFileAttributesW(V_BSTR(&path)) == INVALID_FILE_ATTRIBUTES;
        VariantClear(&path);
        record("{\"call\":\"Open\",\"args\":[" + args + "],\"failed\":" + tools::json(missing) + "}");
        if (result)
            VariantInit(result);
        if (!missing)
            return S_OK;
        if (exception) {
            ZeroMemory(exception, sizeof *exception);
            exception->scode = kCannotOpen;
            exception->bstrSource = SysAllocString(L"word_standin");
            exception->bstrDescription = SysAllocString(L"Impossibile aprire il documento");
        }
        return DISP_E_EXCEPTION;
    }
};

class Application final : public Dispatch {
    static constexpr DISPID kDocuments = 1;
    static constexpr DISPID kVisible = 2;

    DISPID memberId(const wchar_t* name) const override
    {
        if (lstrcmpiW(name, L"Documents") == 0)
            return kDocuments;
        if (lstrcmpiW(name, L"Visible") == 0)
            return kVisible;
        return DISPID_UNKNOWN;
    }

    HRESULT documents(WORD flags, VARIANT* result)
    {
        if (!isCall(flags))
            return DISP_E_MEMBERNOTFOUND;
        record("{\"call\":\"Documents\"}");
        if (result) {
            VariantInit(result);
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = new Documents;
        }
        return S_OK;
    }

    HRESULT putVisible(DISPPARAMS* params, UINT* argumentError)
    {
        if (!params || params->cArgs != 1 || params->cNamedArgs != 1 ||
            params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_BADPARAMCOUNT;
        VARIANT value;
        VariantInit(&value);
        if (FAILED(VariantChangeType(&value, &params->rgvarg[0], 0, VT_BOOL))) {
            if (argumentError)
                *argumentError = 0;
            return DISP_E_TYPEMISMATCH;
        }
        visible = V_BOOL(&value);
        record("{\"call\":\"Visible\",\"value\":" + tools::json(static_cast<long long>(visible)) + "}");
        return S_OK;
    }

    HRESULT getVisible(VARIANT* result)
    {
        record("{\"call\":\"Visible\",\"result\":" + tools::json(static_cast<long long>(visible)) + "}");
        if (result) {
            VariantInit(result);
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = visible;
        }
        return S_OK;
    }

    VARIANT_BOOL visible = VARIANT_FALSE;

public:
    ~Application() override { record("{\"event\":\"released\"}"); }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT* argumentError) override
    {
        if (id == kDocuments)
            return documents(flags, result);
        if (id == kVisible && (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)))
            return putVisible(params, argumentError);
        if (id == kVisible && isCall(flags))
            return getVisible(result);
        return DISP_E_MEMBERNOTFOUND;
    }
};

class ClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is a static object: its lifetime is the DLL's.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* application = new Application;
        record("{\"event\":\"created\"}");
        const HRESULT hr = application->QueryInterface(riid, object);
        application->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock)
            InterlockedIncrement(&serverLocks);
        else
            InterlockedDecrement(&serverLocks);
        return S_OK;
    }
};

ClassFactory factory;

bool setValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY opened = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object)
{
    if (!IsEqualCLSID(clsid, kClsid))
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, object);
}

STDAPI DllCanUnloadNow()
{
    return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer()
{
    const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
    std::wstring path;
    try {
        path = tools::modulePath(module);
    } catch (const std::exception&) {
        return SELFREG_E_CLASS;
    }
    const bool ok = setValue(HKEY_CLASSES_ROOT, kProgId, nullptr, L"Word stand-in") &&
                    setValue(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\CLSID", nullptr, kClsidText) &&
                    setValue(HKEY_CLASSES_ROOT, clsidKey, nullptr, L"Word stand-in") &&
                    setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\ProgID", nullptr, kProgId) &&
                    setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", nullptr, path) &&
                    setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    return ok ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer()
{
    const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
    for (const std::wstring& key : {clsidKey + L"\\InprocServer32", clsidKey + L"\\ProgID", clsidKey,
                                    std::wstring(kProgId) + L"\\CLSID", std::wstring(kProgId)}) {
        const LONG status = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return SELFREG_E_CLASS;
    }
    return S_OK;
}
