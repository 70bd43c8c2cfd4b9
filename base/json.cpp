#include "base/json.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <unordered_set>

namespace json {

// ---------------------------------------------------------------------------
// UnknownElement

UnknownElement::UnknownElement() : m_pImp(new Imp_T<Null>(Null())) {}
UnknownElement::UnknownElement(const UnknownElement& unknown) : m_pImp(unknown.m_pImp->Clone()) {}
UnknownElement::UnknownElement(const Object& object) : m_pImp(new Imp_T<Object>(object)) {}
UnknownElement::UnknownElement(const Array& array) : m_pImp(new Imp_T<Array>(array)) {}
UnknownElement::UnknownElement(const Number& number) : m_pImp(new Imp_T<Number>(number)) {}
UnknownElement::UnknownElement(const Boolean& boolean) : m_pImp(new Imp_T<Boolean>(boolean)) {}
UnknownElement::UnknownElement(const String& string) : m_pImp(new Imp_T<String>(string)) {}
UnknownElement::UnknownElement(const Null& null) : m_pImp(new Imp_T<Null>(null)) {}

UnknownElement::~UnknownElement()
{
    delete m_pImp;
}

UnknownElement& UnknownElement::operator=(const UnknownElement& unknown)
{
    // Clone first: the source may live inside the value being replaced.
    Imp* pImp = unknown.m_pImp->Clone();
    delete m_pImp;
    m_pImp = pImp;
    return *this;
}

UnknownElement::operator const Object&() const { return CastTo<Object>(); }
UnknownElement::operator const Array&() const { return CastTo<Array>(); }
UnknownElement::operator const Number&() const { return CastTo<Number>(); }
UnknownElement::operator const Boolean&() const { return CastTo<Boolean>(); }
UnknownElement::operator const String&() const { return CastTo<String>(); }
UnknownElement::operator const Null&() const { return CastTo<Null>(); }

UnknownElement::operator Object&() { return ConvertTo<Object>(); }
UnknownElement::operator Array&() { return ConvertTo<Array>(); }
UnknownElement::operator Number&() { return ConvertTo<Number>(); }
UnknownElement::operator Boolean&() { return ConvertTo<Boolean>(); }
UnknownElement::operator String&() { return ConvertTo<String>(); }
UnknownElement::operator Null&() { return ConvertTo<Null>(); }

UnknownElement& UnknownElement::operator[](const std::string& key)
{
    return ConvertTo<Object>()[key];
}

const UnknownElement& UnknownElement::operator[](const std::string& key) const
{
    return CastTo<Object>()[key];
}

UnknownElement& UnknownElement::operator[](size_t index)
{
    return ConvertTo<Array>()[index];
}

const UnknownElement& UnknownElement::operator[](size_t index) const
{
    return CastTo<Array>()[index];
}

void UnknownElement::Accept(ConstVisitor& visitor) const
{
    m_pImp->Accept(visitor);
}

void UnknownElement::Accept(Visitor& visitor)
{
    m_pImp->Accept(visitor);
}

bool UnknownElement::operator==(const UnknownElement& element) const
{
    return m_pImp->Compare(*element.m_pImp);
}

namespace {
const UnknownElement& SharedNull()
{
    static const UnknownElement s_null;
    return s_null;
}
} // namespace

// ---------------------------------------------------------------------------
// Array

Array::iterator Array::Insert(const UnknownElement& element, iterator itWhere)
{
    return m_Elements.insert(itWhere, element);
}

Array::iterator Array::Insert(const UnknownElement& element)
{
    return m_Elements.insert(m_Elements.end(), element);
}

Array::iterator Array::Erase(iterator itWhere)
{
    return m_Elements.erase(itWhere);
}

void Array::Resize(size_t newSize)
{
    m_Elements.resize(newSize);
}

void Array::Clear()
{
    m_Elements.clear();
}

UnknownElement& Array::operator[](size_t index)
{
    if (index >= m_Elements.size()) m_Elements.resize(index + 1);
    return m_Elements[index];
}

const UnknownElement& Array::operator[](size_t index) const
{
    return index < m_Elements.size() ? m_Elements[index] : SharedNull();
}

// ---------------------------------------------------------------------------
// Object

Object::iterator Object::Find(const std::string& name)
{
    iterator it = m_Members.begin();
    for (; it != m_Members.end(); ++it)
        if (it->name == name) break;
    return it;
}

Object::const_iterator Object::Find(const std::string& name) const
{
    const_iterator it = m_Members.begin();
    for (; it != m_Members.end(); ++it)
        if (it->name == name) break;
    return it;
}

Object::iterator Object::Insert(const Member& member)
{
    return Insert(member, End());
}

Object::iterator Object::Insert(const Member& member, iterator itWhere)
{
    if (Find(member.name) != End()) throw Exception("Object member already exists: " + member.name);
    return m_Members.insert(itWhere, member);
}

Object::iterator Object::Erase(iterator itWhere)
{
    return m_Members.erase(itWhere);
}

void Object::Clear()
{
    m_Members.clear();
}

UnknownElement& Object::operator[](const std::string& name)
{
    iterator it = Find(name);
    if (it == End()) it = m_Members.insert(m_Members.end(), Member(name));
    return it->element;
}

const UnknownElement& Object::operator[](const std::string& name) const
{
    const_iterator it = Find(name);
    return it == End() ? SharedNull() : it->element;
}

// ---------------------------------------------------------------------------
// Reader: character stream with locations

class Reader::InputStream {
public:
    explicit InputStream(std::istream& iStr) : m_iStr(iStr) {}

