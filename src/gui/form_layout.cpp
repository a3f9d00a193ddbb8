#include "gui/form_layout.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

namespace FormLayout {

QComboBox* choiceBox(const char* objectName, const QString& hint)
{
    auto* box = named<QComboBox>(objectName, hint);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(16);
    return box;
}

QGroupBox* group(const QString& caption, const char* objectName)
{
    auto* box = new QGroupBox(caption);
    box->setObjectName(QString::fromLatin1(objectName));
    return box;
}

QLabel* addField(QGridLayout* grid, int row, int column, const QString& caption, QWidget* field, int span,
    Qt::Alignment captionAlignment)
{
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    grid->addWidget(label, row, column, Qt::AlignLeft | captionAlignment);
    grid->addWidget(field, row, column + 1, 1, span);
    return label;
}

QGridLayout* gridOverDetails(QWidget* page, QWidget* details, QWidget* add, QWidget* remove)
{
    auto* commands = new QHBoxLayout;
    commands->setSpacing(12);
    commands->addWidget(add);
    commands->addWidget(remove);
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(details, 1, 0);
    layout->addLayout(commands, 1, 1, Qt::AlignTop);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(0, 1);
    layout->setRowStretch(1, 1);
    return layout;
}

void placeGrid(QGridLayout* page, QWidget* grid)
{
    grid->setMinimumHeight(100);
    page->addWidget(grid, 0, 0, 1, page->columnCount());
}

}
