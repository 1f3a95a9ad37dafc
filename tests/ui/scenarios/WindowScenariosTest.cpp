// The program's windows as users work them: the start; the administrator
// sheet (browse, duplicate, remove, create, rename, run, save or fail to);
// the agent editor, always through the real dialog (definitions loaded and
// saved back, a whole edit, refused names, the script list by buttons and
// keys with its checker marks, the database test button, the source
// preview); Agent Output windows (runs that end, fail or are closed keep the
// output file; the log keeps its first and latest lines and saves every
// line; a million rows browsed; a paused run stepped through); the examples.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>
#include <filesystem>

#include "net/LoopbackServer.h"
#include "net/UrlSplit.h"
#include "storage/AgentCatalogue.h"
#include "storage/AgentFile.h"
#include "support/AgentSamples.h"
#include "support/CaseFile.h"
#include "support/ModalDriver.h"
#include "support/TempFolder.h"
#include "ui/admin/CGleanworkSheet.h"
#include "ui/admin/Startup.h"
#include "ui/editor/AgentEditor.h"
#include "ui/editor/CPreviewSourceDlg.h"
#include "ui/run/CAgentOutputDlg.h"
#include "ui/run/RunLogLines.h"
#include "ui/run/RunLogModel.h"
#include "ui/run/RunLogView.h"
#include "ui/run/RunStatusLine.h"
#include "ui/run/StepPanel.h"
#include "ui/run/WindowCascade.h"
#include "watch/HistoryOpen.h"

#if defined(__has_feature)
#define GLEANWORK_THREAD_SANITIZER __has_feature(thread_sanitizer)
#else
#define GLEANWORK_THREAD_SANITIZER 0
#endif

using namespace gleanwork;
using test::AnswerMessageBox;
using test::MakeAgent;
using Sheet = CGleanworkSheet;

namespace {

using Script = std::function<void(PropertySheet&)>;

// How long a test waits for a run or a read to end.
constexpr int kRunMs = 20000;
// A window that is still up this long after Close waited for its server
// (which holds its connection for far longer); sanitized code runs several
// times slower, ThreadSanitizer's TLS handshake most of all.
#ifdef GLEANWORK_SANITIZED
constexpr int kCloseMs = 2500;
#else
constexpr int kCloseMs = 500;
#endif

// Opens the editor on `agent` and works it with `script` once it is up; a
// script that leaves it open fails the test. True when OK closed it.
bool RunEditor(AgentDefinition& agent, const Script& script, const AgentCatalogue& catalogue = {}) {
    const auto watch = test::WhenModalWindow<PropertySheet>([script](PropertySheet& sheet) {
        script(sheet);
        if (sheet.isVisible()) {
            sheet.reject();
            QFAIL("the editor was left open");
        }
    });
    return RunAgentEditor(nullptr, AgentEditorMode::Edit, agent, catalogue);
}

template <typename Control = QLineEdit>
Control* Find(const PropertySheet& sheet, const std::string& name) {
    return sheet.findChild<Control*>(QString::fromStdString(name));
}

QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

// The sample agent with the agent-file lines `lines` applied.
AgentDefinition SampleWith(const std::string& lines) {
    const test::TempFolder folder;
    test::WriteFile(folder / "lines", lines + "\n");
    AgentDefinition agent = test::SampleAgent();
    ReadAgentFile(agent, folder / "lines");
    return agent;
}

// The rows of table `name` of the window tests' data file.
test::Table Table(const std::string& name) {
    std::vector<std::string> errors;
    test::Table rows = test::ReadTable(GLEANWORK_TEST_DATA "/ui/windows.txt", name, errors);
    if (!errors.empty()) {
        qFatal("%s", errors.front().c_str());
    }
    return rows;
}

// The numbers of `text`, separated by spaces.
QList<int> Numbers(const std::string& text) {
    QList<int> numbers;
    for (const QString& number : ToQ(text).split(u' ', Qt::SkipEmptyParts)) {
        numbers << number.toInt();
    }
    return numbers;
}

// "left top width height", or "-" for none.
QRect RectOf(const std::string& text) {
    const QList<int> n = Numbers(text);
    return text == "-" ? QRect() : QRect(n[0], n[1], n[2], n[3]);
}

QString Shown(const QListWidget& list) {
    QStringList shown;
    for (int row = 0; row < list.count(); ++row) {
        shown << list.item(row)->text();
    }
    return shown.join(u'|');
}

// Works every control of the "every control" table, on all three pages.
void ChangeEverything(PropertySheet& sheet) {
    for (const std::vector<std::string>& row : Table("every control")) {
        sheet.tabs()->setCurrentIndex(std::stoi(row[0]));
        auto* control = Find<QWidget>(sheet, row[1]);
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            combo->setEditText(ToQ(row[2]));
        } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
            line->setText(ToQ(row[2]));
        } else {
            qobject_cast<QAbstractButton*>(control)->click();
        }
    }
}

