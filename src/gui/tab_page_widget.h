#pragma once

#include <QWidget>
#include <functional>

class Assessment;
class Dialogs;
class LinkLabel;
class MainWindow;
struct SessionFlags;

// Base of the eleven tabs. The window runs tabShown() when the tab becomes the
// page shown (before the old page's tabHidden()).
class TabPage : public QWidget {
    Q_OBJECT
public:
    TabPage(MainWindow& form, const char* objectName, const QString& caption);
    const QString& caption() const { return m_caption; }

    virtual void tabShown() { }
    virtual void tabHidden() { }
    // Runs once the window has opened the store at start-up. The tables do not
    // exist before, so tabs bind their grids and table hooks here.
    virtual void storeOpened() { }

protected:
    MainWindow& form() const { return m_form; }
    Assessment& assessment() const;
    Dialogs& dialogs() const;
    SessionFlags& flags() const;
    void setStatus(const QString& text) const;
    bool isPageShown() const; // this tab is the page shown

    // Runs a command; an error it raises is shown with its message and ends it.
    void run(const std::function<void()>& command) const;
    // A command label that runs the command on click.
    LinkLabel* link(
        const QString& text, const char* objectName, const QRect& geometry, const std::function<void()>& command);

private:
    MainWindow& m_form;
    QString m_caption;
};