    bool EOS() { return std::istream::traits_type::eq_int_type(m_iStr.peek(), std::istream::traits_type::eof()); }
    // Only called when EOS() is false.
    char Peek() { return std::istream::traits_type::to_char_type(m_iStr.peek()); }
    char Get()
    {
        char c = std::istream::traits_type::to_char_type(m_iStr.get());
        // Counters wrap instead of overflowing on absurdly long input.
        m_Location.m_nDocOffset = Next(m_Location.m_nDocOffset);
        if (c == '\n') {
            m_Location.m_nLine = Next(m_Location.m_nLine);
            m_Location.m_nLineOffset = 0;
        } else {
            m_Location.m_nLineOffset = Next(m_Location.m_nLineOffset);
        }
        return c;
    }
    const Location& GetLocation() const { return m_Location; }

private:
    static int32_t Next(int32_t n) { return static_cast<int32_t>(static_cast<uint32_t>(n) + 1u); }

    std::istream& m_iStr;
    Location m_Location;
};

// Token list with a cursor and the current nesting depth.
class Reader::TokenStream {
public:
    explicit TokenStream(const Tokens& tokens) : m_Tokens(tokens), m_itCurrent(tokens.begin()) {}

    bool EOS() const { return m_itCurrent == m_Tokens.end(); }
    const Token& Peek() const { return *m_itCurrent; }
    const Token& Get() { return *m_itCurrent++; }

    int m_nDepth = 0;

private:
    const Tokens& m_Tokens;
    Tokens::const_iterator m_itCurrent;
};

namespace {

// The \u codes that decode to a single Latin-1 byte; every other code is
// kept as its four characters.
const char* const kLatin1Escapes[] = {
    "00c4", "00d6", "00dc", "00df", "00e0", "00e1", "00e2", "00e3", "00e4",
    "00e8", "00e9", "00ec", "00ed", "00ee", "00ef", "00f0", "00f1", "00f2",
    "00f3", "00f4", "00f5", "00f6", "00f9", "00fa", "00fb", "00fc",
};

bool DecodeLatin1Escape(const std::string& code, char& byte)
{
    if (code.size() != 4) return false;
    char lower[5];
    for (int i = 0; i < 4; ++i) lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(code[i])));
    lower[4] = 0;
    for (const char* known : kLatin1Escapes) {
        if (std::strcmp(lower, known) == 0) {
            byte = static_cast<char>(std::strtol(lower, nullptr, 16));
            return true;
        }
    }
    return false;
}

bool IsNumberChar(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+' || c == '\0';
}

// Leaves the depth counter as it found it, also when parsing throws.
struct DepthGuard {
    explicit DepthGuard(int& depth) : m_depth(depth) { ++m_depth; }
    ~DepthGuard() { --m_depth; }
    int& m_depth;
};

} // namespace

// ---------------------------------------------------------------------------
// Reader: scanning

void Reader::EatWhiteSpace(InputStream& inputStream)
{
    while (!inputStream.EOS() && std::isspace(static_cast<unsigned char>(inputStream.Peek())))
        inputStream.Get();
}

void Reader::MatchExpectedString(InputStream& inputStream, const std::string& sExpected)
{
    for (char expected : sExpected) {
        if (inputStream.EOS() || inputStream.Get() != expected)
            throw ScanException("Expected string: " + sExpected, inputStream.GetLocation());
    }
}

