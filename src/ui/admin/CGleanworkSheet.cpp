#include "ui/admin/CGleanworkSheet.h"

#include "storage/AgentCatalogue.h"

namespace gleanwork {

CGleanworkSheet::CGleanworkSheet(const QString& caption, QWidget* parent, int startPage)
    : PropertySheet(caption, parent, startPage), catalogue_(std::make_unique<AgentCatalogue>()) {
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

}  // namespace gleanwork
