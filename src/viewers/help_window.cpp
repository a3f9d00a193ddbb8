#include "viewers/help_window.h"

#include "viewers/window_placement.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* owner)
    : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quarrix Help"));
    m_browser = new QTextBrowser;
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(820, 700);
}

void HelpWindow::showGuide(const QUrl& guide)
{
    if (guide.isLocalFile() && QFileInfo::exists(guide.toLocalFile())) {
        // A page already shown only scrolls to the section.
        if (m_browser->source().adjusted(QUrl::RemoveFragment) == guide.adjusted(QUrl::RemoveFragment))
            m_browser->scrollToAnchor(guide.fragment());
        else
            m_browser->setSource(guide);
    } else {
        m_browser->setPlainText(QStringLiteral("The user guide was not found at %1. It is installed with the "
                                               "program; installing Quarrix again puts it back.")
                                    .arg(guide.toLocalFile()));
    }
    if (!isVisible())
        WindowPlacement::placeInside(*this, parentWidget());
    show();
    raise();
    activateWindow();
}
