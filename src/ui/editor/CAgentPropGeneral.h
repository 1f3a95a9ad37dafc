#pragma once

#include <QString>
#include <functional>
#include <string>

#include "ui/editor/AgentPage.h"

namespace gleanwork {

// The General page of the agent editor: name, description, source, user
// agent, web-server credentials and HTTP proxy, and "Preview source...".
class CAgentPropGeneral : public AgentPage {
    Q_OBJECT

public:
    // Gives the reason why a name is refused, or an empty text.
    using NameCheck = std::function<QString(const std::string& name)>;

    explicit CAgentPropGeneral(QWidget* parent = nullptr);

    // The check that OK puts the agent name to; without one every name passes.
    void SetNameCheck(NameCheck check) { nameCheck_ = std::move(check); }

protected:
    bool OnApply() override;

private:
    void OnPreviewSource();

    NameCheck nameCheck_;
};

}  // namespace gleanwork
