#include "Json.h"

#include <cmath>
#include <cstdio>

namespace tarvexctl {
namespace {

void WriteString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void NewLine(std::string& out, bool pretty, int depth) {
    if (pretty) {
        out += '\n';
        out.append(static_cast<std::size_t>(depth) * 2, ' ');
    }
}

} // namespace

Json::Json(double value) {
    if (!std::isfinite(value))
        return;
    kind_ = Kind::Number;
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", value);
    text_ = text;
}

Json& Json::Set(const std::string& key, Json value) {
    for (auto& member : members_) {
        if (member.first == key) {
            member.second = std::move(value);
            return *this;
        }
    }
    members_.emplace_back(key, std::move(value));
    return *this;
}

Json& Json::Push(Json value) {
    members_.emplace_back(std::string(), std::move(value));
    return *this;
}

std::string Json::Dump(bool pretty) const {
    std::string out;
    Write(out, pretty, 0);
    return out;
}

void Json::Write(std::string& out, bool pretty, int depth) const {
    switch (kind_) {
    case Kind::Null:
        out += "null";
        return;
    case Kind::Bool:
        out += bool_ ? "true" : "false";
        return;
    case Kind::Number:
        out += text_;
        return;
    case Kind::String:
        WriteString(out, text_);
        return;
    case Kind::Array:
    case Kind::Object:
        break;
    }
    const bool object = kind_ == Kind::Object;
    out += object ? '{' : '[';
    for (std::size_t i = 0; i < members_.size(); ++i) {
        if (i > 0)
            out += ',';
        NewLine(out, pretty, depth + 1);
        if (object) {
            WriteString(out, members_[i].first);
            out += pretty ? ": " : ":";
        }
        members_[i].second.Write(out, pretty, depth + 1);
    }
    if (!members_.empty())
        NewLine(out, pretty, depth);
    out += object ? '}' : ']';
}

} // namespace tarvexctl
