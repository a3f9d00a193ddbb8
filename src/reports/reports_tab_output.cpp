#include "reports/reports_tab.h"

#include "core/quarrix_error.h"
#include "gui/dialogs_widget.h"
#include "reports/export_workbook.h"
#include "reports/listing_layout.h"
#include "reports/listing_painter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPrinter>
#include <QRadioButton>

// The spreadsheet export and the printed listings of the Reports tab.

namespace {

template <class T> T* control(const QWidget* tab, const char* name)
{
    T* w = tab->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        throw QuarrixError(QStringLiteral("The Reports tab has no control named %1.").arg(QString::fromLatin1(name)));
    return w;
}

// The filter group's choices as the two commands read them.
ReportSelection selectionOf(const QWidget* tab)
{
    ReportSelection s;
    s.activity = control<QComboBox>(tab, "cbActivity9")->currentText();
    s.group = control<QComboBox>(tab, "cbGroup9")->currentText();
    s.requirements = control<QCheckBox>(tab, "chRequirements")->isChecked();
    s.drivers = control<QCheckBox>(tab, "chDrivers")->isChecked();
    s.attributes = control<QCheckBox>(tab, "chAttributes")->isChecked();
    s.controls = control<QCheckBox>(tab, "chControls")->isChecked();
    return s;
}

}

void ReportsTab::hRep1Click()
{
    const ReportSelection selection = selectionOf(this);
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Export Databases to Spreadsheet");
    request.filter = QStringLiteral("Excel files (*.xlsx *.XLSX)");
    request.defaultSuffix = QStringLiteral("xlsx");
    const QString fileName = dialogs().saveFile(request);
    if (fileName.isEmpty())
        return;
    ExportWorkbook::Result result;
    {
        WaitCursor wait(dialogs());
        result = ExportWorkbook::write(assessment(), selection, fileName);
        setStatus(fileName + QStringLiteral(" saved          "));
    }
    if (result.cutCells > 0)
        dialogs().notice(QStringLiteral("%1 cell(s) held more than %2 characters, the most a spreadsheet cell can hold; "
                                        "they were cut to %2 characters.")
                             .arg(result.cutCells)
                             .arg(ExportWorkbook::cellLimit));
}

void ReportsTab::hRep5Click()
{
    ReferenceListings::Options options;
    options.selection = selectionOf(this);
    if (control<QRadioButton>(this, "rbDivision")->isChecked())
        options.sorting = ReferenceListings::Sorting::Division;
    else if (control<QRadioButton>(this, "rbActivity")->isChecked())
        options.sorting = ReferenceListings::Sorting::Activity;
    QPrinter printer(QPrinter::HighResolution);
    if (!dialogs().print(printer))
        return;
    WaitCursor wait(dialogs());
    options.date = ReferenceListings::today();
    ListingPainter canvas(printer);
    ReferenceListings::print(assessment(), options, canvas);
    canvas.finish();
    setStatus(QStringLiteral("Printing complete             "));
}
