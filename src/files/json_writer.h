#pragma once

#include "files/json_reader.h"

#include <QByteArray>
#include <QString>
#include <initializer_list>
#include <string_view>
#include <vector>

// Writes one JSON document into memory. Every text is escaped as RFC 8259
// asks; values read by Json::Document are copied as they were read, so a
// control kept from an imported file is written back unchanged. Indented by
// two blanks a level, or compact.
class JsonWriter {
public:
    enum class Layout { Indented, Compact };
    explicit JsonWriter(Layout layout = Layout::Indented);

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // The name of the next member of the object being written: a name of
    // our own, plain ASCII without quotes, written as it is.
    void key(std::string_view name);
    void string(const QString& text);
    void boolean(bool value);
    void number(qint64 value);
    void null();
    // A member with a text value.
    void member(std::string_view name, const QString& text)
    {
        key(name);
        string(text);
    }
    // A value of a parsed document, an object without the members named in
    // `without` (at its top level only).
    void value(Json::Value value, std::initializer_list<std::string_view> without = {});

    // The document; the writer is done with it.
    QByteArray take();

private:
    void beforeValue();
    void copy(uint32_t index, std::initializer_list<std::string_view> without);
    void copyMembers(uint32_t index, std::initializer_list<std::string_view> without);
    void open(char bracket);
    void close(char bracket);
    void newLine();

    QByteArray m_out;
    const Json::Document* m_source = nullptr;
    Layout m_layout;
    std::vector<bool> m_hasEntries; // per open container: whether it holds an entry yet
    bool m_afterKey = false;
};
