#include <QApplication>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "net/LoopbackServer.h"
#include "support/TempFolder.h"
#include "ui/editor/CPreviewSourceDlg.h"
#include "ui/editor/SourcePreview.h"

namespace gleanwork {

namespace {

AgentDefinition AgentReading(const std::string& url) {
    AgentDefinition agent;
    agent.URL = url;
    return agent;
}

}  // namespace

class SourcePreviewTest : public QObject {
    Q_OBJECT

private slots:
    void onlyBareLineFeedsGainACarriageReturn() {
        QCOMPARE(AddCarriageReturns("a\nb\r\nc\n"), std::string("a\r\nb\r\nc\r\n"));
        QCOMPARE(AddCarriageReturns("\nx"), std::string("\r\nx"));
        QCOMPARE(AddCarriageReturns("\n\n"), std::string("\r\n\r\n"));
        QCOMPARE(AddCarriageReturns("\r\r\n"), std::string("\r\r\n"));
        QCOMPARE(AddCarriageReturns(""), std::string());
        QCOMPARE(AddCarriageReturns(std::string("a\nb\0c\n", 6)), std::string("a\r\nb"));
    }

    void aLocalFileIsReadAsARunReadsIt() {
        const test::TempFolder folder;
        test::WriteFile(folder / "page.txt", "one\r\ntwo\nthree");
        QCOMPARE(ReadPreviewSource(AgentReading(folder / "page.txt"), {}),
                 std::string("one\ntwo\nthree"));
    }

    void sourcesThatCannotBeReadGiveEmptyText() {
        QCOMPARE(ReadPreviewSource(AgentReading(""), {}), std::string());
        QCOMPARE(ReadPreviewSource(AgentReading("/no/such/folder/page.txt"), {}), std::string());
        // The scheme counts only in lower case: this is a file name, and no file has it.
        QCOMPARE(ReadPreviewSource(AgentReading("HTTP://127.0.0.1:1/page"), {}), std::string());
    }

    void aSourceThatNeverAnswersIsGivenUpAfterTheReceiveLimit() {
        test::LoopbackServer silent(
            {test::ScriptedReply{{}, {}, test::ScriptedReply::Ending::Hold}});
        const HttpLimits limits{std::chrono::seconds(5), std::chrono::milliseconds(100)};
        QCOMPARE(ReadPreviewSource(AgentReading(silent.Url()), limits), std::string());
    }

    void anHttpSourceGoesThroughTheProxy() {
        test::LoopbackServer proxy({test::Reply("HTTP/1.0 200 OK\r\n\r\nfrom the proxy")});
        AgentDefinition agent = AgentReading("http://127.0.0.1:1/page.txt");
        agent.HOST = "127.0.0.1";
        agent.PORT = std::to_string(proxy.Port());
        QCOMPARE(ReadPreviewSource(agent, {std::chrono::seconds(5), std::chrono::seconds(5)}),
                 std::string("from the proxy"));
        QCOMPARE(proxy.Requests().size(), std::size_t{1});
        QCOMPARE(proxy.Requests().front(),
                 std::string("GET http://127.0.0.1:1/page.txt HTTP/1.0\r\nHost: 127.0.0.1:1\r\n"
                             "User-agent: \r\n\r\n"));
    }

    void thePreviewWindowShowsItsTextReadOnlyAndUnwrapped() {
        QPointer<CPreviewSourceDlg> window = new CPreviewSourceDlg(QStringLiteral("a\r\nb"));
        QVERIFY(window->isVisible());
        QVERIFY(!window->isModal());
        QCOMPARE(window->windowTitle(), QStringLiteral("Preview Source"));
        QCOMPARE(window->text(), QStringLiteral("a\r\nb"));
        auto* area = window->findChild<QPlainTextEdit*>();
        QVERIFY(area->isReadOnly());
        QCOMPARE(area->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(area->toPlainText(), QStringLiteral("a\nb"));
        QCOMPARE(area->document()->blockCount(), 2);
    }

    void cancelClosesAndDeletesThePreviewWindow() {
        QPointer<CPreviewSourceDlg> window = new CPreviewSourceDlg(QString());
        auto* cancel = window->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel);
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        cancel->click();
        QTRY_VERIFY(window.isNull());
    }
};

}  // namespace gleanwork

QTEST_MAIN(gleanwork::SourcePreviewTest)
#include "SourcePreviewTest.moc"