// The sample agent as ChangeEverything leaves it.
AgentDefinition ChangedAgent() {
    std::string lines;
    for (const std::vector<std::string>& row : Table("every control")) {
        lines += row[3].empty() ? "" : row[3] + "\n";
    }
    AgentDefinition agent = SampleWith(lines);
    agent.name = "Renamed";
    agent.SCRIPT.push_back("PRINTLN \"done\"");
    return agent;
}

// Does what a "script list" step names: clicks a button, or puts the focus
// on a control and types a key there.
void Act(PropertySheet& sheet, const std::string& action) {
    const std::size_t space = action.find(' ');
    if (space == std::string::npos) {
        Find<QPushButton>(sheet, action)->click();
        return;
    }
    Find<QWidget>(sheet, action.substr(0, space))->setFocus();
    QTest::keySequence(QApplication::focusWidget(), QKeySequence(ToQ(action.substr(space + 1))));
}

// Keeps the rows a window listed when its run ended (the window may delete
// itself right afterwards).
struct ListedRun {
    explicit ListedRun(CAgentOutputDlg* window) {
        QObject::connect(window, &CAgentOutputDlg::runFinished, window, [this, window] {
            for (int row = 0; row < window->model()->rowCount(); ++row) {
                lines << window->model()->RowText(row);
            }
            finished = true;
        });
    }

    bool finished = false;
    QStringList lines;
};

// An agent that loops over the local file `source` (written here) until its
// run is asked to stop; its data buffer grows at every turn, so the loop
// never comes back to where it was.
AgentDefinition MakeEndlessAgent(const std::string& source) {
    test::WriteFile(source, "abc");
    AgentDefinition agent = MakeAgent("Endless", "loops until stopped");
    agent.URL = source;
    agent.SCRIPT = {"BOOKMARK again", "REWIND", "GETTOKEN \"b\"", "JUMPIFOK again"};
    return agent;
}

AgentDefinition MakeNamesAgent(const std::string& folder) {
    test::WriteFile(folder + "/names.html", "<b>Ann</b><b>Bob</b>");
    AgentDefinition agent = MakeAgent("Names");
    agent.URL = folder + "/names.html";
    agent.FILE = folder + "/names.txt";
    agent.SCRIPT = {"FIND \"<b>\"",      "GETUNTIL \"</b>\"",   "SAVETO first", "FIND \"<b>\"",
                    "GETUNTIL \"</b>\"", "PRINTLN \"{first}\"", "SAVETO second"};
    return agent;
}

QPushButton* Button(const CAgentOutputDlg& window, const char* name) {
    return window.findChild<QPushButton*>(QLatin1String(name));
}

void Click(const CAgentOutputDlg& window, const char* button) {
    Button(window, button)->click();
}

// The window's status line up to its first " - ".
QString Status(const CAgentOutputDlg& window) {
    return window.statusLine()->text().section(QStringLiteral(" - "), 0, 0);
}

// Types `keys` in `window`, at its focus widget.
void Type(QWidget& window, const char* keys) {
    QApplication::setActiveWindow(&window);
    QTest::keySequence(QApplication::focusWidget(), QKeySequence(QLatin1String(keys)));
}

// Types `keys` and waits until the window shows the run paused before line
// `lineIndex` (from 0).
void StepTo(CAgentOutputDlg& window, const char* keys, std::size_t lineIndex) {
    Type(window, keys);
    QTRY_COMPARE_WITH_TIMEOUT(Status(window),
                              QStringLiteral("Paused at line %1").arg(lineIndex + 1), kRunMs);
}

// Answers the agent editor: types `name` (unless null) and presses OK, or
// presses Cancel.
std::shared_ptr<test::ModalSeen> AnswerEditor(bool ok, const QString& name = {}) {
    return test::WhenModalWindow<PropertySheet>([ok, name](PropertySheet& sheet) {
        if (ok && !name.isNull()) {
            sheet.findChild<QLineEdit*>("agentName")->setText(name);
        }
        (ok ? sheet.okButton() : sheet.cancelButton())->click();
    });
}

}  // namespace

class WindowScenariosTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempInstallFolder> folder_;
    std::unique_ptr<Sheet> sheet_;

    CAgentAdmin& page() { return sheet_->agentsPage(); }

    // Saves `agents`, in this order, as the catalogue (and opens the sheet).
    static void Save(const std::vector<AgentDefinition>& agents) {
        AgentCatalogue catalogue;
        for (const AgentDefinition& agent : agents) {
            catalogue.AddAgent(agent);
        }
        QCOMPARE(catalogue.SaveCatalogue(), 0);
    }
    void Open(const std::vector<AgentDefinition>& agents) {
        Save(agents);
        sheet_ = std::make_unique<Sheet>("Gleanwork 1.0 Administrator");
        sheet_->show();
    }

    void Select(const QString& name) {
        page().agentList()->setCurrentItem(
            page().agentList()->findItems(name, Qt::MatchExactly).value(0));
    }

    QString Saved(const std::string& file = "AGENTS.INI") {
        return QString::fromStdString(test::ReadFile(*folder_ / file));
    }

