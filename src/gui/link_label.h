#pragma once

#include <QLabel>

// A command label: bold, underlined blue text that acts on one click, or on
// Enter or Space when it has the keyboard focus.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& text, const char* objectName, QWidget* parent);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
