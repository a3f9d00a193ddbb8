#include "gui/form_layout.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
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

}
