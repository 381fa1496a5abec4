#pragma once

// A configuration dialog over a collection of the test's own: real settings
// files in a temporary settings directory, loaded by the program's own
// start-up, real widgets on the offscreen platform.

#include "PlatformDoubles.h"
#include "config/Collections.h"
#include "config/Configuration.h"
#include "platform/Pickers.h"
#include "startup/Main.h"
#include "state/ProgramState.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace vimbrel::test {

// Test double for the folder dialog, which would wait for a click: it
// records each prompt and gives the answers queued by the test ("" , the
// cancel, when none is queued).
class AnsweringFolderPicker final : public platform::FolderPicker {
public:
    std::string BrowseForFolder(QWidget*, std::string_view prompt) override {
        prompts.emplace_back(prompt);
        if (answers.empty()) {
            return "";
        }
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::string> answers;
    std::vector<std::string> prompts;
};

// Test double for the colour dialog: records where it opened and gives the
// queued answers (a cancel when none is queued).
class AnsweringColorPicker final : public platform::ColorPicker {
public:
    std::optional<int32_t> ChooseColor(QWidget*, int32_t start) override {
        starts.push_back(start);
        if (answers.empty()) {
            return std::nullopt;
        }
        const std::optional<int32_t> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<int32_t>> answers;
    std::vector<int32_t> starts;
};

// One folder of a collection file.
struct FolderLines {
    std::string path;
    std::vector<std::string> options; // "Interval=75" and so on
};

class ConfigurationTest : public ::testing::Test {
protected:
    // Writes the collection file with these [Options] lines and folders.
    void WriteCollection(std::vector<std::string> options,
                         const std::vector<FolderLines>& folders) {
        options.insert(options.begin(), "[Options]");
        options.push_back("Folders=" + std::to_string(folders.size()));
        std::string bytes;
        for (const std::string& line : options) {
            bytes += line + "\r\n";
        }
        for (std::size_t i = 0; i < folders.size(); ++i) {
            bytes += "[Folder" + std::to_string(i + 1) + "]\r\nSet=" + folders[i].path + "\r\n";
            for (const std::string& line : folders[i].options) {
                bytes += line + "\r\n";
            }
        }
        WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel000.ini"}));
        WriteBytes(CollectionPath(), bytes);
    }

    // Start-up in configure mode, then the dialog's own loading.
    Configuration& Open() {
        Main(state, platform.services, "/C");
        dialog =
            std::make_unique<Configuration>(state, platform.services, folderPicker, colorPicker);
        dialog->Form_Load();
        return *dialog;
    }

    // Shown and active, for tests that need the keyboard focus.
    Configuration& OpenShown() {
        Open();
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return *dialog;
    }

    // The collections dialog opens modally from the folder list; this runs
    // `act` on it once it is up, from within its own event loop.
    void WhenCollectionsOpen(std::function<void(Collections&)> act) {
        auto* poll = new QTimer(dialog.get());
        QObject::connect(poll, &QTimer::timeout, poll, [poll, act = std::move(act)] {
            if (auto* shown = dynamic_cast<Collections*>(QApplication::activeModalWidget())) {
                poll->deleteLater();
                poll->stop();
                act(*shown);
            }
        });
        poll->start(5);
    }

    std::filesystem::path CollectionPath() const { return platform / "vimbrel000.ini"; }
    std::string CollectionBytes() const { return ReadBytes(CollectionPath()); }

    const FolderEntry& Entry(int n) const {
        return state.model.FolderTable.at(static_cast<std::size_t>(n));
    }

    TestPlatform platform;
    ProgramState state;
    AnsweringFolderPicker folderPicker;
    AnsweringColorPicker colorPicker;
    std::unique_ptr<Configuration> dialog;
};

} // namespace vimbrel::test
