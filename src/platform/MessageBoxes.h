#pragma once

#include <string>
#include <string_view>

namespace vimbrel::platform {

enum class MessageIcon { Information, Question, Exclamation, Critical };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Modal messages to the user, with the program's title. Tests answer them
// through their own implementation instead of waiting for a click.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer Show(std::string_view text, MessageIcon icon, MessageButtons buttons) = 0;
    // The system's beep.
    virtual void Beep() = 0;
};

// A modal message box on screen; also written to standard error, so that a
// message reaches the user where no window can appear.
class ScreenMessageBoxes final : public MessageBoxes {
public:
    MessageAnswer Show(std::string_view text, MessageIcon icon, MessageButtons buttons) override;
    void Beep() override;
};

// Messages where no window of the program's may appear (inside a screen
// locker, which owns the screen): written to standard error only, answered
// with OK, or No to a question.
class TerminalMessageBoxes final : public MessageBoxes {
public:
    MessageAnswer Show(std::string_view text, MessageIcon icon, MessageButtons buttons) override;
    void Beep() override {}
};

inline constexpr std::string_view kProgramTitle = "Vimbrel";

// A line for whoever reads the terminal the program was started from (or
// the session's log), under the program's title: what the show cannot do
// on this machine, which no window should interrupt it for.
void WriteToTerminal(std::string_view text);

} // namespace vimbrel::platform
