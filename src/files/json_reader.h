#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

// A small, strict reader of JSON (RFC 8259) for files that may be hostile:
// one pass over the UTF-8 bytes builds a compact tree whose strings point into
// the bytes and are decoded only when read. Faults, and files beyond the
// limits, raise QuarrixError with a message that reads after "it ..." and names
// the line, column and byte of a syntax fault.
namespace Json {

struct Limits {
    int maxDepth = 100; // nesting of objects and lists
    qint64 maxValues = 2'000'000; // values of any kind, lists and objects included
};

class Document;

// A value of a document, or none (a member that is absent). Cheap to copy; it
// is valid while its document lives.
class Value {
public:
    Value() = default;

    bool exists() const { return m_doc != nullptr; }
    bool isObject() const;
    bool isArray() const;
    bool isString() const;
    bool isNull() const;

    // The member of an object with that key (the last one when the key is
    // repeated); none when this is not an object or has no such member.
    Value member(std::string_view key) const;
    // The members with those keys, in one pass over the object.
    template <size_t N> std::array<Value, N> members(const std::array<std::string_view, N>& keys) const
    {
        std::array<Value, N> found;
        findMembers(keys.data(), found.data(), N);
        return found;
    }
    // The text of a string; empty for any other value.
    QString text() const;
    // Whether this is a string of exactly that (UTF-8) text.
    bool textEquals(std::string_view utf8) const;
    // The text of the member with that key, empty unless it is a string.
    QString text(std::string_view key) const { return member(key).text(); }

    // The entries of a list in order; none for any other value.
    class Entries;
    Entries entries() const;

    // Where the value sits, for walking its nodes; null and 0 for none.
    const Document* document() const { return m_doc; }
    uint32_t index() const { return m_index; }

private:
    friend class Document;
    void findMembers(const std::string_view* keys, Value* found, size_t count) const;
    Value(const Document* doc, uint32_t index)
        : m_doc(doc)
        , m_index(index)
    {
    }
    const Document* m_doc = nullptr;
    uint32_t m_index = 0;
};

class Document {
public:
    // Parses the bytes (without a byte order mark), which must outlive the document.
    static Document parse(const QByteArray& utf8, const Limits& limits = Limits());

    Value root() const { return Value(this, 0); }
    // The value of a node.
    Value value(uint32_t index) const { return Value(this, index); }

    enum class Type : uint8_t { Null, False, True, Number, String, Array, Object };
    // One value; a list's or an object's contents follow it in order (an
    // object's as key, value, key, value ...) up to index `end`.
    struct Node {
        uint32_t start = 0; // a string's first byte after the quote
        uint32_t size = 0; // a string's bytes between the quotes
        uint32_t end = 0; // the index after this value and all it holds
        Type type = Type::Null;
        bool escaped = false; // a string that holds a backslash escape
    };
    const Node& node(uint32_t index) const { return m_nodes[index]; }
    const char* bytes() const { return m_bytes; }

private:
    friend class Parser;
    const char* m_bytes = nullptr;
    std::vector<Node> m_nodes;
};

class Value::Entries {
public:
    class Iterator {
    public:
        Value operator*() const { return Value(m_doc, m_index); }
        Iterator& operator++()
        {
            m_index = m_doc->node(m_index).end;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return m_index != other.m_index; }

    private:
        friend class Entries;
        Iterator(const Document* doc, uint32_t index)
            : m_doc(doc)
            , m_index(index)
        {
        }
        const Document* m_doc;
        uint32_t m_index;
    };
    Iterator begin() const { return Iterator(m_doc, m_first); }
    Iterator end() const { return Iterator(m_doc, m_end); }

private:
    friend class Value;
    Entries(const Document* doc, uint32_t first, uint32_t end)
        : m_doc(doc)
        , m_first(first)
        , m_end(end)
    {
    }
    const Document* m_doc;
    uint32_t m_first, m_end;
};

inline Value::Entries Value::entries() const
{
    if (!isArray())
        return Entries(m_doc, 0, 0);
    return Entries(m_doc, m_index + 1, m_doc->node(m_index).end);
}

}
