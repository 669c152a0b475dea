// The septic-system improvement window on the example project: the worked
// example of two technologies, the update of the septic populations through
// the nutrient editor (a stand-in here), and Close/Run checked against
// `hydload septic` and `hydload run` on the same files.
#include <gtest/gtest.h>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <map>
#include <utility>

#include "analysis/ui/FrmPie.h"
#include "app/MDIFrmMain.h"
#include "scenarios/ui/FrmSeptic.h"
#include "shell/session.h"
#include "shell/window_services.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/window_access.h"

using rivulon::ui::WindowKind;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString hydload(const QStringList& args) {
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + "/hydload", args);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// What `hydload septic` printed after a label.
QString printed(const QString& output, const QString& label) {
    for (const QString& line : output.split('\n')) {
        if (line.startsWith(label)) {
            return line.mid(label.size()).trimmed();
        }
    }
    return {};
}

QStringList comboItems(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

// Stands in for the nutrient editor: records what the window writes into
// its septic page and lets the test close it.
class FakeEditor : public rivulon::ui::NutrientEditorService {
  public:
    int opened = 0;
    std::map<std::pair<int, int>, int> cells;  // (row, month) -> value
    std::function<void(bool, const QString&)> closed;

    void createNew(int, int, const QStringList&) override {}
    bool openSepticOnly() override {
        ++opened;
        return true;
    }
    void setSepticPopulation(int row, int month, int value) override {
        cells[{row, month}] = value;
    }
    void whenClosed(std::function<void(bool, const QString&)> done) override {
        closed = std::move(done);
    }
};

struct SepticFixture {
    ExampleHome home;
    ScriptedDialogs dialogs;
    MDIFrmMain main;
    FrmSeptic* window = nullptr;

    SepticFixture() {
        main.resize(1280, 860);
        startOnProject(main);
        main.runCommand(QStringLiteral("MnuSeptic"));
        window = qobject_cast<FrmSeptic*>(main.findWindow(WindowKind::Septic));
    }
    Session& session() { return main.session(); }
    QString messages() const { return dialogs.messages.join("\n"); }
    // Fills the editing panel and presses OK.
    void panel(const QString& name, const QString& reduction, const QString& share,
               const QString& failure) {
        window->TxtAddTech->setText(name);
        window->TxtAddRed->setText(reduction);
        window->txtAddPop->setText(share);
        window->TxtAddFailure->setText(failure);
        window->cmdOK->click();
    }
};

}  // namespace

