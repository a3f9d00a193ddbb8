#include "compare/compare_window.h"

#include "compare/change_output.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

const int kTargetRole = Qt::UserRole; // where the record is shown, when it can be
const int kKeyRole = Qt::UserRole + 1;
const int kGroupRole = Qt::UserRole + 2; // a group not yet filled: kind * 3 + group

using Target = CompareWindow::Target;

// Where a record of a kind is shown in the main window, and by which key.
std::pair<Target, QString> targetOf(ChangeKind kind, const ChangeItem& item)
{
    const QString key = item.singleKey() ? item.key.front().second.toString() : QString();
    switch (kind) {
    case ChangeKind::System:
        return { Target::Settings, QString() };
    case ChangeKind::Requirements:
        return { Target::Requirement, key };
    case ChangeKind::Drivers:
        return { Target::Driver, key };
    case ChangeKind::Profiles:
        return { Target::Profile, item.part(QStringLiteral("driver")).toString() };
    case ChangeKind::AttributesInUse:
        return { Target::SecurityAttribute, key };
    case ChangeKind::Controls:
        return { Target::SecurityAttribute, item.part(QStringLiteral("security_attribute")).toString() };
    case ChangeKind::Trace:
        return { Target::Driver, item.part(QStringLiteral("driver")).toString() };
    case ChangeKind::Applications:
        return { Target::Application, key };
    case ChangeKind::Risks:
        return { Target::Application, item.part(QStringLiteral("application")).toString() };
    case ChangeKind::Catalogue:
        return { Target::Control, key };
    case ChangeKind::Taxonomy:
        return { Target::TaxonomyAttribute,
            item.singleKey() ? key : item.key.front().second.toString() }; // a link: its first attribute
    }
    return { Target::Settings, QString() };
}

std::pair<Target, QString> targetOfGap(const GapChange& gap)
{
    if (gap.gap == QLatin1String("requirements_without_driver"))
        return { Target::Requirement, gap.name };
    if (gap.gap == QLatin1String("drivers_without_profile") || gap.gap == QLatin1String("orphan_profile_rows"))
        return { Target::Profile, gap.name };
    if (gap.gap == QLatin1String("profiled_without_security"))
        return { Target::TaxonomyAttribute, gap.name };
    if (gap.gap == QLatin1String("security_without_controls"))
        return { Target::SecurityAttribute, gap.name };
    return { Target::Control, gap.name };
}

void setTarget(QTreeWidgetItem* item, const std::pair<Target, QString>& target)
{
    item->setData(0, kTargetRole, int(target.first));
    item->setData(0, kKeyRole, target.second);
}

QTreeWidget* makeTree(const QString& name, const QStringList& headers)
{
    auto* tree = new QTreeWidget;
    tree->setObjectName(name);
    tree->setHeaderLabels(headers);
    tree->setUniformRowHeights(true);
    tree->header()->setStretchLastSection(true);
    // A double-click opens a record; only a heading without one folds (see choose).
    tree->setExpandsOnDoubleClick(false);
    return tree;
}

const char* const kGroupTitles[] = { "Added", "Removed", "Changed" };

}

