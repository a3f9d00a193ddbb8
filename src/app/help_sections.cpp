#include "app/help_sections.h"

namespace HelpSections {

namespace {

constexpr Section kSections[] = {
    { "TabSheet9", "tab-project" },
    { "TabSheet1", "tab-requirements" },
    { "TabSheet2", "tab-drivers" },
    { "AttributeTab", "tab-business-attributes" },
    { "TabSheet4", "tab-security-attributes" },
    { "TabSheet10", "tab-applications" },
    { "TabSheet6", "tab-reports" },
    { "TabSheet7", "tab-attributes-database" },
    { "TabSheet5", "tab-controls-database" },
    { "TabSheet3", "tab-upload" },
    { "TabSheet8", "tab-system" },
};

}

std::span<const Section> all()
{
    return kSections;
}

QString anchorFor(const QString& pageName)
{
    for (const Section& section : kSections)
        if (pageName == QLatin1String(section.pageName))
            return QString::fromLatin1(section.anchor);
    return {};
}

}