void Reader::MatchString(InputStream& inputStream, std::string& sValue)
{
    MatchExpectedString(inputStream, "\"");
    while (!inputStream.EOS() && inputStream.Peek() != '"') {
        char c = inputStream.Get();
        if (c != '\\') {
            sValue.push_back(c);
            continue;
        }
        if (inputStream.EOS()) {
            sValue.push_back('\\');
            break;
        }
        c = inputStream.Get();
        switch (c) {
        case '"': sValue.push_back('"'); break;
        case '/': sValue.push_back('/'); break;
        case '\\': sValue.push_back('\\'); break;
        case 'b': sValue.push_back('\b'); break;
        case 'f': sValue.push_back('\f'); break;
        case 'n': sValue.push_back('\n'); break;
        case 'r': sValue.push_back('\r'); break;
        case 't': sValue.push_back('\t'); break;
        case 'u': {
            std::string code;
            while (code.size() < 4 && !inputStream.EOS()) code.push_back(inputStream.Get());
            char byte = 0;
            if (DecodeLatin1Escape(code, byte))
                sValue.push_back(byte);
            else
                sValue += code;
            break;
        }
        default:
            throw ScanException(std::string("Unrecognized escape sequence found in string: \\") + c,
                                inputStream.GetLocation());
        }
    }
    MatchExpectedString(inputStream, "\"");
}

void Reader::MatchNumber(InputStream& inputStream, std::string& sNumber)
{
    while (!inputStream.EOS() && IsNumberChar(inputStream.Peek())) sNumber.push_back(inputStream.Get());
}

void Reader::Scan(Tokens& tokens, std::istream& istr)
{
    InputStream inputStream(istr);
    for (;;) {
        EatWhiteSpace(inputStream);
        if (inputStream.EOS()) break;

        Token token;
        token.locBegin = inputStream.GetLocation();
        char c = inputStream.Peek();
        switch (c) {
        case '{':
            MatchExpectedString(inputStream, token.sValue = "{");
            token.nType = Token::TOKEN_OBJECT_BEGIN;
            break;
        case '}':
            MatchExpectedString(inputStream, token.sValue = "}");
            token.nType = Token::TOKEN_OBJECT_END;
            break;
        case '[':
            MatchExpectedString(inputStream, token.sValue = "[");
            token.nType = Token::TOKEN_ARRAY_BEGIN;
            break;
        case ']':
            MatchExpectedString(inputStream, token.sValue = "]");
            token.nType = Token::TOKEN_ARRAY_END;
            break;
        case ',':
            MatchExpectedString(inputStream, token.sValue = ",");
            token.nType = Token::TOKEN_NEXT_ELEMENT;
            break;
        case ':':
            MatchExpectedString(inputStream, token.sValue = ":");
            token.nType = Token::TOKEN_MEMBER_ASSIGN;
            break;
        case '"':
            MatchString(inputStream, token.sValue);
            token.nType = Token::TOKEN_STRING;
            break;
        case '-':
        case '0': case '1': case '2': case '3': case '4':
        case '5': case '6': case '7': case '8': case '9':
            MatchNumber(inputStream, token.sValue);
            token.nType = Token::TOKEN_NUMBER;
            break;
        case 't':
            MatchExpectedString(inputStream, token.sValue = "true");
            token.nType = Token::TOKEN_BOOLEAN;
            break;
        case 'f':
            MatchExpectedString(inputStream, token.sValue = "false");
            token.nType = Token::TOKEN_BOOLEAN;
            break;
        case 'n':
            MatchExpectedString(inputStream, token.sValue = "null");
            token.nType = Token::TOKEN_NULL;
            break;
        default:
            throw ScanException(std::string("Unexpected character in stream: ") + c, inputStream.GetLocation());
        }
        token.locEnd = inputStream.GetLocation();
        tokens.push_back(std::move(token));
    }
}

// ---------------------------------------------------------------------------
// Reader: parsing

const std::string& Reader::MatchExpectedToken(Token::Type nExpected, TokenStream& tokenStream)
{
    if (tokenStream.EOS()) throw ParseException("Unexpected End of token stream", Location(), Location());
    const Token& token = tokenStream.Get();
    if (token.nType != nExpected)
        throw ParseException("Unexpected token: " + token.sValue, token.locBegin, token.locEnd);
    return token.sValue;
}

void Reader::Read(Object& object, std::istream& istr)
{
    Tokens tokens;
    Scan(tokens, istr);
    TokenStream tokenStream(tokens);
    Parse(object, tokenStream);
    if (!tokenStream.EOS()) {
        const Token& token = tokenStream.Peek();
        throw ParseException("Expected End of token stream; found " + token.sValue, token.locBegin, token.locEnd);
    }
}

void Reader::Parse(UnknownElement& element, TokenStream& tokenStream)
{
    if (tokenStream.EOS()) throw ParseException("Unexpected end of token stream", Location(), Location());
    const Token& token = tokenStream.Peek();
    switch (token.nType) {
    case Token::TOKEN_OBJECT_BEGIN: Parse(element.ConvertTo<Object>(), tokenStream); break;
    case Token::TOKEN_ARRAY_BEGIN: Parse(element.ConvertTo<Array>(), tokenStream); break;
    case Token::TOKEN_STRING: Parse(element.ConvertTo<String>(), tokenStream); break;
    case Token::TOKEN_NUMBER: Parse(element.ConvertTo<Number>(), tokenStream); break;
    case Token::TOKEN_BOOLEAN: Parse(element.ConvertTo<Boolean>(), tokenStream); break;
    case Token::TOKEN_NULL: Parse(element.ConvertTo<Null>(), tokenStream); break;
    default: throw ParseException("Unexpected token: " + token.sValue, token.locBegin, token.locEnd);
    }
}

