// Small JSON value for the local portal service: a tolerant reader for the
// hand-built texts the desktop client sends, and a strict writer for replies.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace orvportal {

class JsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    JsonValue() = default;
    static JsonValue String(std::string s);
    static JsonValue Number(double d);
    static JsonValue Bool(bool b);
    static JsonValue Array();
    static JsonValue Object();

    Kind kind() const { return kind_; }
    bool isString() const { return kind_ == Kind::String; }
    bool isArray() const { return kind_ == Kind::Array; }
    bool isObject() const { return kind_ == Kind::Object; }

    // Text of a string or number; empty for every other kind.
    std::string str() const;
    double number() const { return num_; }
    bool boolean() const { return bool_; }

    // Array access.
    const std::vector<JsonValue>& items() const { return items_; }
    JsonValue& push(JsonValue v);

    // Object access; members keep their insertion order.
    const std::vector<std::pair<std::string, JsonValue>>& members() const { return members_; }
    bool has(const std::string& key) const;
    const JsonValue& get(const std::string& key) const;  // Null value when absent
    JsonValue& set(const std::string& key, JsonValue v);
    JsonValue& set(const std::string& key, const std::string& s) { return set(key, String(s)); }
    JsonValue& set(const std::string& key, const char* s) { return set(key, String(s)); }

    std::string dump() const;

private:
    Kind kind_ = Kind::Null;
    std::string str_;
    double num_ = 0;
    bool bool_ = false;
    std::vector<JsonValue> items_;
    std::vector<std::pair<std::string, JsonValue>> members_;
};

struct JsonError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Parses one JSON text. Tolerates what the desktop client writes by hand:
// raw control characters inside strings, backslashes that start no known
// escape (kept literally), and "#38;" standing for an ampersand in strings.
// Throws JsonError on anything else that is malformed.
JsonValue ParseJson(const std::string& text);

// Writes a string as a quoted JSON string literal.
std::string JsonQuote(const std::string& s);

}  // namespace orvportal
