// JSON document model and reader for portal replies.
//
// Access never fails: asking an element for a kind it does not hold replaces
// its value with the default of that kind (modifiable access) or yields a
// shared default (const access). Only Reader::Read and a duplicate
// Object::Insert throw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <istream>
#include <list>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace json {

class Object;
class Array;
class Null;
template <typename DataTypeT> class TrivialType_T;

typedef TrivialType_T<double> Number;
typedef TrivialType_T<bool> Boolean;
typedef TrivialType_T<std::string> String;

class Visitor {
public:
    virtual ~Visitor() {}
    virtual void Visit(Object& object) = 0;
    virtual void Visit(Array& array) = 0;
    virtual void Visit(Number& number) = 0;
    virtual void Visit(String& string) = 0;
    virtual void Visit(Boolean& boolean) = 0;
    virtual void Visit(Null& null) = 0;
};

class ConstVisitor {
public:
    virtual ~ConstVisitor() {}
    virtual void Visit(const Object& object) = 0;
    virtual void Visit(const Array& array) = 0;
    virtual void Visit(const Number& number) = 0;
    virtual void Visit(const String& string) = 0;
    virtual void Visit(const Boolean& boolean) = 0;
    virtual void Visit(const Null& null) = 0;
};

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A value of any of the six kinds; a default-constructed element is null.
class UnknownElement {
public:
    UnknownElement();
    UnknownElement(const UnknownElement& unknown);
    UnknownElement(const Object& object);
    UnknownElement(const Array& array);
    UnknownElement(const Number& number);
    UnknownElement(const Boolean& boolean);
    UnknownElement(const String& string);
    UnknownElement(const Null& null);
    ~UnknownElement();

    UnknownElement& operator=(const UnknownElement& unknown);
    // Exchanges the values without copying them.
    void Swap(UnknownElement& other) noexcept
    {
        Imp* p = m_pImp;
        m_pImp = other.m_pImp;
        other.m_pImp = p;
    }

    // Const access of another kind yields a shared default value.
    operator const Object&() const;
    operator const Array&() const;
    operator const Number&() const;
    operator const Boolean&() const;
    operator const String&() const;
    operator const Null&() const;

    // Modifiable access converts the element to the asked kind when needed.
    operator Object&();
    operator Array&();
    operator Number&();
    operator Boolean&();
    operator String&();
    operator Null&();

    // Object member (converting this element to an object)...
    UnknownElement& operator[](const std::string& key);
    const UnknownElement& operator[](const std::string& key) const;
    // ...and array element (converting this element to an array).
    UnknownElement& operator[](size_t index);
    const UnknownElement& operator[](size_t index) const;

    template <typename ElementTypeT> ElementTypeT& ConvertTo();
    template <typename ElementTypeT> const ElementTypeT& CastTo() const;
    // True when the element currently holds kind ElementTypeT.
    template <typename ElementTypeT> bool Is() const;

    void Accept(ConstVisitor& visitor) const;
    void Accept(Visitor& visitor);

    bool operator==(const UnknownElement& element) const;
    bool operator!=(const UnknownElement& element) const { return !(*this == element); }

    class Imp;
    template <typename ElementTypeT> class Imp_T;
    template <typename ElementTypeT> class CastVisitor_T;
    template <typename ElementTypeT> class ConstCastVisitor_T;

private:
    Imp* m_pImp;
};

class Array {
public:
    typedef std::deque<UnknownElement> Elements;
    typedef Elements::iterator iterator;
    typedef Elements::const_iterator const_iterator;

    iterator Begin() { return m_Elements.begin(); }
    iterator End() { return m_Elements.end(); }
    const_iterator Begin() const { return m_Elements.begin(); }
    const_iterator End() const { return m_Elements.end(); }
    iterator begin() { return m_Elements.begin(); }
    iterator end() { return m_Elements.end(); }
    const_iterator begin() const { return m_Elements.begin(); }
    const_iterator end() const { return m_Elements.end(); }

    iterator Insert(const UnknownElement& element, iterator itWhere);
    iterator Insert(const UnknownElement& element);
    iterator Erase(iterator itWhere);
    void Resize(size_t newSize);
    void Clear();

    size_t Size() const { return m_Elements.size(); }
    bool Empty() const { return m_Elements.empty(); }
    size_t size() const { return m_Elements.size(); }
    bool empty() const { return m_Elements.empty(); }

