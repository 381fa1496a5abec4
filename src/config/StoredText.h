#pragma once

#include <QString>
#include <string_view>

namespace vimbrel {

// Text from a settings file as the dialogs show it. Files written by this
// program hold UTF-8; files written on other systems may hold single-byte
// text of the Windows-1252 code page (a description "Caf\xE9"), which shows
// as such instead of as replacement characters. The bytes themselves are
// kept by the caller and written back unless the user edits the text.
QString StoredText(std::string_view bytes);

} // namespace vimbrel