void Reader::Parse(Object& object, TokenStream& tokenStream)
{
    if (!tokenStream.EOS() && tokenStream.m_nDepth >= kMaxNesting) {
        const Token& token = tokenStream.Peek();
        throw ParseException("Nesting too deep at token: " + token.sValue, token.locBegin, token.locEnd);
    }
    DepthGuard depth(tokenStream.m_nDepth);
    MatchExpectedToken(Token::TOKEN_OBJECT_BEGIN, tokenStream);
    // Names seen so far, so that a reply with many members is not checked
    // member by member (quadratic in its size).
    std::unordered_set<std::string> names;
    for (const Object::Member& member : object) names.insert(member.name);
    bool bContinue = !tokenStream.EOS() && tokenStream.Peek().nType != Token::TOKEN_OBJECT_END;
    while (bContinue) {
        const Token* pNameToken = tokenStream.EOS() ? nullptr : &tokenStream.Peek();
        const std::string& sName = MatchExpectedToken(Token::TOKEN_STRING, tokenStream);
        MatchExpectedToken(Token::TOKEN_MEMBER_ASSIGN, tokenStream);
        UnknownElement value;
        Parse(value, tokenStream);
        if (!names.insert(sName).second)
            throw ParseException("Duplicate object member token: " + sName, pNameToken->locBegin,
                                 pNameToken->locEnd);
        // Append a null member and move the parsed value in: no deep copy.
        object.m_Members.emplace_back(sName);
        object.m_Members.back().element.Swap(value);
        bContinue = !tokenStream.EOS() && tokenStream.Peek().nType == Token::TOKEN_NEXT_ELEMENT;
        if (bContinue) MatchExpectedToken(Token::TOKEN_NEXT_ELEMENT, tokenStream);
    }
    MatchExpectedToken(Token::TOKEN_OBJECT_END, tokenStream);
}

void Reader::Parse(Array& array, TokenStream& tokenStream)
{
    if (!tokenStream.EOS() && tokenStream.m_nDepth >= kMaxNesting) {
        const Token& token = tokenStream.Peek();
        throw ParseException("Nesting too deep at token: " + token.sValue, token.locBegin, token.locEnd);
    }
    DepthGuard depth(tokenStream.m_nDepth);
    MatchExpectedToken(Token::TOKEN_ARRAY_BEGIN, tokenStream);
    bool bContinue = !tokenStream.EOS() && tokenStream.Peek().nType != Token::TOKEN_ARRAY_END;
    while (bContinue) {
        Array::iterator it = array.Insert(UnknownElement());
        Parse(*it, tokenStream);
        bContinue = !tokenStream.EOS() && tokenStream.Peek().nType == Token::TOKEN_NEXT_ELEMENT;
        if (bContinue) MatchExpectedToken(Token::TOKEN_NEXT_ELEMENT, tokenStream);
    }
    MatchExpectedToken(Token::TOKEN_ARRAY_END, tokenStream);
}

void Reader::Parse(String& string, TokenStream& tokenStream)
{
    string = MatchExpectedToken(Token::TOKEN_STRING, tokenStream);
}

void Reader::Parse(Number& number, TokenStream& tokenStream)
{
    const Token& token = tokenStream.Peek();
    const std::string& sValue = MatchExpectedToken(Token::TOKEN_NUMBER, tokenStream);
    std::istringstream iStr(sValue);
    double dValue = 0.0;
    iStr >> dValue;
    // A failed extraction (a lone "-", "1e") leaves the value 0, or the
    // largest value on overflow; what it did not consume is an error.
    iStr.clear();
    int next = iStr.get();
    if (next != std::char_traits<char>::eof())
        throw ParseException(std::string("Unexpected character in NUMBER token: ") + static_cast<char>(next),
                             token.locBegin, token.locEnd);
    number = Number(dValue);
}

void Reader::Parse(Boolean& boolean, TokenStream& tokenStream)
{
    boolean = Boolean(MatchExpectedToken(Token::TOKEN_BOOLEAN, tokenStream) == "true");
}

void Reader::Parse(Null& null, TokenStream& tokenStream)
{
    MatchExpectedToken(Token::TOKEN_NULL, tokenStream);
    null = Null();
}

} // namespace json
