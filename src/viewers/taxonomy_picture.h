#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

class Store;

// The attribute taxonomy as the References window draws it: the loaded
// attributes by tier and group. Reading and laying out know nothing of
// fonts or widgets; painting turns the laid-out boxes into an image.
namespace TaxonomyPicture {

struct Group {
    QString name;
    QStringList attributes;
};
struct Tier {
    QString name; // the tier word: "Business", "Technical", "Security" or another
    std::vector<Group> groups;
};
// The three tiers first, in that order, then any other tier word in the
// order met; groups and attributes in the catalogue's key order.
std::vector<Tier> read(Store& store);

struct Box {
    enum Kind { Title, Band, Group, GroupCaption, Attribute, More, Note };
    Kind kind;
    QRect rect;
    QString text;
    int tier = -1; // the tier the box belongs to (its colour), -1 for none
};
// Lays the tiers out on a picture of the given size: one band per tier, its
// groups side by side in rows, each group's attributes under its caption. A
// group with more attributes than its box holds ends with "+ N more". With no
// attribute at all, a note says how to load a taxonomy.
std::vector<Box> layout(const std::vector<Tier>& tiers, const QSize& size);

// Draws the boxes; a text wider than its box is cut with an ellipsis.
QImage paint(const std::vector<Box>& boxes, const QSize& size);

}
