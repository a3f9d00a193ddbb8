#include "app/main_window.h"

#include "store/table_expressions.h"

#include <QComboBox>

// The division filter: "All" lifts the filter from Requirements and Drivers;
// any other text (empty included) keeps only that division's records.
void TForm2::cbDivision0Change()
{
    WaitCursor wait(*m_dialogs);
    const QString text = m_division->currentText();
    Table& reqs = m_assessment.requirements();
    Table& drivers = m_assessment.drivers();
    reqs.disableControls();
    drivers.disableControls();
    struct Resume {
        Table& a; Table& b;
        ~Resume() { a.enableControls(); b.enableControls(); }
    } resume{reqs, drivers};
    for (Table* t : {&reqs, &drivers}) {
        if (text == QLatin1String("All")) {
            t->setFiltered(false);
        } else {
            t->setFilter(TableExpressions::equals(QStringLiteral("Division"), text));
            t->setFiltered(true);
        }
        t->refresh();
        t->first();
    }
}
