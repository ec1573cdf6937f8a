// The libraries shipped in data/lib: every one loads with its header, and
// every expression is one the calculator accepts and computes.
#include "tools/model/uPrehliadacVyrazov.h"

#include "core/Analyzator.h"
#include "core/uCalculation.h"
#include "core/uCommon.h"
#include "core/uVariableManager.h"
#include "platform/Classes.h"
#include "tests/support/EngineState.h"

#include <QDir>
#include <QDomNodeList>

#include <gtest/gtest.h>

namespace {

QString SampleFolder()
{
    return qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/lib/");
}

class Samples : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetEngineState();
        // The constants every program has, whatever the user's file holds.
        Constants.Add(QStringLiteral("$pi"), QStringLiteral("3.14159265358979"));
        Constants.Add(QStringLiteral("$e"), QStringLiteral("2.71828182845905"));
        ConstantItems = &Constants;
        QString failed;
        viewer.LoadLibraries(SampleFolder(), failed);
        ASSERT_EQ(failed, "");
    }
    void TearDown() override { ResetEngineState(); }

    TConstantItemList Constants;
    KExpressionViewer viewer;
};

} // namespace

TEST_F(Samples, EveryLibraryHasItsHeader)
{
    ASSERT_GE(viewer.Count(), 2);
    QStringList names;
    for (int i = 0; i < viewer.Count(); ++i) {
        TLibraryInfo info;
        viewer.Library(i)->ReadLibraryInfo(info);
        EXPECT_FALSE(info.Name.isEmpty()) << info.FileName.toStdString();
        EXPECT_FALSE(info.Author.isEmpty()) << info.FileName.toStdString();
        EXPECT_FALSE(info.Description.isEmpty()) << info.FileName.toStdString();
        names << info.Name;
    }
    EXPECT_TRUE(names.contains("Geometry"));
    EXPECT_TRUE(names.contains("Physics"));
}

TEST_F(Samples, EveryExpressionChecksAndComputes)
{
    int count = 0;
    for (int i = 0; i < viewer.Count(); ++i) {
        TKniznicaVyrazov *lib = viewer.Library(i);
        const QDomNodeList exprs = lib->GetDocumentElement().elementsByTagName(QStringLiteral("expr"));
        for (int k = 0; k < exprs.count(); ++k, ++count) {
            QString name, notation, description;
            TStringList vars;
            lib->ReadExpressionNode(exprs.item(k).toElement(), name, notation, description, vars);
            const std::string where = (name + QStringLiteral(": ") + notation).toStdString();
            // What the calculator receives: the text after the first "=".
            const QString text = notation.mid(notation.indexOf(u'=') + 1);

            TCalculationError err;
            CheckRealSyntax(text, err, FunctionNames());
            EXPECT_EQ(err.ErrorCode, 0) << where;

            // Every variable it needs is described.
            TStringList needed;
            CollectVariables(text, needed, QString());
            ASSERT_GT(needed.Count(), 0) << where;
            for (const QString &var : needed.Lines())
                EXPECT_GE(vars.IndexOfName(var), 0) << where << " lacks " << var.toStdString();

            TVariableManager::Instance()->Clear();
            for (const QString &var : needed.Lines())
                TVariableManager::Instance()->SetValue(var, QStringLiteral("0.5"));
            const TCalculationOutcome outcome = CalculateExpression(text);
            EXPECT_TRUE(outcome.Ok()) << where << " gives code " << int(outcome.Error.ErrorCode);
        }
    }
    EXPECT_GE(count, 50);
}
