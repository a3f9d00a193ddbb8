// The JSON writer escapes every text, and copies what the reader parsed as it
// was read; Qt's own reader checks what it writes.
#include "files/json_writer.h"
#include "support/qt_printers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QJsonValue parsedByQt(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json.toStdString();
    return document.object().value(QStringLiteral("v"));
}

TEST(JsonWriter, TextsOfAnyCharacterReadBackAsWritten)
{
    const QString texts[] = { QString(), QStringLiteral("plain"), QStringLiteral("\"quoted\" \\ back/slash"),
        QStringLiteral("tab\there\r\nline"), QString(QChar(0x01)) + QChar(0x1F) + QChar(0x7F),
        QStringLiteral("caf\u00e9 \u2028 \U0001F512"), QStringLiteral("{{ insert: param, x }}") };
    for (const JsonWriter::Layout layout : { JsonWriter::Layout::Indented, JsonWriter::Layout::Compact })
        for (const QString& text : texts) {
            JsonWriter w(layout);
            w.beginObject();
            w.member("v", text);
            w.endObject();
            const QByteArray json = w.take();
            EXPECT_EQ(parsedByQt(json).toString(), text) << json.toStdString();
        }
}

TEST(JsonWriter, CopiesParsedValuesAsTheyWereAndLeavesOutNamedMembers)
{
    const QByteArray source = R"({"id": "a\u00e9\"\/", "n": -1.5e3, "t": true, "f": false, "z": null,
        "list": [[], {}, [1, {"controls": 2}]], "controls": [{"id": "child"}]})";
    const Json::Document document = Json::Document::parse(source);
    JsonWriter w(JsonWriter::Layout::Compact);
    w.beginObject();
    w.key("v");
    w.value(document.root(), { "controls", "t" });
    w.endObject();
    const QByteArray json = w.take();
    EXPECT_EQ(json,
        QByteArray(R"({"v":{"id":"a\u00e9\"\/","n":-1.5e3,"f":false,"z":null,"list":[[],{},[1,{"controls":2}]]}})"));
    QJsonObject expected = QJsonDocument::fromJson(source).object();
    expected.remove(QStringLiteral("controls"));
    expected.remove(QStringLiteral("t"));
    EXPECT_EQ(parsedByQt(json), QJsonValue(expected));
}

TEST(JsonWriter, WholeNumbersAndNull)
{
    JsonWriter w(JsonWriter::Layout::Compact);
    w.beginArray();
    w.number(-42);
    w.number(9007199254740993);
    w.null();
    w.endArray();
    EXPECT_EQ(w.take(), "[-42,9007199254740993,null]");
}

}
