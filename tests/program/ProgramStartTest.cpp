// The real program, started the way a user or the screen-saver host starts it.

#include "TempDirectory.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::TempDirectory;

class ProgramStart : public ::testing::Test {
protected:
    QProcess* Start(const QStringList& arguments, const std::filesystem::path& home) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VIMBREL_HOME", QString::fromStdString(home.string()));
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(m_runtime.path().string()));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        m_process.setProcessEnvironment(environment);
        m_process.start(VIMBREL_PROGRAM_PATH, arguments);
        return &m_process;
    }

    TempDirectory m_runtime;
    QProcess m_process;
};

TEST_F(ProgramStart, UnknownSwitchCreatesTheSettingsAndSaysHowToUseIt) {
    TempDirectory home;
    QProcess* program = Start({"/x"}, home.path());
    ASSERT_TRUE(program->waitForFinished(20000));
    EXPECT_EQ(program->exitCode(), 2);
    EXPECT_TRUE(program->readAllStandardError().contains("Usage: vimbrel"));
    EXPECT_TRUE(std::filesystem::exists(home / "vimbrel.ini"));
    EXPECT_TRUE(std::filesystem::exists(home / "vimbrel000.ini"));
}

TEST_F(ProgramStart, HelpPrintsUsageAndTouchesNothing) {
    TempDirectory home;
    QProcess* program = Start({"--help"}, home.path() / "unused");
    ASSERT_TRUE(program->waitForFinished(20000));
    EXPECT_EQ(program->exitCode(), 0);
    EXPECT_TRUE(program->readAllStandardOutput().contains("/S"));
    EXPECT_FALSE(std::filesystem::exists(home / "unused"));
}

// Without an X server no id names a window: the preview ends at its first
// tick. (The password dialog waits for the user: PasswordEndToEndTest.cpp.)
TEST_F(ProgramStart, PreviewWithoutAHostWindowEndsQuietly) {
    TempDirectory home;
    QProcess* program = Start({"/p", "1234"}, home.path());
    ASSERT_TRUE(program->waitForFinished(20000));
    EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program->exitCode(), 0);
    EXPECT_TRUE(std::filesystem::exists(home / "vimbrel000.ini"));
}

TEST_F(ProgramStart, SettingsDirectoryThatCannotBeMadeIsReportedWithItsNumber) {
    TempDirectory home;
    test::WriteBytes(home / "file", "x");
    QProcess* program = Start({"/S"}, home / "file" / "vimbrel");
    // The report goes to standard error, then a message box waits for OK.
    QByteArray errors;
    for (int i = 0; i < 200 && !errors.contains("\n"); ++i) {
        program->waitForReadyRead(100);
        errors += program->readAllStandardError();
    }
    program->kill();
    program->waitForFinished(5000);
    EXPECT_TRUE(errors.contains("Error 76 in GetWindowsDirectory: Path not found"))
        << errors.data();
}

} // namespace
} // namespace vimbrel
