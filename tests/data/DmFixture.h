#pragma once
// A fresh database made by the installation's own schema in a temporary
// folder, and a data module connected to it with every dataset open, as the
// login leaves it. Message boxes are answered by the test.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "data/unDM.h"
#include "dbtool/DbBuilder.h"
#include "platform/ui/Forms.h"

struct AskedBox {
    QString Text, Caption;
    int Flags = 0;
};

class DmFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file;
    std::unique_ptr<TDM> dm;
    std::vector<AskedBox> asked;
    int answer = IDYES;

    void SetUp() override;
    void TearDown() override;
    void Connect(const QString& password = QString());
    void OpenDataSets();
    // Runs a statement on the data module's connection.
    void Exec(const QString& sql);
    // The first column of the first row of a query.
    Variant Scalar(const QString& sql);
};
