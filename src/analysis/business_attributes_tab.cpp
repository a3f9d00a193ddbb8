#include "analysis/business_attributes_tab.h"

#include "analysis/profile_store.h"
#include "app/main_window.h"
#include "gui/data_grid_widget.h"
#include "gui/link_label_widget.h"
#include "store/table_expressions.h"

#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);
const QColor kSkyBlue(166, 202, 240);
const QColor kMoneyGreen(192, 220, 192);
const QRect kGrid(8, 8, 808, 140); // DBGrid3; the panels start under it

QColor buttonFace()
{
    return QApplication::palette().color(QPalette::Button);
}
QColor windowText()
{
    return QApplication::palette().color(QPalette::WindowText);
}

// A legend circle.
class Shape : public QWidget {
public:
    Shape(const QColor& colour, const char* name, QWidget* parent)
        : QWidget(parent)
        , m_colour(colour)
    {
        setObjectName(QString::fromLatin1(name));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::black);
        p.setBrush(m_colour);
        p.drawEllipse(rect().adjusted(1, 1, -1, -1));
    }

private:
    QColor m_colour;
};

}

// A panel of the profile: a group header or a business attribute. Headers are
// told apart by their flag, never by their name, so any attribute name works.
class ProfilePanel : public QLabel {
public:
    ProfilePanel(const QString& caption, bool header, QWidget* parent)
        : QLabel(caption, parent)
        , m_header(header)
    {
        setAlignment(Qt::AlignCenter);
        setAutoFillBackground(true);
        if (header) {
            QFont f = font();
            f.setBold(true);
            setFont(f);
            setFrameStyle(QFrame::NoFrame);
            paint(kMoneyGreen, windowText());
        } else {
            setCursor(Qt::PointingHandCursor);
            setLevel(0, QFrame::Sunken);
        }
    }

    bool isHeader() const { return m_header; }
    QString attribute() const { return text(); }
    int priority() const { return m_priority; }

    // Shows a priority (0 ignored, 1 to 3) with the given bevel.
    void setLevel(int priority, QFrame::Shadow shadow)
    {
        m_priority = priority;
        setFrameStyle(QFrame::Panel | shadow);
        switch (priority) {
        case 1:
            paint(kNavy, Qt::white);
            break;
        case 2:
            paint(kBlue, Qt::white);
            break;
        case 3:
            paint(kSkyBlue, windowText());
            break;
        default:
            paint(buttonFace(), windowText());
            break;
        }
    }

    // One click: ignored, 3, 2, 1, ignored.
    void step()
    {
        switch (m_priority) {
        case 0:
            setLevel(3, QFrame::Raised);
            break;
        case 3:
            setLevel(2, frameShadow());
            break;
        case 2:
            setLevel(1, frameShadow());
            break;
        default:
            setLevel(0, QFrame::Sunken);
            break;
        }
    }

    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (!m_header && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick)
            onClick();
        QLabel::mouseReleaseEvent(event);
    }

private:
    void paint(const QColor& back, const QColor& fore)
    {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, back);
        pal.setColor(QPalette::WindowText, fore);
        setPalette(pal);
    }

    bool m_header;
    int m_priority = 0;
};

BusinessAttributesTab::BusinessAttributesTab(MainWindow& form)
    : TabPage(form, "AttributeTab", QStringLiteral("Business Attributes"))
{
    const int legendX = 824;
    link(QStringLiteral("Save "), "hSave3", QRect(legendX, 152, 60, 18), [this] { hSave3Click(); });
    const struct {
        const char* shape;
        QColor colour;
        const char* label;
    } legend[] = { { "Shape1", kNavy, "Priority 1 " }, { "Shape2", kBlue, "Priority 2 " },
        { "Shape3", kSkyBlue, "Priority 3 " }, { "Shape4", buttonFace(), "Ignore " } };
    int y = 180;
    for (const auto& item : legend) {
        auto* shape = new Shape(item.colour, item.shape, this);
        shape->setGeometry(legendX, y, 16, 16);
        if (!m_legendLeft)
            m_legendLeft = shape;
        auto* label = new QLabel(QString::fromLatin1(item.label), this);
        label->setGeometry(legendX + 20, y, 70, 16);
        y += 24;
    }
    m_more = new QLabel(QStringLiteral("More....."), this);
    m_more->setObjectName(QStringLiteral("lMore"));
    m_more->setToolTip(QStringLiteral("Not every business attribute fits on the tab"));
    m_more->setGeometry(legendX, y + 8, 80, 17);
    m_more->hide();
}

void BusinessAttributesTab::storeOpened()
{
    m_grid = new DataGrid(assessment().drivers(),
        { { QStringLiteral("CSeq"), QStringLiteral("Id") }, { QStringLiteral("Driver"), QStringLiteral("Driver") },
            { QStringLiteral("Division"), QStringLiteral("Division") } },
        true, "DBGrid3", this);
    m_grid->setGeometry(kGrid);
    m_grid->setColumnWidth(0, 70);
    m_grid->setColumnWidth(1, 520);
    connect(m_grid, &DataGrid::cellClicked, this, [this] { run([this] { DBGrid3CellClick(); }); });
    connect(m_grid, &DataGrid::failed, this, [this](const QString& message) { dialogs().error(message); });
    m_grid->show();
}

