#pragma once

#include <QString>
#include <functional>

class Assessment;
class Dialogs;
class QWidget;

// What a tab sees of the window that holds it. Tabs never see each other:
// what one tab does that another must follow travels as a signal that the
// window connects.
class TabHost {
public:
    virtual Assessment& assessment() = 0;
    virtual Dialogs& dialogs() = 0;
    virtual void setStatus(const QString& text) = 0;
    // The division filter box's text, as the reports and the derivation read it.
    virtual QString divisionFilterText() const = 0;
    // The page shown; while tabs switch, the new page's show step still sees
    // the old one.
    virtual const QWidget* pageShown() const = 0;
    bool isPageShown(const QWidget* page) const { return pageShown() == page; }
    // Runs a command: an error it raises is shown with its message and ends
    // it. Returns false when the command failed.
    virtual bool runCommand(const std::function<void()>& command) = 0;
    // Offers every tab's edits not yet saved ("Save changes?"), once each,
    // before a command that changes the whole record set (a report, an
    // import). False when a save failed; the command should not go on then.
    virtual bool offerPendingEdits() = 0;
    // The assessment changed as a whole (an import): every tab, the Project
    // tab's notepad and the division filter show what the store holds now.
    virtual void showAssessmentAfresh() = 0;
    // When another program changed the store since the window last looked,
    // every table is read again and shown afresh; edits typed and not saved
    // stay in their editors, with the record they were made on.
    virtual void followOtherPrograms() = 0;

protected:
    ~TabHost() = default;
};
