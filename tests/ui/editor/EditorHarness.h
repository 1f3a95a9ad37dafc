#pragma once

#include <QComboBox>
#include <QCoreApplication>
#include <QTabWidget>
#include <QTest>
#include <sstream>

#include "storage/AgentDefinition.h"
#include "ui/editor/CAgentPropActions.h"
#include "ui/editor/CAgentPropGeneral.h"
#include "ui/editor/CAgentPropOutput.h"
#include "ui/sheet/PropertySheet.h"

namespace gleanwork {

// Lets QCOMPARE show two agents that differ field by field.
inline char* toString(const AgentDefinition& agent) {
    std::ostringstream text;
    text << "name=" << agent.name << " DESCRIPTION=" << agent.DESCRIPTION << " URL=" << agent.URL
         << " USERAGENT=" << agent.USERAGENT << " WEBUSER=" << agent.WEBUSER
         << " WEBPASS=" << agent.WEBPASS << " HOST=" << agent.HOST << " PORT=" << agent.PORT
         << " FILE=" << agent.FILE << " APPEND=" << agent.APPEND << " DBSOURCE=" << agent.DBSOURCE
         << " DBUSER=" << agent.DBUSER << " DBPASS=" << agent.DBPASS
         << " DBINSERT=" << agent.DBINSERT.substr(0, 60) << " DBUPDATE=" << agent.DBUPDATE
         << " SCRIPT=";
    for (const std::string& line : agent.SCRIPT) {
        text << "[" << line << "]";
    }
    return QTest::toString(QString::fromStdString(text.str()));
}

}  // namespace gleanwork

namespace gleanwork::test {

// The editor's three pages in a sheet shown without a modal loop, so that a
// test can switch pages and work the controls directly.
class EditorHarness {
public:
    enum PageIndex { kGeneral = 0, kActions = 1, kOutput = 2 };

    explicit EditorHarness(const AgentDefinition& agent = {}) : sheet(QStringLiteral("Editor")) {
        sheet.AddPage(general);
        sheet.AddPage(actions);
        sheet.AddPage(output);
        general->ReadFrom(agent);
        actions->ReadFrom(agent);
        output->ReadFrom(agent);
        sheet.setModal(false);
        sheet.show();
        QCoreApplication::processEvents();
    }

    // Brings a page to the front as a click on its tab does.
    // Controls made while the sheet is visible show once events are handled.
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
