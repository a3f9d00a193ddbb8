#include "app/help_sections.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

// The guide F1 opens holds a section for every anchor the window asks for,
// and every picture it shows ships beside it.
TEST(UserGuide, HoldsEveryAnchorTheWindowOpensAndEveryPictureItShows)
{
    const QString folder = QStringLiteral(QUARRIX_SOURCE_DIR "/docs");
    QFile file(folder + QStringLiteral("/Quarrix.html"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());

    QSet<QString> ids;
    for (const auto& match : QRegularExpression(QStringLiteral("\\bid=\"([^\"]+)\"")).globalMatch(html))
        ids.insert(match.captured(1));
    for (const HelpSections::Section& section : HelpSections::all())
        EXPECT_TRUE(ids.contains(QString::fromLatin1(section.anchor))) << section.pageName;
    // The table of contents points at sections that exist.
    for (const auto& match : QRegularExpression(QStringLiteral("href=\"#([^\"]+)\"")).globalMatch(html))
        EXPECT_TRUE(ids.contains(match.captured(1))) << "link to #" << match.captured(1).toStdString();

    QSet<QString> pictures;
    for (const auto& match : QRegularExpression(QStringLiteral("<img[^>]*\\ssrc=\"([^\"]+)\"")).globalMatch(html)) {
        pictures.insert(match.captured(1));
        EXPECT_TRUE(QFileInfo::exists(folder + QLatin1Char('/') + match.captured(1)))
            << match.captured(1).toStdString();
    }
    // Each tab's section shows the tab as the program draws it.
    for (const HelpSections::Section& section : HelpSections::all())
        EXPECT_TRUE(pictures.contains(QStringLiteral("guide/%1.png").arg(QLatin1String(section.anchor))))
            << section.anchor;
}
