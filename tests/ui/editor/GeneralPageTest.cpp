#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "EditorHarness.h"
#include "net/LoopbackServer.h"
#include "support/ModalDriver.h"
#include "support/TempFolder.h"
#include "ui/editor/CPreviewSourceDlg.h"

namespace gleanwork {

using test::EditorHarness;

namespace {

AgentDefinition AgentWithUserAgent(const std::string& userAgent) {
    AgentDefinition agent;
    agent.USERAGENT = userAgent;
    return agent;
}

QList<CPreviewSourceDlg*> PreviewWindows() {
    return test::TopLevel<CPreviewSourceDlg>();
}

}  // namespace

class GeneralPageTest : public QObject {
    Q_OBJECT

private:
    // Presses "Preview source..." with `url` typed and returns the new window.
    static CPreviewSourceDlg* Preview(EditorHarness& editor, const QString& url) {
        const QList<CPreviewSourceDlg*> before = PreviewWindows();
        editor.Find<QLineEdit>("urlOrFile")->setText(url);
        editor.Find<QPushButton>("previewSource")->click();
        for (CPreviewSourceDlg* window : PreviewWindows()) {
            if (!before.contains(window)) {
                return window;
            }
        }
        return nullptr;
    }

private slots:
    void cleanup() { qDeleteAll(PreviewWindows()); }

    void theControlsShowTheAgentsValues() {
        AgentDefinition agent;
        agent.name = "Weather";
        agent.DESCRIPTION = "Today's forecast";
        agent.URL = "http://example.invalid/";
        agent.USERAGENT = "Mozilla/3.0";
        agent.WEBUSER = "alice";
        agent.WEBPASS = "secret";
        agent.HOST = "proxy.invalid";
        agent.PORT = "8o8o";
        EditorHarness editor(agent);
        QCOMPARE(editor.sheet.ActivePage(), editor.general);
        QCOMPARE(editor.Find<QLineEdit>("agentName")->text(), QStringLiteral("Weather"));
        QCOMPARE(editor.Find<QLineEdit>("description")->text(), QStringLiteral("Today's forecast"));
        QCOMPARE(editor.Find<QLineEdit>("webPassword")->echoMode(), QLineEdit::Password);
        QCOMPARE(editor.Find<QLineEdit>("proxyPort")->text(), QStringLiteral("8o8o"));
        QCOMPARE(editor.Result(), agent);
    }

    void theUserAgentListHoldsFiveEntriesInOrder() {
        EditorHarness editor;
        auto* userAgent = editor.Find<QComboBox>("userAgent");
        QVERIFY(userAgent->isEditable());
        QStringList entries;
        for (int index = 0; index < userAgent->count(); ++index) {
            entries << userAgent->itemText(index);
        }
        QCOMPARE(entries, (QStringList{"Gleanwork/1.0", "Mozilla/2.0", "Mozilla/3.0",
                                       "Mozilla/2.0 (compatible)", "Mozilla/3.0 (compatible)"}));
    }

    void theUserAgentLoadsAsTheFirstEntryItBegins_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("lower case") << QString("mozilla/3.0") << QString("Mozilla/3.0");
        QTest::newRow("longer entry")
            << QString("Mozilla/3.0 (compatible)") << QString("Mozilla/3.0 (compatible)");
        QTest::newRow("no version") << QString("Mozilla") << QString("Mozilla/2.0");
        QTest::newRow("no entry") << QString("Mozilla/4.0") << QString("Mozilla/4.0");
        QTest::newRow("longer than any entry")
            << QString("Gleanwork/1.0 beta") << QString("Gleanwork/1.0 beta");
        // A new agent's empty user agent is the beginning of every entry.
        QTest::newRow("empty") << QString("") << QString("Gleanwork/1.0");
    }
    void theUserAgentLoadsAsTheFirstEntryItBegins() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        EditorHarness editor(AgentWithUserAgent(stored.toStdString()));
        QCOMPARE(editor.Find<QComboBox>("userAgent")->currentText(), shown);
        QCOMPARE(editor.Result().USERAGENT, shown.toStdString());
    }

    void aTypedUserAgentIsCompletedOnComingBack() {
        EditorHarness editor;
        auto* userAgent = editor.Find<QComboBox>("userAgent");
        userAgent->setEditText(QStringLiteral("Mozilla"));
        QCOMPARE(userAgent->currentText(), QStringLiteral("Mozilla"));
        editor.Revisit(EditorHarness::kGeneral);
        QCOMPARE(userAgent->currentText(), QStringLiteral("Mozilla/2.0"));
        QCOMPARE(editor.Result().USERAGENT, std::string("Mozilla/2.0"));
    }

    void previewShowsALocalFileWithCarriageReturns() {
        const test::TempFolder folder;
        const std::string path = folder / "page.txt";
        test::WriteFile(path, "a\nb\r\nc\n");
        EditorHarness editor;
        CPreviewSourceDlg* window = Preview(editor, QString::fromStdString(path));
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
        QCOMPARE(window->text(), QStringLiteral("a\r\nb\r\nc\r\n"));
        QCOMPARE(editor.general->values().url, path);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void previewFetchesAnHttpSourceWithThePagesSettings() {
        test::LoopbackServer server({test::Reply("HTTP/1.0 200 OK\r\n\r\nline one\nline two")});
        EditorHarness editor;
        editor.Find<QComboBox>("userAgent")->setEditText(QStringLiteral("Mozilla/3.0"));
        editor.Find<QLineEdit>("webUser")->setText(QStringLiteral("alice"));
        editor.Find<QLineEdit>("webPassword")->setText(QStringLiteral("secret"));
        const QString url = QStringLiteral("http://127.0.0.1:%1/data").arg(server.Port());
        CPreviewSourceDlg* window = Preview(editor, url);
        QVERIFY(window != nullptr);
        QCOMPARE(window->text(), QStringLiteral("line one\r\nline two"));
        QCOMPARE(server.Requests().size(), std::size_t{1});
        QCOMPARE(
            server.Requests().front(),
            "GET /data HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
                "\r\nAuthorization: Basic YWxpY2U6c2VjcmV0\r\nUser-agent: Mozilla/3.0\r\n\r\n");
    }

    void unreadableSourcesOpenEmptyPreviewsThatOutliveTheEditor() {
        QPointer<CPreviewSourceDlg> empty;
        QPointer<CPreviewSourceDlg> capitals;
        {
            EditorHarness editor;
            empty = Preview(editor, QString());
            capitals = Preview(editor, QStringLiteral("HTTP://127.0.0.1:1/"));
        }
        QVERIFY(empty && capitals);
        QVERIFY(empty != capitals);
        QVERIFY(empty->isVisible() && capitals->isVisible());
        QVERIFY(empty->text().isEmpty());
        QVERIFY(capitals->text().isEmpty());
    }
};

}  // namespace gleanwork

QTEST_MAIN(gleanwork::GeneralPageTest)
#include "GeneralPageTest.moc"
