#include "reports/risk_matrix_picture.h"

#include <QPaintDevice>
#include <QPainter>
#include <QStringList>

namespace {

// Measures in points.
constexpr double kWidth = 240;
constexpr double kHeight = 196;
constexpr double kTitle = 22; // the title's band
constexpr double kAxis = 16; // the band of an axis name
constexpr double kRowLabels = 46; // the row names' column
constexpr double kCellWidth = 54;
constexpr double kCellHeight = 38;
constexpr double kColumnLabels = 15;

const char* const kRatings[] = { "Low", "Medium", "High" };

// A font of the given size in the picture's points, whatever the resolution
// of the device the picture is drawn on (the painter is scaled to points).
QFont fontOf(const QPainter& painter, double points, bool bold)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(points * 72.0 / painter.device()->logicalDpiY());
    font.setBold(bold);
    return font;
}

QString entries(int n)
{
    return n == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(n);
}

}

RiskMatrixPicture::RiskMatrixPicture(const ApplicationRisks::Matrix& counts, int unrated)
    : m_counts(counts)
    , m_unrated(unrated)
{
}

QSizeF RiskMatrixPicture::size() const
{
    return { kWidth, kHeight };
}

QString RiskMatrixPicture::description() const
{
    QStringList rows;
    for (int likelihood = 2; likelihood >= 0; --likelihood) {
        QStringList cells;
        for (int impact = 0; impact < 3; ++impact)
            cells << QStringLiteral("impact %1: %2")
                         .arg(QLatin1String(kRatings[impact]))
                         .arg(m_counts[size_t(likelihood)][size_t(impact)]);
        rows << QStringLiteral("likelihood %1, ").arg(QLatin1String(kRatings[likelihood])) + cells.join(u", ");
    }
    QString text = QStringLiteral("Risk entries by likelihood and impact: ") + rows.join(u"; ") + u'.';
    if (m_unrated > 0)
        text += QStringLiteral(" %1 unrated.").arg(entries(m_unrated));
    return text;
}

QColor RiskMatrixPicture::cellColour(int score)
{
    if (score >= 6)
        return QColor(0xE0, 0x66, 0x5C); // red
    if (score >= 3)
        return QColor(0xF3, 0xC2, 0x4C); // amber
    return QColor(0x86, 0xC9, 0x7D); // green
}

void RiskMatrixPicture::draw(QPainter& painter, const QRectF& target) const
{
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / kWidth, target.height() / kHeight);
    painter.setPen(Qt::black);

    painter.setFont(fontOf(painter, 10, true));
    painter.drawText(
        QRectF(0, 0, kWidth, kTitle), Qt::AlignCenter, QStringLiteral("Risk entries by likelihood and impact"));

    const double left = kAxis + kRowLabels;
    const double top = kTitle;
    const QRectF grid(left, top, 3 * kCellWidth, 3 * kCellHeight);

    // Likelihood down the left, High at the top.
    painter.save();
    painter.translate(kAxis / 2, grid.center().y());
    painter.rotate(-90);
    painter.setFont(fontOf(painter, 9, true));
    painter.drawText(
        QRectF(-grid.height() / 2, -kAxis / 2, grid.height(), kAxis), Qt::AlignCenter, QStringLiteral("Likelihood"));
    painter.restore();
    painter.setFont(fontOf(painter, 9, false));
    for (int row = 0; row < 3; ++row)
        painter.drawText(QRectF(kAxis, top + row * kCellHeight, kRowLabels - 4, kCellHeight),
            Qt::AlignRight | Qt::AlignVCenter, QLatin1String(kRatings[2 - row]));
    for (int column = 0; column < 3; ++column)
        painter.drawText(QRectF(left + column * kCellWidth, grid.bottom(), kCellWidth, kColumnLabels), Qt::AlignCenter,
            QLatin1String(kRatings[column]));
    painter.setFont(fontOf(painter, 9, true));
    painter.drawText(
        QRectF(left, grid.bottom() + kColumnLabels, grid.width(), kAxis), Qt::AlignCenter, QStringLiteral("Impact"));

    painter.setFont(fontOf(painter, 14, true));
    for (int row = 0; row < 3; ++row) {
        const int likelihood = 2 - row;
        for (int impact = 0; impact < 3; ++impact) {
            const QRectF cell(left + impact * kCellWidth, top + row * kCellHeight, kCellWidth, kCellHeight);
            painter.fillRect(cell, cellColour((likelihood + 1) * (impact + 1)));
            painter.drawRect(cell);
            painter.drawText(cell, Qt::AlignCenter, QString::number(m_counts[size_t(likelihood)][size_t(impact)]));
        }
    }

    if (m_unrated > 0) {
        painter.setFont(fontOf(painter, 9, false));
        painter.drawText(
            QRectF(0, grid.bottom() + kColumnLabels + kAxis, kWidth, kHeight - grid.bottom() - kColumnLabels - kAxis),
            Qt::AlignCenter, QStringLiteral("%1 unrated").arg(entries(m_unrated)));
    }
    painter.restore();
}
