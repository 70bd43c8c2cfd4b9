#include "MiniJson.h"

#include <cmath>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace orvportal {

JsonValue JsonValue::String(std::string s) {
    JsonValue v;
    v.kind_ = Kind::String;
    v.str_ = std::move(s);
    return v;
}
JsonValue JsonValue::Number(double d) {
    JsonValue v;
    v.kind_ = Kind::Number;
    v.num_ = d;
    return v;
}
JsonValue JsonValue::Bool(bool b) {
    JsonValue v;
    v.kind_ = Kind::Bool;
    v.bool_ = b;
    return v;
}
JsonValue JsonValue::Array() {
    JsonValue v;
    v.kind_ = Kind::Array;
    return v;
}
JsonValue JsonValue::Object() {
    JsonValue v;
    v.kind_ = Kind::Object;
    return v;
}

std::string JsonValue::str() const {
    if (kind_ == Kind::String) return str_;
    if (kind_ == Kind::Number) {
        char buf[64];
        if (std::floor(num_) == num_ && std::fabs(num_) < 1e15)
            std::snprintf(buf, sizeof buf, "%.0f", num_);
        else
            std::snprintf(buf, sizeof buf, "%.17g", num_);
        return buf;
    }
    return {};
}

JsonValue& JsonValue::push(JsonValue v) {
    kind_ = Kind::Array;
    items_.push_back(std::move(v));
    return items_.back();
}

bool JsonValue::has(const std::string& key) const {
    for (const auto& m : members_)
        if (m.first == key) return true;
    return false;
}

const JsonValue& JsonValue::get(const std::string& key) const {
    static const JsonValue null;
    for (const auto& m : members_)
        if (m.first == key) return m.second;
    return null;
}

JsonValue& JsonValue::set(const std::string& key, JsonValue v) {
    kind_ = Kind::Object;
    for (auto& m : members_)
        if (m.first == key) {
            m.second = std::move(v);
            return m.second;
        }
    members_.emplace_back(key, std::move(v));
    return members_.back().second;
}

std::string JsonQuote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            out += static_cast<char>(c);
        }
    }
    out += '"';
    return out;
}

std::string JsonValue::dump() const {
    switch (kind_) {
    case Kind::Null: return "null";
    case Kind::Bool: return bool_ ? "true" : "false";
    case Kind::Number: return str();
    case Kind::String: return JsonQuote(str_);
    case Kind::Array: {
        std::string out = "[";
        for (size_t i = 0; i < items_.size(); ++i) {
            if (i) out += ',';
            out += items_[i].dump();
        }
        return out + "]";
    }
    case Kind::Object: {
        std::string out = "{";
        for (size_t i = 0; i < members_.size(); ++i) {
            if (i) out += ',';
            out += JsonQuote(members_[i].first);
            out += ':';
            out += members_[i].second.dump();
        }
        return out + "}";
    }
    }
    return "null";
}

namespace {

void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

class Parser {
public:
    Parser(const std::string& t, JsonDialect d) : t_(t), dialect_(d) {}

    JsonValue parseDocument() {
        JsonValue v = parseValue(0);
        skipWs();
        if (p_ != t_.size()) fail("trailing characters");
        return v;
    }

private:
    const std::string& t_;
    JsonDialect dialect_;
    size_t p_ = 0;

    [[noreturn]] void fail(const char* what) {
        throw JsonError(std::string("JSON: ") + what + " at offset " + std::to_string(p_));
    }
    void skipWs() {
        while (p_ < t_.size() && (t_[p_] == ' ' || t_[p_] == '\t' || t_[p_] == '\r' || t_[p_] == '\n')) ++p_;
    }
    bool literal(const char* word) {
        size_t n = std::char_traits<char>::length(word);
        if (t_.compare(p_, n, word) == 0) {
            p_ += n;
            return true;
        }
        return false;
    }

    JsonValue parseValue(int depth) {
        if (depth > 64) fail("nesting too deep");
        skipWs();
        if (p_ >= t_.size()) fail("unexpected end");
        char c = t_[p_];
        if (c == '{') return parseObject(depth);
        if (c == '[') return parseArray(depth);
        if (c == '"') return JsonValue::String(parseString());
        if (literal("true")) return JsonValue::Bool(true);
        if (literal("false")) return JsonValue::Bool(false);
        if (literal("null")) return JsonValue();
        if (c == '-' || (c >= '0' && c <= '9')) return parseNumber();
        fail("unexpected character");
    }

