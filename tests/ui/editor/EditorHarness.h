#pragma once

#include <QComboBox>
#include <QCoreApplication>
#include <QTabWidget>
#include <QTest>

#include "storage/AgentFile.h"
#include "support/AgentSamples.h"
#include "support/TempFolder.h"
#include "ui/editor/CAgentPropActions.h"
#include "ui/editor/CAgentPropGeneral.h"
#include "ui/editor/CAgentPropOutput.h"
#include "ui/sheet/PropertySheet.h"

namespace gleanwork::test {

// The editor's three pages in a sheet shown without a modal loop, so that a
// test can switch pages and work the controls directly.
class EditorHarness {
public:
    enum PageIndex { kGeneral = 0, kActions = 1, kOutput = 2 };

    explicit EditorHarness(const AgentDefinition& agent = {}) : sheet(QStringLiteral("Editor")) {
        for (PropertyPage* page : std::initializer_list<PropertyPage*>{general, actions, output}) {
            sheet.AddPage(page);
        }
        general->ReadFrom(agent);
        actions->ReadFrom(agent);
        output->ReadFrom(agent);
        sheet.setModal(false);
        sheet.show();
        QCoreApplication::processEvents();
    }

    // Brings a page to the front as a click on its tab does.
    void ShowPage(PageIndex page) {
        sheet.tabs()->setCurrentIndex(page);
        QCoreApplication::processEvents();
    }

    // Leaves the page in front and comes back to it.
    void Revisit(PageIndex page) {
        ShowPage(page == kGeneral ? kActions : kGeneral);
        ShowPage(page);
    }

    // What OK writes: the page in front saved, then every page's values.
    AgentDefinition Result(AgentDefinition agent = {}) {
        sheet.ApplyChanges();
        general->WriteTo(agent);
        actions->WriteTo(agent);
        output->WriteTo(agent);
        return agent;
    }

    template <typename Control>
    Control* Find(const char* name) const {
        return sheet.findChild<Control*>(QLatin1String(name));
    }

    PropertySheet sheet;
    CAgentPropGeneral* general = new CAgentPropGeneral;
    CAgentPropActions* actions = new CAgentPropActions;
    CAgentPropOutput* output = new CAgentPropOutput;
};

}  // namespace gleanwork::test
