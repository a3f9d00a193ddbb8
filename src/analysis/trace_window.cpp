#include "analysis/trace_window.h"

#include "store/assessment.h"

#include <QBoxLayout>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QSet>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <algorithm>

namespace {

const int kNodeRole = Qt::UserRole; // index of a trace node
const int kGapKindRole = Qt::UserRole + 1; // a gap item: what it names
const int kGapKeyRole = Qt::UserRole + 2;

QTreeWidget* makeTree(const char* name, const QString& header, QWidget* parent)
{
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(QString::fromLatin1(name));
    tree->setHeaderLabel(header);
    tree->setUniformRowHeights(true);
    tree->header()->setStretchLastSection(true);
    return tree;
}

// The colours of the profile panels: navy, blue and sky blue for priorities 1 to 3.
QColor priorityColour(int priority)
{
    return priority == 1 ? QColor(0, 0, 128) : priority == 2 ? QColor(0, 0, 255) : QColor(166, 202, 240);
}

// Adds an item to a list only when it differs from every one before.
template <class T> void addDistinct(std::vector<T>& list, const T& item)
{
    if (std::find(list.begin(), list.end(), item) == list.end())
        list.push_back(item);
}

}

TraceWindow::TraceWindow(Assessment& assessment, const QString& division, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_assessment(assessment)
    , m_division(division)
    , m_stamp(storeStamp())
    , m_chain(assessment, division)
{
    setObjectName(QStringLiteral("TraceWindow"));
    resize(900, 600);

    auto* layout = new QVBoxLayout(this);
    auto* choice = new QHBoxLayout;
    m_divisionLabel = new QLabel(this);
    m_divisionLabel->setObjectName(QStringLiteral("lTraceDivision"));
    choice->addWidget(m_divisionLabel);
    choice->addSpacing(20);
    m_forward = new QRadioButton(QStringLiteral("Requirements to controls"), this);
    m_forward->setObjectName(QStringLiteral("rbTraceForward"));
    m_forward->setChecked(true);
    m_reverse = new QRadioButton(QStringLiteral("Controls to requirements"), this);
    m_reverse->setObjectName(QStringLiteral("rbTraceReverse"));
    m_matrixChoice = new QRadioButton(QStringLiteral("Coverage matrix"), this);
    m_matrixChoice->setObjectName(QStringLiteral("rbTraceMatrix"));
    choice->addWidget(m_forward);
    choice->addWidget(m_reverse);
    choice->addWidget(m_matrixChoice);
    choice->addStretch(1);
    layout->addLayout(choice);

    auto* split = new QSplitter(Qt::Horizontal, this);
    m_views = new QStackedWidget(split);
    m_tree = makeTree("tvTrace", QStringLiteral("Trace"), m_views);
    m_matrix = new QTableWidget(m_views);
    m_matrix->setObjectName(QStringLiteral("tbCoverage"));
    m_matrix->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_matrix->setSelectionMode(QAbstractItemView::SingleSelection);
    m_matrix->horizontalHeader()->setDefaultSectionSize(90);
    m_views->addWidget(m_tree);
    m_views->addWidget(m_matrix);
    m_gaps = makeTree("tvGaps", QStringLiteral("Gaps"), split);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);

    for (QRadioButton* view : { m_forward, m_reverse, m_matrixChoice })
        connect(view, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                showView();
        });
    connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { fill(item); });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { chooseNode(item); });
    connect(m_gaps, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { chooseNode(item); });
    connect(m_matrix, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        const CoverageMatrix matrix(m_chain);
        if (row < matrix.drivers().size() && column < matrix.attributes().size())
            openChain(matrix.drivers()[row], matrix.attributes()[column]);
    });
    rebuild();
}

// The tables the trace reads; a write to any of them may change it.
quint64 TraceWindow::storeStamp() const
{
    Store& store = m_assessment.store();
    quint64 stamp = 0;
    for (const char* table : { "Requirements", "Drivers", "DrAtt", "Attribute", "BTAtt", "TSAtt", "Controls" })
        stamp += store.tableVersion(QString::fromLatin1(table));
    return stamp;
}

