#include "runtime/Error.h"

#include <cerrno>
#include <filesystem>
#include <limits>
#include <new>
#include <stdexcept>

namespace vimbrel {

Error::Error(int number, std::string source, std::string description)
    : std::runtime_error(FormatErrorReport(number, source, description)), m_number(number),
      m_source(std::move(source)), m_description(std::move(description)) {}

std::string DescriptionOf(int number) {
    switch (number) {
    case ErrorNumber::Overflow:
        return "Overflow";
    case ErrorNumber::OutOfMemory:
        return "Out of memory";
    case ErrorNumber::SubscriptOutOfRange:
        return "Subscript out of range";
    case ErrorNumber::InternalError:
        return "Internal error";
    case ErrorNumber::FileNotFound:
        return "File not found";
    case ErrorNumber::BadFileMode:
        return "Bad file mode";
    case ErrorNumber::DeviceIoError:
        return "Device I/O error";
    case ErrorNumber::FileAlreadyExists:
        return "File already exists";
    case ErrorNumber::DiskFull:
        return "Disk full";
    case ErrorNumber::PermissionDenied:
        return "Permission denied";
    case ErrorNumber::PathFileAccessError:
        return "Path/File access error";
    case ErrorNumber::PathNotFound:
        return "Path not found";
    default:
        return "Application-defined or object-defined error";
    }
}

Error ProgramErrorOf(const std::exception& failure, std::string source) {
    if (const auto* fileSystem = dynamic_cast<const std::filesystem::filesystem_error*>(&failure)) {
        const std::error_code code = fileSystem->code();
        if (code.category() == std::generic_category() ||
            code.category() == std::system_category()) {
            return FileError(code.value(), std::move(source), fileSystem->path1().string());
        }
        return MakeError(ErrorNumber::PathFileAccessError, std::move(source));
    }
    int number = ErrorNumber::InternalError;
    if (dynamic_cast<const std::out_of_range*>(&failure) != nullptr) {
        number = ErrorNumber::SubscriptOutOfRange;
    } else if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr ||
               dynamic_cast<const std::length_error*>(&failure) != nullptr) {
        number = ErrorNumber::OutOfMemory;
    } else if (dynamic_cast<const std::overflow_error*>(&failure) != nullptr ||
               dynamic_cast<const std::range_error*>(&failure) != nullptr) {
        number = ErrorNumber::Overflow;
    }
    return MakeError(number, std::move(source));
}

Error MakeError(int number, std::string source) {
    return Error(number, std::move(source), DescriptionOf(number));
}

Error FileError(int errnoValue, std::string source, const std::string& path) {
    int number = ErrorNumber::PathFileAccessError;
    switch (errnoValue) {
    case ENOENT:
        number = ErrorNumber::FileNotFound;
        break;
    case EEXIST:
        number = ErrorNumber::FileAlreadyExists;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        number = ErrorNumber::PermissionDenied;
        break;
    case ENOTDIR:
        number = ErrorNumber::PathNotFound;
        break;
    case ENOSPC:
    case EDQUOT:
        number = ErrorNumber::DiskFull;
        break;
    case EIO:
        number = ErrorNumber::DeviceIoError;
        break;
    default:
        break;
    }
    // The path tells the user which file, since the settings directory
    // holds several.
    return Error(number, std::move(source), DescriptionOf(number) + ": " + path);
}

std::string FormatErrorReport(int number, const std::string& source,
                              const std::string& description) {
    return "Error " + std::to_string(number) + " in " + source + ": " + description;
}

int16_t ToInt16(int64_t value) {
    if (value < std::numeric_limits<int16_t>::min() ||
        value > std::numeric_limits<int16_t>::max()) {
        throw MakeError(ErrorNumber::Overflow, "Vimbrel");
    }
    return static_cast<int16_t>(value);
}

int32_t ToInt32(int64_t value) {
    if (value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        throw MakeError(ErrorNumber::Overflow, "Vimbrel");
    }
    return static_cast<int32_t>(value);
}

} // namespace vimbrel
