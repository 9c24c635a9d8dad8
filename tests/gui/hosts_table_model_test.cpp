// The hosts table model keeps the contract every Qt view relies on through
// each change the editor makes to it.

#include "vendrel/hosts_table_model.h"

#include "core/hosts/hosts_loader.h"

#include <QAbstractItemModelTester>
#include <QStringList>

#include <gtest/gtest.h>

using namespace vendrel::gui; // the editor's classes

namespace {

// Collects the model tester's complaints, which it reports as warnings.
QStringList complaints;

void collectComplaint(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        complaints.append(message);
}

TEST(HostsTableModelContract, HoldsThroughEveryKindOfChange)
{
    complaints.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectComplaint);
    {
        vendrel::HostsRows rows;
        HostsTableModel model(rows);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);

        // A wholesale replacement, as a session's load makes it.
        model.rowsAboutToBeReplaced();
        rows = vendrel::parseHostsText("127.0.0.1 localhost\r\n0.0.0.0 ads.example\r\n# note\r\n", "hosts").rows;
        model.rowsReplaced();
        model.appendRow("0.0.0.0", "new.example");
        model.setData(model.index(1, 1), QStringLiteral("typed.example"), Qt::EditRole);
        model.setData(model.index(1, 1), QByteArray("ads.example"), HostsTableModel::CellBytesRole);
        model.changeRow(2, [](vendrel::HostsRows& rows, std::size_t row) { rows.setCell(row, 0, "#"); });
        model.deleteRow(0);
        model.rowsAboutToBeReplaced();
        rows.appendRow("0.0.0.0", "more.example");
        model.rowsReplaced();
        model.rowsAboutToBeReplaced();
        rows = vendrel::HostsRows(40);
        model.rowsReplaced();
        while (model.rowCount() > 1)
            model.deleteRow(model.rowCount() - 1);
        model.deleteRow(0);
        EXPECT_EQ(model.rowCount(), 1) << "the only row stays";
        EXPECT_EQ(model.columnCount(), 2);
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(complaints.isEmpty()) << complaints.join(QLatin1Char('\n')).toStdString();
}

} // namespace
