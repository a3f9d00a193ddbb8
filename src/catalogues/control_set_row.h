#pragma once

#include <QString>
#include <vector>

// One control of a control set, field by field as a Controls record holds it.
// The spreadsheet and the catalog readers both produce these; one writer
// stores them. An empty xid stands for the id, as an empty library-reference
// cell does.
struct ControlSetRow {
    QString id;
    QString xid;
    QString sectionTitle;
    QString subsectionTitle;
    QString subsection;
    QString controlTitle;
    QString control;
};

using ControlSetRows = std::vector<ControlSetRow>;
