#pragma once

#include "settings/SettingsModel.h"

#include <string>
#include <string_view>
#include <vector>

namespace vimbrel {

// The master file names the active collection; it lives in the settings
// directory beside the collection files vimbrel000.ini .. vimbrel999.ini.
inline constexpr std::string_view kMasterFileName = "vimbrel.ini";
inline constexpr std::string_view kDefaultCollectionFile = "vimbrel000.ini";
inline constexpr std::string_view kDefaultDescription = "<default collection>";
inline constexpr std::string_view kUnknown = "<unknown>";

// The content start-up writes for a missing master file or collection file.
std::vector<std::string> DefaultMasterFileLines();
std::vector<std::string> DefaultCollectionFileLines();

// A collection file's name must name a file in the settings directory
// itself: no folder part, not "." or "..", not empty. The master file's
// Settings value is only ever used when it passes this test.
bool IsBareFileName(std::string_view name);

// The backup beside a collection file: every ".ini" of the name replaced
// by ".bak" (vimbrel012.ini -> vimbrel012.bak). A name without ".ini" would
// be its own backup, and the copy would destroy the file, so ".bak" is
// added to it instead.
std::string BackupFileName(std::string_view collectionFile);

// A text value as the file holds it, such that the profile reader gives it
// back unchanged: the reader trims blanks and takes off one pair of
// matching quotes, so a value that starts or ends with a blank or a quote
// is written inside double quotes. Any other value is written as it is.
std::string ProfileText(std::string_view value);

// The whole collection file, line by line, as a full save writes it.
std::vector<std::string> CollectionFileLines(const SettingsModel& model);

} // namespace vimbrel
