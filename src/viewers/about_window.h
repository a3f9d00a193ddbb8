#pragma once

#include <QWidget>

// The About box: the maker's name and a few lines about the program.
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* owner);
    void showWindow();
};
