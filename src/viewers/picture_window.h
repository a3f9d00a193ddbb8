#pragma once

#include <QLabel>
#include <QWidget>

// One of the three reference picture windows. Created hidden; shown without
// blocking; closing only hides it. The picture fills the window inside a
// fixed margin: it first shows whole at the image's own size, and grows and
// shrinks by as many pixels as the window does.
class PictureWindow : public QWidget {
    Q_OBJECT
public:
    enum Kind { ArchitectureMatrix, ServiceManagementMatrix, AttributeTaxonomy };
    PictureWindow(Kind kind, QWidget* owner);

    void showWindow();
    QLabel* picture() const { return m_image; }

private:
    QLabel* m_image;
};
