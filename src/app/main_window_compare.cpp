#include "app/main_window.h"

#include "analysis/applications_tab.h"
#include "analysis/business_attributes_tab.h"
#include "analysis/drivers_tab.h"
#include "analysis/requirements_tab.h"
#include "analysis/security_attributes_tab.h"
#include "archive/archive_writer.h"
#include "catalogues/attributes_database_tab.h"
#include "catalogues/controls_database_tab.h"
#include "compare/assessment_comparison.h"
#include "compare/compare_window.h"
#include "compare/compared_assessment.h"
#include "reports/change_report_document.h"
#include "settings/settings_tab.h"

#include <QFileInfo>
#include <QTabWidget>

// File > Compare with Archive... and the window it opens.

CompareWindow* MainWindow::compareWindow() const
{
    return static_cast<CompareWindow*>(m_compareWindow.data());
}

// The open assessment is compared as the store file holds it, so edits not
// yet saved are offered first.
void MainWindow::compareWithArchive()
{
    if (!offerPendingEdits())
        return;
    const QString path = askArchiveToOpen(QStringLiteral("Compare with Archive"));
    if (!path.isEmpty())
        openComparison(path);
}

void MainWindow::openComparison(const QString& archivePath)
{
    ChangeReport report;
    {
        WaitCursor wait(dialogs());
        const QString division = divisionFilterText();
        const AssessmentFacts earlier = ComparedAssessment::read(archivePath, division);
        const AssessmentFacts open = ComparedAssessment::read(m_assessment->store().path(), division);
        report = AssessmentComparison::compare(earlier, open);
    }
    delete m_compareWindow;
    auto* window = new CompareWindow(std::move(report), this);
    m_compareWindow = window;
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &CompareWindow::recordChosen, this, [this](CompareWindow::Target target, const QString& key) {
        runCommand([&] {
            using T = CompareWindow::Target;
            Assessment& a = *m_assessment;
            switch (target) {
            case T::Requirement:
                return showRecordIn(m_requirements, a.requirements(), "RSeq", key, QStringLiteral("Requirement"));
            case T::Driver:
                return showRecordIn(m_drivers, a.drivers(), "CSeq", key, QStringLiteral("Driver"));
            case T::Profile:
                return showRecordIn(m_profile, a.drivers(), "CSeq", key, QStringLiteral("Driver"));
            case T::SecurityAttribute:
                return showRecordIn(
                    m_securityAttributes, a.attribute(), "Attribute", key, QStringLiteral("Security attribute"));
            case T::Application:
                return showRecordIn(
                    m_applications, a.applications(), "Application", key, QStringLiteral("Application"));
            case T::Control:
                return showRecordIn(m_controlsDatabase, a.controls(), "Id", key, QStringLiteral("Control"));
            case T::TaxonomyAttribute:
                return showRecordIn(m_attributesDatabase, a.attribute(), "Attribute", key, QStringLiteral("Attribute"));
            case T::Settings:
                m_pages->setCurrentWidget(m_settings);
                return;
            }
        });
    });
    connect(window, &CompareWindow::saveRequested, this, [this] { runCommand([this] { saveChangeReport(); }); });
    window->show();
    window->raise();
    window->activateWindow();
    setStatus(QStringLiteral("Compared with %1").arg(QFileInfo(archivePath).fileName()));
}

void MainWindow::saveChangeReport()
{
    const CompareWindow* window = compareWindow();
    if (!window)
        return;
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Save Change Report");
    request.filter = QStringLiteral("Word documents (*.docx);;PDF documents (*.pdf)");
    request.defaultSuffix = QStringLiteral("docx");
    // Named as an archive of the assessment would be, with the .docx suffix.
    QString proposed
        = ArchiveWriter::proposedFileName(QStringLiteral("Changes since ") + window->report().before.shownName());
    proposed.chop(4);
    request.proposedName = proposed + QStringLiteral(".docx");
    request.kind = Dialogs::FileKind::Report;
    const QString path = dialogs().saveFile(request);
    if (path.isEmpty())
        return;
    WaitCursor wait(dialogs());
    ChangeReportDocument::write(window->report(), path);
    setStatus(path + QStringLiteral(" saved          "));
}
