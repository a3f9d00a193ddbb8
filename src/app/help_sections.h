#pragma once

#include <QString>

#include <span>

// Where F1 opens the user guide: each tab's section, keyed by the tab page's
// object name. The guide (docs/Quarrix.html) carries each anchor as an id.
namespace HelpSections {

struct Section {
    const char* pageName;
    const char* anchor;
};

std::span<const Section> all();
// The anchor of the tab page's section; empty (the guide's top) for a page
// the guide has no section for.
QString anchorFor(const QString& pageName);

}
