#include "analysis/trace_window.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QSet>
#include <QSplitter>
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

// Adds an item to a list only when it differs from every one before.
template <class T> void addDistinct(std::vector<T>& list, const T& item)
{
    if (std::find(list.begin(), list.end(), item) == list.end())
        list.push_back(item);
}

}

TraceWindow::TraceWindow(Assessment& assessment, const QString& division, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_chain(assessment, division)
{
    setObjectName(QStringLiteral("TraceWindow"));
    const int gaps = m_chain.gaps().count();
    setWindowTitle(
        QStringLiteral("Trace - %1 %2").arg(gaps).arg(gaps == 1 ? QStringLiteral("gap") : QStringLiteral("gaps")));
    resize(900, 600);

    const std::vector<DriverTrace>& drivers = m_chain.drivers();
    for (int d = 0; d < int(drivers.size()); ++d) {
        for (const QString& requirement : drivers[size_t(d)].requirements)
            addDistinct(m_driversOfRequirement[requirement], d);
        for (int s = 0; s < int(drivers[size_t(d)].steps.size()); ++s)
            m_stepsOfControl[drivers[size_t(d)].steps[size_t(s)].control].push_back({ d, s });
    }

    auto* layout = new QVBoxLayout(this);
    auto* choice = new QHBoxLayout;
    auto* divisionLabel = new QLabel(QStringLiteral("Division: ") + division, this);
    divisionLabel->setObjectName(QStringLiteral("lTraceDivision"));
    choice->addWidget(divisionLabel);
    choice->addSpacing(20);
    m_forward = new QRadioButton(QStringLiteral("Requirements to controls"), this);
    m_forward->setObjectName(QStringLiteral("rbTraceForward"));
    m_forward->setChecked(true);
    auto* reverse = new QRadioButton(QStringLiteral("Controls to requirements"), this);
    reverse->setObjectName(QStringLiteral("rbTraceReverse"));
    choice->addWidget(m_forward);
    choice->addWidget(reverse);
    choice->addStretch(1);
    layout->addLayout(choice);

    auto* split = new QSplitter(Qt::Horizontal, this);
    m_tree = makeTree("tvTrace", QStringLiteral("Trace"), split);
    m_gaps = makeTree("tvGaps", QStringLiteral("Gaps"), split);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);

    connect(m_forward, &QRadioButton::toggled, this, [this] { showTree(); });
    connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { fill(item); });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { chooseNode(item); });
    connect(m_gaps, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { chooseNode(item); });
    showTree();
    showGaps();
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
    };
    for (const auto& list : lists) {
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
