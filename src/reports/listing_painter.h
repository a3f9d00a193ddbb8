#pragma once

#include "reports/listing_canvas.h"

#include <QFont>
#include <QPainter>

class QPagedPaintDevice;

// Draws the listings on a paged device: a printer, or a PDF writer. The page
// is turned to landscape while the listings are drawn and back to portrait by
// finish(). The document begins with the first drawing, so when nothing is
// drawn nothing is printed.
class ListingPainter : public ListingCanvas {
public:
    explicit ListingPainter(QPagedPaintDevice& device);
    ~ListingPainter() override;
    ListingPainter(const ListingPainter&) = delete;
    ListingPainter& operator=(const ListingPainter&) = delete;

    QSize pageSize() const override;
    void setFont(const QString& family, int pointSize, bool bold) override;
    void setPenWidth(int width) override;
    void text(int x, int y, const QString& text) override;
    void line(int x1, int y1, int x2, int y2) override;
    void newPage() override;

    // Ends the document. Raises QuarrixError when the device failed.
    void finish();
    bool begun() const { return m_painter.isActive(); }

private:
    void begin();

    QPagedPaintDevice& m_device;
    QPainter m_painter;
    QFont m_font;
    int m_penWidth = 1;
    bool m_finished = false;
};