private slots:
    void init() { folder_ = std::make_unique<test::TempInstallFolder>(); }
    void cleanup() {
        sheet_.reset();
        CAgentOutputDlg::EndAllRuns();
        qDeleteAll(test::TopLevel<CPreviewSourceDlg>());
        folder_.reset();
    }

    void aSocketFailureShowsOnlyItsMessage() {
        const auto box = AnswerMessageBox(QMessageBox::Ok);
        QCOMPARE(RunGleanwork([] { return 10091; }), 1);
        QCOMPARE(box->text, QString("Windows sockets initialization failed."));
        QCOMPARE(box->title, QApplication::applicationName());
    }

    void theSheetOpensOnAnEmptyFolderAndCancelWritesNothing() {
        const std::string install = *folder_ / "nothing-here";
        const test::ScopedEnvironment environment("GLEANWORK_INSTALLDIR", install.c_str());
        const auto seen = test::WhenModalWindow<Sheet>([](Sheet& sheet) {
            QCOMPARE(sheet.agentsPage().agentList()->count(), 0);
            sheet.cancelButton()->click();
        });
        QCOMPARE(RunGleanwork([] { return 0; }), 0);
        QCOMPARE(seen->title, QString("Gleanwork 1.0 Administrator"));
        QVERIFY(!std::filesystem::exists(install));
    }

    // Output windows take clicks while the modal sheet is up, and their runs
    // end with the program.
    void outputWindowsStayUsableAndEndWithTheProgram() {
        Save({MakeEndlessAgent(*folder_ / "source.txt")});
        bool closedByClick = false;
        const auto seen = test::WhenModalWindow<Sheet>([&closedByClick](Sheet& sheet) {
            for (int run = 0; run < 3; ++run) {
                sheet.agentsPage().runButton()->click();
            }
            CAgentOutputDlg* output = test::TopLevel<CAgentOutputDlg>().last();
            auto* close = output->findChild<QPushButton*>("Close");
            const QPointer<CAgentOutputDlg> shown(output);
            QTest::mouseClick(output->windowHandle(), Qt::LeftButton, {},
                              close->mapTo(output, close->rect().center()));
            closedByClick = shown.isNull() || !shown->isVisible();
            QTimer::singleShot(50, sheet.okButton(), &QPushButton::click);
        });
        QCOMPARE(RunGleanwork([] { return 0; }), 0);
        QVERIFY(seen->acted && closedByClick);
        QVERIFY(test::TopLevel<CAgentOutputDlg>().isEmpty());
    }

    void browseDuplicateRemoveAndSave() {
        AgentDefinition weather = test::SampleAgent();
        Open({MakeAgent("zeta", "last"), weather, MakeAgent("Weather2"), MakeAgent("NEWS2"),
              MakeAgent("news", "first")});
        QCOMPARE(Shown(*page().agentList()), QString("news|NEWS2|Weather|Weather2|zeta"));
        QCOMPARE(page().descriptionArea()->text(), QString("first"));
        Select("zeta");
        QCOMPARE(page().descriptionArea()->text(), QString("last"));
        QVERIFY(!sheet_->applyButton()->isEnabled());
        for (const char* name : {"Weather", "Weather2", "news"}) {
            Select(name);
            page().duplicateButton()->click();
        }
        weather.name = "Weather3";
        const AgentDefinition* copy = sheet_->catalogue().FindAgent("Weather3");
        QVERIFY(copy != nullptr && *copy == weather);
        QCOMPARE(Shown(*page().agentList()),
                 QString("news|NEWS2|news2|Weather|Weather2|Weather22|Weather3|zeta"));
        QApplication::setActiveWindow(sheet_.get());
        auto seen = AnswerMessageBox(QMessageBox::No);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(seen->acted && sheet_->isVisible());

        Select("Weather2");
        seen = AnswerMessageBox(QMessageBox::No);
        page().removeButton()->click();
        QCOMPARE(seen->text, QString("Are you sure you want to remove this agent?"));
        seen = AnswerMessageBox(QMessageBox::Yes);
        page().removeButton()->click();
        QVERIFY(seen->acted && page().SelectedAgent() == nullptr);
        QVERIFY(page().descriptionArea()->text().isEmpty() && sheet_->applyButton()->isEnabled());
        page().runButton()->click();  // nothing selected
        Select("zeta");
        page().runButton()->click();
        QCOMPARE(test::TopLevel<CAgentOutputDlg>().size(), 1);
        sheet_->okButton()->click();
        QCOMPARE(Saved(), QString("zeta\nWeather\nNEWS2\nnews\nWeather3\nWeather22\nnews2\n"));
        QVERIFY(std::filesystem::exists(*folder_ / "Agents/Weather2.agt"));
    }

    void createRenameAndApply() {
        Open({MakeAgent("apple", "kept"), MakeAgent("mango")});
        auto seen = AnswerEditor(false);
        page().newButton()->click();
        seen = AnswerEditor(false);
        page().editButton()->click();
        QCOMPARE(seen->title, QString("Edit Agent - apple"));
        QVERIFY(!sheet_->applyButton()->isEnabled());

        seen = AnswerEditor(true, "Fresh");
        page().newButton()->click();
        QCOMPARE(seen->title, QString("New Agent"));
        Select("apple");
        seen = AnswerEditor(true, "pear");
        emit page().agentList()->itemDoubleClicked(page().agentList()->currentItem());
        QVERIFY(seen->acted);
        QCOMPARE(Shown(*page().agentList()), QString("Fresh|mango|pear"));
        {  // a failed save keeps the sheet open
            test::WriteFile(*folder_ / "blocker", "a file where a folder should be");
            const std::string unwritable = *folder_ / "blocker/install";
            const test::ScopedEnvironment blocked("GLEANWORK_INSTALLDIR", unwritable.c_str());
            seen = AnswerMessageBox(QMessageBox::Ok);
            sheet_->okButton()->click();
            QVERIFY(seen->text.contains("could not be saved") && sheet_->isVisible());
        }
        sheet_->applyButton()->click();
        QVERIFY(sheet_->isVisible() && !sheet_->applyButton()->isEnabled());
        QCOMPARE(Saved(), QString("pear\nmango\nFresh\n"));
        QVERIFY(Saved("Agents/Fresh.agt").contains("\nUSERAGENT=Gleanwork/1.0\n"));
        QVERIFY(Saved("Agents/Fresh.agt").contains("\nROBOTS=1\n"));
        QVERIFY(Saved("Agents/pear.agt").startsWith("DESCRIPTION=kept\n"));
        QVERIFY(!Saved("Agents/pear.agt").contains("ROBOTS"));
    }

    // Runs that end, fail, or are closed while they loop, wait or stall:
    // each ends at once, and the output file keeps what it held.
    void runsEndAndKeepTheOutput() {
        std::size_t testRuns = 0;
        for (const std::vector<std::string>& row : Table("runs")) {
            test::WriteFile(*folder_ / "out.txt", "old");
            std::vector<test::ScriptedReply> replies;
            if (row[1] == "hold") {
                replies.push_back({{}, {}, test::ScriptedReply::Ending::Hold});
            } else if (row[1] != "-") {
                replies.push_back(test::Reply(row[1] + "\r\n\r\nx"));
            }
            test::LoopbackServer server(replies);
            const test::RefusingPort refusing;
            AgentDefinition agent = MakeEndlessAgent(*folder_ / "source.txt");
            if (row[0] == "refused") {
                agent.URL = refusing.Url();
            } else if (row[0] != "file") {
                agent.URL = row[0] + server.Url().substr(4);
            }
            agent.FILE = *folder_ / "out.txt";
            const bool paused = row[3] == "paused";
            testRuns += paused ? 1 : 0;
            QPointer<CAgentOutputDlg> window = new CAgentOutputDlg(
                agent, nullptr,
                paused ? CAgentOutputDlg::Start::kPaused : CAgentOutputDlg::Start::kRunning);
            ListedRun run(window);
            const RunLogModel& model = *window->model();
            const bool stop = row[2] == "Shift+F5";
            const QString waitFor =
                row[2] == "at once" || row[2] == "never" || stop ? "" : ToQ(row[2]);
            const auto hits = [&] { return model.match(model.index(0), Qt::DisplayRole, waitFor); };
            QTRY_VERIFY_WITH_TIMEOUT(window->stepControl().IsPaused() == paused &&
                                         (waitFor.isEmpty() || !hits().isEmpty()),
                                     kRunMs);
            if (row[2] == "[...") {  // the whole log is saved, the rows are bounded
                int error = 0;
                QVERIFY(window->SaveLog(*folder_ / "whole.log", error));
                const std::string whole = test::ReadFile(*folder_ / "whole.log");
                QVERIFY(whole.starts_with("Engine started.\n") &&
                        std::count(whole.begin(), whole.end(), '\n') > model.rowCount());
                QVERIFY(model.rowCount() <= 2000 + 1 + 100000);
            }
            if (stop) {  // stopped, still open
                Type(*window, "Shift+F5");
                QTRY_VERIFY_WITH_TIMEOUT(run.finished && Status(*window) == "Stopped", kRunMs);
            }
            if (row[2] != "never") {
                Click(*window, "Close");
                QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), (row[0] == "file" ? kRunMs : kCloseMs));
            }
            QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunMs);
            QVERIFY2(run.lines.last() == "Agent completed." &&
                         run.lines.filter("ERROR: ").value(0) == ToQ(row[4]),
                     qPrintable(run.lines.join(u'\n')));
            QVERIFY(row[4].empty() || Status(*window) == "Completed with errors (1)");
            QVERIFY(!paused || run.lines.filter("# ").isEmpty());
            // A run that never read its source leaves the output file alone.
            QVERIFY(row[0] == "file" || test::ReadFile(*folder_ / "out.txt") == "old");
            delete window;
        }
        // Every run but the test runs is in the history.
        HistoryResult opened;
        const std::unique_ptr<HistoryStore> store = OpenHistory(opened);
        std::vector<RunEntry> recorded;
        QVERIFY(store && store->Runs("Endless", recorded));
        QCOMPARE(recorded.size() + testRuns, Table("runs").size());
    }

    // The first lines, one row that counts the lines left out, the latest
    // lines, each cut to its length; saved, every line whole, or, past the
    // bound of its files, the first and latest lines and a line that counts
    // those left out.
    void theLogKeepsItsFirstAndLatestLinesAndSavesAll() {
        RunLogLines lines(3, 4, 6);
        RunLogLines bounded(3, 4, 6, 7);
        std::string whole;
        for (int index = 0; index < 12; ++index) {
            const std::string line =
                index == 9 ? "xxxxxxxxxx" : std::string("a").append(std::to_string(index));
            lines.Append(line);
            bounded.Append(line);
            whole += line + "\n";
        }
        QStringList rows;
        for (std::size_t row = 0; row < lines.Count(); ++row) {
            rows << QString::fromStdString(lines.Line(row));
        }
        QCOMPARE(rows.join(u'|'),
                 "a0|a1|a2|[... 5 lines left out here; Save Log keeps every "
                 "line ...]|a8|xxxxxx|a10|a11");
        QCOMPARE(lines.LongestLength(), std::size_t{10});
        int error = 0;
        QCOMPARE(lines.SaveAll(*folder_ / "all.log", error), std::optional<std::uint64_t>(0));
        QCOMPARE(test::ReadFile(*folder_ / "all.log"), whole);
        QCOMPARE(bounded.Line(3),
                 "[... 5 lines left out here; Save Log keeps all but 6 lines of the log ...]");
        QCOMPARE(bounded.SaveAll(*folder_ / "bounded.log", error), std::optional<std::uint64_t>(6));
        QCOMPARE(test::ReadFile(*folder_ / "bounded.log"),
                 "a0\na1\na2\n[... 6 lines left out here ...]\nxxxxxxxxxx\na10\na11\n");
    }

    // New lines leave the view alone; clicks and keys select one row; the
    // last of a million lines and the end of a long line can be reached.
    void aMillionLinesCanBeBrowsed() {
        auto lines = std::make_shared<RunLogLines>(0, 2000000);
        RunLogModel model(lines);
        RunLogView view;
        view.setModel(&model);
        view.resize(400, 300);
        view.show();
        const std::string longLine(RunLogModel::kMostShownCharacters + 9, 'W');
        for (int row = 0; row < 1000000; ++row) {
            lines->Append(row == 3 ? longLine : "line " + std::to_string(row));
        }
        model.Refresh();
        view.SetLongestTextLength(lines->LongestLength());
        QCOMPARE(view.verticalScrollBar()->value(), 0);
        QVERIFY(view.horizontalScrollBar()->maximum() > 0);
        QCOMPARE(model.RowText(3),
                 QString(RunLogModel::kMostShownCharacters, u'W') + QChar(0x2026));
        const int height = view.visualRect(model.index(0)).height();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(10, 2 * height + 2));
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(view.currentIndex().row(), 3);
        QTest::keyClick(&view, Qt::Key_End);
        const int page = view.verticalScrollBar()->pageStep();
        const QModelIndex last = view.indexAt(QPoint(5, (page - 1) * height + 1));
        QCOMPARE(last.data().toString(), QStringLiteral("line 999999"));
        QCOMPARE(view.selectionModel()->selectedRows().size(), 1);
    }

    void newWindowsKeepOffTheWindowTheyWereOpenedFrom() {
        for (const std::vector<std::string>& row : Table("new window places")) {
            const QList<int> size = Numbers(row[1]);
            const QList<int> expected = Numbers(row[4]);
            QCOMPARE(NewWindowPosition(RectOf(row[0]), QSize(size[0], size[1]), RectOf(row[2]),
                                       RectOf(row[3])),
                     QPoint(expected[0], expected[1]));
        }
    }

    void stepsThroughARunAndShowsItsState() {
        auto* window = new CAgentOutputDlg(MakeNamesAgent(folder_->Path()), nullptr,
                                           CAgentOutputDlg::Start::kPaused);
        ListedRun run(window);
        const QPointer<CAgentOutputDlg> next = new CAgentOutputDlg(MakeNamesAgent(folder_->Path()));
        QCOMPARE(next->pos(), window->pos() + QPoint(32, 32));  // cascaded
        Click(*next, "Close");

        // A breakpoint on the last line, set before the window has shown the
        // run paused, then three steps.
        auto* script = window->findChild<QListWidget*>(QStringLiteral("stepScript"));
        script->setCurrentRow(6);
        script->setFocus();
        Type(*window, "F9");
        QVERIFY(window->stepControl().HasBreakpoint(6));
        QTRY_COMPARE(Status(*window), QStringLiteral("Paused at line 1"));
        QVERIFY(!Button(*window, "Pause")->isEnabled() && Button(*window, "Continue")->isEnabled());
        StepTo(*window, "F10", 1);
        StepTo(*window, "F10", 2);
        auto* buffer = window->findChild<QPlainTextEdit*>(QStringLiteral("stepBuffer"));
        QCOMPARE(buffer->toPlainText(), QStringLiteral("Ann"));
        QCOMPARE(window->stepPanel()->CollectedHighlight().begin, 3);
        QCOMPARE(window->stepPanel()->CollectedHighlight().end, 6);
        QCOMPARE(window->stepPanel()->CursorHighlight().begin, 6);
        QVERIFY(script->item(2)->font().bold());
        StepTo(*window, "F10", 3);
        QCOMPARE(buffer->toPlainText(), QString());
        auto* variables = window->findChild<QTableWidget*>(QStringLiteral("stepVariables"));
        QCOMPARE(variables->rowCount(), 1);
        QCOMPARE(variables->item(0, 1)->text(), QStringLiteral("Ann"));
        QCOMPARE(Status(*window), QStringLiteral("Paused at line 4"));

        // Continue stops at the breakpoint, then runs to the end, where the
        // panel shows the state the run ended in.
        StepTo(*window, "F5", 6);
        QTRY_COMPARE(window->stepPanel()->CollectedHighlight().begin, 13);
        Type(*window, "F5");
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunMs);
        QCOMPARE(Status(*window), QStringLiteral("Completed"));
        QVERIFY(run.lines.contains(QStringLiteral(">> Ann")));
        QCOMPARE(variables->rowCount(), 2);
        QVERIFY(variables->isEnabled() && variables->item(1, 1)->text() == "Bob");