TEST(SepticWindow, WorkedExampleOfTwoTechnologies) {
    SepticFixture f;
    ASSERT_NE(f.window, nullptr);
    FrmSeptic& w = *f.window;
    EXPECT_EQ(w.windowTitle(), "Advanced Option: More on Septic Systems");
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(f.dialogs.messages.isEmpty()) << f.messages().toStdString();

    // The populations are the nutrient file's, as hydload septic reads them.
    const QString home = f.home.input() + "/";
    const QString report = hydload({"septic", home + "SepMillbrook.dat", "--nutrient",
                                    home + "Nutrient.dat", "--transport", home + "Transprt.dat"});
    EXPECT_EQ(w.TxtCurPop->text(), printed(report, "Current Population:"));
    EXPECT_EQ(w.TxtCurPop->text(), "5937.25");
    EXPECT_EQ(w.TxtNorm->text(), "5337.5");
    EXPECT_EQ(w.TxtPond->text(), "389.1667");
    EXPECT_EQ(comboItems(w.cboTechName), QStringList{"CurrentDefault 0"});
    EXPECT_EQ(w.txtUseCur->text(), "0.0%");
    EXPECT_EQ(w.TxtNotes->toPlainText(),
              "Method: CurrentDefault 0\nReduces loading by: 0%.\nSystem failure:0%\nUsed by: "
              "100% of people.");

    // The untouched default table: nothing to reduce and nothing to ask.
    f.session().state.options.septicNReduction = 0.5f;
    w.cmdSetSeptic->click();
    EXPECT_EQ(w.TxtReduction->text(), "0");
    EXPECT_EQ(f.session().state.options.septicNReduction, 0.0f);
    EXPECT_EQ(f.dialogs.yesNoAsked, 0);
    EXPECT_FALSE(f.main.action("MnuSeptic")->isChecked());

    // The default becomes 80 % with 10 % failing; a sand filter takes the rest.
    w.cmdChange->click();
    EXPECT_TRUE(w.panelShown());
    EXPECT_EQ(w.lblInfo->text(), "<Change>");
    EXPECT_EQ(w.txtAddPop->text(), "100");
    f.panel("CurrentDefault 0", "0", "80", "10");
    EXPECT_FALSE(w.panelShown());
    w.cmdAdd->click();
    EXPECT_EQ(w.lblInfo->text(), "<Add New>");
    EXPECT_EQ(w.TxtAddTech->text(), "New");
    f.panel("Sand filter", "60", "20", "5");
    EXPECT_EQ(comboItems(w.cboTechName), (QStringList{"CurrentDefault 0", "Sand filter 1"}));

    f.dialogs.yesNoAnswer = false;
    w.cmdSetSeptic->click();
    EXPECT_TRUE(w.TxtReduction->text().startsWith("12.527"))
        << w.TxtReduction->text().toStdString();
    EXPECT_NEAR(f.session().state.options.septicNReduction, 0.12527f, 1e-5f);
    EXPECT_TRUE(w.lblTechName_0->text().startsWith("Overall Normal System Efficiency =0.12527"));
    EXPECT_EQ(w.txtUseCur->text(), "100.0%");
    EXPECT_EQ(w.txtFailure->text(), "9.0%");
    EXPECT_TRUE(w.TxtNotes->toPlainText().startsWith("Set N reduction rate to: 0.12527"));
    EXPECT_EQ(f.dialogs.yesNoAsked, 1);
    EXPECT_TRUE(f.main.action("MnuSeptic")->isChecked());
    // "No" keeps the populations as the nutrient file has them.
    EXPECT_EQ(w.TxtNorm->text(), "5337.5");
    EXPECT_EQ(w.TxtPond->text(), "389.1667");
    EXPECT_TRUE(f.dialogs.messages.isEmpty()) << f.messages().toStdString();

    // Shares that do not add up to 100 only warn.
    w.cmdAdd->click();
    f.panel("Mound", "30", "10", "0");
    EXPECT_EQ(w.cboTechName->itemText(2), "Mound 2");
    w.cmdSetSeptic->click();
    EXPECT_EQ(f.dialogs.messages,
              QStringList{"Rivulon|Warning: Population - The total percentage is not equal to "
                          "100%!"});
    EXPECT_EQ(w.txtUseCur->text(), "110.0%");

    // Revert to Default leaves the single default entry.
    w.CmdDefault->click();
    EXPECT_EQ(comboItems(w.cboTechName), QStringList{"CurrentDefault 0"});
    EXPECT_EQ(w.lblTechName_0->text(), "Technology Name");
    EXPECT_EQ(w.table().size(), 1u);
    EXPECT_EQ(w.TxtReduction->text(), "0");
}

