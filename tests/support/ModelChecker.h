#pragma once

#include <QAbstractItemModelTester>
#include <QLoggingCategory>

#include <gtest/gtest.h>

// Qt's model tester watching a model for the life of a test: every inconsistency it finds in what
// the model tells its views (indexes, parents, row counts, change signals) fails the test.
class ModelChecker {
public:
    explicit ModelChecker(QAbstractItemModel* model)
        : m_previous(qInstallMessageHandler(&ModelChecker::report))
        , m_tester(model, QAbstractItemModelTester::FailureReportingMode::Warning)
    {
    }
    ~ModelChecker() { qInstallMessageHandler(m_previous); }
    ModelChecker(const ModelChecker&) = delete;
    ModelChecker& operator=(const ModelChecker&) = delete;

private:
    static void report(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type >= QtWarningMsg && context.category && QLatin1String(context.category) == QLatin1String("qt.modeltest"))
            ADD_FAILURE() << "model tester: " << message.toStdString();
    }

    QtMessageHandler m_previous;
    QAbstractItemModelTester m_tester;
};
