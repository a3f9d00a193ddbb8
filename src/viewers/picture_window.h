#pragma once

#include <QLabel>
#include <QWidget>
#include <functional>

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
    // Draws the picture afresh at each showing instead of the stored image
    // (the attribute taxonomy that is loaded).
    void setPictureSource(std::function<QImage()> source) { m_source = std::move(source); }
    // Draws it again now when the window shows.
    void refreshPicture();

private:
    QLabel* m_image;
    bool m_placed = false;
    std::function<QImage()> m_source;
};
