#pragma once

#include "TempDirectory.h"
#include "display/DisplayModes.h"
#include "platform/Clock.h"
#include "platform/CursorCounter.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessControl.h"
#include "platform/ProfileFile.h"
#include "platform/RandomSource.h"
#include "platform/Services.h"
#include "state/ProgramState.h"

#include <deque>
#include <string>
#include <vector>

namespace vimbrel::test {

// Test double: hands out a fixed sequence of random numbers, the last one
// again once the sequence is used up, and counts the reseeds.
class SequenceRandomSource final : public platform::RandomSource {
public:
    explicit SequenceRandomSource(std::vector<float> values = {0.5f});
    float Rnd() override;
    void Randomize() override { ++reseeds; }
    int reseeds = 0;

private:
    std::vector<float> m_values;
    std::size_t m_next = 0;
};

// Test double: a clock the test sets by hand.
class ManualClock final : public platform::Clock {
public:
    double Timer() const override { return seconds; }
    double seconds = 0;
};

// Test double for modal message boxes, which would wait for a click: it
// records every message and gives the answers queued by the test (OK, or
// No for a question, when none is queued).
class AnsweringMessageBoxes final : public platform::MessageBoxes {
public:
    platform::MessageAnswer Show(std::string_view text, platform::MessageIcon icon,
                                 platform::MessageButtons buttons) override;
    void Beep() override { ++beeps; }
    int beeps = 0;
    struct Shown {
        std::string text;
        platform::MessageIcon icon;
        platform::MessageButtons buttons;
    };
    std::vector<Shown> shown;
    std::deque<platform::MessageAnswer> answers;
};

// A display-mode table given by the test.
class TableModeSource final : public DisplayModeSource {
public:
    TableModeSource(int32_t depth, std::vector<DisplayMode> modes)
        : m_depth(depth), m_modes(std::move(modes)) {}
    int32_t DesktopColorDepth() override { return m_depth; }
    std::optional<DisplayMode> Mode(int i) override;
    // Records the change and answers with changeResult.
    int32_t Change(const DisplayMode& mode) override {
        changes.push_back(mode);
        return changeResult;
    }
    std::vector<DisplayMode> changes;
    int32_t changeResult = 0;

private:
    int32_t m_depth;
    std::vector<DisplayMode> m_modes;
};

// Thrown by EndingProcessControl where the program would end on the spot.
struct ProcessEnded {
    int exitCode;
};

// Test double: ending the process would end the test run; this throws
// ProcessEnded instead, which the test catches.
class EndingProcessControl final : public platform::ProcessControl {
protected:
    [[noreturn]] void Exit(int exitCode) override { throw ProcessEnded{exitCode}; }
};

// The program's services for one test: real profile files and cursor
// counter, a settings directory of the test's own (VIMBREL_HOME points at
// it while the object lives), a fixed random sequence and answered
// message boxes.
class TestPlatform {
public:
    explicit TestPlatform(std::vector<float> randomValues = {0.5f});
    ~TestPlatform();

    const std::filesystem::path& settingsDirectory() const { return m_home.path(); }
    std::filesystem::path operator/(std::string_view name) const { return m_home / name; }

    platform::ProfileFiles profiles;
    AnsweringMessageBoxes messageBoxes;
    ManualClock clock;
    SequenceRandomSource random;
    platform::CursorCounter cursor;
    CurrentModeOnly displayModes{800, 800, 24};
    EndingProcessControl process;
    platform::Services services;

private:
    TempDirectory m_home;
    TempDirectory m_runtime;
    std::string m_previousHome;
    std::string m_previousRuntime;
    std::filesystem::path m_previousDirectory;
};

} // namespace vimbrel::test
