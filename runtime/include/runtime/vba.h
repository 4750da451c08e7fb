// The runtime's entry points that compiled handlers call by name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/error.h"
#include "runtime/variant.h"

// Ends the program at once.
[[noreturn]] void __vbaEnd();

// A new string: left, then right.
std::wstring __vbaStrCat(const std::wstring& left, const std::wstring& right);

// Binary comparison: 0 when equal, -1 or 1 by the first differing character.
int __vbaStrCmp(const std::wstring& left, const std::wstring& right);

// The object a variant holds; error 91 when it holds none.
rt::Object& __vbaObjVar(const rt::Variant& object);

// Calls method `name` on `object` with `argCount` arguments in declared order; drops the result.
void __vbaLateMemCall(rt::Object& object, std::wstring_view name, int argCount,
                      const std::vector<rt::Variant>& args);

// Reads member `name` of the object in `object`, with `argCount` (no) arguments.
rt::Variant __vbaVarLateMemCallLdRf(const rt::Variant& object, std::wstring_view name, int argCount);

// Stores `value` into property `name` of the object in `object`.
void __vbaVarLateMemSt(const rt::Variant& object, std::wstring_view name, const rt::Variant& value);

// Raises the runtime error for a failed property call `member` of interface `interfaceName`
// on the object called `objectName`.
[[noreturn]] void __vbaHresultCheckObj(rt::HResult hr, std::wstring_view objectName,
                                       std::wstring_view interfaceName, std::wstring_view member);
