#include "ui/admin/CGleanworkSheet.h"

#include "storage/AgentCatalogue.h"
#include "ui/history/CRunHistoryDlg.h"

namespace gleanwork {

CGleanworkSheet::CGleanworkSheet(const QString& caption, QWidget* parent, int startPage)
    : PropertySheet(caption, parent, startPage),
      catalogue_(std::make_unique<AgentCatalogue>()),
      clicks_([this](const std::string& name) { ShowHistoryOf(name); }, this) {
    AddPage(&agentsPage_);
    catalogue_->LoadCatalogue();
    agentsPage_.SetCatalogue(catalogue_.get());
    // Escape, Cancel and the close box ask before unapplied changes are lost.
    SetDiscardCheck([this] {
        return !agentsPage_.IsModified() ||
               AskToDiscard(QStringLiteral("Discard the changes to the agents since they were "
                                           "last saved?"));
    });
}

CGleanworkSheet::~CGleanworkSheet() = default;

// An agent that is no longer in the catalogue still has its history.
void CGleanworkSheet::ShowHistoryOf(const std::string& name) {
    const AgentDefinition* known = catalogue_->FindAgent(name);
    AgentDefinition agent;
    agent.name = name;
    CRunHistoryDlg::ShowHistory(known != nullptr ? *known : agent);
}

}  // namespace gleanwork
