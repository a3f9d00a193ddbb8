#include "viewers/taxonomy_picture.h"

#include "store/sql_statement.h"
#include "store/store.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace TaxonomyPicture {

namespace {

const QStringList kTierOrder = { QStringLiteral("Business"), QStringLiteral("Technical"), QStringLiteral("Security") };

const int kMargin = 14;
const int kTitleHeight = 36;
const int kBandHeight = 26;
const int kGap = 8;
const int kCaptionHeight = 22;
const int kPitch = 21; // one attribute row
const int kRowHeight = 17;
const int kPadding = 6; // inside a group box
const int kMinGroupWidth = 118;

Group& groupOf(Tier& tier, const QString& name)
{
    for (Group& g : tier.groups)
        if (g.name == name)
            return g;
    tier.groups.push_back({ name, {} });
    return tier.groups.back();
}

int columnsFor(const Tier& tier, int width)
{
    const int fit = std::max(1, (width + kGap) / (kMinGroupWidth + kGap));
    return std::max(1, std::min(int(tier.groups.size()), fit));
}

int groupRowsFor(const Tier& tier, int columns)
{
    return (int(tier.groups.size()) + columns - 1) / columns;
}

// The attribute rows a tier's tallest group would need, row of groups by row.
std::vector<int> neededRows(const Tier& tier, int columns)
{
    std::vector<int> rows(groupRowsFor(tier, columns), 1);
    for (size_t i = 0; i < tier.groups.size(); ++i)
        rows[i / columns] = std::max(rows[i / columns], int(tier.groups[i].attributes.size()));
    return rows;
}

QString tierCaption(const QString& tier)
{
    return QStringLiteral("%1 attributes").arg(tier);
}

}

std::vector<Tier> read(Store& store)
{
    std::vector<Tier> tiers;
    for (const QString& name : kTierOrder)
        tiers.push_back({ name, {} });
    SqlStatement& query = store.cached(QStringLiteral("SELECT COALESCE(Tier,''), COALESCE(\"Group\",''), "
                                                      "COALESCE(Attribute,'') FROM Attribute ORDER BY GrAtt, rowid"));
    query.eachRow([&](SqlStatement& s) {
        const QString tierName = s.text(0).trimmed();
        auto tier = std::find_if(tiers.begin(), tiers.end(),
            [&](const Tier& t) { return t.name.compare(tierName, Qt::CaseInsensitive) == 0; });
        if (tier == tiers.end()) {
            tiers.push_back({ tierName, {} });
            tier = tiers.end() - 1;
        }
        groupOf(*tier, s.text(1)).attributes << s.text(2);
    });
    // Another tier word shows only when it has attributes; the three always do.
    tiers.erase(
        std::remove_if(tiers.begin() + kTierOrder.size(), tiers.end(), [](const Tier& t) { return t.groups.empty(); }),
        tiers.end());
    return tiers;
}

