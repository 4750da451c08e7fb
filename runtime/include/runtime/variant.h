// The runtime's tagged value, and the late-bound automation object it may hold.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace rt {

class Object;
using ObjectRef = std::shared_ptr<Object>;

// An optional argument that was not given.
struct Missing {};

constexpr std::int16_t kTrue = -1;
constexpr std::int16_t kFalse = 0;

class Variant {
public:
    Variant() = default;  // missing
    Variant(std::wstring text) : value_(std::move(text)) {}
    Variant(const wchar_t* text) : value_(std::wstring(text)) {}
    explicit Variant(double number) : value_(number) {}
    Variant(ObjectRef object) : value_(std::move(object)) {}
    static Variant boolean(bool value) { Variant v; v.value_ = Boolean{value ? kTrue : kFalse}; return v; }

    bool isMissing() const { return std::holds_alternative<Missing>(value_); }
    bool isString() const { return std::holds_alternative<std::wstring>(value_); }
    bool isBoolean() const { return std::holds_alternative<Boolean>(value_); }
    bool isNumber() const { return std::holds_alternative<double>(value_); }
    bool isObject() const { return std::holds_alternative<ObjectRef>(value_); }

    // Each accessor raises "Tipo non corrispondente" (13) for a value of another kind;
    // object() raises 91 for an empty object reference.
    const std::wstring& string() const;
    std::int16_t boolean() const;
    double number() const;
    const ObjectRef& object() const;

private:
    struct Boolean {
        std::int16_t value;
    };
    std::variant<Missing, std::wstring, Boolean, double, ObjectRef> value_;
};

enum class CallKind { Get, Method, Put };

// A late-bound automation object: members are reached by name at run time.
class Object {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;

    // Calls `member` with `args` in declared order. A Put takes the value as its only
    // argument. Failures throw RuntimeError.
    virtual Variant invoke(std::wstring_view member, CallKind kind, const std::vector<Variant>& args) = 0;
};

}  // namespace rt
