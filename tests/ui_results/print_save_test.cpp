// Printing and saving the tables with what the dialogs propose: the print
// dialog's defaults write the PDF file the dialog shows (the real dialog and
// the real printer, with no printer installed), the print job is named
// without the window's path, and a table file is proposed under a real name
// that counts up (Tab1.csv, Tab2.csv, ...; Rg1.txt).
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "analysis/ui/FrmReGroup.h"
#include "analysis/ui/frmGResults.h"
#include "app/MDIFrmMain.h"
#include "shell/widgets/FlexGrid.h"
#include "shell/widgets/grid_export.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui_results/results_test_support.h"

namespace {

struct PrintFixture {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain main;
    QString output() const { return home.dir.path() + "/Output"; }

    frmGResults* results() {
        auto* w = qobject_cast<frmGResults*>(main.openWindow(frmGResults::kKind));
        if (w)
            main.showChild(w);
        return w;
    }
    FrmReGroup* regrouped(const QString& file) {
        auto* w = qobject_cast<FrmReGroup*>(main.openWindow(FrmReGroup::kKind));
        if (!w)
            return nullptr;
        main.showChild(w);
        if (!w->openResultsFile(file))
            return nullptr;
        for (int g = 0; w->ListLU->count() > 0; g = std::min(g + 1, 5)) {
            w->ListLU->setCurrentRow(0);
            w->Image1[g]->click();
        }
        w->cmdCalculate->click();
        main.jobs().waitForEnd();
        QCoreApplication::processEvents();
        return w->tableShown() ? w : nullptr;
    }
};

struct PrintOutcome {
    QString shownFile;  // the file the dialog proposed
    QString warning;    // a refusal of the dialog, if any
    bool dialogSeen = false;
};

// Presses the real print dialog's print button without changing anything;
// a warning the dialog raises is noted and the dialog cancelled.
PrintOutcome printWithDefaults(ScriptedDialogs& scripted, QPushButton* print) {
    PrintOutcome out;
    rivulon::ui::setDialogHandler(nullptr);
    onNextModal([&out](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        out.dialogSeen = true;
        if (auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename")))
            out.shownFile = file->text();
        auto* watch = new QTimer(dialog);
        watch->setInterval(10);
        QObject::connect(watch, &QTimer::timeout, [&out, dialog, watch] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            watch->stop();
            out.warning = box->text();
            box->reject();
            QTimer::singleShot(0, dialog, &QDialog::reject);
        });
        watch->start();
        for (QDialogButtonBox* buttons : dialog->findChildren<QDialogButtonBox*>()) {
            for (QAbstractButton* b : buttons->buttons()) {
                if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole) {
                    b->click();
                    return;
                }
            }
        }
    });
    print->click();
    rivulon::ui::setDialogHandler(&scripted);
    return out;
}

bool isPdf(const QString& path) {
    return readBytes(path).startsWith("%PDF");
}

}  // namespace

TEST(PrintDefaults, MonthlySummaryAndRegroupedTablesWriteTheFileShown) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "a printer is installed; this test never prints on paper";
    ASSERT_TRUE(ExampleResults::get().ok);
    const ExampleResults& ex = ExampleResults::get();
    PrintFixture f;
    frmGResults* w = f.results();
    ASSERT_NE(w, nullptr);

    ASSERT_TRUE(w->GraphMonthly(1, w->GridOut, ex.results(4)));
    PrintOutcome monthly = printWithDefaults(f.dialogs, w->CmdPrintGrid);
    ASSERT_TRUE(monthly.dialogSeen);
    EXPECT_EQ(monthly.warning, "");
    EXPECT_EQ(monthly.shownFile, f.output() + "/Monthly Data and Graph.pdf");
    EXPECT_TRUE(isPdf(monthly.shownFile)) << monthly.shownFile.toStdString();

    ASSERT_TRUE(w->GraphSummary(ex.summary(4)));
    PrintOutcome summary = printWithDefaults(f.dialogs, w->CmdPrintGrid);
    EXPECT_EQ(summary.warning, "");
    EXPECT_EQ(summary.shownFile, f.output() + "/Summary Data and Graph.pdf");
    EXPECT_TRUE(isPdf(summary.shownFile));

    FrmReGroup* regroup = f.regrouped(ex.results(4));
    ASSERT_NE(regroup, nullptr);
    PrintOutcome regrouped = printWithDefaults(f.dialogs, regroup->cmdPrint);
    EXPECT_EQ(regrouped.warning, "");
    EXPECT_EQ(regrouped.shownFile, f.output() + "/Regroup land use types.pdf");
    EXPECT_TRUE(isPdf(regrouped.shownFile));
}

// The job name is what a desktop's print dialog turns into its proposed file
// (in the home folder): it carries no path and no colon.
TEST(PrintDefaults, PrintJobIsNamedWithoutThePath) {
    const ExampleResults& ex = ExampleResults::get();
    ASSERT_TRUE(ex.ok);
    PrintFixture f;
    frmGResults* w = f.results();
    ASSERT_TRUE(w->GraphSummary(ex.summary(4)));
    ASSERT_TRUE(w->windowTitle().contains(QLatin1Char('/')));
    w->CmdPrintGrid->click();  // cancelled
    EXPECT_EQ(f.dialogs.printDocName, "Summary Data and Graph");
    EXPECT_EQ(rivulon::ui::printDocumentName("/data/x.txt was loaded in the table.", "Regroup"),
              "Regroup");
    EXPECT_EQ(rivulon::ui::printDocumentName("A <b>|c?*: \\d", "x"), "A bc");
}

TEST(ProposedNames, TablesAreProposedUnderTheNextFreeName) {
    const ExampleResults& ex = ExampleResults::get();
    ASSERT_TRUE(ex.ok);
    PrintFixture f;
    frmGResults* w = f.results();
    ASSERT_TRUE(w->GraphAnnual(ex.results(4)));
    f.dialogs.fileAnswers << f.output() + "/Tab1.csv";
    w->CmdSaveTable->click();
    ASSERT_TRUE(QFile::exists(f.output() + "/Tab1.csv"));
    f.dialogs.fileAnswers << f.output() + "/Tab2.csv";
    w->CmdSaveTable->click();
    w->CmdSaveTable->click();  // cancelled
    EXPECT_EQ(f.dialogs.proposedFiles, (QStringList{"Tab1.csv", "Tab2.csv", "Tab3.csv"}));

    FrmReGroup* regroup = f.regrouped(ex.results(4));
    ASSERT_NE(regroup, nullptr);
    f.dialogs.proposedFiles.clear();
    regroup->cmdSave->click();
    EXPECT_EQ(f.dialogs.proposedFiles, QStringList{"Rg1.txt"});
}
