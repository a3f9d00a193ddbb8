#pragma once

#include <QSize>
#include <QString>

// The drawing surface of the printed listings, in printer device units. The
// program draws on a printer (or a PDF file) through ListingPainter; tests
// record the calls.
class ListingCanvas {
public:
    virtual ~ListingCanvas() = default;

    // The page's drawable size in device units, with the page in landscape.
    virtual QSize pageSize() const = 0;
    // Font of the texts that follow; pointSize in points.
    virtual void setFont(const QString& family, int pointSize, bool bold) = 0;
    virtual void setPenWidth(int width) = 0;
    // A text with its top left corner at (x, y).
    virtual void text(int x, int y, const QString& text) = 0;
    virtual void line(int x1, int y1, int x2, int y2) = 0;
    // Ends the current page; what follows goes on a new one.
    virtual void newPage() = 0;
};
