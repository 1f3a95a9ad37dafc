#pragma once

#include "ui/sheet/PropertyPage.h"

namespace gleanwork {

struct AgentDefinition;

// A page of the agent editor: it maps some fields of an agent to values of
// its own, which its controls edit, and back.
class AgentPage : public PropertyPage {
public:
    using PropertyPage::PropertyPage;

    virtual void ReadFrom(const AgentDefinition& agent) = 0;
    virtual void WriteTo(AgentDefinition& agent) const = 0;
};

}  // namespace gleanwork