void TraceWindow::followStore()
{
    if (storeStamp() != m_stamp)
        rebuild();
}

void TraceWindow::setDivision(const QString& division)
{
    if (division == m_division)
        return;
    m_division = division;
    rebuild();
}

bool TraceWindow::event(QEvent* event)
{
    // Another program may have changed the store while this window was in
    // the background.
    if (event->type() == QEvent::WindowActivate)
        followStore();
    return QWidget::event(event);
}

void TraceWindow::rebuild()
{
    const QStringList selected = selectedPath();
    m_stamp = storeStamp();
    m_chain = TraceChain(m_assessment, m_division);
    m_driversOfRequirement.clear();
    m_stepsOfControl.clear();
    const std::vector<DriverTrace>& drivers = m_chain.drivers();
    for (int d = 0; d < int(drivers.size()); ++d) {
        for (const QString& requirement : drivers[size_t(d)].requirements)
            addDistinct(m_driversOfRequirement[requirement], d);
        for (int s = 0; s < int(drivers[size_t(d)].steps.size()); ++s)
            m_stepsOfControl[drivers[size_t(d)].steps[size_t(s)].control].push_back({ d, s });
    }
    const int gaps = m_chain.gaps().count();
    setWindowTitle(
        QStringLiteral("Trace - %1 %2").arg(gaps).arg(gaps == 1 ? QStringLiteral("gap") : QStringLiteral("gaps")));
    m_divisionLabel->setText(QStringLiteral("Division: ") + m_division);
    showView();
    showGaps();
    if (!m_matrixChoice->isChecked())
        selectPath(selected);
}

void TraceWindow::showView()
{
    if (m_matrixChoice->isChecked()) {
        m_views->setCurrentWidget(m_matrix);
        showMatrix();
    } else {
        m_views->setCurrentWidget(m_tree);
        showTree();
    }
}

void TraceWindow::showTree()
{
    m_tree->clear();
    m_nodes.clear();
    // The entries without a requirement or a control come last.
    if (m_forward->isChecked()) {
        for (const auto& [requirement, drivers] : m_driversOfRequirement)
            if (!requirement.isEmpty())
                addNode(nullptr, { .kind = Kind::Requirement, .requirement = requirement }, false);
        if (m_driversOfRequirement.count(QString()))
            addNode(nullptr, { .kind = Kind::Requirement }, false);
    } else {
        for (const auto& [control, steps] : m_stepsOfControl)
            if (!control.isEmpty())
                addNode(nullptr, { .kind = Kind::Control, .control = control }, false);
        if (m_stepsOfControl.count(QString()))
            addNode(nullptr, { .kind = Kind::Control }, false);
    }
}

// Drivers down, attributes in use across; a cell shows the best priority
// that carries the attribute to the driver in the colour of that priority's
// profile panel, and "!" when the attribute has no control.
void TraceWindow::showMatrix()
{
    const CoverageMatrix matrix(m_chain);
    m_matrix->clear();
    m_matrix->setRowCount(int(matrix.drivers().size()));
    m_matrix->setColumnCount(int(matrix.attributes().size()));
    for (int a = 0; a < matrix.attributes().size(); ++a) {
        auto* header = new QTableWidgetItem(
            matrix.attributes()[a] + (matrix.withoutControl(a) ? QStringLiteral(" !") : QString()));
        if (matrix.withoutControl(a))
            header->setToolTip(matrix.attributes()[a] + QStringLiteral(" has no control"));
        m_matrix->setHorizontalHeaderItem(a, header);
    }
    for (int d = 0; d < matrix.drivers().size(); ++d) {
        const QString& cseq = matrix.drivers()[d];
        auto* header = new QTableWidgetItem(cseq);
        header->setToolTip(m_chain.driverText(cseq));
        m_matrix->setVerticalHeaderItem(d, header);
        for (int a = 0; a < matrix.attributes().size(); ++a) {
            const int priority = matrix.cell(d, a);
            if (priority == CoverageMatrix::notCarried)
                continue;
            const bool withoutControl = matrix.withoutControl(a);
            auto* cell = new QTableWidgetItem(
                (priority == CoverageMatrix::noPriority ? QStringLiteral("-") : QString::number(priority))
                + (withoutControl ? QStringLiteral(" !") : QString()));
            cell->setTextAlignment(Qt::AlignCenter);
            if (priority >= 1 && priority <= 3) {
                cell->setBackground(priorityColour(priority));
                if (priority < 3)
                    cell->setForeground(Qt::white);
            }
            if (withoutControl) {
                QFont bold = cell->font();
                bold.setBold(true);
                cell->setFont(bold);
            }
            cell->setToolTip(
                QStringLiteral("%1 carries %2%3%4")
                    .arg(cseq, matrix.attributes()[a],
                        priority == CoverageMatrix::noPriority ? QString()
                                                               : QStringLiteral(" at priority %1").arg(priority),
                        withoutControl ? QStringLiteral(", which has no control") : QString()));
            m_matrix->setItem(d, a, cell);
        }
    }
}

