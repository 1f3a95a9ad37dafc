#include "ui/editor/CAgentPropGeneral.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "storage/AgentDefinition.h"
#include "ui/common/Buttons.h"
#include "ui/editor/CPreviewSourceDlg.h"

namespace gleanwork {

namespace {

// The user-agent entries, in list order; the list is not sorted.
constexpr std::array<const char*, 5> kUserAgents{
    "Gleanwork/1.0",
    "Mozilla/2.0",
    "Mozilla/3.0",
    "Mozilla/2.0 (compatible)",
    "Mozilla/3.0 (compatible)",
};

// The character sets offered for the pages: none (the bytes as received),
// "auto" (what each page declares) and the sets most pages use; any other
// name that a page could declare may be typed.
constexpr std::array<const char*, 17> kCharsets{
    "",
    "auto",
    "utf-8",
    "windows-1252",
    "iso-8859-1",
    "iso-8859-15",
    "windows-1250",
    "iso-8859-2",
    "windows-1251",
    "koi8-r",
    "shift_jis",
    "euc-jp",
    "iso-2022-jp",
    "gbk",
    "gb18030",
    "big5",
    "euc-kr",
};

enum Group { kAgent, kWebServer, kProxy };

// Loading the user agent selects the first entry that begins with the stored
// text, ignoring case. An empty text is the beginning of every entry, so a new
// agent (or one stored without a user agent) shows "Gleanwork/1.0", and OK
// stores it: the editor never leaves the field empty on loading.
constexpr std::array<PageField, 10> kFields{
    TextRow(&AgentDefinition::name, "agentName", "Agent name:"),
    TextRow(&AgentDefinition::DESCRIPTION, "description", "Description:"),
    TextRow(&AgentDefinition::URL, "urlOrFile", "URL or File:"),
    ChoiceRow(&AgentDefinition::USERAGENT, "userAgent", "User agent:", kUserAgents),
    ChoiceRow(&AgentDefinition::CHARSET, "charset", "Character set:", kCharsets),
    SwitchRow(&AgentDefinition::ROBOTS, "robots", "Obey each site's robots.txt"),
    TextRow(&AgentDefinition::WEBUSER, "webUser", "User ID:", kWebServer),
    PasswordRow(&AgentDefinition::WEBPASS, "webPassword", "Password:", kWebServer),
    TextRow(&AgentDefinition::HOST, "proxyHost", "Host name:", kProxy),
    TextRow(&AgentDefinition::PORT, "proxyPort", "Port:", kProxy),
};

}  // namespace

CAgentPropGeneral::CAgentPropGeneral(QWidget* parent)
    : AgentPage(QStringLiteral("General"), kFields, parent) {
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    fields().ControlOf(&AgentDefinition::URL)->setMinimumWidth(digit * 48);
    fields().ControlOf(&AgentDefinition::HOST)->setMinimumWidth(digit * 16);
    fields().ControlOf(&AgentDefinition::PORT)->setFixedWidth(digit * 8);
    QPushButton* preview = MakeButton(this, QStringLiteral("Preview source..."), "previewSource");
    connect(preview, &QPushButton::clicked, this, &CAgentPropGeneral::OnPreviewSource);

    auto* agentFields = new QFormLayout;
    fields().AddRows(*agentFields, kAgent);

    auto* web = new QGroupBox(QStringLiteral("Web Server Authentication"), this);
    fields().AddRows(*new QFormLayout(web), kWebServer);

    auto* proxy = new QGroupBox(QStringLiteral("HTTP Proxy"), this);
    auto* proxyFields = new QFormLayout(proxy);
    proxyFields->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    fields().AddRows(*proxyFields, kProxy);

    auto* groups = new QHBoxLayout;
    groups->addWidget(web, 1);
    groups->addWidget(proxy, 1);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(preview);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(agentFields);
    layout->addLayout(groups);
    layout->addStretch(1);
    layout->addLayout(buttonRow);
}

bool CAgentPropGeneral::OnApply() {
    const QString problem = nameCheck_ ? nameCheck_(values().name) : QString();
    if (problem.isEmpty()) {
        return true;
    }
    QMessageBox::warning(this, QStringLiteral("Gleanwork - Agent Name"), problem);
    auto* name = fields().Control<QLineEdit>(&AgentDefinition::name);
    name->setFocus();
    name->selectAll();
    return false;
}

// The page values serve as the transient definition: only their source
// fields matter to the read, and every field of other pages is empty. The
// preview window reads the source on a thread of its own, so the editor
// stays responsive; its Cancel stops the read.
void CAgentPropGeneral::OnPreviewSource() {
    SavePage();
    new CPreviewSourceDlg(values(), HttpLimits{});
}

}  // namespace gleanwork
