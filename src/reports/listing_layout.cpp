#include "reports/listing_layout.h"

#include "analysis/attributes_in_use.h"
#include "reports/listing_canvas.h"
#include "store/assessment.h"
#include "store/progress.h"
#include "store/quarrix_error.h"

#include <QDate>
#include <QLocale>
#include <vector>

namespace ReferenceListings {

QString today()
{
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

namespace {

const QString headerFont = QStringLiteral("Arial");
const QString bodyFont = QStringLiteral("Courier New");

struct Column {
    int at; // in column units
    const char* title;
};

// Restores a table's own order after a sorted listing and makes its first
// record current again.
class SortScope {
public:
    SortScope(Table& table, const QString& expression)
        : m_table(table)
        , m_sorted(!expression.isEmpty())
    {
        if (m_sorted)
            m_table.setSort(expression);
    }
    ~SortScope()
    {
        if (!m_sorted)
            return;
        try {
            m_table.setSort(QString());
            m_table.first();
        } catch (...) {
            // Already unwinding from an error or finished: the table stays usable.
        }
    }
    SortScope(const SortScope&) = delete;
    SortScope& operator=(const SortScope&) = delete;

private:
    Table& m_table;
    bool m_sorted;
};

class Printer {
public:
    Printer(ListingCanvas& canvas, const Options& options, QString assessmentName)
        : m_canvas(canvas)
        , m_options(options)
        , m_assessmentName(std::move(assessmentName))
    {
        const QSize size = canvas.pageSize();
        u = size.width() / 140;
        L = size.height() / 45;
        h = L / 2;
        if (u <= 0 || L <= 0)
            throw QuarrixError(QStringLiteral("The printer's page is too small for the listings."));
        m_date = options.date.isEmpty() ? today() : options.date;
        y = 60 * L;
    }

    void requirementsAndDrivers(Table& table, bool drivers);
    void attributes(Table& table);
    void controls(Table& table);

    Result result;

private:
    void beginListing(int index)
    {
        m_listing = index;
        m_breakPending = m_printed;
        y = 60 * L;
        m_page = 1;
    }
    void font(const QString& family, int size, bool bold) { m_canvas.setFont(family, size, bold); }
    void box(int x1, int y1, int x2, int y2)
    {
        m_canvas.line(x1, y1, x2, y1);
        m_canvas.line(x2, y1, x2, y2);
        m_canvas.line(x2, y2, x1, y2);
        m_canvas.line(x1, y2, x1, y1);
    }
    void startPage(const QString& title, const std::vector<Column>& columns);
    void boldLine(const QString& text)
    {
        font(bodyFont, 9, true);
        m_canvas.text(4 * u, y, text);
        font(bodyFont, 9, false);
    }
    void fold(QString description, const QString& title, const std::vector<Column>& columns);

    ListingCanvas& m_canvas;
    const Options& m_options;
    QString m_assessmentName;
    QString m_date;
    int u = 0, L = 0, h = 0;
    int y = 0;
    int m_page = 1;
    int m_listing = 0;
    bool m_printed = false;
    bool m_breakPending = false;
    QString m_division, m_activity;
};

void Printer::startPage(const QString& title, const std::vector<Column>& columns)
{
    // Each listing begins on a new sheet, but only once it has something to
    // print: a listing whose filters pass no record leaves no empty page.
    if (m_page > 1 || m_breakPending)
        m_canvas.newPage();
    m_breakPending = false;
    Progress::step("Printing the listings", m_page, 0);

    font(headerFont, 10, false);
    m_canvas.setPenWidth(4);
    m_canvas.text(4 * u, L, m_date);
    m_canvas.text(132 * u, L, QStringLiteral("Page %1").arg(m_page));
    box(3 * u, 3 * L, 140 * u, 7 * L);
    m_canvas.line(3 * u, 5 * L, 140 * u, 5 * L);
    m_canvas.line(20 * u, 5 * L, 20 * u, 7 * L);
    font(headerFont, 14, true);
    m_canvas.text(int((140 - title.size()) / 2) * u, 3 * L + h, title);
    font(headerFont, 12, true);
    m_canvas.text(4 * u, 5 * L + h, QStringLiteral("Assessment"));
    font(headerFont, 12, false);
    m_canvas.text(32 * u, 5 * L + h, m_assessmentName);
    y = 7 * L;

    font(bodyFont, 9, true);
    for (const Column& c : columns)
        m_canvas.text(c.at * u, y + h, QString::fromLatin1(c.title));
    font(bodyFont, 9, false);
    box(3 * u, y, 140 * u, y + L + h);
    ++m_page;
    y += 2 * L;

    m_printed = true;
    ++result.pages[m_listing];
}

void Printer::requirementsAndDrivers(Table& table, bool drivers)
{
    const Sorting sorting = m_options.sorting;
    const QString id = drivers ? QStringLiteral("CSeq") : QStringLiteral("RSeq");
    QString sort;
    if (sorting == Sorting::Division)
        sort = QStringLiteral("Division,") + id;
    else if (sorting == Sorting::Activity)
        sort = QStringLiteral("Activity,") + id;
    const QString title = drivers ? QStringLiteral("Drivers List") : QStringLiteral("Requirements List");
    const std::vector<Column> columns
        = { { 4, "Id" }, { 20, drivers ? "Driver" : "Requirement" }, { 102, "Activity" } };

    beginListing(drivers ? 1 : 0);
    SortScope sortScope(table, sort);
    TableWalk walk(table);
    const int fId = walk.field(drivers ? "CSeq" : "RSeq");
    const int fText = walk.field(drivers ? "Driver" : "Requirement");
    const int fDivision = walk.field("Division");
    const int fActivity = walk.field("Activity");
    const int fGroup = drivers ? walk.field("Group") : -1;
    const ReportSelection& choice = m_options.selection;

    for (int r = 0; r < walk.count(); ++r) {
        const QString activity = walk.text(r, fActivity);
        if (!ReportSelection::passes(choice.activity, activity))
            continue;
        if (drivers && !ReportSelection::passes(choice.group, walk.text(r, fGroup)))
            continue;
        const QString division = walk.text(r, fDivision);
        if ((sorting == Sorting::Division && division != m_division)
            || (sorting == Sorting::Activity && activity != m_activity))
            y = 60 * L;
        if (y > 40 * L) {
            startPage(title, columns);
            if (sorting == Sorting::Division) {
                boldLine(division);
                m_division = division;
                y += 2 * L;
            } else if (sorting == Sorting::Activity) {
                boldLine(activity);
                m_activity = activity;
                y += 2 * L;
            }
        }
        m_canvas.text(4 * u, y, walk.text(r, fId));
        m_canvas.text(20 * u, y, walk.text(r, fText).left(80));
        m_canvas.text(102 * u, y, activity.left(30));
        y += L;
    }
}

void Printer::fold(QString description, const QString& title, const std::vector<Column>& columns)
{
    if (description.isEmpty()) {
        y += L;
        return;
    }
    while (!description.isEmpty()) {
        // A description too long for the rest of the page goes on under the
        // next page's heading rather than off the paper's edge.
        if (y > 44 * L)
            startPage(title, columns);
        if (description.size() <= 90) {
            m_canvas.text(40 * u, y, description);
            y += L;
            return;
        }
        qsizetype cut = description.left(90).lastIndexOf(QLatin1Char(' ')) + 1;
        if (cut <= 0)
            cut = 90;
        m_canvas.text(40 * u, y, description.left(cut));
        y += L;
        description = description.mid(cut);
    }
}

void Printer::attributes(Table& table)
{
    const QString title = QStringLiteral("Attributes List");
    const std::vector<Column> columns = { { 4, "Group" }, { 22, "Attribute" }, { 40, "Description" } };
    beginListing(2);
    TableWalk walk(table);
    const int fGroup = walk.field("Group");
    const int fAttribute = walk.field("Attribute");
    const int fDescription = walk.field("Description");
    // Derived in memory for the division: the listings write nothing.
    const AttributesInUse inUse = AttributesInUse::derive(table.store(), m_options.selection.division);
    for (int r = 0; r < walk.count(); ++r) {
        if (!inUse.containsRow(walk.rowId(r)))
            continue;
        const QString group = walk.text(r, fGroup);
        if (!ReportSelection::passes(m_options.selection.group, group))
            continue;
        if (y > 40 * L)
            startPage(title, columns);
        m_canvas.text(4 * u, y, group);
        m_canvas.text(22 * u, y, walk.text(r, fAttribute));
        fold(walk.text(r, fDescription), title, columns);
    }
}

void Printer::controls(Table& table)
{
    const QString title = QStringLiteral("Controls List");
    const std::vector<Column> columns = { { 4, "Id" }, { 16, "Control" } };
    beginListing(3);
    QString section, objective;
    TableWalk walk(table);
    const int fId = walk.field("Id");
    const int fSection = walk.field("section_title");
    const int fObjective = walk.field("subsection_title");
    const int fTitle = walk.field("control_title");
    for (int r = 0; r < walk.count(); ++r) {
        if (y > 40 * L)
            startPage(title, columns);
        const QString s = walk.text(r, fSection);
        if (s != section) {
            y += L;
            boldLine(s);
            section = s;
            y += L;
        }
        const QString o = walk.text(r, fObjective);
        if (o != objective) {
            boldLine(o);
            objective = o;
            y += L;
        }
        m_canvas.text(4 * u, y, walk.text(r, fId));
        m_canvas.text(16 * u, y, walk.text(r, fTitle));
        y += L;
    }
}

QString assessmentName(Assessment& assessment)
{
    Table& system = assessment.system();
    return system.hasRecord() ? system.text(QStringLiteral("Assessment")) : QString();
}

}

Result print(Assessment& assessment, const Options& options, ListingCanvas& canvas)
{
    // The listings are printed from one state of the store.
    Store::Snapshot snapshot(assessment.store());
    Printer printer(canvas, options, assessmentName(assessment));
    const ReportSelection& s = options.selection;
    if (s.requirements)
        printer.requirementsAndDrivers(assessment.requirements(), false);
    if (s.drivers)
        printer.requirementsAndDrivers(assessment.drivers(), true);
    if (s.attributes)
        printer.attributes(assessment.attribute());
    if (s.controls)
        printer.controls(assessment.controls());
    return printer.result;
}

}
