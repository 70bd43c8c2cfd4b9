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

enum class JsonDialect {
    // What the desktop client writes by hand: raw control characters inside
    // strings, backslashes that start no escape other than \" \\ \/ \u (kept
    // literally, so "C:\new" stays as typed), and "#38;" standing for an
    // ampersand in strings.
    Client,
    // Ordinary JSON escapes (\n, \r, \t, \b, \f as well); used to read the
    // service's own replies back. Raw control characters are tolerated too.
    Standard,
};

// Parses one JSON text; throws JsonError on malformed text.
JsonValue ParseJson(const std::string& text, JsonDialect dialect = JsonDialect::Client);

// Writes a string as a quoted JSON string literal. Only the escapes that the
// desktop client's reader knows are used (\" \\ \n \r \t \b \f); other
// control characters go out raw, since that reader turns any \u escape
// outside its small Latin-1 table into four plain hex digits.
std::string JsonQuote(const std::string& s);

}  // namespace orvportal
