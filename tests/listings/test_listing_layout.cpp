#include "recording_canvas.h"

#include "analysis/profile_division_filter.h"
#include "reports/listing_layout.h"
#include "support/in_use_fixture.h"
#include "support/temp_store.h"

#include <set>
#include <tuple>

namespace {

constexpr int u = RecordingCanvas::u, L = RecordingCanvas::L, h = RecordingCanvas::h;
using Sorting = ReferenceListings::Sorting;

class ListingTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        Table& system = a.system();
        system.hasRecord() ? system.edit() : system.append();
        system.setText(QStringLiteral("Assessment"), QStringLiteral("Harbour review"));
        system.post();
        options.date = QStringLiteral("10/12/2026");
        options.selection.requirements = options.selection.drivers = options.selection.attributes = false;
    }

    void requirement(const QString& id, const QString& division, const QString& activity, const QString& text = {})
    {
        addRow(a.requirements(),
            { { "RSeq", id }, { "Division", division }, { "Activity", activity },
                { "Requirement", text.isEmpty() ? QStringLiteral("Text of ") + id : text } });
    }
    void driver(const QString& id, const QString& division, const QString& activity, const QString& group,
        const QString& text = {})
    {
        addRow(a.drivers(),
            { { "CSeq", id }, { "Division", division }, { "Activity", activity }, { "Group", group },
                { "Driver", text.isEmpty() ? QStringLiteral("Driver ") + id : text } });
    }
    void attribute(const QString& name, const QString& group, const QString& description, bool inUse = true)
    {
        Table& t = a.attribute();
        t.append();
        t.setText(QStringLiteral("GrAtt"), group + name);
        t.setText(QStringLiteral("Attribute"), name);
        t.setText(QStringLiteral("Group"), group);
        t.setText(QStringLiteral("Description"), description);
        t.post();
        if (inUse)
            InUseFixture::bringIntoUse(a, name);
    }
    void control(const QString& id, const QString& section, const QString& objective)
    {
        addRow(a.controls(),
            { { "Id", id }, { "section_title", section }, { "subsection_title", objective },
                { "control_title", QStringLiteral("Control ") + id } });
    }

    // Prints with every table in its own order, as when the store is next
    // opened (appended records stay where they were added until a re-read).
    ReferenceListings::Result print()
    {
        for (Table* t : { &a.requirements(), &a.drivers(), &a.attribute(), &a.controls() })
            t->refresh();
        return ReferenceListings::print(a, options, canvas);
    }

    // The y positions of the texts drawn at x on a page.
    QList<int> ys(int page, int x) const
    {
        QList<int> out;
        for (const auto& t : canvas.pages.value(page).texts)
            if (t.x == x)
                out << t.y;
        return out;
    }
    static QStringList ids(const char* prefix, int from, int to)
    {
        QStringList out;
        for (int i = from; i <= to; ++i)
            out << QStringLiteral("%1%2").arg(QString::fromLatin1(prefix)).arg(i, 2, 10, QLatin1Char('0'));
        return out;
    }
    static QList<int> rowsFrom(int firstLine, int count)
    {
        QList<int> out;
        for (int i = 0; i < count; ++i)
            out << (firstLine + i) * L;
        return out;
    }

    ReferenceListings::Options options;
    RecordingCanvas canvas;
};

