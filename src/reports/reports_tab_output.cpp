#include "reports/reports_tab.h"

#include "gui/dialogs.h"
#include "reports/export_workbook.h"
#include "reports/listing_layout.h"
#include "reports/listing_painter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPrinter>
#include <QRadioButton>

// The spreadsheet export and the printed listings of the Reports tab.

namespace {

// The filter group's choices as the two commands read them.
ReportSelection selectionOf(const ReportsTab& tab)
{
    ReportSelection s;
    s.activity = tab.activityBox()->currentText();
    s.group = tab.groupBox()->currentText();
    s.requirements = tab.requirementsCheck()->isChecked();
    s.drivers = tab.driversCheck()->isChecked();
    s.attributes = tab.attributesCheck()->isChecked();
    s.controls = tab.controlsCheck()->isChecked();
    return s;
}

}

void ReportsTab::hRep1Click()
{
    const ReportSelection selection = selectionOf(*this);
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
        dialogs().notice(
            QStringLiteral("%1 cell(s) held more than %2 characters, the most a spreadsheet cell can hold; "
                           "they were cut to %2 characters.")
                .arg(result.cutCells)
                .arg(ExportWorkbook::cellLimit));
}

void ReportsTab::hRep5Click()
{
    ReferenceListings::Options options;
    options.selection = selectionOf(*this);
    if (byDivision()->isChecked())
        options.sorting = ReferenceListings::Sorting::Division;
    else if (byActivity()->isChecked())
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
