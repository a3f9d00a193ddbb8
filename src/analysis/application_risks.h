#pragma once

#include <QHash>
#include <QString>
#include <array>
#include <vector>

class Store;

// One risk entry of an application's attribute, as the Applications tab
// stores it, with its score: likelihood times impact, each rated Low 1,
// Medium 2, High 3. An entry with any other rating is unrated (score 0).
struct ScoredRisk {
    QString application;
    QString attribute;
    QString likelihood;
    QString impact;
    QString risk; // the threat and risk text
    int score = 0;

    bool rated() const { return score > 0; }
    // "High" for 6 to 9, "Medium" for 3 and 4, "Low" for 1 and 2, "Unrated".
    QString level() const;
};

// The risk entries of every application (the Applications tab lists them all,
// whatever the division filter), in the applications' stored order and each
// application's entries in stored order. Entries filed under an application
// that no longer exists are left out.
class ApplicationRisks {
public:
    static ApplicationRisks read(Store& store);

    const std::vector<ScoredRisk>& entries() const { return m_entries; }
    // The entries of one attribute, in the order above.
    std::vector<const ScoredRisk*> of(const QString& attribute) const;
    // The rated entries counted by likelihood (rows) and impact (columns),
    // Low first: counts[likelihood - 1][impact - 1].
    using Matrix = std::array<std::array<int, 3>, 3>;
    Matrix matrix() const;
    int unratedCount() const;

private:
    std::vector<ScoredRisk> m_entries;
    QHash<QString, std::vector<size_t>> m_byAttribute;
};