// The new split goes into the nutrient editor's septic page; once the editor
// has saved, Close/Run runs with that file and writes what hydload writes.
TEST(SepticWindow, UpdateThroughEditorThenRunEqualsHydload) {
    SepticFixture f;
    ASSERT_NE(f.window, nullptr);
    FrmSeptic& w = *f.window;
    FakeEditor editor;
    w.setEditorSource([&editor] { return &editor; });

    const QString input = f.home.input() + "/";
    f.dialogs.fileAnswers = {input + "SepMillbrook.dat"};
    w.cmdLoadData->click();
    ASSERT_EQ(w.table().size(), 4u) << f.messages().toStdString();
    EXPECT_EQ(w.cboTechName->itemText(3), "Constructed wetland 3");

    const QString report =
        hydload({"septic", input + "SepMillbrook.dat", "--nutrient", input + "Nutrient.dat",
                 "--transport", input + "Transprt.dat", "--write", input + "NutSeptic.dat"});
    f.dialogs.yesNoAnswer = true;
    w.cmdSetSeptic->click();
    EXPECT_EQ(w.TxtReduction->text(), printed(report, "Load Reduction (%):"));
    EXPECT_EQ(w.TxtNorm->text(), printed(report, "Pop on Normal System:"));
    EXPECT_EQ(w.TxtPond->text(), printed(report, "Pop on Ponded System:"));
    EXPECT_EQ(editor.opened, 1);
    ASSERT_EQ(editor.cells.size(), 24u);
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(editor.cells[std::make_pair(1, m)], 5171);
        EXPECT_EQ(editor.cells[std::make_pair(2, m)], 555);
    }
    ASSERT_TRUE(editor.closed);
    EXPECT_TRUE(w.waitingForEditor());

    // Closed without saving: the window shows the file's populations again.
    editor.closed(false, {});
    EXPECT_FALSE(w.waitingForEditor());
    EXPECT_EQ(w.TxtNorm->text(), "5337.5");
    EXPECT_EQ(f.session().settings.nutrientPath, (input + "Nutrient.dat").toStdString());

    // Saved: the later runs use the saved file.
    editor.closed = nullptr;
    w.cmdSetSeptic->click();
    ASSERT_TRUE(editor.closed);
    editor.closed(true, input + "NutSeptic.dat");
    EXPECT_EQ(f.session().settings.nutrientPath, (input + "NutSeptic.dat").toStdString());
    const float reduction = f.session().state.options.septicNReduction;
    EXPECT_NEAR(reduction, 0.183278f, 1e-6f);

    f.dialogs.messages.clear();
    w.cmdClose->click();
    waitForRun(f.main);
    EXPECT_TRUE(f.dialogs.messages.isEmpty()) << f.messages().toStdString();
    EXPECT_TRUE(w.isVisible());
    const int years = f.session().state.options.yearCount;
    EXPECT_EQ(f.session().state.options.simLevel, 4);
    ASSERT_GT(years, 0);

    // The reference: the same project with the saved nutrient file.
    QByteArray project = fileBytes(f.home.project());
    project.replace("NutrientFile, \"Nutrient.dat\"", "NutrientFile, \"NutSeptic.dat\"");
    writeBytes(input + "Septic.prj", project);
    const QString reference = f.home.dir.path() + "/reference";
    hydload({"run", input + "Septic.prj", "--years", QString::number(years), "--level", "4",
             "--septic-reduction", QString::number(reduction, 'g', 9), "--out", reference,
             "--quiet"});
    const QString out = f.home.dir.path() + "/Output/";
    const QByteArray results = fileBytes(out + "ResultsSeptic.dat");
    ASSERT_FALSE(results.isEmpty());
    EXPECT_TRUE(results.startsWith("\"Millbrook Creek\","));
    EXPECT_EQ(results, fileBytes(reference + "/Results.dat"));
    EXPECT_EQ(fileBytes(out + "SummarySeptic.dat"), fileBytes(reference + "/Summary.dat"));
    // The septic reduction changes the loads: a run without it differs.
    const QString plainRun = f.home.dir.path() + "/plain";
    hydload({"run", input + "Septic.prj", "--years", QString::number(years), "--level", "4",
             "--out", plainRun, "--quiet"});
    EXPECT_NE(results, fileBytes(plainRun + "/Results.dat"));

    QWidget* table = f.main.findWindow(WindowKind::Results);
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->isVisible());
}

TEST(SepticWindow, RefusesValuesOutsideTheirMeaningAndKeepsTheList) {
    SepticFixture f;
    ASSERT_NE(f.window, nullptr);
    FrmSeptic& w = *f.window;

    struct Case {
        const char* reduction;
        const char* share;
        const char* failure;
        const char* field;
    };
    for (const Case& c :
         {Case{"0", "120", "0", "% Pop. Using the System"},
          Case{"0", "10", "-1", "System Failure (%)"}, Case{"101", "10", "0", "Load Reduction (%)"},
          Case{"abc", "10", "0", "Load Reduction (%)"}}) {
        f.dialogs.messages.clear();
        w.cmdAdd->click();
        f.panel("Mound", c.reduction, c.share, c.failure);
        ASSERT_EQ(f.dialogs.messages.size(), 1) << c.field;
        EXPECT_TRUE(f.dialogs.messages[0].contains(c.field)) << f.messages().toStdString();
        EXPECT_TRUE(w.panelShown());
        EXPECT_EQ(w.table().size(), 1u);
        w.CmdCancel->click();
    }
    EXPECT_FALSE(w.panelShown());
    w.cmdAdd->click();
    f.dialogs.messages.clear();
    f.panel("", "0", "0", "0");
    EXPECT_EQ(f.dialogs.messages.size(), 1);
    EXPECT_EQ(w.table().size(), 1u);
    w.CmdCancel->click();

    // Get Data is all or nothing: a bad line names the file and line and the
    // list keeps its entries.
    w.cmdAdd->click();
    f.panel("Sand filter", "60", "20", "5");
    ASSERT_EQ(w.table().size(), 2u);
    const QString input = f.home.input() + "/";
    writeBytes(input + "SepBroken.dat",
               "\"SepticData\",3\r\n\"Method\",\"Efficiency-N\",\"PctPopUse\",\"Failure (%)\"\r\n"
               "\"A 0\",0,50,10\r\n\"B 1\",40,50,150\r\n\"C 2\",20,0,0\r\n");
    f.dialogs.messages.clear();
    f.dialogs.fileAnswers = {input + "SepBroken.dat"};
    w.cmdLoadData->click();
    ASSERT_EQ(f.dialogs.messages.size(), 1);
    EXPECT_TRUE(f.dialogs.messages[0].contains("SepBroken.dat")) << f.messages().toStdString();
    EXPECT_TRUE(f.dialogs.messages[0].contains(":4")) << f.messages().toStdString();
    EXPECT_TRUE(f.dialogs.messages[0].contains("failure rate")) << f.messages().toStdString();
    EXPECT_EQ(comboItems(w.cboTechName), (QStringList{"CurrentDefault 0", "Sand filter 1"}));
    EXPECT_EQ(w.table().size(), 2u);
    // A file that ends early is refused the same way; a cancelled dialog says nothing.
    writeBytes(input + "SepShort.dat", "\"SepticData\",3\r\n\"Method\",\"Efficiency-N\"\r\n");
    f.dialogs.messages.clear();
    f.dialogs.fileAnswers = {input + "SepShort.dat", QString()};
    w.cmdLoadData->click();
    w.cmdLoadData->click();
    EXPECT_EQ(f.dialogs.messages.size(), 1);
    EXPECT_EQ(w.table().size(), 2u);

    // Shares whose weighted total cannot be kept are refused, nothing set.
    for (int i = 0; i < 3; ++i) {
        w.cmdAdd->click();
        f.panel("Full", "50", "100", "0");
    }
    f.session().state.options.septicNReduction = 0.25f;
    f.dialogs.messages.clear();
    w.cmdSetSeptic->click();
    ASSERT_EQ(f.dialogs.messages.size(), 1);
    EXPECT_TRUE(f.dialogs.messages[0].contains("32767"));
    EXPECT_EQ(f.session().state.options.septicNReduction, 0.25f);
    EXPECT_EQ(f.dialogs.yesNoAsked, 0);
}