    // Grows the array (with nulls) when index is not below the size.
    UnknownElement& operator[](size_t index);
    // Out of range yields a shared null element.
    const UnknownElement& operator[](size_t index) const;

    bool operator==(const Array& array) const { return m_Elements == array.m_Elements; }

private:
    Elements m_Elements;
};

class Object {
public:
    struct Member {
        Member(const std::string& nameIn = std::string(),
               const UnknownElement& elementIn = UnknownElement())
            : name(nameIn), element(elementIn) {}
        bool operator==(const Member& member) const {
            return name == member.name && element == member.element;
        }
        std::string name;
        UnknownElement element;
    };

    typedef std::list<Member> Members;
    typedef Members::iterator iterator;
    typedef Members::const_iterator const_iterator;

    bool operator==(const Object& object) const { return m_Members == object.m_Members; }

    iterator Begin() { return m_Members.begin(); }
    iterator End() { return m_Members.end(); }
    const_iterator Begin() const { return m_Members.begin(); }
    const_iterator End() const { return m_Members.end(); }
    iterator begin() { return m_Members.begin(); }
    iterator end() { return m_Members.end(); }
    const_iterator begin() const { return m_Members.begin(); }
    const_iterator end() const { return m_Members.end(); }

    size_t Size() const { return m_Members.size(); }
    bool Empty() const { return m_Members.empty(); }
    size_t size() const { return m_Members.size(); }
    bool empty() const { return m_Members.empty(); }

    iterator Find(const std::string& name);
    const_iterator Find(const std::string& name) const;

    // Both throw json::Exception when the name is already present.
    iterator Insert(const Member& member);
    iterator Insert(const Member& member, iterator itWhere);
    iterator Erase(iterator itWhere);
    void Clear();

    // Appends a null member when the name is missing.
    UnknownElement& operator[](const std::string& name);
    // A missing name yields a shared null element.
    const UnknownElement& operator[](const std::string& name) const;

private:
    // The reader appends members whose names it has checked itself.
    friend class Reader;
    Members m_Members;
};

template <typename DataTypeT>
class TrivialType_T {
public:
    TrivialType_T(const DataTypeT& t = DataTypeT()) : m_tValue(t) {}

    operator DataTypeT&() { return m_tValue; }
    operator const DataTypeT&() const { return m_tValue; }
    DataTypeT& Value() { return m_tValue; }
    const DataTypeT& Value() const { return m_tValue; }

    bool operator==(const TrivialType_T<DataTypeT>& trivial) const {
        return m_tValue == trivial.m_tValue;
    }

private:
    DataTypeT m_tValue;
};

class Null {
public:
    bool operator==(const Null&) const { return true; }
};

class UnknownElement::Imp {
public:
    virtual ~Imp() {}
    virtual Imp* Clone() const = 0;
    virtual bool Compare(const Imp& imp) const = 0;
    virtual void Accept(ConstVisitor& visitor) const = 0;
    virtual void Accept(Visitor& visitor) = 0;
};

template <typename ElementTypeT>
class UnknownElement::CastVisitor_T : public Visitor {
public:
    ElementTypeT* m_pElement = nullptr;
    void Visit(Object& v) override { Record(v); }
    void Visit(Array& v) override { Record(v); }
    void Visit(Number& v) override { Record(v); }
    void Visit(String& v) override { Record(v); }
    void Visit(Boolean& v) override { Record(v); }
    void Visit(Null& v) override { Record(v); }

private:
    template <typename U> void Record(U& v) {
        if constexpr (std::is_same_v<U, ElementTypeT>) m_pElement = &v;
    }
};

template <typename ElementTypeT>
class UnknownElement::ConstCastVisitor_T : public ConstVisitor {
public:
    const ElementTypeT* m_pElement = nullptr;
    void Visit(const Object& v) override { Record(v); }
    void Visit(const Array& v) override { Record(v); }
    void Visit(const Number& v) override { Record(v); }
    void Visit(const String& v) override { Record(v); }
    void Visit(const Boolean& v) override { Record(v); }
    void Visit(const Null& v) override { Record(v); }

private:
    template <typename U> void Record(const U& v) {
        if constexpr (std::is_same_v<U, ElementTypeT>) m_pElement = &v;
    }
};