void BusinessAttributesTab::tabShown()
{
    flags().profilingDisplay = false;
    layOutPanels();
}

void BusinessAttributesTab::clearPanels()
{
    for (ProfilePanel* p : m_panels)
        delete p;
    m_panels.clear();
    m_more->hide();
}

ProfilePanel* BusinessAttributesTab::addPanel(const QString& caption, bool header, int x, int y)
{
    const int sequence = int(m_panels.size());
    auto* panel = new ProfilePanel(caption, header, this);
    panel->setObjectName(header ? QStringLiteral("pHead%1").arg(sequence) : QStringLiteral("p") + caption);
    panel->setGeometry(x, y, 80, 17);
    if (!header)
        panel->onClick = [this, panel] { run([this, panel] { SetAtt(panel); }); };
    panel->show();
    m_panels.push_back(panel);
    return panel;
}

void BusinessAttributesTab::layOutPanels()
{
    clearPanels();
    Table& attribute = assessment().attribute();
    const DisplaySuspended suspended { &attribute };

    attribute.setSort(QStringLiteral("GrAtt ASC"));
    attribute.setFilter(TableExpressions::equals(QStringLiteral("Tier"), QStringLiteral("Business")));
    attribute.setFiltered(true);

    const QRect grid = m_grid ? m_grid->geometry() : kGrid;
    const int x0 = grid.x() + 5;
    const int y0 = grid.y() + grid.height() + 3;
    const int bottom = height() > 100 ? height() : 550;
    const int legendLeft = m_legendLeft->x();
    const int nameField = attribute.fieldIndex(QStringLiteral("Attribute"));
    const int groupField = attribute.fieldIndex(QStringLiteral("Group"));
    int x = x0, y = y0;
    const int rows = attribute.recordCount();
    if (rows > 0) {
        QString group = attribute.textAt(0, groupField);
        bool haveGroup = true;
        addPanel(group, true, x, y);
        y += 20;
        for (int row = 0; row < rows; ++row) {
            addPanel(attribute.textAt(row, nameField), false, x, y);
            y += 20;
            if (y + 20 > bottom)
                haveGroup = false; // the column is full: the next panel opens a new one
            if (row + 1 < rows) {
                const QString next = attribute.textAt(row + 1, groupField);
                if (!haveGroup || next != group) {
                    x += 85;
                    y = y0;
                    group = next;
                    haveGroup = true;
                    if (x + 85 <= legendLeft) {
                        addPanel(group, true, x, y);
                        y += 20;
                    }
                }
            }
            if (x + 85 > legendLeft) {
                if (row + 1 < rows)
                    m_more->show();
                break;
            }
        }
    }

    assessment().drivers().first();
    DBGrid3CellClick();

    attribute.setFiltered(false);
    attribute.first();
    flags().profilingDisplay = true;
    flags().profilingEdit = false;
    setStatus(QString(21, QLatin1Char(' ')));
}

void BusinessAttributesTab::DBGrid3CellClick()
{
    if (assessment().driverProfiles().recordCount() == 0 && !assessment().driverProfiles().filtered())
        return;
    DrAttTaxonomy();
    setStatus(QString(22, QLatin1Char(' ')));
}

void BusinessAttributesTab::DrAttTaxonomy()
{
    Table& drivers = assessment().drivers();
    const QString cseq = drivers.hasRecord() ? drivers.text(QStringLiteral("CSeq")) : QString();
    QHash<QString, std::vector<ProfilePanel*>> byName;
    for (ProfilePanel* p : m_panels)
        if (!p->isHeader()) {
            p->setLevel(0, QFrame::Sunken);
            byName[p->attribute()].push_back(p);
        }
    for (const ProfileEntry& e : ProfileStore::read(assessment(), cseq)) {
        if (e.priority < 1 || e.priority > 3)
            continue;
        for (ProfilePanel* p : byName.value(e.attribute))
            p->setLevel(e.priority, QFrame::Sunken);
    }
    Table& drAtt = assessment().driverProfiles();
    drAtt.setFiltered(false);
    drAtt.first();
}

void BusinessAttributesTab::SetAtt(ProfilePanel* panel)
{
    flags().profilingEdit = true;
    panel->step();
}

void BusinessAttributesTab::hSave3Click()
{
    Table& drivers = assessment().drivers();
    if (!drivers.hasRecord())
        return;
    WaitCursor wait(dialogs());
    setStatus(QStringLiteral("Saving...               "));
    std::vector<ProfileEntry> entries;
    for (ProfilePanel* p : m_panels)
        if (!p->isHeader())
            entries.push_back({ p->attribute(), p->priority() });
    ProfileStore::save(assessment(), drivers.text(QStringLiteral("CSeq")), entries);
    flags().profilingEdit = false;
    flags().saved = false;
    setStatus(QStringLiteral("Save complete           "));
}
