#include "analysis/business_attributes_tab.h"

#include "analysis/driver_commands.h"
#include "analysis/profile_store.h"
#include "catalogues/starter_set_offer.h"
#include "gui/data_grid.h"
#include "gui/form_layout.h"
#include "gui/link_label.h"
#include "gui/record_editor.h"
#include "store/assessment.h"
#include "store/table_expressions.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);
const QColor kSkyBlue(166, 202, 240);
const QColor kMoneyGreen(192, 220, 192);
const int kPanelHeight = 17;
const int kRowPitch = 20;
const int kColumnGap = 5;

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
    Shape(const QColor& colour, const char* name)
        : m_colour(colour)
    {
        setObjectName(QString::fromLatin1(name));
        setFixedSize(16, 16);
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
// The caption's full text is also its tooltip.
class ProfilePanel : public QLabel {
public:
    ProfilePanel(const QString& caption, bool header, QWidget* parent)
        : QLabel(caption, parent)
        , m_header(header)
    {
        setAlignment(Qt::AlignCenter);
        setAutoFillBackground(true);
        setToolTip(caption);
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
    bool laidOut = false; // placed by the last flow, not waiting behind "More....."
    bool clicked = false; // stepped by the analyst since the profile was shown

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
        clicked = true;
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

BusinessAttributesTab::BusinessAttributesTab(TabHost& host)
    : TabPage(host, "AttributeTab", QStringLiteral("Business Attributes"))
{
    // The legend at the right: Save, the four priorities, and "More....."
    // when not every attribute fits.
    auto* legend = new QVBoxLayout;
    legend->setSpacing(8);
    legend->addWidget(link(QStringLiteral("Save "), "hSave3", [this] { saveProfile(); }));
    legend->addSpacing(4);
    const struct {
        const char* shape;
        QColor colour;
        const char* label;
    } priorities[] = { { "Shape1", kNavy, "Priority 1 " }, { "Shape2", kBlue, "Priority 2 " },
        { "Shape3", kSkyBlue, "Priority 3 " }, { "Shape4", buttonFace(), "Ignore " } };
    for (const auto& item : priorities) {
        auto* row = new QHBoxLayout;
        row->addWidget(new Shape(item.colour, item.shape));
        row->addWidget(new QLabel(QString::fromLatin1(item.label)), 1);
        legend->addLayout(row);
    }
    m_more = new QLabel(QStringLiteral("More....."));
    m_more->setObjectName(QStringLiteral("lMore"));
    m_more->setToolTip(QStringLiteral("Not every business attribute fits on the tab"));
    m_more->hide();
    legend->addWidget(m_more);
    legend->addStretch(1);

    m_panelArea = new QWidget;
    m_panelArea->setObjectName(QStringLiteral("ProfilePanels"));
    m_panelArea->setMinimumHeight(8 * kRowPitch);
    m_panelArea->installEventFilter(this);

    // The grid (added once the store is open) across the top; the panels fill
    // the room under it, the legend stands at the right.
    m_page = new QGridLayout(this);
    m_page->setContentsMargins(8, 8, 8, 8);
    m_page->setVerticalSpacing(3);
    m_page->addWidget(m_panelArea, 1, 0);
    // While the taxonomy is empty, the panel area offers the starter set.
    m_starterOffer = new StarterSetOffer(host, StarterSetOffer::Set::Attributes);
    connect(m_starterOffer, &StarterSetOffer::loaded, this, [this] { this->host().showAssessmentAfresh(); });
    m_page->addWidget(m_starterOffer, 1, 0, Qt::AlignLeft | Qt::AlignTop);
    m_page->addLayout(legend, 1, 1);
    m_page->setColumnStretch(0, 1);
    m_page->setColumnMinimumWidth(1, 88);
    m_page->setRowStretch(0, 1);
    m_page->setRowStretch(1, 2);
}

void BusinessAttributesTab::storeOpened()
{
    Table& drivers = assessment().drivers();
    m_grid = makeGrid(drivers,
        { { QStringLiteral("CSeq"), QStringLiteral("Id") }, { QStringLiteral("Driver"), QStringLiteral("Driver") },
            { QStringLiteral("Division"), QStringLiteral("Division") } },
        true, "DBGrid3");
    // A new identifier typed into the grid takes the driver's profile along.
    m_grid->tableModel()->setCellWriter(
        QStringLiteral("CSeq"), [this](qint64 rowId, const QString& id) { renameDriver(assessment(), rowId, id); });
    m_grid->setColumnWidth(0, 70);
    m_grid->setColumnWidth(1, 520);
    FormLayout::placeGrid(m_page, m_grid);
    connect(m_grid, &DataGrid::cellClicked, this, [this] { blankStatus(22); });
    m_starterOffer->follow(assessment().attribute());

    // The profile editor edits the current driver's profile: a driver move,
    // from either grid or from any command, offers the clicks not yet saved
    // and then colours the panels for the new driver.
    m_editor = new RecordEditor(*this, drivers,
        { [this] { colourPanelsFromProfile(); }, [this](qint64 rowId) { writeProfile(rowId); },
            [this] { blankStatus(22); } });
}

bool BusinessAttributesTab::hasPendingEdits() const
{
    return m_editor && m_editor->isEdited();
}

bool BusinessAttributesTab::offerPendingEdits()
{
    return !m_editor || m_editor->offerEdits();
}

bool BusinessAttributesTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_panelArea && event->type() == QEvent::Resize)
        flowPanels();
    return TabPage::eventFilter(watched, event);
}

void BusinessAttributesTab::tabShown()
{
    readBusinessAttributes();
    flowPanels();
    assessment().drivers().first();
    m_editor->showCurrent();
    blankStatus();
}

// The business attributes in GrAtt order, one panel each, wide enough for the
// longest caption.
void BusinessAttributesTab::readBusinessAttributes()
{
    for (const Attribute& a : m_attributes)
        delete a.panel;
    m_attributes.clear();
    Table& attribute = assessment().attribute();
    {
        const DisplaySuspended suspended { &attribute };
        attribute.setSort(QStringLiteral("GrAtt ASC"));
        attribute.setFilter(TableExpressions::equals(QStringLiteral("Tier"), QStringLiteral("Business")));
        attribute.setFiltered(true);
        const int nameField = attribute.fieldIndex(QStringLiteral("Attribute"));
        const int groupField = attribute.fieldIndex(QStringLiteral("Group"));
        for (int row = 0; row < attribute.recordCount(); ++row)
            m_attributes.push_back({ attribute.textAt(row, nameField), attribute.textAt(row, groupField), nullptr });
        attribute.setFiltered(false);
        attribute.first();
    }
    QFont bold = font();
    bold.setBold(true);
    m_panelWidth = 80;
    for (Attribute& a : m_attributes) {
        a.panel = new ProfilePanel(a.name, false, m_panelArea);
        a.panel->setObjectName(QStringLiteral("p") + a.name);
        ProfilePanel* panel = a.panel;
        panel->onClick = [this, panel] { run([this, panel] { stepPanel(panel); }); };
        m_panelWidth = std::max({ m_panelWidth, panel->fontMetrics().horizontalAdvance(a.name) + 10,
            QFontMetrics(bold).horizontalAdvance(a.group) + 10 });
    }
}

ProfilePanel* BusinessAttributesTab::addHeader(const QString& group, int column, int row)
{
    auto* header = new ProfilePanel(group, true, m_panelArea);
    header->setGeometry(column * (m_panelWidth + kColumnGap), row * kRowPitch, m_panelWidth, kPanelHeight);
    header->show();
    m_headers.push_back(header);
    return header;
}

// Each group opens a column under its header; a full column continues in the
// next under a header of its own. Columns stop at the area's right edge.
void BusinessAttributesTab::flowPanels()
{
    for (ProfilePanel* h : m_headers)
        delete h;
    m_headers.clear();
    for (Attribute& a : m_attributes) {
        a.panel->laidOut = false;
        a.panel->hide();
    }
    m_more->hide();
    if (m_attributes.empty())
        return;
    const int height = m_panelArea->height();
    const int pitch = m_panelWidth + kColumnGap;
    const auto columnFits = [&](int column) { return (column + 1) * pitch - kColumnGap <= m_panelArea->width(); };
    int sequence = 0;
    int column = 0, row = 0;
    QString group = m_attributes.front().group;
    bool haveGroup = true;
    addHeader(group, column, row++)->setObjectName(QStringLiteral("pHead%1").arg(sequence++));
    for (size_t i = 0; i < m_attributes.size(); ++i) {
        ProfilePanel* panel = m_attributes[i].panel;
        panel->setGeometry(column * pitch, row * kRowPitch, m_panelWidth, kPanelHeight);
        panel->laidOut = true;
        panel->show();
        ++sequence;
        ++row;
        if (row * kRowPitch + kRowPitch > height)
            haveGroup = false; // the column is full: the next panel opens a new one
        if (i + 1 < m_attributes.size()) {
            const QString& next = m_attributes[i + 1].group;
            if (!haveGroup || next != group) {
                ++column;
                row = 0;
                group = next;
                haveGroup = true;
                if (columnFits(column))
                    addHeader(group, column, row++)->setObjectName(QStringLiteral("pHead%1").arg(sequence++));
            }
        }
        if (!columnFits(column)) {
            if (i + 1 < m_attributes.size())
                m_more->show();
            break;
        }
    }
}

// The current driver's rows (CSeq compared exactly) colour the panels; a
// priority other than 1 to 3 shows as ignored.
void BusinessAttributesTab::colourPanelsFromProfile()
{
    Table& drivers = assessment().drivers();
    const QString cseq = drivers.hasRecord() ? drivers.text(QStringLiteral("CSeq")) : QString();
    QHash<QString, std::vector<ProfilePanel*>> byName;
    for (Attribute& a : m_attributes) {
        a.panel->setLevel(0, QFrame::Sunken);
        a.panel->clicked = false;
        byName[a.name].push_back(a.panel);
    }
    if (!drivers.hasRecord())
        return;
    for (const ProfileEntry& e : ProfileStore::read(assessment(), cseq)) {
        if (e.priority < 1 || e.priority > 3)
            continue;
        for (ProfilePanel* p : byName.value(e.attribute))
            p->setLevel(e.priority, QFrame::Sunken);
    }
}

void BusinessAttributesTab::stepPanel(ProfilePanel* panel)
{
    panel->step();
    m_editor->markEdited();
}

void BusinessAttributesTab::saveProfile()
{
    if (!assessment().drivers().hasRecord())
        return;
    m_editor->save();
}

// Panels waiting behind "More....." keep their stored rows, unless the
// analyst clicked them while the window was larger.
void BusinessAttributesTab::writeProfile(qint64 driverRowId)
{
    WaitCursor wait(dialogs());
    setStatus(QStringLiteral("Saving...               "));
    std::vector<ProfileEntry> entries;
    for (const Attribute& a : m_attributes)
        if (a.panel->laidOut || a.panel->clicked)
            entries.push_back({ a.name, a.panel->priority() });
    ProfileStore::saveForDriver(assessment(), driverRowId, entries);
    for (const Attribute& a : m_attributes)
        a.panel->clicked = false;
    markWorkUnarchived();
    setStatus(QStringLiteral("Save complete           "));
}
