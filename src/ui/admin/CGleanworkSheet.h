#pragma once

#include <memory>

#include "ui/admin/CAgentAdmin.h"
#include "ui/admin/NotificationClicks.h"
#include "ui/sheet/PropertySheet.h"

namespace gleanwork {

class AgentCatalogue;

// The Administrator sheet: owns the program's agent catalogue, loads it when
// built and shows it on its one page, Agents. Closed without OK while the
// page holds unapplied changes, it asks first. A click on an alert's desktop
// notification opens the History window of the agent it is about.
class CGleanworkSheet : public PropertySheet {
    Q_OBJECT

public:
    CGleanworkSheet(const QString& caption, QWidget* parent = nullptr, int startPage = 0);
    // Destroys the catalogue, then the page.
    ~CGleanworkSheet() override;

    CAgentAdmin& agentsPage() { return agentsPage_; }
    AgentCatalogue& catalogue() { return *catalogue_; }

private:
    void ShowHistoryOf(const std::string& name);

    CAgentAdmin agentsPage_;
    std::unique_ptr<AgentCatalogue> catalogue_;
    NotificationClicks clicks_;
};

}  // namespace gleanwork
