#pragma once

#include <optional>
#include <string>

namespace gleanwork::test {

// A fresh folder under the system's temporary folder, removed with all its
// content when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Writes `content` to `path` as it stands (no line-end conversion).
void WriteFile(const std::string& path, const std::string& content);

// The bytes of the file at `path`; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// Sets an environment variable for as long as the object lives.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::optional<std::string> oldValue_;
};

// A fresh folder that is the installation folder (GLEANWORK_INSTALLDIR) for
// as long as the object lives.
class TempInstallFolder : public TempFolder {
public:
    TempInstallFolder() : install_("GLEANWORK_INSTALLDIR", Path().c_str()) {}

private:
    ScopedEnvironment install_;
};

}  // namespace gleanwork::test