TEST_F(ListingTest, PageHeaderHeadingAndThirtyTwoRowsPerPage)
{
    for (int i = 1; i <= 40; ++i)
        requirement(
            QStringLiteral("BR%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("North"), QStringLiteral("Build"));
    options.selection.requirements = true;
    const auto result = print();

    ASSERT_EQ(canvas.pages.size(), 2);
    EXPECT_EQ(canvas.newPageCalls, 1);
    EXPECT_EQ(result.pages[0], 2);
    // The header and heading texts of the first page, with their fonts.
    using T = std::tuple<int, int, QString, QString, int, bool>;
    const QList<T> header {
        { 4 * u, L, "10/12/2026", "Arial", 10, false },
        { 132 * u, L, "Page 1", "Arial", 10, false },
        { 61 * u, 3 * L + h, "Requirements List", "Arial", 14, true },
        { 4 * u, 5 * L + h, "Assessment", "Arial", 12, true },
        { 32 * u, 5 * L + h, "Harbour review", "Arial", 12, false },
        { 4 * u, 7 * L + h, "Id", "Courier New", 9, true },
        { 20 * u, 7 * L + h, "Requirement", "Courier New", 9, true },
        { 102 * u, 7 * L + h, "Activity", "Courier New", 9, true },
        { 4 * u, 9 * L, "BR01", "Courier New", 9, false },
    };
    for (int i = 0; i < header.size(); ++i) {
        const auto& t = canvas.pages[0].texts.at(i);
        EXPECT_EQ(T(t.x, t.y, t.text, t.family, t.size, t.bold), header[i]) << "text " << i;
    }
    // The header box with its two inner lines, and the heading box, all with pen 4.
    using Seg = std::tuple<int, int, int, int>;
    std::set<Seg> drawn;
    for (const auto& l : canvas.pages[0].lines) {
        drawn.insert(std::min(Seg(l.x1, l.y1, l.x2, l.y2), Seg(l.x2, l.y2, l.x1, l.y1)));
        EXPECT_EQ(l.pen, 4);
    }
    const std::set<Seg> expected { { 3 * u, 3 * L, 140 * u, 3 * L }, { 140 * u, 3 * L, 140 * u, 7 * L },
        { 3 * u, 7 * L, 140 * u, 7 * L }, { 3 * u, 3 * L, 3 * u, 7 * L }, { 3 * u, 5 * L, 140 * u, 5 * L },
        { 20 * u, 5 * L, 20 * u, 7 * L }, { 3 * u, 7 * L + L + h, 140 * u, 7 * L + L + h },
        { 140 * u, 7 * L, 140 * u, 8 * L + h }, { 3 * u, 7 * L, 3 * u, 8 * L + h } };
    EXPECT_EQ(drawn, expected);

    // 32 rows from 9L to 40L, the rest on page 2 under the same header.
    EXPECT_EQ(canvas.column(0, 20 * u).mid(1), QStringList(ids("Text of BR", 1, 32)));
    EXPECT_EQ(ys(0, 20 * u).mid(1), rowsFrom(9, 32));
    EXPECT_EQ(canvas.column(1, 132 * u), QStringList { "Page 2" });
    EXPECT_EQ(canvas.column(1, 20 * u).mid(1), QStringList(ids("Text of BR", 33, 40)));
    EXPECT_EQ(ys(1, 20 * u).mid(1), rowsFrom(9, 8));
}

TEST_F(ListingTest, RowTextsAreCutToTheirColumns)
{
    const QString longText = QString(100, QLatin1Char('r'));
    const QString longActivity = QStringLiteral("Procurement and contract management of suppliers");
    requirement(QStringLiteral("BR1"), QStringLiteral("North"), longActivity, longText);
    driver(QStringLiteral("BD1"), QStringLiteral("North"), longActivity, QStringLiteral("Core"), longText);
    options.selection.requirements = options.selection.drivers = true;
    print();
    ASSERT_EQ(canvas.pages.size(), 2);
    for (int page : { 0, 1 }) {
        EXPECT_EQ(canvas.column(page, 20 * u).value(1), longText.left(80)) << page;
        EXPECT_EQ(canvas.column(page, 102 * u).value(1), longActivity.left(30)) << page;
    }
}

TEST_F(ListingTest, DescriptionsFoldAtTheLastBlankWithinNinetyCharacters)
{
    // 95 characters whose last blank is character 88.
    const QString ninetyFive = QString(87, QLatin1Char('a')) + QLatin1Char(' ') + QString(7, QLatin1Char('b'));
    const QString sixty = QStringLiteral("Data is kept whole and correct from entry to final archive.")
                              .leftJustified(60, QLatin1Char('.'));
    const QString noBlank = QString(200, QLatin1Char('c'));
    attribute(QStringLiteral("A1"), QStringLiteral("01"), ninetyFive);
    attribute(QStringLiteral("A2"), QStringLiteral("01"), sixty);
    attribute(QStringLiteral("A3"), QStringLiteral("01"), QString());
    attribute(QStringLiteral("A4"), QStringLiteral("01"), noBlank);
    attribute(QStringLiteral("A5"), QStringLiteral("01"), QStringLiteral("Not in use"), false);
    attribute(QStringLiteral("A6"), QStringLiteral("02"), QStringLiteral("Other group"));
    attribute(QStringLiteral("A7"), QStringLiteral("01"), QStringLiteral("Last"));
    options.selection.attributes = true;
    options.selection.group = QStringLiteral("01");
    print();
    ASSERT_EQ(canvas.pages.size(), 1);
    EXPECT_EQ(canvas.column(0, 22 * u), (QStringList { "Attribute", "A1", "A2", "A3", "A4", "A7" }));
    EXPECT_EQ(ys(0, 22 * u).mid(1), (QList<int> { 9 * L, 11 * L, 12 * L, 13 * L, 16 * L }));
    EXPECT_EQ(canvas.column(0, 40 * u).mid(1),
        (QStringList { ninetyFive.left(88), QStringLiteral("bbbbbbb"), sixty, noBlank.left(90), noBlank.left(90),
            noBlank.left(20), QStringLiteral("Last") }));
    EXPECT_EQ(ys(0, 40 * u).mid(1), (QList<int> { 9 * L, 10 * L, 11 * L, 13 * L, 14 * L, 15 * L, 16 * L }));
}

TEST_F(ListingTest, ADescriptionTooLongForThePageGoesOnUnderTheNextHeading)
{
    for (int i = 1; i <= 31; ++i)
        attribute(QStringLiteral("A%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("01"), QStringLiteral("Short"));
    attribute(QStringLiteral("A32"), QStringLiteral("01"), QString(900, QLatin1Char('d')));
    attribute(QStringLiteral("A33"), QStringLiteral("01"), QStringLiteral("After"));
    options.selection.attributes = true;
    print();
    ASSERT_EQ(canvas.pages.size(), 2);
    EXPECT_EQ(ys(0, 40 * u).mid(1).last(), 44 * L); // the fold fills the page down to its last line
    EXPECT_EQ(canvas.column(1, 132 * u), QStringList { "Page 2" });
    EXPECT_EQ(
        canvas.column(1, 40 * u).mid(1), (QStringList(5, QString(90, QLatin1Char('d'))) << QStringLiteral("After")));
    EXPECT_EQ(ys(1, 40 * u).mid(1), rowsFrom(9, 6));
    EXPECT_EQ(canvas.column(1, 22 * u), (QStringList { "Attribute", "A33" }));
}

TEST_F(ListingTest, SortedListingsStartAPagePerGroupAndRepeatItsLine)
{
    struct Case {
        const char* name;
        Sorting sorting;
        QList<QStringList> groupAndIds; // per page: the bold group line, then the ids
    };
    // 33 requirements of North doing Build, then two of South doing Assess
    // and Run. Added in reverse so that the sort shows.
    requirement(QStringLiteral("BR98"), QStringLiteral("South"), QStringLiteral("Run"));
    requirement(QStringLiteral("BR99"), QStringLiteral("South"), QStringLiteral("Assess"));
    for (int i = 33; i >= 1; --i)
        requirement(
            QStringLiteral("BR%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("North"), QStringLiteral("Build"));
    const Case cases[] = {
        { "by division", Sorting::Division,
            { QStringList { "North" } + ids("BR", 1, 30), QStringList { "North" } + ids("BR", 31, 33),
                QStringList { "South", "BR98", "BR99" } } },
        { "by activity", Sorting::Activity,
            { { "Assess", "BR99" }, QStringList { "Build" } + ids("BR", 1, 30),
                QStringList { "Build" } + ids("BR", 31, 33), { "Run", "BR98" } } },
        { "by identifier", Sorting::Identifier,
            { ids("BR", 1, 32),
                ids("BR", 33, 33) << "BR98"
                                  << "BR99" } },
    };
    options.selection.requirements = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        canvas = RecordingCanvas();
        options.sorting = c.sorting;
        a.requirements().last();
        print();
        ASSERT_EQ(canvas.pages.size(), c.groupAndIds.size());
        for (int p = 0; p < canvas.pages.size(); ++p) {
            EXPECT_EQ(canvas.column(p, 132 * u), QStringList { QStringLiteral("Page %1").arg(p + 1) });
            EXPECT_EQ(canvas.column(p, 4 * u).mid(3), c.groupAndIds[p]) << "page " << p + 1;
            const auto* first = canvas.find(p, c.groupAndIds[p].first());
            ASSERT_TRUE(first);
            EXPECT_EQ(first->y, 9 * L);
            EXPECT_EQ(first->bold, c.sorting != Sorting::Identifier);
        }
        if (c.sorting != Sorting::Identifier) {
            EXPECT_EQ(ys(0, 4 * u).value(4), 11 * L); // the first row under the group line
        }
        EXPECT_EQ(a.requirements().sort(), QString());
        EXPECT_EQ(a.requirements().currentRow(), 0);
        EXPECT_EQ(a.requirements().text(QStringLiteral("RSeq")), QStringLiteral("BR01"));
    }
}

TEST_F(ListingTest, DriversPassTheDivisionFilterActivityAndGroup)
{
    driver(QStringLiteral("BD1"), QStringLiteral("North"), QStringLiteral("Build"), QStringLiteral("Core"));
    driver(QStringLiteral("BD2"), QStringLiteral("North"), QStringLiteral("Build"), QStringLiteral("Edge"));
    driver(QStringLiteral("BD3"), QStringLiteral("North"), QStringLiteral("Run"), QStringLiteral("Core"));
    driver(QStringLiteral("BD4"), QStringLiteral("South"), QStringLiteral("Build"), QStringLiteral("Core"));
    applyDivisionFilter(a.drivers(), QStringLiteral("North"));
    options.selection.drivers = true;
    options.selection.activity = QStringLiteral("Build");
    options.selection.group = QStringLiteral("Core");
    print();
    ASSERT_EQ(canvas.pages.size(), 1);
    EXPECT_EQ(canvas.column(0, 64 * u), QStringList { "Drivers List" }); // 12 characters: at (140 - 12) div 2
    EXPECT_EQ(canvas.column(0, 4 * u).mid(3), QStringList { "BD1" });
}

TEST_F(ListingTest, EachListingStartsANewPageNumberedFromOneAndEmptyOnesPrintNothing)
{
    requirement(QStringLiteral("BR1"), QStringLiteral("North"), QStringLiteral("Build"));
    driver(QStringLiteral("BD1"), QStringLiteral("North"), QStringLiteral("Run"), QStringLiteral("Core"));
    attribute(QStringLiteral("Access"), QStringLiteral("01"), QStringLiteral("Who may"));
    control(QStringLiteral("01.01.01"), QStringLiteral("Org"), QStringLiteral("Roles"));
    options.selection = ReportSelection();
    options.selection.controls = true;
    options.selection.activity = QStringLiteral("Build"); // passes the requirement, not the driver
    const auto result = print();
    ASSERT_EQ(canvas.pages.size(), 3);
    EXPECT_EQ(canvas.newPageCalls, 2);
    const QStringList titles { "Requirements List", "Attributes List", "Controls List" };
    for (int p = 0; p < 3; ++p) {
        EXPECT_TRUE(canvas.find(p, titles[p])) << titles[p].toStdString();
        EXPECT_EQ(canvas.column(p, 132 * u), QStringList { "Page 1" });
    }
    EXPECT_EQ((std::vector<int>(result.pages, result.pages + 4)), (std::vector<int> { 1, 0, 1, 1 }));

    // Only the controls: the first page is the first controls page.
    canvas = RecordingCanvas();
    options.selection.requirements = options.selection.drivers = options.selection.attributes = false;
    print();
    ASSERT_EQ(canvas.pages.size(), 1);
    EXPECT_EQ(canvas.newPageCalls, 0);
    EXPECT_TRUE(canvas.find(0, QStringLiteral("Controls List")));
    EXPECT_EQ(canvas.column(0, 132 * u), QStringList { "Page 1" });

    // Nothing passes: nothing is drawn at all.
    canvas = RecordingCanvas();
    options.selection.controls = false;
    options.selection.requirements = true;
    options.selection.activity = QStringLiteral("build");
    print();
    EXPECT_EQ(canvas.pages.size(), 1);
    EXPECT_TRUE(canvas.pages[0].empty());
}

TEST_F(ListingTest, ControlListingPrintsSectionAndObjectiveLinesWhereTheyChange)
{
    control(QStringLiteral("01.01.01"), QStringLiteral("Organisation"), QStringLiteral("Roles"));
    control(QStringLiteral("01.01.02"), QStringLiteral("Organisation"), QStringLiteral("Roles"));
    control(QStringLiteral("01.02.01"), QStringLiteral("Organisation"), QStringLiteral("Duties"));
    for (int i = 1; i <= 30; ++i)
        control(QStringLiteral("02.01.%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("Assets"),
            QStringLiteral("Inventory"));
    options.selection.controls = true;
    print();
    ASSERT_EQ(canvas.pages.size(), 2);

    struct Drawn {
        QString text;
        int y;
        bool bold;
        bool operator==(const Drawn&) const = default;
    };
    QList<Drawn> page1;
    for (const auto& t : canvas.pages[0].texts)
        if (t.x == 4 * u && t.y >= 9 * L)
            page1.append({ t.text, t.y, t.bold });
    QList<Drawn> expected { { "Organisation", 10 * L, true }, { "Roles", 11 * L, true }, { "01.01.01", 12 * L, false },
        { "01.01.02", 13 * L, false }, { "Duties", 14 * L, true }, { "01.02.01", 15 * L, false },
        { "Assets", 17 * L, true }, { "Inventory", 18 * L, true } };
    for (int i = 1; i <= 22; ++i)
        expected.append({ QStringLiteral("02.01.%1").arg(i, 2, 10, QLatin1Char('0')), (18 + i) * L, false });
    EXPECT_EQ(page1, expected);
    EXPECT_EQ(canvas.column(0, 16 * u).value(1), QStringLiteral("Control 01.01.01"));
    // The continuation page repeats neither line.
    EXPECT_EQ(canvas.column(1, 4 * u).mid(3), ids("02.01.", 23, 30));
    EXPECT_EQ(ys(1, 4 * u).value(3), 9 * L);
}

}
