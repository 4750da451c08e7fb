// Owners of COM values: an interface pointer, a BSTR and a VARIANT. Each releases what it holds
// when it goes out of scope, on the normal and on the error path; none can be copied.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

#include "runtime/error.h"
#include "system_libraries.h"

namespace rt::win32 {

// Only values made after COM was started (startCom) reach these: the functions are loaded then.

inline void freeString(BSTR text)
{
    if (text != nullptr)
        com().sysFreeString(text);
}

// An empty VARIANT, as VariantInit leaves one.
inline VARIANT emptyVariant()
{
    VARIANT value{};
    value.vt = VT_EMPTY;
    return value;
}

// Frees what the VARIANT holds and leaves it empty; an empty one needs no call.
inline void clearVariant(VARIANT& value)
{
    if (value.vt != VT_EMPTY)
        com().variantClear(&value);
}

// Holds one reference to a COM interface.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds.
    explicit ComPtr(T* pointer) : pointer_(pointer) {}
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        reset(std::exchange(other.pointer_, nullptr));
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // The slot a creating call fills in, emptied first.
    T** put()
    {
        reset();
        return &pointer_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    void reset(T* pointer = nullptr)
    {
        if (pointer_ != nullptr)
            pointer_->Release();
        pointer_ = pointer;
    }

private:
    T* pointer_ = nullptr;
};

class Bstr {
public:
    Bstr() = default;
    // Raises "Memoria esaurita" when the string cannot be allocated.
    explicit Bstr(std::wstring_view text)
        : text_(com().sysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
        if (text_ == nullptr)
            raiseError(err::kOutOfMemory);
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { freeString(text_); }

    BSTR get() const { return text_; }
    // Hands the string over to a VARIANT or a callee that frees it.
    BSTR release() { return std::exchange(text_, nullptr); }

private:
    BSTR text_ = nullptr;
};

// A BSTR's characters as a wide string (a null BSTR is the empty string).
inline std::wstring toWString(BSTR text)
{
    return text == nullptr ? std::wstring() : std::wstring(text, com().sysStringLen(text));
}

class VariantValue {
public:
    VariantValue() : value_(emptyVariant()) {}
    VariantValue(const VariantValue&) = delete;
    VariantValue& operator=(const VariantValue&) = delete;
    ~VariantValue() { clearVariant(value_); }

    VARIANT* get() { return &value_; }
    const VARIANT& value() const { return value_; }

private:
    VARIANT value_;
};

}  // namespace rt::win32