bool TraceWindow::openChain(const QString& cseq, const QString& securityAttribute)
{
    const std::vector<DriverTrace>& drivers = m_chain.drivers();
    const auto driver
        = std::find_if(drivers.begin(), drivers.end(), [&](const DriverTrace& d) { return d.cseq == cseq; });
    if (driver == drivers.end())
        return false;
    const auto step = std::find_if(driver->steps.begin(), driver->steps.end(),
        [&](const TraceStep& s) { return s.securityAttribute == securityAttribute; });
    if (step == driver->steps.end())
        return false;
    m_forward->setChecked(true);
    const QString priority = step->priority.isValid() ? step->priority.toString() : QString();
    selectPath({ QStringLiteral("R|") + driver->requirements.first(), QStringLiteral("D|") + cseq,
        QStringLiteral("P|%1|%2").arg(step->profiledAttribute, priority), QStringLiteral("S|") + securityAttribute });
    return true;
}

QTreeWidgetItem* TraceWindow::addNode(QTreeWidgetItem* parent, const Node& node, bool leaf)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    item->setText(0, label(node));
    item->setData(0, kNodeRole, int(m_nodes.size()));
    if (!leaf)
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    m_nodes.push_back(node);
    return item;
}

// The children of a node, worked out when it is first opened.
void TraceWindow::fill(QTreeWidgetItem* item)
{
    const QVariant index = item->data(0, kNodeRole);
    if (!index.isValid() || m_nodes[size_t(index.toInt())].filled)
        return;
    m_nodes[size_t(index.toInt())].filled = true;
    const Node node = m_nodes[size_t(index.toInt())];
    const std::vector<DriverTrace>& drivers = m_chain.drivers();
    auto stepsOf = [&](int d) -> const std::vector<TraceStep>& { return drivers[size_t(d)].steps; };
    auto sameProfile
        = [&](const TraceStep& s) { return s.profiledAttribute == node.profiled && s.priority == node.priority; };

    if (m_forward->isChecked()) {
        switch (node.kind) {
        case Kind::Requirement:
            for (int d : m_driversOfRequirement[node.requirement])
                addNode(item, { .kind = Kind::Driver, .requirement = node.requirement, .driver = d }, false);
            break;
        case Kind::Driver: {
            std::vector<std::pair<QString, QVariant>> profiles;
            for (const TraceStep& s : stepsOf(node.driver))
                addDistinct(profiles, { s.profiledAttribute, s.priority });
            for (const auto& [profiled, priority] : profiles)
                addNode(item,
                    { .kind = Kind::Profiled,
                        .requirement = node.requirement,
                        .driver = node.driver,
                        .profiled = profiled,
                        .priority = priority },
                    false);
            break;
        }
        case Kind::Profiled: {
            std::vector<QString> securities;
            QSet<QString> withControls;
            for (const TraceStep& s : stepsOf(node.driver))
                if (sameProfile(s)) {
                    addDistinct(securities, s.securityAttribute);
                    if (!s.control.isEmpty())
                        withControls.insert(s.securityAttribute);
                }
            for (const QString& security : securities) {
                Node child = node;
                child.kind = Kind::Security;
                child.security = security;
                child.filled = false;
                addNode(item, child, !withControls.contains(security));
            }
            break;
        }
        case Kind::Security: {
            std::vector<QString> controls;
            for (const TraceStep& s : stepsOf(node.driver))
                if (sameProfile(s) && s.securityAttribute == node.security && !s.control.isEmpty())
                    addDistinct(controls, s.control);
            for (const QString& control : controls) {
                Node child = node;
                child.kind = Kind::Control;
                child.control = control;
                addNode(item, child, true);
            }
            break;
        }
        default:
            break;
        }
    } else {
        const auto& steps = m_stepsOfControl[node.control];
        switch (node.kind) {
        case Kind::Control: {
            std::vector<QString> securities;
            for (const auto& [d, s] : steps)
                addDistinct(securities, stepsOf(d)[size_t(s)].securityAttribute);
            std::sort(securities.begin(), securities.end());
            for (const QString& security : securities)
                addNode(item, { .kind = Kind::Security, .security = security, .control = node.control }, false);
            break;
        }
        case Kind::Security: {
            std::vector<int> carriers;
            for (const auto& [d, s] : steps)
                if (stepsOf(d)[size_t(s)].securityAttribute == node.security)
                    addDistinct(carriers, d);
            for (int d : carriers)
                addNode(item, { .kind = Kind::Driver, .driver = d, .security = node.security, .control = node.control },
                    false);
            break;
        }
        case Kind::Driver: {
            std::vector<QString> requirements;
            for (const QString& requirement : drivers[size_t(node.driver)].requirements)
                addDistinct(requirements, requirement);
            for (const QString& requirement : requirements)
                addNode(item, { .kind = Kind::Requirement, .requirement = requirement, .driver = node.driver }, true);
            break;
        }
        default:
            break;
        }
    }
    if (item->childCount() == 0)
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

QString TraceWindow::label(const Node& node) const
{
    switch (node.kind) {
    case Kind::Requirement: {
        if (node.requirement.isEmpty())
            return QStringLiteral("(no requirement)");
        const QString text = m_chain.requirementText(node.requirement);
        return text.isEmpty() ? node.requirement : node.requirement + QStringLiteral(": ") + text;
    }
    case Kind::Driver: {
        const QString& cseq = m_chain.drivers()[size_t(node.driver)].cseq;
        return cseq + QStringLiteral("  ") + m_chain.driverText(cseq);
    }
    case Kind::Profiled:
        return node.priority.isValid()
            ? QStringLiteral("%1 (priority %2)").arg(node.profiled).arg(node.priority.toLongLong())
            : node.profiled + QStringLiteral(" (no priority)");
    case Kind::Security:
        return node.security;
    case Kind::Control:
        if (node.control.isEmpty())
            return QStringLiteral("(no control)");
        return m_chain.inCatalogue(node.control)
            ? node.control + QStringLiteral("  ") + m_chain.controlTitle(node.control)
            : node.control + QStringLiteral("  (not in the control catalogue)");
    case Kind::None:
        break;
    }
    return {};
}

QString TraceWindow::key(const Node& node) const
{
    switch (node.kind) {
    case Kind::Requirement:
        return QStringLiteral("R|") + node.requirement;
    case Kind::Driver:
        return QStringLiteral("D|") + m_chain.drivers()[size_t(node.driver)].cseq;
    case Kind::Profiled:
        return QStringLiteral("P|%1|%2").arg(
            node.profiled, node.priority.isValid() ? node.priority.toString() : QString());
    case Kind::Security:
        return QStringLiteral("S|") + node.security;
    case Kind::Control:
        return QStringLiteral("C|") + node.control;
    case Kind::None:
        break;
    }
    return {};
}

const TraceWindow::Node* TraceWindow::nodeOf(const QTreeWidgetItem* item) const
{
    const QVariant index = item ? item->data(0, kNodeRole) : QVariant();
    return index.isValid() ? &m_nodes[size_t(index.toInt())] : nullptr;
}

// The keys from the top of the tree down to the selected node.
QStringList TraceWindow::selectedPath() const
{
    QStringList path;
    for (const QTreeWidgetItem* item = m_tree->currentItem(); item; item = item->parent())
        if (const Node* node = nodeOf(item))
            path.prepend(key(*node));
    return path;
}

// Opens the branches along the path and selects its last node, when the
// tree still holds every node of it.
void TraceWindow::selectPath(const QStringList& path)
{
    QTreeWidgetItem* found = nullptr;
    for (const QString& step : path) {
        if (found)
            found->setExpanded(true); // fills its branch
        QTreeWidgetItem* next = nullptr;
        const int n = found ? found->childCount() : m_tree->topLevelItemCount();
        for (int i = 0; i < n && !next; ++i) {
            QTreeWidgetItem* item = found ? found->child(i) : m_tree->topLevelItem(i);
            if (const Node* node = nodeOf(item); node && key(*node) == step)
                next = item;
        }
        if (!next)
            return;
        found = next;
    }
    if (found) {
        m_tree->setCurrentItem(found);
        m_tree->scrollToItem(found);
    }
}

void TraceWindow::chooseNode(QTreeWidgetItem* item)
{
    Kind kind = Kind::None;
    QString key;
    if (const QVariant index = item->data(0, kNodeRole); index.isValid()) {
        const Node& node = m_nodes[size_t(index.toInt())];
        kind = node.kind;
        key = kind == Kind::Requirement ? node.requirement
            : kind == Kind::Driver      ? m_chain.drivers()[size_t(node.driver)].cseq
                                        : node.control;
    } else if (const QVariant gapKind = item->data(0, kGapKindRole); gapKind.isValid()) {
        kind = Kind(gapKind.toInt());
        key = item->data(0, kGapKeyRole).toString();
    }
    if (kind == Kind::Requirement && !key.isEmpty())
        Q_EMIT requirementChosen(key);
    else if (kind == Kind::Driver)
        Q_EMIT driverChosen(key);
    else if (kind == Kind::Control && m_chain.inCatalogue(key))
        Q_EMIT controlChosen(key);
}

void TraceWindow::showGaps()
{
    m_gaps->clear();
    const TraceGaps& g = m_chain.gaps();
    const struct {
        const char* title;
        const QStringList& items;
        Kind kind; // what double-clicking an item selects
    } lists[] = {
        { "Requirements traced by no driver", g.requirementsWithoutDriver, Kind::Requirement },
        { "Drivers with no profile", g.driversWithoutProfile, Kind::Driver },
        { "Business attributes linked to no security attribute", g.profiledWithoutSecurity, Kind::None },
        { "Security attributes in use with no control", g.securityWithoutControls, Kind::None },
        { "Control identifiers missing from the catalogue", g.unknownControls, Kind::None },
        { "Profile rows of drivers that do not exist", g.orphanProfileRows, Kind::None },
    };
    if (g.noRequirements) {
        auto* note = new QTreeWidgetItem(m_gaps);
        note->setText(0, g.noRequirementsNote());
        note->setToolTip(0, g.noRequirementsNote());
    }
    for (const auto& list : lists) {
        if (g.noRequirements && &list.items != &g.orphanProfileRows)
            continue;
        auto* heading = new QTreeWidgetItem(m_gaps);
        heading->setText(0, QStringLiteral("%1 (%2)").arg(QString::fromLatin1(list.title)).arg(list.items.size()));
        for (const QString& entry : list.items) {
            auto* item = new QTreeWidgetItem(heading);
            item->setText(0, entry);
            item->setData(0, kGapKindRole, int(list.kind));
            item->setData(0, kGapKeyRole, entry);
        }
        heading->setExpanded(true);
    }
}
