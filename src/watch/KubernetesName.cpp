#include "watch/KubernetesName.h"

#include "watch/NameDigest.h"

namespace gleanwork {

namespace {

constexpr std::string_view kNamePrefix = "gleanwork-";
constexpr std::size_t kLongestLabel = 63;
constexpr std::size_t kLongestSubdomain = 253;

bool IsLowerAlphanumeric(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string KubernetesName(std::string_view agentName, std::size_t longest) {
    std::string name(kNamePrefix);
    for (const char c : agentName) {
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (IsLowerAlphanumeric(lower)) {
            name += lower;
        } else if (name.back() != '-') {
            name += '-';
        }
    }
    while (name.back() == '-') {
        name.pop_back();
    }
    if (name.size() - kNamePrefix.size() == agentName.size() &&
        name.substr(kNamePrefix.size()) == agentName && name.size() <= longest) {
        return name;
    }
    const std::string digest = "-" + NameDigest(agentName);
    name.resize(std::min(name.size(), longest - digest.size()));
    while (name.back() == '-') {
        name.pop_back();
    }
    return name + digest;
}

bool IsDnsLabel(std::string_view name) {
    if (name.empty() || name.size() > kLongestLabel || !IsLowerAlphanumeric(name.front()) ||
        !IsLowerAlphanumeric(name.back())) {
        return false;
    }
    for (const char c : name) {
        if (!IsLowerAlphanumeric(c) && c != '-') {
            return false;
        }
    }
    return true;
}

bool IsDnsSubdomain(std::string_view name) {
    if (name.empty() || name.size() > kLongestSubdomain) {
        return false;
    }
    for (std::size_t at = 0; at <= name.size();) {
        const std::size_t end = std::min(name.find('.', at), name.size());
        if (!IsDnsLabel(name.substr(at, end - at))) {
            return false;
        }
        at = end + 1;
    }
    return true;
}

}  // namespace gleanwork
