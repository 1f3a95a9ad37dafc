#include "ui/admin/CGleanworkSheet.h"

#include "storage/AgentCatalogue.h"

namespace gleanwork {

CGleanworkSheet::CGleanworkSheet(const QString& caption, QWidget* parent, int startPage)
    : PropertySheet(caption, parent, startPage), catalogue_(std::make_unique<AgentCatalogue>()) {
    AddPage(&agentsPage_);
    catalogue_->LoadCatalogue();
    agentsPage_.SetCatalogue(catalogue_.get());
}

CGleanworkSheet::~CGleanworkSheet() = default;

}  // namespace gleanwork
