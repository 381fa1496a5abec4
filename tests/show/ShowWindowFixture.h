#pragma once

// A show window over a folder of real pictures, started as the program
// starts it, for the show's window tests.

#include "MediaFiles.h"
#include "PlatformDoubles.h"
#include "TempDirectory.h"
#include "media/MediaPlayer.h"
#include "show/CaptionLabel.h"
#include "show/MainForm.h"
#include "startup/Main.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace vimbrel {

using test::CrLf;
using test::ReadBytes;

// A picture of one colour in the format its extension names, written by
// ImageMagick under a plain name first: the name may hold bytes that are
// no UTF-8, which only the file system takes as they are.
inline void WritePicture(const std::filesystem::path& path, int width, int height, QColor colour) {
    const auto plain = path.parent_path() / ("picture" + path.extension().string());
    ASSERT_EQ(QProcess::execute("convert",
                                {"-size", QString("%1x%2").arg(width).arg(height),
                                 "xc:" + colour.name(), QString::fromStdString(plain.string())}),
              0);
    std::filesystem::rename(plain, path);
}

// JPEG colours come back within a step or two of what was written.
inline bool Near(const QColor& actual, const QColor& expected) {
    return std::abs(actual.red() - expected.red()) <= 8 &&
           std::abs(actual.green() - expected.green()) <= 8 &&
           std::abs(actual.blue() - expected.blue()) <= 8;
}

// One pointer move over a widget, as the window system delivers it.
inline void MoveOver(QWidget* widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// Waits until the picture the show reads, or the media the player opens,
// is there (or has failed): both happen off the UI thread.
// The show's own timer is held meanwhile, so that only the ticks a test
// gives count.
inline void Settle(MainForm& form) {
    const QSignalBlocker holdTheTimer(form.Timer1);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !form.MediaPlayer1->Opening() && form.Show.Loading.empty(); }, 15000));
}

// A key press typing `text`, as the window system delivers it; a show
// window is then let settle.
inline void Type(QWidget& form, const QString& text, int key = 0, bool autoRepeat = false) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text, autoRepeat);
    QApplication::sendEvent(&form, &press);
    if (auto* show = dynamic_cast<MainForm*>(&form)) {
        Settle(*show);
    }
}

// f captions, s next folder, z pause, r rename, n next, p previous.
inline const std::string kSpecialKeys =
    CrLf({"key_Special=1", "key_Captions=102", "key_NewFolder=115", "key_Pause=122",
          "key_Rename=114", "key_Next=110", "key_Previous=112"});

struct FolderOptions {
    int captions = 0;
    int background = 0;
    int interval = 3;
    int imageScale = 0;
    std::string options = ""; // extra [Options] lines
};

class ShowWindow : public ::testing::Test {
public:
    // Writes the collection and runs start-up in mode /S, as the program
    // does, then loads and shows the window.
    std::unique_ptr<MainForm> StartCollection(const std::string& collection) {
        test::WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel000.ini"}));
        test::WriteBytes(platform / "vimbrel000.ini", collection);
        EXPECT_EQ(Main(state, platform.services, "/S"), Handover::Slideshow);
        auto form = std::make_unique<MainForm>(state, platform.services);
        form->Form_Load();
        form->show();
        Settle(*form);
        // The window appearing under the pointer may have counted as a move.
        state.MouseMoveCount = 0;
        return form;
    }

    // A one-folder collection over the pictures folder.
    std::unique_ptr<MainForm> Start(const FolderOptions& folder = {}) {
        return StartCollection(CrLf({"[Options]", "RandomFolder=0", "MouseMoves=4", "Folders=1"}) +
                               folder.options +
                               CrLf({"[Folder1]", "Captions=" + std::to_string(folder.captions),
                                     "Background=" + std::to_string(folder.background), "Center=1",
                                     "Interval=" + std::to_string(folder.interval),
                                     "ImageScale=" + std::to_string(folder.imageScale),
                                     "RandomOrder=0", "Set=" + pictures.path().string()}));
    }

    void Add(const std::string& medium, const std::string& name) {
        std::filesystem::copy_file(test::MediaFolder() / medium, pictures / name);
    }

    void Ticks(MainForm& form, int count) {
        for (int i = 0; i < count; ++i) {
            form.Timer1_Timer();
            Settle(form);
        }
    }

    std::string Shown() const { return state.catalogue.CurrentFile; }

    // The item, its caption ("-" while hidden) and the show's timer.
    std::string Seen(const MainForm& form) const {
        return Shown() + " | " + (form.Label1->isVisible() ? form.Label1->Caption() : "-") + " | " +
               (form.Timer1->isActive() ? std::to_string(form.Timer1->interval()) + " ms"
                                        : "stopped");
    }

    // The pictures folder's file names in order.
    std::string Files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(pictures.path())) {
            names.insert(entry.path().filename().string());
        }
        std::string all;
        for (const std::string& name : names) {
            all += (all.empty() ? "" : " ") + name;
        }
        return all;
    }

    std::string LastFileName() {
        return platform.profiles.GetPrivateProfileString("Options", "LastFileName", "<none>",
                                                         "vimbrel000.ini");
    }

    test::TestPlatform platform;
    test::TempDirectory pictures;
    ProgramState state;
};

} // namespace vimbrel