CompareWindow::CompareWindow(ChangeReport report, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_report(std::move(report))
{
    setObjectName(QStringLiteral("CompareWindow"));
    setWindowTitle(QStringLiteral("Changes since %1").arg(m_report.before.shownName()));
    resize(960, 640);

    auto* layout = new QVBoxLayout(this);
    auto* sources = new QLabel(
        QStringLiteral("Earlier: %1\nLater: %2%3")
            .arg(ChangeOutput::sourceText(m_report.before), ChangeOutput::sourceText(m_report.after),
                m_report.division == QLatin1String("All") ? QString()
                                                          : QStringLiteral("\nDivision: ") + m_report.division),
        this);
    sources->setObjectName(QStringLiteral("lCompared"));
    sources->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(sources);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pcChanges"));
    layout->addWidget(m_pages, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* save = new QPushButton(QStringLiteral("Save Report..."), this);
    save->setObjectName(QStringLiteral("bSaveChangeReport"));
    save->setToolTip(QStringLiteral("Save the change report as a Word document (.docx) or a PDF file"));
    buttons->addWidget(save);
    layout->addLayout(buttons);
    connect(save, &QPushButton::clicked, this, &CompareWindow::saveRequested);

    showSummary();
    for (ChangeKind kind : ChangeKinds::all())
        if (!m_report[kind].empty())
            m_kindTrees.emplace_back(kind, addKindPage(kind));
}

QTreeWidget* CompareWindow::kindTree(ChangeKind kind) const
{
    for (const auto& [k, tree] : m_kindTrees)
        if (k == kind)
            return tree;
    return nullptr;
}

void CompareWindow::showSummary()
{
    m_summary = makeTree(QStringLiteral("tvChangeSummary"),
        { QStringLiteral("Kind"), QStringLiteral("Added"), QStringLiteral("Removed"), QStringLiteral("Changed") });
    m_summary->setRootIsDecorated(true);
    m_pages->addTab(m_summary, QStringLiteral("Summary"));
    if (m_report.empty()) {
        auto* none = new QTreeWidgetItem(m_summary);
        none->setText(0, QStringLiteral("No changes: both hold the same assessment."));
        m_summary->setColumnWidth(0, 420);
        return;
    }
    for (ChangeKind kind : ChangeKinds::all()) {
        const KindChanges& c = m_report[kind];
        auto* row = new QTreeWidgetItem(m_summary);
        row->setText(0, ChangeKinds::title(kind));
        row->setText(1, QString::number(c.added.size()));
        row->setText(2, QString::number(c.removed.size()));
        row->setText(3, QString::number(c.changed.size()));
        for (int column = 1; column < 4; ++column)
            row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        for (const CountChange& count : c.counts)
            if (count.before != count.after) {
                auto* line = new QTreeWidgetItem(row);
                line->setText(0, QStringLiteral("%1: %2 -> %3").arg(count.name).arg(count.before).arg(count.after));
            }
    }
    auto gapGroup = [&](const QString& title, const std::vector<GapChange>& gaps) {
        auto* group = new QTreeWidgetItem(m_summary);
        group->setText(0, QStringLiteral("%1 (%2)").arg(title).arg(gaps.size()));
        for (const GapChange& g : gaps) {
            auto* line = new QTreeWidgetItem(group);
            line->setText(0, ChangeOutput::gapTitle(g.gap) + QStringLiteral(": ") + g.name);
            setTarget(line, targetOfGap(g));
        }
        group->setExpanded(true);
    };
    gapGroup(QStringLiteral("New gaps"), m_report.newGaps);
    gapGroup(QStringLiteral("Closed gaps"), m_report.closedGaps);
    m_summary->header()->setStretchLastSection(false);
    m_summary->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < 4; ++column)
        m_summary->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    connect(m_summary, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { choose(item); });
}

QTreeWidget* CompareWindow::addKindPage(ChangeKind kind)
{
    const KindChanges& c = m_report[kind];
    QTreeWidget* tree = makeTree(QStringLiteral("tvChanges_") + ChangeKinds::key(kind), { ChangeKinds::title(kind) });
    m_pages->addTab(tree, QStringLiteral("%1 (%2)").arg(ChangeKinds::title(kind)).arg(c.size()));
    const std::vector<ChangeItem>* groups[] = { &c.added, &c.removed, &c.changed };
    for (int g = 0; g < 3; ++g) {
        if (groups[g]->empty())
            continue;
        auto* group = new QTreeWidgetItem(tree);
        group->setText(0, QStringLiteral("%1 (%2)").arg(QString::fromLatin1(kGroupTitles[g])).arg(groups[g]->size()));
        group->setData(0, kGroupRole, int(kind) * 3 + g);
        group->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        // Small groups open at once; a large one fills when opened.
        if (groups[g]->size() <= 200)
            group->setExpanded(true);
    }
    connect(tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { fillGroup(item); });
    connect(tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { choose(item); });
    // Expanding before the connection above: fill those now.
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->isExpanded())
            fillGroup(tree->topLevelItem(i));
    return tree;
}

void CompareWindow::fillGroup(QTreeWidgetItem* groupItem)
{
    const QVariant data = groupItem->data(0, kGroupRole);
    if (!data.isValid())
        return;
    groupItem->setData(0, kGroupRole, QVariant());
    const auto kind = ChangeKind(data.toInt() / 3);
    const auto group = Group(data.toInt() % 3);
    const KindChanges& c = m_report[kind];
    const std::vector<ChangeItem>& items
        = group == Group::Added ? c.added : (group == Group::Removed ? c.removed : c.changed);
    for (const ChangeItem& item : items)
        addItem(groupItem, kind, item, group);
    // The fields of a few changed records show at once.
    if (group == Group::Changed && items.size() <= 50)
        for (int i = 0; i < groupItem->childCount(); ++i)
            groupItem->child(i)->setExpanded(true);
}

void CompareWindow::addItem(QTreeWidgetItem* parent, ChangeKind kind, const ChangeItem& item, Group group)
{
    static const char* const marks[] = { "+ ", "- ", "~ " };
    auto* line = new QTreeWidgetItem(parent);
    line->setText(0, QString::fromLatin1(marks[int(group)]) + ChangeOutput::itemText(item));
    line->setToolTip(0, line->text(0));
    setTarget(line, targetOf(kind, item));
    for (const FieldChange& f : item.fields) {
        auto* field = new QTreeWidgetItem(line);
        QString text = ChangeOutput::fieldTitle(f.field) + QStringLiteral(": ") + ChangeOutput::fieldText(f);
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        field->setText(0, text);
        field->setToolTip(0, text);
        setTarget(field, targetOf(kind, item));
    }
}

void CompareWindow::choose(QTreeWidgetItem* item)
{
    const QVariant target = item->data(0, kTargetRole);
    if (target.isValid())
        Q_EMIT recordChosen(Target(target.toInt()), item->data(0, kKeyRole).toString());
    else if (item->childCount() > 0 || item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator)
        item->setExpanded(!item->isExpanded());
}
