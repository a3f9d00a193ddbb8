#pragma once

#include <QString>
#include <optional>

// How a risk entry scores: likelihood times impact, each rated Low 1,
// Medium 2, High 3. Any other text leaves the entry unrated.
namespace RiskScore {
// 1, 2 or 3 for "Low", "Medium", "High"; nothing for any other text.
std::optional<int> rating(const QString& text);
std::optional<int> of(const QString& likelihood, const QString& impact);
}
