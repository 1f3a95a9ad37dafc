#pragma once

#include <optional>
#include <span>

#include "storage/AgentDefinition.h"
#include "ui/editor/PageFields.h"
#include "ui/sheet/PropertyPage.h"

namespace gleanwork {

// A page of the agent editor. Its table names the agent fields it edits and
// the controls that show them; the page keeps its own copy of those fields
// (its page values), which the sheet fills before the page is shown and reads
// back after OK. The controls are made with the page, so that the sheet
// knows its size before it opens; they are loaded and saved by the sheet's
// rules (see PropertyPage).
class AgentPage : public PropertyPage {
public:
    // `table` must outlive the page: a constant of the page's own file.
    AgentPage(const QString& caption, std::span<const PageField> table, QWidget* parent);

    // The page values: the table's fields; every other field stays empty.
    const AgentDefinition& values() const { return values_; }

    // Copies the table's fields between an agent and the page values.
    void ReadFrom(const AgentDefinition& agent) { fields_.Copy(agent, values_); }
    void WriteTo(AgentDefinition& agent) const { fields_.Copy(values_, agent); }

    // True while the page holds a change: its values, taken with what the
    // controls show now, differ from what the controls showed when the page
    // was first brought to the front. An edit undone is no change, and a
    // page never shown has none.
    virtual bool HasChanges() const;

protected:
    void LoadPage() override;
    void SavePage() override { fields_.Save(values_); }

    const PageFields& fields() const { return fields_; }
    AgentDefinition& pageValues() { return values_; }

private:
    PageFields fields_;
    AgentDefinition values_;
    std::optional<AgentDefinition> firstShown_;  // the values as first shown
};

}  // namespace gleanwork
