// The JSON reader takes exactly RFC 8259, names where a fault is, decodes
// escapes when a text is read and stops at its limits.
#include "files/json_reader.h"
#include "store/quarrix_error.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

// The message of the fault parsing the bytes raises, or "(parsed)".
QString faultOf(const QByteArray& json, const Json::Limits& limits = Json::Limits())
{
    try {
        Json::Document::parse(json, limits);
    } catch (const QuarrixError& e) {
        return e.message();
    }
    return QStringLiteral("(parsed)");
}

TEST(JsonReader, RefusesWhatIsNotJsonNamingWhere)
{
    const std::vector<std::pair<QByteArray, const char*>> cases = {
        { "", "a value is missing at line 1, column 1, byte 0" },
        { " \n ", "a value is missing at line 2, column 2, byte 3" },
        { "[1\n,\n  x]", "an unexpected character where a value belongs at line 3, column 3, byte 7" },
        { "{} []", "content after the end of the JSON value at line 1, column 4, byte 3" },
        { "[1,]", "an unexpected character where a value belongs" }, { "[1 2]", "',' or ']' is missing" },
        { "[01]", "',' or ']' is missing" }, { "[1", "the list is not closed" },
        { "{\"a\": 1", "the object is not closed" }, { "{\"a\": 1,}", "a member name (a string) is missing" },
        { "{'a': 1}", "a member name (a string) is missing" }, { "{\"a\" 1}", "':' is missing after a member name" },
        { "[-]", "a number without digits at line 1, column 2" }, { "[1.]", "a number without digits after its point" },
        { "[.5]", "an unexpected character where a value belongs" },
        { "[1e+]", "a number without digits in its exponent" },
        { "[NaN]", "an unexpected character where a value belongs" },
        { "[tru]", "an unexpected word where a value belongs" },
        { "[True]", "an unexpected character where a value belongs" },
        { "[\"abc", "the string is not closed at line 1, column 2, byte 1" },
        { "[\"a\tb\"]", "a control character in a string" }, { "[\"\\x\"]", "an unknown escape in a string" },
        { "[\"\\u12\"]", "a \\u escape without four hex digits" }, { "[\"\\u12", "a \\u escape is cut short" },
        { "[\"\\udc00\"]", "a low surrogate without a high one before it at line 1, column 3" },
        { "[\"\\ud800x\"]", "a high surrogate without a low one after it" },
        { "[\"\\ud800\\u0041\"]", "a high surrogate without a low one after it" },
        { "[\"\xff\"]", "bytes that are not UTF-8 in a string" },
        { "[\"\xc0\xaf\"]", "bytes that are not UTF-8" }, // an overlong '/'
        { "[\"\xed\xa0\x80\"]", "bytes that are not UTF-8" }, // a surrogate
        { "[\"\xf4\x90\x80\x80\"]", "bytes that are not UTF-8" }, // beyond U+10FFFF
        { "[\"\xe2\x82\"]", "bytes that are not UTF-8" }, // cut short
        { "\xEF\xBB\xBF[]", "an unexpected character where a value belongs" }, // callers drop the mark
    };
    for (const auto& [json, expected] : cases) {
        SCOPED_TRACE(json.toStdString());
        const QString message = faultOf(json);
        EXPECT_TRUE(message.startsWith(QLatin1String("it is not valid JSON ("))) << message.toStdString();
        EXPECT_TRUE(message.contains(QString::fromUtf8(expected))) << message.toStdString();
    }
}

TEST(JsonReader, DecodesTextsWhenRead)
{
    const std::vector<std::pair<QByteArray, QString>> cases = {
        { "\"plain\"", QStringLiteral("plain") },
        { "\"\"", QString() },
        { "\"\\\" \\\\ \\/ \\b \\f \\n \\r \\t\"", QStringLiteral("\" \\ / \b \f \n \r \t") },
        { "\"\\u00e9t\\u00C9 \\u20ac\"", QStringLiteral("\u00e9t\u00c9 \u20ac") },
        { "\"\\ud83d\\ude00!\"", QStringLiteral("\U0001F600!") },
        { "\"caf\xc3\xa9 \xf0\x9f\x98\x80\"", QStringLiteral("caf\u00e9 \U0001F600") },
        { "\"a\\u0000b\"", QString::fromUtf16(u"a\0b", 3) },
    };
    for (const auto& [json, expected] : cases) {
        SCOPED_TRACE(json.toStdString());
        const Json::Document doc = Json::Document::parse(json);
        EXPECT_EQ(doc.root().text(), expected);
        EXPECT_TRUE(doc.root().textEquals(expected.toStdString()));
    }
}

TEST(JsonReader, FindsMembersAndWalksLists)
{
    const QByteArray json = " {\"list\": [1, -0.5e3, \"x\", {\"b\": null}, [], true, false],"
                            " \"n\\u0061me\": \"escaped key\", \"twice\": \"first\", \"twice\": \"last\", \"\": \"\"} ";
    const Json::Document doc = Json::Document::parse(json);
    const Json::Value root = doc.root();
    ASSERT_TRUE(root.isObject());
    EXPECT_EQ(root.text("name"), QStringLiteral("escaped key"));
    EXPECT_EQ(root.text("twice"), QStringLiteral("last")); // as other readers keep it
    EXPECT_TRUE(root.member("").isString());
    EXPECT_FALSE(root.member("nam").exists());
    EXPECT_FALSE(root.member("list").member("b").exists()); // not an object

    QStringList kinds;
    for (const Json::Value v : root.member("list").entries())
        kinds << (v.isObject() ? QStringLiteral("object, b ") + (v.member("b").isNull() ? "null" : "?")
                : v.isArray()  ? QStringLiteral("list")
                : v.isString() ? v.text()
                               : QStringLiteral("other"));
    EXPECT_EQ(kinds, QStringList({ "other", "other", "x", "object, b null", "list", "other", "other" }));
    const Json::Value text = root.member("name");
    EXPECT_FALSE(text.entries().begin() != text.entries().end()); // not a list: no entries
    EXPECT_EQ(root.member("list").text(), QString()); // not a string: no text
    EXPECT_EQ(Json::Value().text("any"), QString());
}

TEST(JsonReader, StopsAtItsLimits)
{
    const auto nested = [](int depth, const QByteArray& open, const QByteArray& close) {
        return open.repeated(depth) + close.repeated(depth);
    };
    Json::Limits three;
    three.maxValues = 3;
    const std::vector<std::tuple<QByteArray, Json::Limits, const char*>> cases = {
        { nested(100, "[", "]"), {}, "(parsed)" },
        { nested(101, "[", "]"), {}, "it is nested more than 100 levels deep" },
        { nested(100, "{\"a\":", "}").replace("{\"a\":}", "{}"), {}, "(parsed)" },
        { "[" + nested(100, "{\"a\":", "}").replace("{\"a\":}", "{}") + "]", {},
            "it is nested more than 100 levels deep" },
        // Member names are not values: an object of two members holds three.
        { "{\"a\": 1, \"b\": 2}", three, "(parsed)" },
        { "[1, 2, 3]", three, "it holds more than 3 JSON values" },
    };
    for (const auto& [json, limits, expected] : cases) {
        SCOPED_TRACE(json.left(60).toStdString());
        EXPECT_EQ(faultOf(json, limits), QString::fromUtf8(expected));
    }
}

}
