#include "watch/AlertRule.h"

#include <array>
#include <utility>

#include "base/TextScan.h"

namespace gleanwork {

namespace {

constexpr std::array<std::pair<AlertEvent, const char*>, 4> kEventWords = {{
    {AlertEvent::kFailure, "failure"},
    {AlertEvent::kChange, "change"},
    {AlertEvent::kEmpty, "empty"},
    {AlertEvent::kRecovery, "recovery"},
}};

// What a run's outcome counts as for incidents.
enum class RunKind { kSuccess, kFailure, kEmpty, kNeither };

RunKind KindOf(std::string_view outcome) {
    if (outcome == "ok" || outcome == "changed" || outcome == "unchanged") {
        return RunKind::kSuccess;
    }
    if (outcome == "failed") {
        return RunKind::kFailure;
    }
    return outcome == "empty" ? RunKind::kEmpty : RunKind::kNeither;
}

// The incidents open when a run starts, from the runs since the last success.
struct OpenIncidents {
    bool failure = false;    // one of them failed
    bool empty = false;      // two of them in a row were empty
    bool lastEmpty = false;  // the newest of them was empty
};

OpenIncidents IncidentsOpenAfter(const std::vector<std::string>& previousOutcomes) {
    OpenIncidents open;
    bool newest = true;
    bool newerEmpty = false;
    for (const std::string& outcome : previousOutcomes) {
        const RunKind kind = KindOf(outcome);
        if (kind == RunKind::kSuccess) {
            break;
        }
        if (kind == RunKind::kNeither) {
            continue;
        }
        const bool empty = kind == RunKind::kEmpty;
        open.failure = open.failure || kind == RunKind::kFailure;
        open.empty = open.empty || (empty && newerEmpty);
        open.lastEmpty = newest ? empty : open.lastEmpty;
        newerEmpty = empty;
        newest = false;
    }
    return open;
}

bool IsNotifyOnSeparator(char c) {
    return c == ',' || IsWhitespace(c);
}

}  // namespace

const char* AlertEventWord(AlertEvent event) {
    for (const auto& [known, word] : kEventWords) {
        if (known == event) {
            return word;
        }
    }
    return "";
}

NotifyOnChoice ReadNotifyOn(std::string_view text) {
    NotifyOnChoice choice;
    std::size_t at = 0;
    while (at < text.size()) {
        if (IsNotifyOnSeparator(text[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !IsNotifyOnSeparator(text[end])) {
            ++end;
        }
        const std::string word = LowerCase(text.substr(at, end - at));
        bool known = false;
        for (const auto& [event, eventWord] : kEventWords) {
            if (word == eventWord) {
                choice.events.insert(event);
                known = true;
            }
        }
        if (!known) {
            choice.unknownWords.emplace_back(text.substr(at, end - at));
        }
        at = end;
    }
    return choice;
}

std::optional<AlertEvent> ChooseAlert(std::string_view outcome,
                                      const std::vector<std::string>& previousOutcomes,
                                      const NotifyOnChoice& wanted) {
    const OpenIncidents open = IncidentsOpenAfter(previousOutcomes);
    const auto wantedOnly = [&wanted](bool happens, AlertEvent event) {
        return happens && wanted.Wants(event) ? std::optional(event) : std::nullopt;
    };
    switch (KindOf(outcome)) {
        case RunKind::kFailure:
            return wantedOnly(!open.failure, AlertEvent::kFailure);
        case RunKind::kEmpty:
            return wantedOnly(open.lastEmpty && !open.empty, AlertEvent::kEmpty);
        case RunKind::kSuccess: {
            const bool recovers = open.failure || (open.empty && wanted.Wants(AlertEvent::kEmpty));
            const std::optional<AlertEvent> recovery = wantedOnly(recovers, AlertEvent::kRecovery);
            return recovery ? recovery : wantedOnly(outcome == "changed", AlertEvent::kChange);
        }
        case RunKind::kNeither:
            break;
    }
    return std::nullopt;
}

}  // namespace gleanwork