    JsonValue parseNumber() {
        size_t start = p_;
        if (t_[p_] == '-') ++p_;
        while (p_ < t_.size() && (isdigit(static_cast<unsigned char>(t_[p_])) || t_[p_] == '.' || t_[p_] == 'e' ||
                                  t_[p_] == 'E' || t_[p_] == '+' || t_[p_] == '-'))
            ++p_;
        std::string num = t_.substr(start, p_ - start);
        char* end = nullptr;
        double d = std::strtod(num.c_str(), &end);
        if (num.empty() || end != num.c_str() + num.size()) fail("bad number");
        return JsonValue::Number(d);
    }

    unsigned hex4() {
        if (p_ + 4 > t_.size()) fail("short \\u escape");
        unsigned v = 0;
        for (int i = 0; i < 4; ++i) {
            char h = t_[p_++];
            v <<= 4;
            if (h >= '0' && h <= '9') v |= unsigned(h - '0');
            else if (h >= 'a' && h <= 'f') v |= unsigned(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F') v |= unsigned(h - 'A' + 10);
            else fail("bad \\u escape");
        }
        return v;
    }

    std::string parseString() {
        ++p_;  // opening quote
        std::string out;
        while (true) {
            if (p_ >= t_.size()) fail("unterminated string");
            char c = t_[p_++];
            if (c == '"') break;
            if (c == '\\') {
                if (p_ >= t_.size()) fail("unterminated string");
                char e = t_[p_];
                if (e == '"' || e == '\\' || e == '/') {
                    out += e;
                    ++p_;
                } else if (e == 'u') {
                    ++p_;
                    unsigned cp = hex4();
                    if (cp >= 0xD800 && cp < 0xDC00 && t_.compare(p_, 2, "\\u") == 0) {
                        p_ += 2;
                        unsigned lo = hex4();
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                    }
                    AppendUtf8(out, cp);
                } else if (dialect_ == JsonDialect::Standard && (e == 'n' || e == 'r' || e == 't' || e == 'b' || e == 'f')) {
                    out += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e == 'b' ? '\b' : '\f';
                    ++p_;
                } else {
                    // The client does not escape backslashes: keep it as written.
                    out += '\\';
                }
                continue;
            }
            out += c;
        }
        if (dialect_ == JsonDialect::Standard) return out;
        // The client writes an ampersand as "#38;" so that it survives the form body.
        std::string decoded;
        decoded.reserve(out.size());
        for (size_t i = 0; i < out.size();) {
            if (out.compare(i, 4, "#38;") == 0) {
                decoded += '&';
                i += 4;
            } else {
                decoded += out[i++];
            }
        }
        return decoded;
    }

    JsonValue parseArray(int depth) {
        ++p_;
        JsonValue arr = JsonValue::Array();
        skipWs();
        if (p_ < t_.size() && t_[p_] == ']') {
            ++p_;
            return arr;
        }
        while (true) {
            arr.push(parseValue(depth + 1));
            skipWs();
            if (p_ >= t_.size()) fail("unterminated array");
            if (t_[p_] == ',') { ++p_; continue; }
            if (t_[p_] == ']') { ++p_; return arr; }
            fail("expected , or ]");
        }
    }

    JsonValue parseObject(int depth) {
        ++p_;
        JsonValue obj = JsonValue::Object();
        skipWs();
        if (p_ < t_.size() && t_[p_] == '}') {
            ++p_;
            return obj;
        }
        while (true) {
            skipWs();
            if (p_ >= t_.size() || t_[p_] != '"') fail("expected member name");
            std::string key = parseString();
            skipWs();
            if (p_ >= t_.size() || t_[p_] != ':') fail("expected :");
            ++p_;
            obj.set(key, parseValue(depth + 1));
            skipWs();
            if (p_ >= t_.size()) fail("unterminated object");
            if (t_[p_] == ',') { ++p_; continue; }
            if (t_[p_] == '}') { ++p_; return obj; }
            fail("expected , or }");
        }
    }
};

}  // namespace

JsonValue ParseJson(const std::string& text, JsonDialect dialect) {
    Parser p(text, dialect);
    return p.parseDocument();
}

}  // namespace orvportal
