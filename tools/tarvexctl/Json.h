#pragma once

#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tarvexctl {

// A JSON value built up by the reports: null, a boolean, a number, a string, an array or an
// object whose keys keep the order they were set in.
class Json {
public:
    Json() = default; // null
    Json(bool value) : kind_(Kind::Bool), bool_(value) {}
    template <std::integral T>
    requires(!std::same_as<T, bool>) Json(T value)
        : kind_(Kind::Number), text_(std::to_string(value)) {}
    // Seven significant digits, what a float carries; NaN and infinities are null.
    Json(double value);
    Json(float value) : Json(static_cast<double>(value)) {}
    Json(std::string value) : kind_(Kind::String), text_(std::move(value)) {}
    Json(const char* value) : Json(std::string(value)) {}

    static Json Object() { return Json(Kind::Object); }
    static Json Array() { return Json(Kind::Array); }

    // Adds or replaces a key of an object; returns *this for chaining.
    Json& Set(const std::string& key, Json value);
    Json& Push(Json value);

    // Two-space indentation when `pretty`, else one line.
    std::string Dump(bool pretty = true) const;

private:
    enum class Kind { Null, Bool, Number, String, Array, Object };
    explicit Json(Kind kind) : kind_(kind) {}
    void Write(std::string& out, bool pretty, int depth) const;

    Kind kind_ = Kind::Null;
    bool bool_ = false;
    std::string text_;                                  // a number's or a string's text
    std::vector<std::pair<std::string, Json>> members_; // array elements have empty keys
};

} // namespace tarvexctl
