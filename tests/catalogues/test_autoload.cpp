#include "catalogues/attribute_set_import.h"
#include "catalogues/control_set_import.h"
#include "catalogues/starter_sets.h"
#include "sheet_files.h"
#include "support/temp_store.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QDir>
#include <QSet>

namespace {
QString starter(const QString& name)
{
    return QStringLiteral(QUARRIX_SOURCE_DIR "/sets/") + name;
}

void addRow(Table& t, const char* field, const char* value)
{
    t.append();
    t.setText(QString::fromLatin1(field), QString::fromLatin1(value));
    t.post();
}

void setAutoload(Table& sys, const QString& controls, const QString& attributes)
{
    sys.edit();
    sys.setBoolean(QStringLiteral("AutoControl"), !controls.isEmpty());
    sys.setText(QStringLiteral("AutoControlFile"), controls);
    sys.setBoolean(QStringLiteral("AutoAttribute"), !attributes.isEmpty());
    sys.setText(QStringLiteral("AutoAttributeFile"), attributes);
    sys.post();
}
}

using StarterSetsTest = StoreFixture;

// The shipped sets import cleanly: structured control Ids, known tiers, and
// every link names attributes of the right tiers.
TEST_F(StarterSetsTest, ShippedSetsAreConsistent)
{
    EXPECT_GT(importControlSet(a, starter(StarterSets::controlSetName())), 20);
    const QRegularExpression id(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d\\d$"));
    Table& controls = a.controls();
    for (controls.first(); !controls.eof(); controls.next()) {
        EXPECT_TRUE(id.match(controls.text(QStringLiteral("Id"))).hasMatch())
            << controls.text(QStringLiteral("Id")).toStdString();
        EXPECT_FALSE(controls.text(QStringLiteral("control_title")).isEmpty());
    }

    const AttributeImportCounts n = importAttributeSet(a, starter(StarterSets::attributeSetName()));
    EXPECT_GT(n.attributes, 20);
    QHash<QString, QString> tierOf;
    Table& att = a.attribute();
    for (att.first(); !att.eof(); att.next())
        tierOf.insert(att.text(QStringLiteral("Attribute")), att.text(QStringLiteral("Tier")));
    EXPECT_EQ(QSet<QString>(tierOf.cbegin(), tierOf.cend()),
        QSet<QString>({ QStringLiteral("Business"), QStringLiteral("Technical"), QStringLiteral("Security") }));
    auto checkLinks = [&](Table& t, const char* from, const char* to, const char* fromTier, const char* toTier) {
        EXPECT_GT(t.recordCount(), 10);
        for (t.first(); !t.eof(); t.next()) {
            EXPECT_EQ(tierOf.value(t.text(QString::fromLatin1(from))), QString::fromLatin1(fromTier))
                << t.text(QString::fromLatin1(from)).toStdString();
            EXPECT_EQ(tierOf.value(t.text(QString::fromLatin1(to))), QString::fromLatin1(toTier))
                << t.text(QString::fromLatin1(to)).toStdString();
        }
    };
    checkLinks(a.businessToTechnical(), "BusAtt", "TechAtt", "Business", "Technical");
    checkLinks(a.technicalToSecurity(), "TechAtt", "SecAtt", "Technical", "Security");
}

TEST_F(StarterSetsTest, DefaultsPointAtTheSetsOnlyWhenTheyArePresent)
{
    Table& sys = a.system();
    EXPECT_FALSE(StarterSets::applyAutoloadDefaults(a, dir.filePath(QStringLiteral("nowhere"))));
    EXPECT_FALSE(sys.boolean(QStringLiteral("AutoControl")));
    EXPECT_TRUE(sys.text(QStringLiteral("AutoControlFile")).isEmpty());

    ASSERT_TRUE(StarterSets::applyAutoloadDefaults(a, QStringLiteral(QUARRIX_SOURCE_DIR "/sets")));
    const QString controls = sys.text(QStringLiteral("AutoControlFile"));
    const QString attributes = sys.text(QStringLiteral("AutoAttributeFile"));
    EXPECT_TRUE(sys.boolean(QStringLiteral("AutoControl")));
    EXPECT_TRUE(sys.boolean(QStringLiteral("AutoAttribute")));
    if (QStringLiteral(QUARRIX_SOURCE_DIR "/sets/starter_attributes.xlsx").size() <= 80) {
        EXPECT_EQ(QDir::cleanPath(controls), QDir::cleanPath(starter(StarterSets::controlSetName())));
        EXPECT_EQ(QDir::cleanPath(attributes), QDir::cleanPath(starter(StarterSets::attributeSetName())));
    }

    // A folder whose path does not fit the field is stored by its relative form.
    const QString deep = dir.filePath(QStringLiteral("a-folder-with-a-rather-long-name/and-another-long-one/sets"));
    ASSERT_TRUE(QDir().mkpath(deep));
    for (const QString& name : { StarterSets::controlSetName(), StarterSets::attributeSetName() })
        ASSERT_TRUE(QFile::copy(starter(name), deep + QLatin1Char('/') + name));
    ASSERT_TRUE(StarterSets::applyAutoloadDefaults(a, deep));
    EXPECT_EQ(sys.text(QStringLiteral("AutoControlFile")), QStringLiteral("sets/starter_controls.xlsx"));
    EXPECT_EQ(sys.text(QStringLiteral("AutoAttributeFile")), QStringLiteral("sets/starter_attributes.xlsx"));
}

class NewDatabase : public WindowFixture { };

// New Database empties the tables and loads the control set, then the attribute set.
TEST_F(NewDatabase, AutoloadsControlSetThenAttributeSet)
{
    Assessment& a = window->assessment();
    const QString controls = dir.filePath(QStringLiteral("c.xlsx"));
    const QString attributes = dir.filePath(QStringLiteral("a.xlsx"));
    writeSheet(controls, { { "01.01.01", nullptr, "S", "O", "", "C", "" } });
    writeSheet(attributes, { { "G", 1.0, "Avail", "Business" }, { "Avail", nullptr, "Tech", "BUSTOTECH" }, { "END" } });
    addRow(a.requirements(), "RSeq", "BR1.01");
    addRow(a.businessToTechnical(), "BusAtt", "stale");

    setAutoload(a.system(), controls, attributes);
    a.setWorkArchived(true); // the work is in an archive: New Database only confirms
    // The analyst keeps the assessment: nothing is cleared or loaded.
    dialogs->answers = { false };
    action("NewDatabase1")->trigger();
    EXPECT_EQ(dialogs->questions, QStringList { "Clear the whole assessment?" });
    EXPECT_EQ(a.requirements().recordCount(), 1);
    EXPECT_EQ(a.controls().recordCount(), 0);

    dialogs->answers = { true };
    action("NewDatabase1")->trigger();
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(a.requirements().recordCount(), 0);
    EXPECT_EQ(a.controls().recordCount(), 1);
    EXPECT_EQ(a.attribute().recordCount(), 1);
    EXPECT_EQ(a.businessToTechnical().recordCount(), 1); // links start from empty
    EXPECT_TRUE(window->assessment().workArchived());
    EXPECT_EQ(dialogs->waitDepth, 0);

    // A control set that cannot be read stops New Database before the attribute set.
    setAutoload(a.system(), dir.filePath(QStringLiteral("missing.xlsx")), attributes);
    dialogs->answers = { true };
    action("NewDatabase1")->trigger();
    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors.first().contains(QStringLiteral("missing.xlsx")));
    EXPECT_EQ(a.controls().recordCount(), 0);
    EXPECT_EQ(a.attribute().recordCount(), 0);

    // Autoload off: the tables stay empty.
    setAutoload(a.system(), QString(), QString());
    dialogs->answers = { true };
    action("NewDatabase1")->trigger();
    EXPECT_EQ(dialogs->errors.size(), 1);
    EXPECT_EQ(a.controls().recordCount(), 0);
}
