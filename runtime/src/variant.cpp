#include "runtime/variant.h"

#include "runtime/error.h"

namespace rt {

const std::wstring& Variant::string() const
{
    if (const auto* text = std::get_if<std::wstring>(&value_))
        return *text;
    raiseError(err::kTypeMismatch);
}

std::int16_t Variant::boolean() const
{
    if (const auto* flag = std::get_if<Boolean>(&value_))
        return flag->value;
    raiseError(err::kTypeMismatch);
}

double Variant::number() const
{
    if (const auto* number = std::get_if<double>(&value_))
        return *number;
    raiseError(err::kTypeMismatch);
}

const ObjectRef& Variant::object() const
{
    const auto* object = std::get_if<ObjectRef>(&value_);
    if (object == nullptr)
        raiseError(err::kTypeMismatch);
    if (!*object)
        raiseError(err::kObjectNotSet);
    return *object;
}

}  // namespace rt
