#pragma once

#include <QString>

class Assessment;

// Writes a deterministic assessment of a given size straight into a store,
// for benchmarks and large-data tests.
struct FixtureSize {
    int requirements;
    int drivers;
    int attributesPerTier; // business, technical and security attributes each
    int profileRows; // DrAtt rows
    int controls;
    int applications;
};

namespace Fixture {
FixtureSize small(); // S
FixtureSize medium(); // M
FixtureSize large(); // L: 5,000 requirements, 1,000 drivers, 400 attributes, 20,000 profile rows, 2,000 controls
FixtureSize extraLarge(); // XL: ten times L
FixtureSize byName(const QString& name); // "S", "M", "L" or "XL"
void generate(Assessment& assessment, const FixtureSize& size);
}