std::vector<Box> layout(const std::vector<Tier>& tiers, const QSize& size)
{
    std::vector<Box> boxes;
    const int width = size.width() - 2 * kMargin;
    boxes.push_back(
        { Box::Title, QRect(kMargin, kMargin / 2, width, kTitleHeight), QStringLiteral("Attribute Taxonomy") });
    const bool any = std::any_of(tiers.begin(), tiers.end(), [](const Tier& t) { return !t.groups.empty(); });
    if (!any) {
        boxes.push_back({ Box::Note, QRect(kMargin, size.height() / 2 - 20, width, 40),
            QStringLiteral(
                "No attribute taxonomy is loaded. Import an attribute set on the Attributes Database tab.") });
        return boxes;
    }

    // Each band needs its header and, per row of groups, a caption and
    // padding; what is left is shared out in attribute rows, each band
    // getting rows in proportion to what its groups hold.
    const int top = kMargin / 2 + kTitleHeight + kGap;
    const int room = size.height() - top - kMargin;
    int fixed = 0;
    int wanted = 0;
    std::vector<std::vector<int>> needs;
    for (const Tier& tier : tiers) {
        const std::vector<int> rows
            = tier.groups.empty() ? std::vector<int> {} : neededRows(tier, columnsFor(tier, width));
        needs.push_back(rows);
        fixed += kBandHeight + kGap + int(rows.size()) * (kCaptionHeight + kPadding + kGap);
        for (int r : rows)
            wanted += r;
    }
    const int rowsRoom = std::max(0, (room - fixed) / kPitch);
    const double share = wanted <= rowsRoom ? 1.0 : double(rowsRoom) / wanted;

    int y = top;
    for (size_t t = 0; t < tiers.size(); ++t) {
        const Tier& tier = tiers[t];
        boxes.push_back({ Box::Band, QRect(kMargin, y, width, kBandHeight), tierCaption(tier.name), int(t) });
        y += kBandHeight + kGap;
        if (tier.groups.empty())
            continue;
        const int columns = columnsFor(tier, width);
        const int groupWidth = (width - (columns - 1) * kGap) / columns;
        for (size_t r = 0; r < needs[t].size(); ++r) {
            const int rows = std::max(1, int(needs[t][r] * share));
            const int height = kCaptionHeight + rows * kPitch + kPadding;
            for (int c = 0; c < columns; ++c) {
                const size_t index = r * columns + c;
                if (index >= tier.groups.size())
                    break;
                const Group& group = tier.groups[index];
                const int x = kMargin + c * (groupWidth + kGap);
                boxes.push_back({ Box::Group, QRect(x, y, groupWidth, height), QString(), int(t) });
                boxes.push_back({ Box::GroupCaption,
                    QRect(x + kPadding, y + 2, groupWidth - 2 * kPadding, kCaptionHeight - 2), group.name, int(t) });
                const int count = int(group.attributes.size());
                const int shown = count <= rows ? count : rows - 1;
                int line = y + kCaptionHeight;
                for (int a = 0; a < shown; ++a, line += kPitch)
                    boxes.push_back({ Box::Attribute, QRect(x + kPadding, line, groupWidth - 2 * kPadding, kRowHeight),
                        group.attributes[a], int(t) });
                if (shown < count)
                    boxes.push_back({ Box::More, QRect(x + kPadding, line, groupWidth - 2 * kPadding, kRowHeight),
                        QStringLiteral("+ %1 more").arg(count - shown), int(t) });
            }
            y += height + kGap;
        }
    }
    return boxes;
}

QImage paint(const std::vector<Box>& boxes, const QSize& size)
{
    const QColor tierColours[] = { QColor(0, 0, 128), QColor(0, 0, 255), QColor(74, 111, 165) };
    const auto colourOf = [&](int tier) { return tier >= 0 && tier < 3 ? tierColours[tier] : QColor(96, 96, 96); };
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont plain(QStringLiteral("DejaVu Sans"));
    plain.setPixelSize(11);
    QFont bold = plain;
    bold.setBold(true);
    bold.setPixelSize(13);
    QFont title = bold;
    title.setPixelSize(22);
    const auto text = [&](const QRect& rect, const QString& s, const QFont& font, const QColor& colour, int flags) {
        p.setFont(font);
        p.setPen(colour);
        p.drawText(rect, flags, QFontMetrics(font).elidedText(s, Qt::ElideRight, rect.width()));
    };
    for (const Box& b : boxes) {
        const QColor colour = colourOf(b.tier);
        switch (b.kind) {
        case Box::Title:
            text(b.rect, b.text, title, QColor(0, 0, 128), Qt::AlignLeft | Qt::AlignVCenter);
            break;
        case Box::Band:
            p.fillRect(b.rect, colour);
            text(b.rect.adjusted(8, 0, -8, 0), b.text, bold, Qt::white, Qt::AlignLeft | Qt::AlignVCenter);
            break;
        case Box::Group:
            p.setPen(colour);
            p.setBrush(QColor(238, 243, 251));
            p.drawRect(b.rect.adjusted(0, 0, -1, -1));
            break;
        case Box::GroupCaption:
            text(b.rect, b.text, bold, colour, Qt::AlignLeft | Qt::AlignVCenter);
            break;
        case Box::Attribute:
            p.fillRect(b.rect, QColor(166, 202, 240));
            text(b.rect.adjusted(4, 0, -4, 0), b.text, plain, Qt::black, Qt::AlignLeft | Qt::AlignVCenter);
            break;
        case Box::More:
            text(b.rect.adjusted(4, 0, -4, 0), b.text, plain, QColor(64, 64, 64), Qt::AlignLeft | Qt::AlignVCenter);
            break;
        case Box::Note:
            text(b.rect, b.text, plain, QColor(64, 64, 64), Qt::AlignCenter);
            break;
        }
    }
    return image;
}

}