// View/Save shows the table on the pie window's text page; its Save Data
// writes the file without the entries marked for removal, and a cancelled
// or failed save writes nothing.
TEST(SepticWindow, ViewAndSaveLeavesOutDeletedEntries) {
    SepticFixture f;
    ASSERT_NE(f.window, nullptr);
    FrmSeptic& w = *f.window;
    w.cmdAdd->click();
    f.panel("Sand filter", "60", "20", "5");
    w.cmdAdd->click();
    f.panel("Mound", "30", "10", "2.5");
    // An emptied name marks the entry for removal.
    w.cboTechName->setCurrentIndex(1);
    w.cmdChange->click();
    f.panel("", "60", "20", "5");
    EXPECT_EQ(w.cboTechName->itemText(1), "To be deleted");

    const QString out = f.home.input() + "/SepticMine.dat";
    auto view = [&] {
        w.CmdView->click();
        auto* pie = qobject_cast<FrmPie*>(f.main.findWindow(WindowKind::Pie));
        EXPECT_NE(pie, nullptr);
        return pie;
    };
    FrmPie* pie = view();
    ASSERT_NE(pie, nullptr);
    EXPECT_EQ(pie->windowTitle(), "Current Data on Septic Systems");
    EXPECT_TRUE(pie->cmdSaveData->isVisible());

    f.dialogs.fileAnswers = {QString()};
    pie->cmdSaveData->click();
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_TRUE(f.dialogs.messages.isEmpty());

    pie = view();
    ASSERT_NE(pie, nullptr);
    f.dialogs.fileAnswers = {f.home.dir.path() + "/no such folder/SepticMine.dat"};
    pie->cmdSaveData->click();
    ASSERT_EQ(f.dialogs.messages.size(), 1);
    EXPECT_TRUE(f.dialogs.messages[0].contains("The septic data were not saved"));

    pie = view();
    ASSERT_NE(pie, nullptr);
    f.dialogs.fileAnswers = {out};
    pie->cmdSaveData->click();
    EXPECT_EQ(fileBytes(out),
              "\"SepticData\",2\r\n\"Method\",\"Efficiency-N\",\"PctPopUse\",\"Failure (%)\"\r\n"
              "\"CurrentDefault 0\",0,100,0\r\n\"Mound 2\",30,10,2.5\r\n");

    // The saved file reads back as the list without the removed entry.
    f.dialogs.fileAnswers = {out};
    w.cmdLoadData->click();
    EXPECT_EQ(comboItems(w.cboTechName), (QStringList{"CurrentDefault 0", "Mound 2"}));
    EXPECT_EQ(w.txtUseCur->text(), "100");
}

