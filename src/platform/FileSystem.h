#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vimbrel::platform {

// Files and folders. Failures raise the program's error (runtime/Error.h)
// with the number a user knows: 53 for a missing file, 70 for a refused
// access, 75 for any other failure, and so on.

// True when a plain file (not a folder) of that name exists.
bool FileExists(const std::filesystem::path& path);

std::filesystem::path CurrentDirectory();
void SetCurrentDirectory(const std::filesystem::path& path);

// The whole file, or nothing when it does not exist. Any other failure
// (a refused read, a folder of that name) raises the error, so that a
// caller about to rewrite the file never mistakes it for a missing one.
std::optional<std::string> ReadFileIfPresent(const std::filesystem::path& path);

// The whole file; a missing file is error 53.
std::string ReadWholeFile(const std::filesystem::path& path);

// Replaces the file's content all at once: the bytes go to a new file
// beside it, which then takes the file's place, so that a failure at any
// point (a full disk, a crash) leaves either the old or the new content,
// never half of it. A file the user has made read-only is refused (error
// 70), as it would be when opened for writing; a symbolic link is followed
// and the file it names is replaced. The new file keeps the old one's
// permissions; a file created here gets the usual ones of the user's umask.
void WriteFileReplacing(const std::filesystem::path& path, std::string_view bytes,
                        const std::string& source);

// Text files as the settings have them: lines end with CR LF.
std::string JoinTextLines(const std::vector<std::string>& lines);
void WriteTextLines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                    const std::string& source);

// The lines of a text file, split at CR LF, LF or CR. A final line end does
// not start another line.
std::vector<std::string> SplitTextLines(std::string_view bytes);

// Makes a folder and its parents; an existing folder is fine.
void CreateDirectories(const std::filesystem::path& path, const std::string& source);

} // namespace vimbrel::platform
