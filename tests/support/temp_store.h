#pragma once

#include "store/assessment.h"
#include "support/qt_printers.h"
#include "support/table_rows.h"

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

    QTemporaryDir dir;
    QString path;
    Assessment a;
};
