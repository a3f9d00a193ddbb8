#include "reports/reports_tab.h"

#include "gui/dialogs.h"
#include "reports/export_workbook.h"
#include "reports/listing_layout.h"
#include "reports/listing_painter.h"
#include "reports/oscal_export.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPrinter>
#include <QRadioButton>

// The spreadsheet export, the printed listings and the OSCAL export of the
// Reports tab.

ReportSelection ReportsTab::selection() const
{
    ReportSelection s;
    s.division = host().divisionFilterText();
    s.activity = m_activity->currentText();
    s.group = m_group->currentText();
    s.requirements = m_requirements->isChecked();
    s.drivers = m_drivers->isChecked();
    s.attributes = m_attributes->isChecked();
    s.controls = m_controls->isChecked();
    return s;
}

void ReportsTab::exportSpreadsheet()
{
    const ReportSelection chosen = selection();
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Export Databases to Spreadsheet");
    request.filter = QStringLiteral("Excel files (*.xlsx *.XLSX)");
    request.defaultSuffix = QStringLiteral("xlsx");
    request.kind = Dialogs::FileKind::Export;
    const QString fileName = dialogs().saveFile(request);
    if (fileName.isEmpty())
        return;
    ExportWorkbook::Result result;
    {
        WaitCursor wait(dialogs());
        result = ExportWorkbook::write(assessment(), chosen, fileName);
        setStatus(fileName + QStringLiteral(" saved          "));
    }
    if (result.cutCells > 0)
        dialogs().notice(
            QStringLiteral("%1 cell(s) held more than %2 characters, the most a spreadsheet cell can hold; "
                           "they were cut to %2 characters.")
                .arg(result.cutCells)
                .arg(ExportWorkbook::cellLimit));
}

void ReportsTab::printListings()
{
    ReferenceListings::Options options;
    options.selection = selection();
    if (m_byDivision->isChecked())
        options.sorting = ReferenceListings::Sorting::Division;
    else if (m_byActivity->isChecked())
        options.sorting = ReferenceListings::Sorting::Activity;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Reference Listings"));
    if (!dialogs().print(printer))
        return;
    WaitCursor wait(dialogs());
    options.date = ReferenceListings::today();
    ListingPainter canvas(printer);
    ReferenceListings::print(assessment(), options, canvas);
    canvas.finish();
    setStatus(QStringLiteral("Printing complete             "));
}

void ReportsTab::exportOscalProfile()
{
    OscalExport::Options options;
    options.division = host().divisionFilterText();
    options.resolved = dialogs().ask(QStringLiteral("Write the selected controls in full, as the resolved catalog? (No "
                                                    "writes a profile that imports the catalog.)"));
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Export OSCAL Profile");
    request.filter = QStringLiteral("OSCAL JSON files (*.json)");
    request.defaultSuffix = QStringLiteral("json");
    request.kind = Dialogs::FileKind::Export;
    const QString fileName = dialogs().saveFile(request);
    if (fileName.isEmpty())
        return;
    OscalExport::Result result;
    {
        WaitCursor wait(dialogs());
        result = OscalExport::write(assessment(), fileName, options);
    }
    if (result.leftOut.isEmpty())
        setStatus(fileName + QStringLiteral(" saved          "));
    else
        setStatus(QStringLiteral("%1 saved; %2 left out: %3")
                      .arg(fileName,
                          result.leftOut.size() == 1 ? QStringLiteral("1 entry")
                                                     : QStringLiteral("%1 entries").arg(result.leftOut.size()),
                          result.leftOut.join(QStringLiteral("; "))));
}
