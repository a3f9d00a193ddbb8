#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Writes XML as UTF-8 straight into a byte array, fast enough for parts of
// many megabytes. Element and attribute names are the caller's fixed ASCII
// literals; every text and attribute value is escaped here, and characters
// XML 1.0 cannot carry (stray control characters, lone surrogates) become
// U+FFFD, so stored text can never make a part unreadable.
//
//   xml.element("w:p"); xml.attribute("w:val", text); xml.text(t); xml.end("w:p");
//
// An element ended with nothing written inside it is closed as "<name/>".
class XmlBytes {
public:
    explicit XmlBytes(QByteArray& out)
        : m_out(out)
    {
    }

    void declaration(); // <?xml ... standalone="yes"?>
    void element(const char* name);
    void attribute(const char* name, QStringView value);
    void attribute(const char* name, const char* asciiValue);
    void attribute(const char* name, long long value);
    void text(QStringView text);
    void end(const char* name);
    // Bytes that are already well-formed XML, such as a cached fragment.
    void raw(const QByteArray& xml);

private:
    void closeTag();
    void escaped(QStringView text, bool inAttribute);

    QByteArray& m_out;
    bool m_tagOpen = false;
};