template <typename ElementTypeT>
class UnknownElement::Imp_T : public UnknownElement::Imp {
public:
    explicit Imp_T(const ElementTypeT& element) : m_Element(element) {}
    Imp* Clone() const override { return new Imp_T<ElementTypeT>(*this); }
    bool Compare(const Imp& imp) const override {
        ConstCastVisitor_T<ElementTypeT> castVisitor;
        imp.Accept(castVisitor);
        return castVisitor.m_pElement && m_Element == *castVisitor.m_pElement;
    }
    void Accept(ConstVisitor& visitor) const override { visitor.Visit(m_Element); }
    void Accept(Visitor& visitor) override { visitor.Visit(m_Element); }

private:
    ElementTypeT m_Element;
};

template <typename ElementTypeT>
ElementTypeT& UnknownElement::ConvertTo() {
    CastVisitor_T<ElementTypeT> castVisitor;
    m_pImp->Accept(castVisitor);
    if (castVisitor.m_pElement == nullptr) {
        *this = ElementTypeT();
        m_pImp->Accept(castVisitor);
    }
    return *castVisitor.m_pElement;
}

template <typename ElementTypeT>
const ElementTypeT& UnknownElement::CastTo() const {
    static const ElementTypeT s_default{};
    ConstCastVisitor_T<ElementTypeT> castVisitor;
    m_pImp->Accept(castVisitor);
    return castVisitor.m_pElement ? *castVisitor.m_pElement : s_default;
}

template <typename ElementTypeT>
bool UnknownElement::Is() const {
    ConstCastVisitor_T<ElementTypeT> castVisitor;
    m_pImp->Accept(castVisitor);
    return castVisitor.m_pElement != nullptr;
}

class Reader {
public:
    struct Location {
        Location() = default;
        int32_t m_nLine = 0;        // zero-based
        int32_t m_nLineOffset = 0;  // zero-based
        int32_t m_nDocOffset = 0;   // zero-based
    };

    class ScanException : public Exception {
    public:
        ScanException(const std::string& message, const Location& locError)
            : Exception(message), m_locError(locError) {}
        Location m_locError;
    };

    class ParseException : public Exception {
    public:
        ParseException(const std::string& message, const Location& locTokenBegin,
                       const Location& locTokenEnd)
            : Exception(message), m_locTokenBegin(locTokenBegin), m_locTokenEnd(locTokenEnd) {}
        Location m_locTokenBegin;
        Location m_locTokenEnd;
    };

    struct Token {
        enum Type {
            TOKEN_OBJECT_BEGIN,   // {
            TOKEN_OBJECT_END,     // }
            TOKEN_ARRAY_BEGIN,    // [
            TOKEN_ARRAY_END,      // ]
            TOKEN_NEXT_ELEMENT,   // ,
            TOKEN_MEMBER_ASSIGN,  // :
            TOKEN_STRING,
            TOKEN_NUMBER,
            TOKEN_BOOLEAN,
            TOKEN_NULL
        };
        Type nType = TOKEN_NULL;
        std::string sValue;
        Location locBegin;
        Location locEnd;
    };
    typedef std::vector<Token> Tokens;

    // Reads one document whose top-level value is an object. Throws
    // ScanException or ParseException; members inserted before the failure
    // remain in the object.
    static void Read(Object& object, std::istream& istr);

    // Objects and arrays nested deeper than this are refused with a
    // ParseException, so that no reply can exhaust the stack of the parser
    // or of the destructors.
    static constexpr int kMaxNesting = 512;

    // Stream to tokens; exposed for tests of the scanner.
    static void Scan(Tokens& tokens, std::istream& istr);

private:
    class InputStream;
    class TokenStream;

    static void EatWhiteSpace(InputStream& inputStream);
    static void MatchExpectedString(InputStream& inputStream, const std::string& sExpected);
    static void MatchString(InputStream& inputStream, std::string& sValue);
    static void MatchNumber(InputStream& inputStream, std::string& sNumber);

    static void Parse(UnknownElement& element, TokenStream& tokenStream);
    static void Parse(Object& object, TokenStream& tokenStream);
    static void Parse(Array& array, TokenStream& tokenStream);
    static void Parse(String& string, TokenStream& tokenStream);
    static void Parse(Number& number, TokenStream& tokenStream);
    static void Parse(Boolean& boolean, TokenStream& tokenStream);
    static void Parse(Null& null, TokenStream& tokenStream);

    static const std::string& MatchExpectedToken(Token::Type nExpected, TokenStream& tokenStream);
};

}  // namespace json
