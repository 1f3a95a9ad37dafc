#include "ui/editor/ConnectionTest.h"

#include <exception>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "run/DatabaseCheck.h"
#include "ui/common/DisplayText.h"

namespace gleanwork {

namespace {

constexpr int kPollMilliseconds = 50;

}  // namespace

ConnectionTest::ConnectionTest(QObject* parent) : QObject(parent) {
    poll_.setInterval(kPollMilliseconds);
    connect(&poll_, &QTimer::timeout, this, &ConnectionTest::Collect);
}

void ConnectionTest::Start(const AgentDefinition& agent) {
    if (IsRunning()) {
        return;
    }
    auto outcome = std::make_shared<ThreadHandover<std::string>>();
    try {
        std::thread([outcome, agent] {
            std::string report;
            try {
                report = CheckDatabaseSettings(agent);
            } catch (const std::exception& error) {
                report = std::string("The test ends on an unexpected failure: ") + error.what();
            }
            outcome->Put(std::move(report));
        }).detach();
    } catch (const std::system_error& error) {
        emit finished(QStringLiteral("The test could not start: ") + error.what());
        return;
    }
    outcome_ = std::move(outcome);
    poll_.start();
}

void ConnectionTest::Collect() {
    const std::optional<std::string> report = outcome_->Take();
    if (!report) {
        return;
    }
    poll_.stop();
    outcome_.reset();
    emit finished(ToDisplayText(*report));
}

}  // namespace gleanwork
