// Owners of COM values: an interface pointer, a BSTR and a VARIANT. Each releases what it holds
// when it goes out of scope, on the normal and on the error path; none can be copied.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

#include "runtime/error.h"

namespace rt::win32 {

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
        : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
        if (text_ == nullptr)
            raiseError(err::kOutOfMemory);
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(text_); }

    BSTR get() const { return text_; }
    // Hands the string over to a VARIANT or a callee that frees it.
    BSTR release() { return std::exchange(text_, nullptr); }

private:
    BSTR text_ = nullptr;
};

// A BSTR's characters as a wide string (a null BSTR is the empty string).
inline std::wstring toWString(BSTR text)
{
    return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

class VariantValue {
public:
    VariantValue() { VariantInit(&value_); }
    VariantValue(const VariantValue&) = delete;
    VariantValue& operator=(const VariantValue&) = delete;
    ~VariantValue() { VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT& value() const { return value_; }

private:
    VARIANT value_;
};

}  // namespace rt::win32
