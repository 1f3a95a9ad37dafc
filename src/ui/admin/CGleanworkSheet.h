#pragma once

#include <memory>

#include "ui/admin/CAgentAdmin.h"
#include "ui/sheet/PropertySheet.h"

namespace gleanwork {

class AgentCatalogue;

// The Administrator sheet: owns the program's agent catalogue, loads it when
// built and shows it on its one page, Agents. Closed without OK while the
// page holds unapplied changes, it asks first.
class CGleanworkSheet : public PropertySheet {
    Q_OBJECT

public:
    CGleanworkSheet(const QString& caption, QWidget* parent = nullptr, int startPage = 0);
    // Destroys the catalogue, then the page.
    ~CGleanworkSheet() override;

    CAgentAdmin& agentsPage() { return agentsPage_; }
    AgentCatalogue& catalogue() { return *catalogue_; }

private:
    CAgentAdmin agentsPage_;
    std::unique_ptr<AgentCatalogue> catalogue_;
};

}  // namespace gleanwork
