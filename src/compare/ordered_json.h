#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// Writes JSON whose object members keep the order they are written in
// (Qt's JSON objects sort them), indented by two blanks.
class OrderedJson {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // The member name of the value or container that comes next.
    void key(const QString& name);
    // A text, a whole number, a list of texts (an array), or null.
    void value(const QVariant& v);

    // The text written, ended by a line feed.
    QByteArray finish();

private:
    void beforeValue();
    void newLine();
    static void appendString(QByteArray& out, const QString& text);

    QByteArray m_out;
    int m_depth = 0;
    bool m_first = true; // no member or element yet in the open container
    bool m_afterKey = false;
};
