#include "app/main_window.h"

#include <QResizeEvent>

// The controls that follow the window's size, in the order they are scaled,
// with what is scaled of each.
namespace {
struct Scaled {
    const char* name;
    bool height, left, width;
};
constexpr Scaled kScaled[] = {
    { "PageControl1", true, false, true },
    { "Label5", false, true, false },
    { "cbDivision0", false, true, false },
    { "mAssessment", false, false, true },
    { "GroupBox1", true, true, true },
    { "mNotepad", true, true, true },
    { "hSave0", false, true, false },
    { "DBGrid1", true, false, true },
    { "hAdd2", false, true, false },
    { "hDelete2", false, true, false },
    { "DBGrid2", false, false, true },
    { "hAdd1", false, true, false },
    { "hDelete1", false, true, false },
    { "DBGrid3", false, false, true },
    { "hSave3", false, true, false },
    { "DBGrid4", false, false, true },
    { "hAdd3", false, true, false },
    { "hDelete3", false, true, false },
    { "tvAttribute", false, true, false },
    { "GroupBox7", false, true, false },
    { "bImport1", false, true, false },
    { "tvControl", false, true, false },
    { "GroupBox10", false, true, false },
    { "bImport2", false, true, false },
};
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    applyProportionalResize(event->size());
}

// Scales the listed controls by the ratio of the new size to the last one
// seen, multiplying first and truncating toward zero, as each resize builds
// on the previous one.
void MainWindow::applyProportionalResize(const QSize& size)
{
    if (m_referenceSize.height() == 0)
        return;
    const qint64 h = size.height(), w = size.width();
    const qint64 rh = m_referenceSize.height(), rw = m_referenceSize.width();
    for (const Scaled& s : kScaled) {
        QWidget* widget = findChild<QWidget*>(QString::fromLatin1(s.name));
        if (!widget)
            continue;
        QRect g = widget->geometry();
        if (s.height)
            g.setHeight(int(g.height() * h / rh));
        if (s.left)
            g.moveLeft(int(g.left() * w / rw));
        if (s.width)
            g.setWidth(int(g.width() * w / rw));
        widget->setGeometry(g);
    }
    m_referenceSize = QSize(int(w), int(h));
}
