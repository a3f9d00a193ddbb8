#pragma once

#include <QLabel>
#include <QWidget>

// One of the three reference picture windows. Created hidden; shown without
// blocking; closing only hides it. Its picture grows and shrinks by as many
// pixels as the window does.
class PictureWindow : public QWidget {
    Q_OBJECT
public:
    enum Kind { ArchitectureMatrix, ServiceManagementMatrix, AttributeTaxonomy };
    PictureWindow(Kind kind, QWidget* owner);

    void showWindow();
    QLabel* picture() const { return m_image; }
    QSize rememberedSize() const { return m_remembered; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* m_image;
    QSize m_remembered { 0, 0 };
};
