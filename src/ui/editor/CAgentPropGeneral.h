#pragma once

#include <QString>
#include <functional>
#include <string>

#include "ui/editor/AgentPage.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace gleanwork {

struct AgentDefinition;

// The General page of the agent editor: name, description, source, user
// agent, web-server credentials and HTTP proxy, and "Preview source...".
class CAgentPropGeneral : public AgentPage {
    Q_OBJECT

public:
    // The page values, all empty when the page is made.
    struct Values {
        std::string name;
        std::string description;
        std::string url;
        std::string userAgent;
        std::string webUser;
        std::string webPassword;
        std::string proxyHost;
        std::string proxyPort;
    };

    // Gives the reason why a name is refused, or an empty text.
    using NameCheck = std::function<QString(const std::string& name)>;

    explicit CAgentPropGeneral(QWidget* parent = nullptr);

    const Values& values() const { return values_; }

    // Copies the fields this page maps between an agent and the page values.
    void ReadFrom(const AgentDefinition& agent) override;
    void WriteTo(AgentDefinition& agent) const override;

    // The check that OK puts the agent name to; without one every name passes.
    void SetNameCheck(NameCheck check) { nameCheck_ = std::move(check); }

protected:
    void OnInitPage() override;
    void LoadPage() override;
    void SavePage() override;
    bool OnApply() override;

private:
    void OnPreviewSource();
    AgentDefinition PreviewDefinition() const;

    Values values_;
    NameCheck nameCheck_;
    QLineEdit* name_ = nullptr;
    QLineEdit* description_ = nullptr;
    QLineEdit* url_ = nullptr;
    QComboBox* userAgent_ = nullptr;
    QLineEdit* webUser_ = nullptr;
    QLineEdit* webPassword_ = nullptr;
    QLineEdit* proxyHost_ = nullptr;
    QLineEdit* proxyPort_ = nullptr;
    QPushButton* preview_ = nullptr;
};

}  // namespace gleanwork
