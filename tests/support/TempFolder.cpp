#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace gleanwork::test {

TempFolder::TempFolder() {
    path_ = (std::filesystem::temp_directory_path() / "gleanwork-test-XXXXXX").string();
    if (::mkdtemp(path_.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ScopedEnvironment::ScopedEnvironment(std::string name, const char* value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) {
        oldValue_ = old;
    }
    value == nullptr ? ::unsetenv(name_.c_str()) : ::setenv(name_.c_str(), value, 1);
}

ScopedEnvironment::~ScopedEnvironment() {
    oldValue_ ? ::setenv(name_.c_str(), oldValue_->c_str(), 1) : ::unsetenv(name_.c_str());
}

}  // namespace gleanwork::test
