#pragma once

#include "store/assessment.h"
#include "support/qt_printers.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// An Assessment over a fresh store in a temporary folder, for logic tests.
class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("Quarrix.mdb"));
        QString error;
        ASSERT_TRUE(a.open(path, true, &error)) << error.toStdString();
    }

    // Appends and posts one record with the given field values.
    static void addRow(Table& t, std::initializer_list<std::pair<const char*, QString>> values)
    {
        t.append();
        for (const auto& [field, value] : values)
            t.setText(QString::fromLatin1(field), value);
        t.post();
    }

    QTemporaryDir dir;
    QString path;
    Assessment a;
};
