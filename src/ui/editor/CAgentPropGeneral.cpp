#include "ui/editor/CAgentPropGeneral.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "storage/AgentDefinition.h"
#include "ui/editor/CPreviewSourceDlg.h"
#include "ui/editor/ComboText.h"
#include "ui/editor/EditorText.h"
#include "ui/editor/TextField.h"

namespace gleanwork {

namespace {

// The user-agent entries, in list order; the list is not sorted.
const char* const kUserAgents[] = {
    "Gleanwork/1.0",
    "Mozilla/2.0",
    "Mozilla/3.0",
    "Mozilla/2.0 (compatible)",
    "Mozilla/3.0 (compatible)",
};

}  // namespace

CAgentPropGeneral::CAgentPropGeneral(QWidget* parent)
    : AgentPage(QStringLiteral("General"), parent) {}

void CAgentPropGeneral::ReadFrom(const AgentDefinition& agent) {
    values_ = {agent.name,    agent.DESCRIPTION, agent.URL,  agent.USERAGENT,
               agent.WEBUSER, agent.WEBPASS,     agent.HOST, agent.PORT};
}

void CAgentPropGeneral::WriteTo(AgentDefinition& agent) const {
    agent.name = values_.name;
    agent.DESCRIPTION = values_.description;
    agent.URL = values_.url;
    agent.USERAGENT = values_.userAgent;
    agent.WEBUSER = values_.webUser;
    agent.WEBPASS = values_.webPassword;
    agent.HOST = values_.proxyHost;
    agent.PORT = values_.proxyPort;
}

void CAgentPropGeneral::OnInitPage() {
    name_ = MakeTextField(this, "agentName");
    description_ = MakeTextField(this, "description");
    url_ = MakeTextField(this, "urlOrFile");
    userAgent_ = MakeEditableCombo(this, "userAgent");
    for (const char* entry : kUserAgents) {
        userAgent_->addItem(QLatin1String(entry));
    }
    webUser_ = MakeTextField(this, "webUser");
    webPassword_ = MakeTextField(this, "webPassword");
    webPassword_->setEchoMode(QLineEdit::Password);
    proxyHost_ = MakeTextField(this, "proxyHost");
    proxyPort_ = MakeTextField(this, "proxyPort");
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    url_->setMinimumWidth(digit * 48);
    proxyHost_->setMinimumWidth(digit * 16);
    proxyPort_->setFixedWidth(digit * 8);
    preview_ = new QPushButton(QStringLiteral("Preview source..."), this);
    preview_->setObjectName(QStringLiteral("previewSource"));
    preview_->setAutoDefault(false);
    connect(preview_, &QPushButton::clicked, this, &CAgentPropGeneral::OnPreviewSource);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Agent name:"), name_);
    fields->addRow(QStringLiteral("Description:"), description_);
    fields->addRow(QStringLiteral("URL or File:"), url_);
    fields->addRow(QStringLiteral("User agent:"), userAgent_);

    auto* web = new QGroupBox(QStringLiteral("Web Server Authentication"), this);
    auto* webFields = new QFormLayout(web);
    webFields->addRow(QStringLiteral("User ID:"), webUser_);
    webFields->addRow(QStringLiteral("Password:"), webPassword_);

    auto* proxy = new QGroupBox(QStringLiteral("HTTP Proxy"), this);
    auto* proxyFields = new QFormLayout(proxy);
    proxyFields->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    proxyFields->addRow(QStringLiteral("Host name:"), proxyHost_);
    proxyFields->addRow(QStringLiteral("Port:"), proxyPort_);

    auto* groups = new QHBoxLayout;
    groups->addWidget(web, 1);
    groups->addWidget(proxy, 1);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(preview_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(groups);
    layout->addStretch(1);
    layout->addLayout(buttonRow);
}

// Loading the user agent selects the first entry that begins with the stored
// text, ignoring case. An empty text is the beginning of every entry, so a new
// agent (or one stored without a user agent) shows "Gleanwork/1.0", and OK
// stores it: the editor never leaves the field empty on loading.
void CAgentPropGeneral::LoadPage() {
    LoadTextField(*name_, values_.name);
    LoadTextField(*description_, values_.description);
    LoadTextField(*url_, values_.url);
    LoadComboText(*userAgent_, ToDisplayText(values_.userAgent));
    LoadTextField(*webUser_, values_.webUser);
    LoadTextField(*webPassword_, values_.webPassword);
    LoadTextField(*proxyHost_, values_.proxyHost);
    LoadTextField(*proxyPort_, values_.proxyPort);
}

void CAgentPropGeneral::SavePage() {
    SaveTextField(*name_, values_.name);
    SaveTextField(*description_, values_.description);
    SaveTextField(*url_, values_.url);
    values_.userAgent = ToStoredText(userAgent_->currentText(), values_.userAgent);
    SaveTextField(*webUser_, values_.webUser);
    SaveTextField(*webPassword_, values_.webPassword);
    SaveTextField(*proxyHost_, values_.proxyHost);
    SaveTextField(*proxyPort_, values_.proxyPort);
}

bool CAgentPropGeneral::OnApply() {
    const QString problem = nameCheck_ ? nameCheck_(values_.name) : QString();
    if (problem.isEmpty()) {
        return true;
    }
    QMessageBox::warning(this, QStringLiteral("Gleanwork - Agent Name"), problem);
    name_->setFocus();
    name_->selectAll();
    return false;
}

// A transient definition from the page's values: only its source fields
// matter to the read.
AgentDefinition CAgentPropGeneral::PreviewDefinition() const {
    AgentDefinition agent;
    WriteTo(agent);
    return agent;
}

// The preview window reads the source on a thread of its own, so the editor
// stays responsive; its Cancel stops the read.
void CAgentPropGeneral::OnPreviewSource() {
    SavePage();
    new CPreviewSourceDlg(PreviewDefinition(), HttpLimits{});
}

}  // namespace gleanwork
