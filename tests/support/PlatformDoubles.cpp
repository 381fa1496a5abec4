#include "PlatformDoubles.h"

#include <cstdlib>

namespace vimbrel::test {

namespace {

std::string Getenv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void Restore(const char* name, const std::string& value) {
    if (value.empty()) {
        ::unsetenv(name);
    } else {
        ::setenv(name, value.c_str(), 1);
    }
}

} // namespace

SequenceRandomSource::SequenceRandomSource(std::vector<float> values)
    : m_values(std::move(values)) {}

float SequenceRandomSource::Rnd() {
    if (m_values.empty()) {
        return 0.0f;
    }
    const float value = m_values[std::min(m_next, m_values.size() - 1)];
    ++m_next;
    return value;
}

platform::MessageAnswer AnsweringMessageBoxes::Show(std::string_view text,
                                                    platform::MessageIcon icon,
                                                    platform::MessageButtons buttons) {
    shown.push_back({std::string(text), icon, buttons});
    if (!answers.empty()) {
        const platform::MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons == platform::MessageButtons::YesNo ? platform::MessageAnswer::No
                                                      : platform::MessageAnswer::Ok;
}

std::optional<DisplayMode> TableModeSource::Mode(int i) {
    if (i < 0 || static_cast<std::size_t>(i) >= m_modes.size()) {
        return std::nullopt;
    }
    return m_modes[static_cast<std::size_t>(i)];
}

TestPlatform::TestPlatform(std::vector<float> randomValues)
    : profiles(std::filesystem::path()),
      random(std::move(randomValues)), services{profiles, messageBoxes, clock,  random,
                                                cursor,   displayModes, process},
      m_previousHome(Getenv("VIMBREL_HOME")), m_previousRuntime(Getenv("XDG_RUNTIME_DIR")),
      m_previousDirectory(std::filesystem::current_path()) {
    ::setenv("VIMBREL_HOME", m_home.path().c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", m_runtime.path().c_str(), 1);
    profiles.SetDirectory(m_home.path());
}

TestPlatform::~TestPlatform() {
    std::error_code error;
    std::filesystem::current_path(m_previousDirectory, error);
    Restore("VIMBREL_HOME", m_previousHome);
    Restore("XDG_RUNTIME_DIR", m_previousRuntime);
}

} // namespace vimbrel::test
