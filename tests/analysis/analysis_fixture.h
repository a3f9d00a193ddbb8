#pragma once

#include "gui/data_grid.h"
#include "store/line_list.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <initializer_list>

// A window over a small assessment: two divisions (one with an apostrophe),
// a requirement and a driver in each, a taxonomy whose business attributes
// reach three security attributes, and a control catalogue of two objectives
// plus one more section.
class AnalysisFixture : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        Assessment& a = window->assessment();
        a.system().edit();
        a.system().setText(QStringLiteral("Divisions"),
            LineList::build({ QStringLiteral("North"), QStringLiteral("Harbour's Edge") }));
        a.system().post();
        window->rebuildDivisionFilter({ QStringLiteral("North"), QStringLiteral("Harbour's Edge") });
        addRow(a.requirements(), { { "RSeq", "BR1.01" }, { "Requirement", "Grow sales" }, { "Division", "North" } });
        addRow(a.requirements(),
            { { "RSeq", "BR2.01" }, { "Requirement", "Keep boats afloat" }, { "Division", "Harbour's Edge" } });
        addRow(a.drivers(),
            { { "CSeq", "BD1.01" }, { "Driver", "Grow" }, { "Division", "North" },
                { "Requirement", "BR1.01: Grow sales\r\n" } });
        addRow(a.drivers(), { { "CSeq", "BD2.01" }, { "Driver", "Sail" }, { "Division", "Harbour's Edge" } });
        a.drivers().first();
        for (auto [grAtt, name, group, tier] : { std::tuple { "01Agile", "Agile", "Agility", "Business" },
                 { "01Head Office", "Head Office", "Agility", "Business" },
                 { "02Brand", "Brand", "Branding", "Business" }, { "10App", "App", "Tech", "Technical" },
                 { "10Net", "Net", "Tech", "Technical" }, { "20Access", "Access", "Protect", "Security" },
                 { "20Audit", "Audit", "Protect", "Security" }, { "20Crypto", "Crypto", "Protect", "Security" } })
            addRow(a.attribute(), { { "GrAtt", grAtt }, { "Attribute", name }, { "Group", group }, { "Tier", tier } });
        for (auto [bus, tech] : { std::pair { "Agile", "Net" }, { "Brand", "App" }, { "Head Office", "Net" } })
            addRow(a.businessToTechnical(), { { "BusAtt", bus }, { "TechAtt", tech } });
        for (auto [tech, sec] : { std::pair { "Net", "Access" }, { "App", "Audit" }, { "App", "Crypto" } })
            addRow(a.technicalToSecurity(), { { "TechAtt", tech }, { "SecAtt", sec } });
        for (auto [id, sub, title] :
            { std::tuple { "01.01.01", "Policy", "Policy document" }, { "01.01.02", "Policy", "Policy review" },
                { "01.02.01", "Organisation", "Roles" }, { "02.01.01", "Assets", "Asset list" } })
            addRow(a.controls(), { { "Id", id }, { "subsection_title", sub }, { "control_title", title } });
    }

    Assessment& store() { return window->assessment(); }

    void addProfile(const char* cseq, const char* attribute, int priority)
    {
        Table& t = store().driverProfiles();
        t.append();
        t.setText(QStringLiteral("CSeq"), QString::fromLatin1(cseq));
        t.setText(QStringLiteral("Attribute"), QString::fromLatin1(attribute));
        t.setInteger(QStringLiteral("Priority"), priority);
        t.post();
    }

    void clickItem(const char* listName, int row)
    {
        auto* list = find<QListWidget>(listName);
        ASSERT_TRUE(list);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }

    static QStringList items(const QListWidget* list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    static QStringList items(const QComboBox* box)
    {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }

    // A column of a table's visible rows.
    static QStringList column(Table& t, const char* field)
    {
        QStringList out;
        for (int row = 0; row < t.recordCount(); ++row)
            out << t.textAt(row, t.fieldIndex(QString::fromLatin1(field)));
        return out;
    }

    // A field of the Attribute row with that name, wherever the table's filter stands.
    QString attributeField(const char* name, const char* field)
    {
        Assessment check;
        QString error;
        EXPECT_TRUE(check.open(storePath, false, &error));
        Table& t = check.attribute();
        EXPECT_TRUE(t.locate(QStringLiteral("Attribute"), { QString::fromLatin1(name) }));
        return t.text(QString::fromLatin1(field));
    }

    // Types into a memo as the analyst would.
    static void type(QPlainTextEdit* memo, const QString& text)
    {
        memo->setFocus();
        QTest::keyClicks(memo, text);
    }
};
