#include "ui/editor/ConnectionTest.h"

#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "engine/DatabaseCheck.h"
#include "ui/common/DisplayText.h"

namespace gleanwork {

// What the test's thread hands the window; the last of the two to go frees it.
struct ConnectionTest::Outcome {
    std::mutex mutex;
    std::optional<std::string> report;
};

namespace {

constexpr int kPollMilliseconds = 50;

}  // namespace

ConnectionTest::ConnectionTest(QObject* parent) : QObject(parent) {
    poll_.setInterval(kPollMilliseconds);
    connect(&poll_, &QTimer::timeout, this, &ConnectionTest::Collect);
}

bool ConnectionTest::Start(const AgentDefinition& agent) {
    if (IsRunning()) {
        return false;
    }
    auto outcome = std::make_shared<Outcome>();
    try {
        std::thread([outcome, agent] {
            std::string report;
            try {
                report = CheckDatabaseSettings(agent);
            } catch (const std::exception& error) {
                report = std::string("The test ends on an unexpected failure: ") + error.what();
            }
            const std::lock_guard lock(outcome->mutex);
            outcome->report = std::move(report);
        }).detach();
    } catch (const std::system_error& error) {
        emit finished(QStringLiteral("The test could not start: ") + error.what());
        return true;
    }
    outcome_ = std::move(outcome);
    poll_.start();
    return true;
}

void ConnectionTest::Collect() {
    std::optional<std::string> report;
    {
        const std::lock_guard lock(outcome_->mutex);
        report.swap(outcome_->report);
    }
    if (!report) {
        return;
    }
    poll_.stop();
    outcome_.reset();
    emit finished(ToDisplayText(*report));
}

}  // namespace gleanwork
