#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

// The user guide in a window of the program's own, so that F1 works on a
// desktop without a web browser: a text browser over the guide installed
// beside the program, opened at the section the URL's fragment names. Links
// inside the guide stay in the window; links to the web go to the desktop.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* owner);

    void showGuide(const QUrl& guide);
    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};
