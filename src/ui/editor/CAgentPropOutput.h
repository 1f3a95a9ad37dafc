#pragma once

#include <cstdint>
#include <string>

#include "ui/editor/AgentPage.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace gleanwork {

struct AgentDefinition;

// The Output settings page of the agent editor: the output file and whether a
// run adds to it, and the database that INSERTDATA and UPDATEDATA write into,
// with a button that tries it.
class CAgentPropOutput : public AgentPage {
    Q_OBJECT

public:
    // The page values, all empty (the flag 0) when the page is made.
    struct Values {
        std::string outputFile;
        std::int32_t append = 0;
        std::string dataSource;
        std::string databaseUser;
        std::string databasePassword;
        std::string insertStatement;
        std::string updateStatement;
    };

    explicit CAgentPropOutput(QWidget* parent = nullptr);

    const Values& values() const { return values_; }

    // Copies the seven fields this page maps between an agent and the page.
    void ReadFrom(const AgentDefinition& agent) override;
    void WriteTo(AgentDefinition& agent) const override;

protected:
    void OnInitPage() override;
    void LoadPage() override;
    void SavePage() override;

private:
    void LoadAppendFlag();
    void OnAppendClicked();
    void OnTestConnection();

    Values values_;
    QLineEdit* outputFile_ = nullptr;
    QCheckBox* append_ = nullptr;
    QGroupBox* database_ = nullptr;
    QLineEdit* dataSource_ = nullptr;
    QLineEdit* databaseUser_ = nullptr;
    QLineEdit* databasePassword_ = nullptr;
    QLineEdit* insertStatement_ = nullptr;
    QLineEdit* updateStatement_ = nullptr;
    QLabel* connectionResult_ = nullptr;
};

}  // namespace gleanwork
