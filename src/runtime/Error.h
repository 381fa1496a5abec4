#pragma once

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

namespace vimbrel {

// The program's error: a number, the procedure or component that raised it,
// and a description for the user. Everything that can fail raises one of
// these, so every caller handles one kind of failure.
class Error : public std::runtime_error {
public:
    Error(int number, std::string source, std::string description);

    int number() const { return m_number; }
    const std::string& source() const { return m_source; }
    const std::string& description() const { return m_description; }

private:
    int m_number;
    std::string m_source;
    std::string m_description;
};

// Error numbers the program raises, with the descriptions a user sees.
namespace ErrorNumber {
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int InternalError = 51;
inline constexpr int FileNotFound = 53;
inline constexpr int BadFileMode = 54;
inline constexpr int DeviceIoError = 57;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int DiskFull = 61;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccessError = 75;
inline constexpr int PathNotFound = 76;
// The media player's, besides the file errors:
// mpv cannot start, or a file exists but holds nothing it can play.
inline constexpr int CannotPlayMedia = 1001;
// The loaded media cannot answer a question about itself (no clip title).
inline constexpr int NoMediaInformation = 1002;
// The machine's sound or picture output cannot start (no sound device, no
// synthesizer sounds for MIDI): the file itself may be fine.
inline constexpr int OutputUnavailable = 1003;
// A play list none of whose entries can be played.
inline constexpr int PlayListUnplayable = 1004;
// The media did not open in time: a slow or hung mount, no fault of the file.
inline constexpr int MediaStalled = 1005;
// A processor fault (crash/ExceptionFilter.h).
inline constexpr int ProcessorFault = 10000;
} // namespace ErrorNumber

// The standard description of an error number ("Overflow", "File not found").
std::string DescriptionOf(int number);

// An error whose description is the standard one for its number.
Error MakeError(int number, std::string source);

// The error that stands for a failed file operation, from the C library's
// errno: a missing file is 53, an existing target 58, a refused access 70,
// a missing folder 76, a full disk 61, anything else 75.
Error FileError(int errnoValue, std::string source, const std::string& path);

// The program's own error for a failure a library reported: a subscript out
// of range is 9, memory that ran out 7, a number out of range 6, a file
// system failure the file error of its cause; anything else is 51, "Internal
// error". The library's own words never reach the user.
Error ProgramErrorOf(const std::exception& failure, std::string source);

// The one-line report of an error that nobody handled, as the user sees it.
std::string FormatErrorReport(int number, const std::string& source,
                              const std::string& description);
inline std::string FormatErrorReport(const Error& error) {
    return FormatErrorReport(error.number(), error.source(), error.description());
}

// 16-bit whole numbers of the settings model: a value outside -32768..32767
// is the overflow error, which stops a settings load at its key.
int16_t ToInt16(int64_t value);

// 32-bit whole numbers (window handles): the same rule for -2^31..2^31-1.
int32_t ToInt32(int64_t value);

} // namespace vimbrel
