#include "app/main_window.h"

#include "analysis/business_attributes_tab.h"
#include "analysis/details_form_widget.h"
#include "analysis/in_use_derivation.h"
#include "analysis/profile_division_filter.h"
#include "analysis/security_attributes_tab.h"
#include "gui/memo_text.h"
#include "store/line_list.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

// The details of the Requirements and Drivers tabs are reached by their
// object names; a control that is missing is skipped.
template <class W> W* named(const QWidget* root, const char* name)
{
    return root->findChild<W*>(QString::fromLatin1(name));
}

void showText(const QWidget* root, const char* name, const QString& value)
{
    if (auto* edit = named<QLineEdit>(root, name))
        edit->setText(value);
}

void showChoice(const QWidget* root, const char* name, const QString& value)
{
    auto* box = named<QComboBox>(root, name);
    if (!box)
        return;
    if (box->isEditable())
        box->setEditText(value);
    else
        box->setCurrentIndex(box->findText(value, Qt::MatchExactly));
}

}

// The division filter: "All" lifts the filter from Requirements and Drivers;
// any other text (empty included) keeps only that division's records. The
// first record of each is then shown in its tab's details, the attributes in
// use are recomputed when the Security Attributes tab is showing, the
// profile is recoloured and the Reports tab shows the division.
void MainWindow::cbDivision0Change()
{
    WaitCursor wait(*m_dialogs);
    const QString text = m_division->currentText();
    Table& reqs = m_assessment.requirements();
    Table& drivers = m_assessment.drivers();
    {
        const DisplaySuspended suspended { &reqs, &drivers };

        applyDivisionFilter(reqs, text);
        if (text != QLatin1String("All")) {
            showText(this, "eID1", reqs.text(QStringLiteral("RSeq")));
            showText(this, "eRequirement", reqs.text(QStringLiteral("Requirement")));
            showChoice(this, "cbDivision1", reqs.text(QStringLiteral("Division")));
            if (auto* source = named<QPlainTextEdit>(this, "mSource"))
                Text::setMemo(source, reqs.text(QStringLiteral("Source")));
            flags().requirementEdit = false;
        }
        applyDivisionFilter(drivers, text);
        if (text != QLatin1String("All")) {
            showText(this, "eId2", drivers.text(QStringLiteral("CSeq")));
            if (auto* lines = named<QListWidget>(this, "lbReqs")) {
                // Sorted ignoring case, as the Drivers tab shows them.
                DetailsForm::setSortedItems(lines, LineList::split(drivers.text(QStringLiteral("Requirement"))));
            }
            showText(this, "eDriver", drivers.text(QStringLiteral("Driver")));
            showChoice(this, "cbDivision2", drivers.text(QStringLiteral("Division")));
            flags().driverEdit = false;
        }
    }
    if (m_pageShown == tab<SecurityAttributesTab>())
        deriveAttributesInUse(m_assessment, text);
    if (auto* profile = tab<BusinessAttributesTab>())
        profile->DBGrid3CellClick();
    showText(this, "eDivision9", text);
}
