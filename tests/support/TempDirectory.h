#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vimbrel::test {

// A fresh folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Whole-file helpers for checking what the program wrote, byte for byte.
std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// Lines joined with CR LF after each, as the settings files are written.
std::string CrLf(std::initializer_list<std::string_view> lines);

// Runs the function in a child process that has given up the right to
// override file permissions, so that a test run as root still meets a
// read-only file or folder as a user does. Root drops the capabilities that
// override permissions (possible everywhere, in a chroot or a container
// too), or else enters a user namespace of its own. Returns the child's exit
// status (the function's result), or -1.
int RunWithoutPermissionOverride(int (*function)(void*), void* argument);

// Whether RunWithoutPermissionOverride can work here; tests that need it
// are skipped, saying why, where it cannot.
bool CanGiveUpPermissionOverride();
#define VIMBREL_SKIP_WITHOUT_PERMISSION_CHECKS()                                                   \
    if (!::vimbrel::test::CanGiveUpPermissionOverride())                                           \
    GTEST_SKIP() << "running as root, and neither dropping capabilities nor a user namespace "     \
                    "is allowed here, so file permissions cannot be met as a user meets them"

} // namespace vimbrel::test