// With the program's own nutrient editor: Set and Yes open it on its septic
// page with the new split; once saved and closed, Close/Run uses the saved file.
TEST(SepticWindow, RealEditorSavesTheSplitAndTheRunUsesIt) {
    SepticFixture f;
    ASSERT_NE(f.window, nullptr);
    FrmSeptic& w = *f.window;
    const QString input = f.home.input() + "/";
    f.dialogs.fileAnswers = {input + "SepMillbrook.dat"};
    w.cmdLoadData->click();
    ASSERT_EQ(w.table().size(), 4u);
    f.dialogs.yesNoAnswer = true;
    w.cmdSetSeptic->click();
    QWidget* editor = f.main.findWindow(WindowKind::Nutrient);
    ASSERT_NE(editor, nullptr) << f.messages().toStdString();
    ASSERT_TRUE(f.dialogs.messages.isEmpty()) << f.messages().toStdString();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(w.waitingForEditor());
    const QString saved = input + "NutEdited.dat";
    // The editor's own Save button, answering its dialog with the new name.
    f.dialogs.fileAnswers = {saved};
    editor->findChild<QPushButton*>("cmdSaveN")->click();
    ASSERT_TRUE(QFile::exists(saved)) << f.messages().toStdString();
    editor->close();
    EXPECT_FALSE(w.waitingForEditor());
    EXPECT_EQ(f.session().settings.nutrientPath, saved.toStdString());

    // The saved file holds the split hydload septic works out.
    const QString check = hydload({"septic", input + "SepMillbrook.dat", "--nutrient", saved,
                                   "--transport", input + "Transprt.dat"});
    EXPECT_EQ(printed(check, "Now on Normal System:"), "5171, on Ponded System: 555");

    const float reduction = f.session().state.options.septicNReduction;
    w.cmdClose->click();
    waitForRun(f.main);
    const int years = f.session().state.options.yearCount;
    QByteArray project = fileBytes(f.home.project());
    project.replace("NutrientFile, \"Nutrient.dat\"", "NutrientFile, \"NutEdited.dat\"");
    writeBytes(input + "Edited.prj", project);
    const QString reference = f.home.dir.path() + "/reference";
    hydload({"run", input + "Edited.prj", "--years", QString::number(years), "--level", "4",
             "--septic-reduction", QString::number(reduction, 'g', 9), "--out", reference,
             "--quiet"});
    const QString out = f.home.dir.path() + "/Output/";
    const QByteArray results = fileBytes(out + "ResultsSeptic.dat");
    ASSERT_FALSE(results.isEmpty()) << f.messages().toStdString();
    EXPECT_EQ(results, fileBytes(reference + "/Results.dat"));
}

// The editor may close after the septic window: its save still counts.
TEST(SepticWindow, EditorSavedAfterTheWindowClosed) {
    SepticFixture f;
    ASSERT_NE(f.window, nullptr);
    FakeEditor editor;
    f.window->setEditorSource([&editor] { return &editor; });
    f.window->cmdAdd->click();
    f.panel("Sand filter", "60", "0", "50");
    f.dialogs.yesNoAnswer = true;
    f.window->cmdSetSeptic->click();
    ASSERT_TRUE(editor.closed);
    QPointer<FrmSeptic> window(f.window);
    f.dialogs.yesNoAnswer = false;  // Close/Run: no run
    f.window->cmdClose->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    const QString saved = f.home.input() + "/NutSaved.dat";
    editor.closed(true, saved);
    EXPECT_EQ(f.session().settings.nutrientPath, saved.toStdString());
}

// Text after the nutrient file's last record is pointed out once when the
// window reads the populations, which are still read.
TEST(SepticWindow, NamesTextAfterTheNutrientFilesLastRecordOnce) {
    ExampleHome home;
    ScriptedDialogs dialogs;
    QFile nutrient(home.input() + "/Nutrient.dat");
    ASSERT_TRUE(nutrient.open(QIODevice::Append));
    nutrient.write("surveyed 1998\n");
    nutrient.close();
    MDIFrmMain main;
    startOnProject(main);
    dialogs.messages.clear();
    main.runCommand(QStringLiteral("MnuSeptic"));
    auto* window = qobject_cast<FrmSeptic*>(main.findWindow(WindowKind::Septic));
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(dialogs.messages.size(), 1) << dialogs.messages.join("\n").toStdString();
    EXPECT_TRUE(dialogs.messages[0].contains(
        "Nutrient.dat:390: text after the last record is ignored: \"surveyed 1998\""))
        << dialogs.messages[0].toStdString();
    EXPECT_EQ(window->TxtCurPop->text(), "5937.25");
}
