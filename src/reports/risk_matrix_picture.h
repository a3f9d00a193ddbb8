#pragma once

#include "analysis/application_risks.h"
#include "office/typed_document.h"

#include <QColor>

// The 3x3 risk matrix drawn for the report: likelihood rows (High at the
// top), impact columns (Low at the left), each cell holding the number of
// risk entries rated so and coloured by its score (green 1 to 2, amber 3 to
// 4, red 6 to 9), with the count of unrated entries under it when any.
class RiskMatrixPicture : public TypedDocument::Picture {
public:
    RiskMatrixPicture(const ApplicationRisks::Matrix& counts, int unrated);

    QSizeF size() const override;
    QString description() const override;
    void draw(QPainter& painter, const QRectF& target) const override;

    // The colour of a cell whose likelihood times impact is score.
    static QColor cellColour(int score);

private:
    ApplicationRisks::Matrix m_counts;
    int m_unrated;
};