#if !GLEANWORK_THREAD_SANITIZER  // which cannot follow Qt's start of a process
        // No program for the output file: the window says so. (This test run
        // wrote no output file, and the run closed at once may not have.)
        test::WriteFile(*folder_ / "names.txt", "Ann\n");
        test::WriteFile(*folder_ / "xdg-open", "#!/bin/sh\nexit 3\n");
        std::filesystem::permissions(*folder_ / "xdg-open", std::filesystem::perms::owner_all);
        const test::ScopedEnvironment path("PATH", folder_->Path().c_str());
        Click(*window, "OpenOutputFile");
        QTRY_VERIFY_WITH_TIMEOUT(window->findChild<QLabel*>("outputNote")
                                     ->text()
                                     .startsWith("No program is set up to open "),
                                 kRunMs);
#endif
        Click(*window, "Close");
    }

    // The example catalogue, run the way `make run` starts it: from a copy of
    // the folder, which is also the working directory its relative paths use.
    void everyExampleRunsAndWritesItsOutput() {
        std::filesystem::copy(GLEANWORK_EXAMPLES, folder_->Path(),
                              std::filesystem::copy_options::recursive);
        const std::filesystem::path before = std::filesystem::current_path();
        std::filesystem::current_path(folder_->Path());
        AgentCatalogue catalogue;
        catalogue.LoadCatalogue();
        QCOMPARE(catalogue.Count(), std::size_t{7});
        QStringList logs;
        for (std::size_t index = 0; index < catalogue.Count(); ++index) {
            if (IsWebUrl(catalogue.At(index).URL)) {
                continue;  // tests reach no address but the loopback's
            }
            auto* window = new CAgentOutputDlg(catalogue.At(index));
            ListedRun run(window);
            QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunMs);
            delete window;
            QCOMPARE(run.lines.last(), QString("Agent completed."));
            QVERIFY2(run.lines.filter("ERROR: ").isEmpty(), qPrintable(run.lines.join('\n')));
            QVERIFY(!run.lines.contains("[Unknown command!]"));
            logs << run.lines;
        }
        std::filesystem::current_path(before);
        for (const char* output :
             {"links.txt", "prices.csv", "stations.txt", "quotes.txt", "shop.csv"}) {
            QCOMPARE(test::ReadFile(*folder_ / output),
                     test::ReadFile(std::string(GLEANWORK_TEST_DATA "/examples/") + output));
        }
        QVERIFY(
            logs.contains("[SQL]: INSERT INTO quotes (symbol, price) VALUES ('GLOBEX', 48.05)"));
    }

    void definitionsGoThroughThePagesAndBack() {
        const test::CaseFile file = test::ReadCaseFile(GLEANWORK_TEST_DATA "/editor/round-trip.txt",
                                                       {"stored", "revisit", "saved"});
        QVERIFY(file.errors.empty());
        for (const test::Case& c : file.cases) {
            AgentDefinition agent = SampleWith(c.Text("stored"));
            QVERIFY(RunEditor(agent, [&c](PropertySheet& sheet) {
                for (const std::string& page : c.Lines("revisit")) {
                    sheet.tabs()->setCurrentIndex(std::stoi(page));
                }
                sheet.tabs()->setCurrentIndex(0);
                sheet.okButton()->click();
            }));
            const AgentDefinition saved = SampleWith(c.Text(c.Has("saved") ? "saved" : "stored"));
            QVERIFY2(agent == saved, c.name.c_str());
        }
    }

    // Cancel, Escape and the close box ask before discarding a change, and
    // only then; OK saves what every control shows.
    void aWholeEditThroughTheDialog() {
        AgentCatalogue catalogue;
        AgentDefinition& agent = catalogue.AddAgent(test::SampleAgent());
        const auto edit = [&](const Script& script) { return RunEditor(agent, script, catalogue); };
        QVERIFY(!edit([](PropertySheet& sheet) {
            Find(sheet, "agentName")->setText("Other");
            Find(sheet, "agentName")->setText("Weather");  // no change
            sheet.tabs()->setCurrentIndex(1);
            Find<QComboBox>(sheet, "command")->setEditText(QStringLiteral("SKIP 1"));
            auto seen = test::AnswerMessageBox(QMessageBox::No);
            sheet.cancelButton()->click();
            QVERIFY(seen->acted);
            Find<QListWidget>(sheet, "script")->setCurrentRow(1);  // no change
            seen = test::AnswerMessageBox(QMessageBox::Yes);
            sheet.cancelButton()->click();
            QVERIFY(!seen->acted && !sheet.isVisible());
        }));
        QVERIFY(!edit([](PropertySheet& sheet) {
            ChangeEverything(sheet);
            auto seen = test::AnswerMessageBox(QMessageBox::No);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QCOMPARE(seen->text, QStringLiteral("Discard the changes to agent Weather?"));
            QVERIFY(sheet.isVisible() && Find(sheet, "agentName")->text() == "Renamed");
            seen = test::AnswerMessageBox(QMessageBox::Yes);
            sheet.close();
            QVERIFY(seen->acted && !sheet.isVisible());
        }));
        QVERIFY(agent == test::SampleAgent());
        QVERIFY(edit([](PropertySheet& sheet) {
            ChangeEverything(sheet);
            sheet.okButton()->click();
        }));
        QVERIFY(agent == ChangedAgent());
    }

    // A refused name keeps the editor open on its first page and says why.
    void namesThatCannotBeUsedKeepTheEditorOpen() {
        test::Table names = Table("names");
        const std::string longest(kLongestAgentName, 'n');
        names.insert(names.end(), {{longest, ""}, {longest + "n", "too long"}});
        for (const std::vector<std::string>& row : names) {
            AgentCatalogue catalogue;
            catalogue.AddAgent(test::SampleAgent());
            AgentDefinition& agent = catalogue.AddAgent(test::MakeAgent("News"));
            std::shared_ptr<test::ModalSeen> seen;
            const auto rename = [&](PropertySheet& sheet) {
                Find(sheet, "agentName")->setText(ToQ(row[0]));
                sheet.tabs()->setCurrentIndex(2);
                seen = test::AnswerMessageBox(QMessageBox::Ok);
                sheet.okButton()->click();
                if (!row[1].empty()) {
                    QVERIFY(sheet.isVisible() && sheet.ActivePageIndex() == 0);
                    Find(sheet, "agentName")->setText("Renamed");
                    sheet.okButton()->click();
                }
            };
            QVERIFY(RunEditor(agent, rename, catalogue));
            QVERIFY2(seen->acted != row[1].empty() && seen->text.contains(ToQ(row[1])),
                     row[0].c_str());
            QCOMPARE(agent.name, row[1].empty() ? row[0] : "Renamed");
        }
    }

    void theScriptListIsEditedLineByLine() {
        AgentDefinition agent = MakeAgent("Lines");
        agent.SCRIPT = {"A", "B", "C"};
        QVERIFY(RunEditor(agent, [](PropertySheet& sheet) {
            sheet.tabs()->setCurrentIndex(1);
            QApplication::setActiveWindow(&sheet);
            auto* command = Find<QComboBox>(sheet, "command");
            auto* script = Find<QListWidget>(sheet, "script");
            for (const std::vector<std::string>& step : Table("script list")) {
                const int click = std::stoi(step[0]);
                if (click >= 0) {
                    const QRect place = script->visualItemRect(script->item(click));
                    QTest::mouseClick(script->viewport(), Qt::LeftButton, {}, place.center());
                    QCOMPARE(command->currentText(), script->item(click)->text());
                }
                if (step[1] != "-") {
                    command->setEditText(ToQ(step[1]));
                }
                Act(sheet, step[2]);
                QVERIFY2(Shown(*script) == ToQ(step[3]), qPrintable(Shown(*script)));
                QCOMPARE(script->currentRow(), std::stoi(step[4]));
            }
            command->setEditText(QStringLiteral("skip"));
            sheet.tabs()->setCurrentIndex(0);
            sheet.tabs()->setCurrentIndex(1);
            QCOMPARE(command->currentText(), QStringLiteral("SKIP number"));
            script->item(0)->setText(QStringLiteral("FIND \"z\""));  // edited in place
            sheet.okButton()->click();
        }));
        QCOMPARE(agent.SCRIPT, (std::vector<std::string>{"FIND \"z\"", "X", "C", "Z", "Y"}));
    }

    // The checker marks lines as they change and says why; the Database
    // Configuration frame's button tries what the fields show.
    void thePagesCheckWhatIsTyped() {
        AgentDefinition agent;
        agent.SCRIPT = {"FIND \"a\"", "JUMPIFOK end"};
        agent.DBSOURCE = "inventory";
        RunEditor(agent, [](PropertySheet& sheet) {
            sheet.tabs()->setCurrentIndex(1);
            auto* script = Find<QListWidget>(sheet, "script");
            auto* messages = Find<QListWidget>(sheet, "checkMessages");
            QCOMPARE(Shown(*messages), QStringLiteral("Line 2: no bookmark \"end\" in the script"));
            QVERIFY(!script->item(1)->icon().isNull() && script->item(0)->icon().isNull());
            Find<QComboBox>(sheet, "command")->setEditText(QStringLiteral("GETUNTL \"b\""));
            QCOMPARE(
                messages->item(1)->text(),
                QStringLiteral("Typed line: unknown command \"GETUNTL\"; did you mean GETUNTIL?"));
            Act(sheet, "add");  // the line is kept in the field, and warned about once
            QCOMPARE(messages->count(), 2);
            QVERIFY(!script->item(2)->icon().isNull());
            Find<QComboBox>(sheet, "command")->clearEditText();
            script->item(2)->setText(QStringLiteral("BOOKMARK end"));
            QCOMPARE(messages->count(), 0);

            sheet.tabs()->setCurrentIndex(2);
            auto* result = Find<QLabel>(sheet, "connectionResult");
            Find<QPushButton>(sheet, "testConnection")->click();
            QCOMPARE(result->text(), QStringLiteral("Testing the connection..."));
            QTRY_VERIFY_WITH_TIMEOUT(
                result->text().startsWith("The data source is not understood. Use sqlite:PATH"),
                kRunMs);
            Find(sheet, "dataSource")->setText(QStringLiteral("/nowhere/quotes.db"));
            Find<QPushButton>(sheet, "testConnection")->click();
            QTRY_VERIFY_WITH_TIMEOUT(
                result->text().startsWith("The SQLite file /nowhere/quotes.db doe"), kRunMs);
            sheet.reject();
        });
    }

    // The preview reads what the fields show, unsaved, as a run reads it;
    // Cancel ends a stalled read at once.
    void thePreviewShowsTheSourceAsARunReadsIt() {
        test::WriteFile(*folder_ / "page.txt", std::string("a\nb\r\nc\r\r\nd\0e", 12));
        test::LoopbackServer server({test::Reply("HTTP/1.0 200 OK\r\n\r\none\ntwo"),
                                     {{}, {}, test::ScriptedReply::Ending::Hold}});
        const std::pair<std::string, QString> reads[] = {
            {*folder_ / "page.txt", "a\r\nb\r\nc\r\nd"},
            {server.Url("/data"), "one\r\ntwo"},
            {"HTTP://127.0.0.1:1/", "ERROR: Cannot read "},
            {server.Url(), ""}};
        for (const auto& [url, shows] : reads) {
            AgentDefinition agent;
            RunEditor(agent, [url = url](PropertySheet& sheet) {
                Find<QComboBox>(sheet, "userAgent")->setEditText(QStringLiteral("Mozilla/3.0"));
                Find(sheet, "webUser")->setText(QStringLiteral("alice"));
                Find(sheet, "urlOrFile")->setText(ToQ(url));
                Find<QPushButton>(sheet, "previewSource")->click();
                sheet.reject();
            });
            QPointer<CPreviewSourceDlg> window = test::TopLevel<CPreviewSourceDlg>().value(0);
            if (shows.isEmpty()) {  // the stalled read
                QTRY_VERIFY_WITH_TIMEOUT(server.Requests().size() == 2, kRunMs);
                window->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
                QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kCloseMs);
                break;
            }
            QTRY_VERIFY_WITH_TIMEOUT(!window->IsReading(), kRunMs);
            QVERIFY2(shows.startsWith("ERROR") ? window->text().contains(shows)
                                               : window->text() == shows,
                     qPrintable(window->text()));
            delete window;
        }
        QCOMPARE(server.Requests().front(),
                 "GET /data HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
                     "\r\nAuthorization: Basic YWxpY2U6\r\nUser-agent: Mozilla/3.0\r\n\r\n");
    }
};

QTEST_MAIN(WindowScenariosTest)
#include "WindowScenariosTest.moc"
