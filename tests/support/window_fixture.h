#pragma once

#include "app/main_window.h"
#include "support/qt_printers.h"
#include "support/scripted_dialogs.h"
#include "support/table_rows.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// A real main window over a fresh store in a temporary folder, with scripted
// dialogs. Controls are found by their object names.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts (or restarts) the window on the fixture's store.
    void startWindow();
    void closeWindow();

    template <class T> T* find(const char* name) const
    {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            ADD_FAILURE() << "no control named " << name;
        return w;
    }
    void click(const char* linkName); // a command label or button, by object name
    void showTab(const char* tabName); // makes the tab the page shown
    void clickRow(const char* gridName, int row); // a click on a grid's row, as the analyst makes it
    void typeInto(const char* editName, const QString& text); // replaces an edit's text by typing
    QAction* action(const char* name) const; // a menu command
    void setSystem(const char* field, const QStringList& lines); // a line-list field of System

    QTemporaryDir dir;
    QString storePath;
    std::unique_ptr<MainWindow> window;
    ScriptedDialogs* dialogs = nullptr; // owned by the window
};
