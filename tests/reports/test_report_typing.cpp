// Text folding and the IDDR control-to-driver trace.
#include "report_test_support.h"

#include "analysis/attributes_in_use.h"
#include "analysis/carried_attributes.h"
#include "analysis/in_use_derivation.h"
#include "reports/iddr_trace.h"
#include "reports/report_typing.h"
#include "reports/row_lookup.h"

using ReportTyping::foldLines;

TEST(ReportTyping, FoldCutsAtTheLastBlankWithinTheWidth)
{
    const QString s89 = ReportFixture::source89(); // last blank at 85
    struct Case {
        const char* name;
        QString text;
        int width;
        bool flatten, keepLines;
        QStringList lines;
    } cases[] = {
        { "empty text: one blank", "", 90, true, false, { " " } },
        { "89 characters fit with the blank", s89, 90, true, false, { s89 + " " } },
        { "90 characters: cut at the last blank", s89 + "e", 90, true, false, { s89.left(85), "abcde " } },
        { "no blank: cut at the width", QString(95, 'x'), 90, true, false, { QString(90, 'x'), "xxxxx " } },
        { "99 characters fit in 100", QString(99, 'y'), 100, true, false, { QString(99, 'y') + " " } },
        { "flattened: breaks become blanks", "a\r\nb\rc\nd", 90, true, false, { "a  b c d " } },
        { "line breaks kept when not flattened", "a\r\nb", 100, false, false, { "a\r\nb " } },
        { "line-keeping: CR LF is one break", "a\r\nb", 90, false, true, { "a  ", "b " } },
        { "line-keeping: LF CR is one break", "a\n\rb", 90, false, true, { "a  ", "b " } },
        { "line-keeping: lone CR, lone LF", "a\rb\nc", 90, false, true, { "a ", "b ", "c " } },
        { "line-keeping: blank line kept", "a\r\n\r\nb", 90, false, true, { "a  ", "  ", "b " } },
        { "line-keeping: final break leaves a blank line", "a\r\n", 90, false, true, { "a  ", " " } },
        { "line-keeping: break right at the width", QString(89, 'z') + "\r\nw", 90, false, true,
            { QString(89, 'z') + "  ", "w " } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(foldLines(c.text, c.width, c.flatten, c.keepLines), c.lines) << c.name;
}

TEST(ReportTyping, UpperCaseChangesOnlyAsciiLetters)
{
    EXPECT_EQ(ReportTyping::upperAscii(QStringLiteral("north \u00e9tage 2b")), QStringLiteral("NORTH \u00e9TAGE 2B"));
}

class IddrTraceTest : public ReportStoreTest {
protected:
    void SetUp() override
    {
        ReportStoreTest::SetUp();
        Table& at = a.attribute();
        ASSERT_TRUE(at.locate("GrAtt", { "01Confidential" }));
        at.edit();
        // "01.1" + "0BD1" and "01.10" + "BD1" join to the same key; the last
        // identifier makes a key longer than the 16-character field.
        at.setText("SecControls", "01.1: first\r\n01.10: second\r\n01.01.01.01.01: long\r\n");
        at.post();
        ReportFixture::add(a.drivers(), { { "CSeq", "BD1" }, { "Driver", "One" } });
        ReportFixture::add(a.drivers(), { { "CSeq", "0BD1" }, { "Driver", "Zero" } });
        for (const char* cseq : { "BD1", "0BD1" }) {
            a.driverProfiles().append();
            a.driverProfiles().setText("CSeq", cseq);
            a.driverProfiles().setText("Attribute", "Confidential");
            a.driverProfiles().setInteger("Priority", 1);
            a.driverProfiles().post();
        }
    }

    QStringList tracePairs()
    {
        releaseAttributesInUse(a);
        const InUseRows inUse(a.attribute(), AttributesInUse::derive(a.store(), "All"));
        QStringList pairs;
        for (const TraceRow& r : IddrTrace::rows(a.attribute(), inUse, a.drivers(), CarriedAttributes::read(a.store())))
            pairs << r.id + "|" + r.cseq;
        return pairs;
    }
};

TEST_F(IddrTraceTest, CollidingAndLongKeysKeepOneRowPerPair)
{
    const qint64 changesBefore = a.store().totalChanges();
    // In key order, letter case ignored; equal keys in the order first met.
    EXPECT_EQ(tracePairs(),
        (QStringList { "01.01.01.01.01|0BD1", "01.01.01.01.01|BD1", "01.01.01.01.01|BD1.01", "01.10|0BD1", "01.10|BD1",
            "01.1|0BD1", "01.10|BD1.01", "01.1|BD1", "01.1|BD1.01", "02.01.01|BD1.01", "02.01.01|BD1.02",
            "03.01.01|BD1.02", "99.99.99|BD1.02" }));
    // Worked out in memory: the IDDR table is not written.
    EXPECT_EQ(a.store().totalChanges(), changesBefore);
    EXPECT_EQ(a.controlDriverTrace().recordCount(), 0);
}

// Rows of a driver that is gone, or outside the division filter, trace
// nothing: they would only give a control with no driver to list.
TEST_F(IddrTraceTest, OnlyDriversInViewAreTraced)
{
    ASSERT_TRUE(a.drivers().locate("CSeq", { "0BD1" }));
    a.drivers().remove();
    EXPECT_FALSE(tracePairs().join(',').contains("|0BD1"));
    EXPECT_TRUE(tracePairs().contains("01.1|BD1"));
}

TEST_F(IddrTraceTest, ReportListsCollidingPairsAndNeverMatchesACutIdentifier)
{
    ReportFixture::add(a.controls(), { { "Id", "01.1" }, { "control_title", "First" } });
    ReportFixture::add(a.controls(), { { "Id", "01.10" }, { "control_title", "Second" } });
    const Docx d = quarrix();
    const int from = d.find("7.  SECURITY CONTROL BUSINESS DRIVERS", afterContents(d));
    const int to = d.find("8.  PERFORMANCE BY ATTRIBUTE", from);
    // Banner titles and driver lines, in document order.
    QStringList listed;
    for (int i = from; i < to; ++i) {
        const QString t = d.body[size_t(i)].text();
        if (t.contains(" \t") && !t.startsWith(' '))
            listed << t;
    }
    // "01.01.01.01.01" is no catalogue identifier, even though its first
    // eight characters are; a control met again after another one gets a
    // new banner.
    EXPECT_EQ(listed,
        (QStringList { "01.10 \tSecond", "0BD1 \tZero", "BD1 \tOne", "01.1 \tFirst", "0BD1 \tZero", "01.10 \tSecond",
            "BD1.01 \tProtect customer data", "01.1 \tFirst", "BD1 \tOne", "BD1.01 \tProtect customer data",
            "02.01.01 \tKey management", "BD1.01 \tProtect customer data", "BD1.02 \tSell online",
            "03.01.01 \tLog review", "BD1.02 \tSell online" }));
}
