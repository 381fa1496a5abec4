#pragma once

// A show window over a folder of real pictures, started as the program
// starts it, for the show's window tests.

#include "PlatformDoubles.h"
#include "ShowMedia.h"
#include "controls/PasswordPrompt.h"
#include "show/MainForm.h"
#include "startup/Main.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace vimbrel {

using test::CrLf;
using test::ReadBytes;

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

// A typed character, as the window system delivers it.
inline void Type(QWidget& form, char character) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(character)));
    QApplication::sendEvent(&form, &press);
}

// Answers the password prompt with the given text once it appears.
inline void AnswerPasswordPrompt(const QString& text) {
    QTimer::singleShot(50, [text] {
        QWidget* prompt = QApplication::activeModalWidget();
        ASSERT_NE(prompt, nullptr);
        auto* field = prompt->findChild<QLineEdit*>(kPasswordFieldName);
        ASSERT_NE(field, nullptr);
        field->setText(text);
        QTest::keyClick(field, Qt::Key_Return);
    });
}

// The special keys the tests type: f captions, s next folder, z pause,
// r rename, n next, p previous.
inline const std::string kSpecialKeys =
    CrLf({"key_Special=1", "key_Captions=102", "key_NewFolder=115", "key_Pause=122",
          "key_Rename=114", "key_Next=110", "key_Previous=112"});

struct FolderOptions {
    int captions = 0;
    int background = 0;
    int center = 1;
    int interval = 3;
    int imageScale = 0;
    std::string options = ""; // extra [Options] lines
};

class ShowWindow : public ::testing::Test {
protected:
    // Writes the collection and runs start-up in mode /S, as the program
    // does, then loads and shows the window.
    std::unique_ptr<MainForm> StartCollection(const std::string& collection) {
        test::WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel000.ini"}));
        test::WriteBytes(platform / "vimbrel000.ini", collection);
        EXPECT_EQ(Main(state, platform.services, "/S"), Handover::Slideshow);
        auto form = std::make_unique<MainForm>(state, platform.services);
        form->Form_Load();
        form->show();
        return form;
    }

    // A one-folder collection over the pictures folder.
    std::unique_ptr<MainForm> Start(const FolderOptions& folder = {}) {
        return StartCollection(CrLf({"[Options]", "RandomFolder=0", "MouseMoves=4", "Folders=1"}) +
                               folder.options +
                               CrLf({"[Folder1]", "Captions=" + std::to_string(folder.captions),
                                     "Background=" + std::to_string(folder.background),
                                     "Center=" + std::to_string(folder.center),
                                     "Interval=" + std::to_string(folder.interval),
                                     "ImageScale=" + std::to_string(folder.imageScale),
                                     "RandomOrder=0", "Set=" + pictures.path().string()}));
    }

    void Ticks(MainForm& form, int count) {
        for (int i = 0; i < count; ++i) {
            form.Timer1_Timer();
        }
    }

    std::string Shown() const { return state.catalogue.CurrentFile; }

    std::string LastFileName() {
        return platform.profiles.GetPrivateProfileString("Options", "LastFileName", "<none>",
                                                         "vimbrel000.ini");
    }

    test::TestPlatform platform;
    test::TempDirectory pictures;
    ProgramState state;
};

} // namespace vimbrel
