#pragma once

namespace vimbrel::platform {

// Ending the process on the spot, without any window's closing steps: the
// show does so when a folder holds nothing it can show.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    [[noreturn]] virtual void EndAtOnce(int exitCode) = 0;
};

class SystemProcessControl final : public ProcessControl {
public:
    [[noreturn]] void EndAtOnce(int exitCode) override;
};

} // namespace vimbrel::platform
