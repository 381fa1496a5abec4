#pragma once

#include <cstddef>
#include <ctime>
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

// True when anything of that name exists: a file, a folder, a device. A
// symbolic link counts by what it leads to.
bool PathExists(const std::filesystem::path& path);

// The absolute name of a file, with every symbolic link, "." and ".."
// resolved; a missing file raises error 53.
std::string RealPath(const std::filesystem::path& path, const std::string& source);

// Raises the program's error unless the name is a plain file that can be
// opened for reading: 53 when it is missing, 70 when reading is refused, 75
// for a folder, pipe or device. Opening never waits on a pipe.
void CheckPlainFileReadable(const std::filesystem::path& path, const std::string& source);

// The bytes of a plain file, or nothing when it holds more than `limit`
// bytes (a file that grows while it is read included). A folder, pipe or
// device raises error 75 without being read, so that a pipe given a media
// file's name never makes the program wait.
std::optional<std::string> ReadPlainFileUpTo(const std::filesystem::path& path, std::size_t limit,
                                             const std::string& source);

// Opens a file for reading, for a reader that takes a descriptor: the
// descriptor, which the caller closes with CloseDescriptor, or -1. A pipe
// never makes the reader wait: it reads as empty. Unlike a QString path,
// the name goes to the system byte for byte, even when it is not valid
// UTF-8.
int OpenForReading(const std::filesystem::path& path);
void CloseDescriptor(int descriptor);

// What changes whenever a file is rewritten or replaced: its identity, size
// and time of change. A missing file has the empty stamp.
struct FileStamp {
    unsigned long long identity = 0;
    long long size = 0;
    std::timespec modified{};
    bool operator==(const FileStamp& other) const {
        return identity == other.identity && size == other.size &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};
FileStamp StampOf(const std::filesystem::path& path);

// Removes a file; one that is already gone is fine.
void RemoveFileIfPresent(const std::filesystem::path& path, const std::string& source);

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
//
// A private file is readable and writable by its owner alone, whatever it
// was before, and is never readable by others, not even while it is being
// written; its own read-only mark does not stop the replacement.
enum class FileAccess { Usual, Private };
void WriteFileReplacing(const std::filesystem::path& path, std::string_view bytes,
                        const std::string& source, FileAccess access = FileAccess::Usual);

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
