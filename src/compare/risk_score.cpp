#include "compare/risk_score.h"

namespace RiskScore {

std::optional<int> rating(const QString& text)
{
    if (text == QLatin1String("Low"))
        return 1;
    if (text == QLatin1String("Medium"))
        return 2;
    if (text == QLatin1String("High"))
        return 3;
    return std::nullopt;
}

std::optional<int> of(const QString& likelihood, const QString& impact)
{
    const std::optional<int> l = rating(likelihood);
    const std::optional<int> i = rating(impact);
    if (!l || !i)
        return std::nullopt;
    return *l * *i;
}

}
