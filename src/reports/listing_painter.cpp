#include "reports/listing_painter.h"

#include "store/quarrix_error.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPen>

ListingPainter::ListingPainter(QPagedPaintDevice& device)
    : m_device(device)
{
    m_device.setPageOrientation(QPageLayout::Landscape);
}

ListingPainter::~ListingPainter()
{
    if (m_painter.isActive())
        m_painter.end();
}

QSize ListingPainter::pageSize() const
{
    return { m_device.width(), m_device.height() };
}

void ListingPainter::begin()
{
    if (m_painter.isActive())
        return;
    if (m_finished || !m_painter.begin(&m_device))
        throw QuarrixError(QStringLiteral("The printer could not start the document."));
    m_painter.setFont(m_font);
    m_painter.setPen(QPen(Qt::black, m_penWidth));
}

void ListingPainter::setFont(const QString& family, int pointSize, bool bold)
{
    m_font = QFont(family);
    m_font.setPointSize(pointSize);
    m_font.setBold(bold);
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

void ListingPainter::setPenWidth(int width)
{
    m_penWidth = width;
    if (m_painter.isActive())
        m_painter.setPen(QPen(Qt::black, m_penWidth));
}

void ListingPainter::text(int x, int y, const QString& text)
{
    begin();
    // A text is drawn on one line: line breaks and tabs inside it show as blanks.
    QString shown = text;
    for (QChar& c : shown)
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    m_painter.drawText(x, y + m_painter.fontMetrics().ascent(), shown);
}

void ListingPainter::line(int x1, int y1, int x2, int y2)
{
    begin();
    m_painter.drawLine(x1, y1, x2, y2);
}

void ListingPainter::newPage()
{
    begin();
    if (!m_device.newPage())
        throw QuarrixError(QStringLiteral("The printer could not start a new page."));
}

void ListingPainter::finish()
{
    const bool drawn = m_painter.isActive();
    const bool ended = !drawn || m_painter.end();
    m_finished = true;
    m_device.setPageOrientation(QPageLayout::Portrait);
    if (!ended)
        throw QuarrixError(QStringLiteral("The printer could not finish the document."));
}
