#pragma once
// A temporary folder for list files, with the extension table the lists
// consult filled.
#include "shared/Tables.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

struct ListFolder : ::testing::Test {
    void SetUp() override { tables::fillExtensionTable(); }
    QTemporaryDir dir;
    QString path(const QString& n) const { return QDir(dir.path()).filePath(n); }
};
