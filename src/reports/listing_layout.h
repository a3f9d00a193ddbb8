#pragma once

#include "reports/export_selection.h"

#include <QString>

class Assessment;
class ListingCanvas;

// The printed reference listings: requirements, drivers, attributes in use
// and the control catalogue, each starting on a new page whose boxed header
// carries the date, the page number, the listing's title and the
// assessment's name.
namespace ReferenceListings {

enum class Sorting { Identifier, Division, Activity };

struct Options {
    ReportSelection selection;
    Sorting sorting = Sorting::Identifier;
    QString date; // the date as printed in the page header
};

struct Result {
    int pages[4] = { 0, 0, 0, 0 }; // pages of the requirements, drivers, attributes and controls listings
    int totalPages() const { return pages[0] + pages[1] + pages[2] + pages[3]; }
};

// The date of today in the system's short form.
QString today();

// Draws the ticked listings on the canvas. Walked tables are left on their
// first record with their sort expression empty. A listing that passes no
// record draws nothing.
Result print(Assessment& assessment, const Options& options, ListingCanvas& canvas);

}
