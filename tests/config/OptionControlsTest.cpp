// The option controls, driven as a user drives them: folder options land in
// the selected folder's entry at once, global ones at once or at OK.

#include "ConfigurationFixture.h"
#include "config/ConfigurationRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

namespace vimbrel {
namespace {

using test::ConfigurationTest;

class OptionControls : public ConfigurationTest {
protected:
    OptionControls() {
        WriteCollection({"CurrentFolder=2", "key_Special=0", "Description=Holidays"},
                        {{"/m/a", {}}, {"/m/b", {"Interval=10"}}});
    }

    // Types into a key field the way a user does: Tab or a click brings
    // the focus, the text typed replaces the key, and the focus moves on.
    void TypeKey(QLineEdit* field, const QString& text) {
        field->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        QTest::keyClicks(field, text);
        dialog->CollectionName->setFocus();
        QApplication::processEvents();
    }
};

TEST_F(OptionControls, FolderOptionsAreWrittenIntoTheSelectedEntryAtOnce) {
    Configuration& d = OpenShown();
    QTest::mouseClick(d.Check_Captions, Qt::LeftButton);
    QTest::mouseClick(d.Check_Center, Qt::LeftButton);
    QTest::mouseClick(d.Check_RandomOrder, Qt::LeftButton);
    d.Combo_ImageScale->setFocus();
    QTest::keyClick(d.Combo_ImageScale, Qt::Key_Down);
    d.Combo_VideoScale->setFocus();
    QTest::keyClick(d.Combo_VideoScale, Qt::Key_Down);
    const FolderEntry& b = Entry(2);
    EXPECT_EQ(b.Captions, 1);
    EXPECT_EQ(b.Center, 1);
    EXPECT_EQ(b.RandomOrder, 0);
    EXPECT_EQ(b.ImageScale, 3);
    EXPECT_EQ(b.VideoScale, 1);
    // The other folder keeps its own.
    EXPECT_EQ(Entry(1).Captions, 0);
    EXPECT_EQ(Entry(1).ImageScale, 2);
    d.reject();
}

TEST_F(OptionControls, IntervalBarWritesTheIntervalAndSaysItInMinutesAndSeconds) {
    Configuration& d = Open();
    EXPECT_EQ(d.HScroll_Interval->maximum(), 6000);
    EXPECT_EQ(d.HScroll_Interval->minimum(), 0);
    const std::pair<int, const char*> cases[] = {
        {75, "Interval = 1 minutes and 15 seconds"}, {3, "Interval = 0 minutes and 3 seconds"},
        {60, "Interval = 1 minutes and 0 seconds"},  {6000, "Interval = 100 minutes and 0 seconds"},
        {0, "Interval = 0 minutes and 0 seconds"},
    };
    for (const auto& [seconds, caption] : cases) {
        d.HScroll_Interval->setValue(seconds);
        EXPECT_EQ(d.Label1->text(), caption);
        EXPECT_EQ(Entry(2).Interval, seconds);
    }
    // The arrow keys step by one, Page Up and Down by ten.
    d.HScroll_Interval->setValue(75);
    d.HScroll_Interval->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Entry(2).Interval, 76);
    d.HScroll_Interval->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(Entry(2).Interval, 66);
}

TEST_F(OptionControls, MouseSensitivityIsWrittenAtOnce) {
    Configuration& d = Open();
    EXPECT_EQ(d.HScroll_MouseMoves->maximum(), 100);
    d.HScroll_MouseMoves->setValue(10);
    EXPECT_EQ(d.Label10->text(), "Mouse Sensitivity = 10");
    EXPECT_EQ(state.model.settings.MouseMoves, 10);
    d.HScroll_MouseMoves->setValue(500);
    EXPECT_EQ(state.model.settings.MouseMoves, 100);
    // 0: the mouse never ends the show.
    d.HScroll_MouseMoves->setValue(0);
    EXPECT_EQ(d.Label10->text(), "Mouse Sensitivity = 0");
    EXPECT_EQ(state.model.settings.MouseMoves, 0);
}

TEST_F(OptionControls, UseSpecialKeysSwitchesTheKeyFieldsAtOnce) {
    Configuration& d = OpenShown();
    QTest::mouseClick(d.Check_Special, Qt::LeftButton);
    EXPECT_EQ(state.model.settings.key_Special, 1);
    EXPECT_TRUE(d.Check_Special->isChecked());
    EXPECT_TRUE(d.Text4->isEnabled());
    EXPECT_TRUE(d.Text9->isEnabled());
    EXPECT_TRUE(d.Check_Beep->isEnabled());
    QTest::mouseClick(d.Check_Special, Qt::LeftButton);
    EXPECT_EQ(state.model.settings.key_Special, 0);
    EXPECT_FALSE(d.Text4->isEnabled());
    EXPECT_FALSE(d.Check_Beep->isEnabled());
    // Any button of the mouse.
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(d.Check_Special, button);
        EXPECT_EQ(state.model.settings.key_Special, 1) << button;
        EXPECT_TRUE(d.Text4->isEnabled());
        QTest::mouseClick(d.Check_Special, button);
        EXPECT_EQ(state.model.settings.key_Special, 0) << button;
    }
    // The space bar does what the mouse does.
    d.Check_Special->setFocus();
    QTest::keyClick(d.Check_Special, Qt::Key_Space);
    EXPECT_EQ(state.model.settings.key_Special, 1);
    EXPECT_TRUE(d.Text6->isEnabled());
    d.reject();
}

TEST_F(OptionControls, AKeyTakenByAnotherFieldIsClearedThere) {
    Configuration& d = OpenShown();
    QTest::mouseClick(d.Check_Special, Qt::LeftButton);
    ASSERT_EQ(d.Text6->text(), "P");

    TypeKey(d.Text4, "p");
    EXPECT_EQ(d.Text4->text(), "P");
    EXPECT_EQ(d.Text6->text(), "");

    // Only the first character of the captions key counts; "AB" is not "A".
    TypeKey(d.Text7, "a");
    TypeKey(d.Text9, "ab");
    EXPECT_EQ(d.Text9->text(), "AB");
    EXPECT_EQ(d.Text7->text(), "A");

    // A one-character field takes one character.
    TypeKey(d.Text5, "xy");
    EXPECT_EQ(d.Text5->text(), "X");

    d.Command5->click();
    EXPECT_EQ(state.model.settings.key_Captions, 'a');
    EXPECT_EQ(state.model.settings.key_Pause, 'p');
    EXPECT_EQ(state.model.settings.key_Rename, 'a');
    EXPECT_EQ(state.model.settings.key_Next, 'x');
    // The emptied field keeps the key it had.
    EXPECT_EQ(state.model.settings.key_Previous, 'p');
}

// The focus selects one character from the caret, so that a typed
// character replaces one, not the whole field.
TEST_F(OptionControls, KeyFieldSelectsOneCharacterFromTheCaret) {
    Configuration& d = OpenShown();
    QTest::mouseClick(d.Check_Special, Qt::LeftButton);
    TypeKey(d.Text9, "ab");
    ASSERT_EQ(d.Text9->text(), "AB");
    d.Text9->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(d.Text9->selectedText(), "A");
    d.reject();
}

// Enter and Escape mean nothing outside the folder list: the field keeps
// its typing, and the window stays.
TEST_F(OptionControls, EnterAndEscapeInAFieldNeitherSaveNorClose) {
    Configuration& d = OpenShown();
    const std::string before = CollectionBytes();
    d.CollectionName->setFocus();
    d.CollectionName->selectAll();
    QTest::keyClicks(d.CollectionName, "Trips");
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(d.CollectionName, key);
        EXPECT_TRUE(d.isVisible()) << key;
        EXPECT_EQ(d.CollectionName->text(), "Trips");
    }
    EXPECT_EQ(CollectionBytes(), before);
    d.reject();
}

// A stored name typed elsewhere: longer than a user may type, in the
// Windows-1252 code page. It shows as such and is written back byte for
// byte, until the user edits it; then it is written as typed, in UTF-8.
TEST_F(OptionControls, StoredNameKeepsItsLengthAndBytesUntilEdited) {
    const std::string name = "Caf\xE9 " + std::string(65, 'x') + " \x80 na\xEFve";
    WriteCollection({"Description=" + name}, {{"/media/a", {}}});
    Configuration& d = OpenShown();
    EXPECT_EQ(d.CollectionName->text(), QString::fromUtf8("Caf\u00e9 ") + QString(65, 'x') +
                                            QString::fromUtf8(" \u20ac na\u00efve"));
    d.Command5->click();
    EXPECT_NE(CollectionBytes().find("\r\nDescription=" + name + "\r\n"), std::string::npos);

    Configuration& edited = OpenShown();
    edited.CollectionName->setFocus();
    edited.CollectionName->end(false);
    QTest::keyClick(edited.CollectionName, Qt::Key_Backspace);
    edited.Command5->click();
    EXPECT_NE(CollectionBytes().find("\r\nDescription=Caf\xC3\xA9 " + std::string(65, 'x') +
                                     " \xE2\x82\xAC na\xC3\xAFv\r\n"),
              std::string::npos);
}

TEST_F(OptionControls, CollectionNameTakesFiftyCharacters) {
    Configuration& d = OpenShown();
    d.CollectionName->setFocus();
    d.CollectionName->selectAll();
    QTest::keyClicks(d.CollectionName, QString(60, 'n'));
    EXPECT_EQ(d.CollectionName->text(), QString(50, 'n'));
    d.reject();
}

TEST_F(OptionControls, BackgroundColourShowsAtOnceAndIsSavedAtOk) {
    const std::string before = CollectionBytes();
    Configuration& d = OpenShown();
    colorPicker.answers = {0x00FF00 /* blue 0, green 255 */, std::nullopt};
    QTest::mouseClick(d.Command1, Qt::LeftButton);
    ASSERT_EQ(colorPicker.starts.size(), 1u);
    EXPECT_EQ(colorPicker.starts[0], 0);
    EXPECT_EQ(d.Picture1->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_EQ(Entry(2).Background, 65280);
    EXPECT_EQ(CollectionBytes(), before);

    // Cancelled: nothing changes, and the dialog opened on its last colour.
    d.List_Folders->setCurrentRow(0);
    QTest::mouseClick(d.Command1, Qt::LeftButton);
    EXPECT_EQ(colorPicker.starts[1], 65280);
    EXPECT_EQ(Entry(1).Background, 0);
    EXPECT_EQ(d.Picture1->palette().color(QPalette::Window), QColor(0, 0, 0));

    d.Command5->click();
    EXPECT_NE(CollectionBytes().find("[Folder2]\r\nCaptions=0\r\nBackground=65280\r\n"),
              std::string::npos);
}

TEST_F(OptionControls, SwatchSitsInsideTheRightEndOfTheButton) {
    Configuration& d = Open();
    const QRect button = d.Command1->geometry();
    const QRect swatch = d.Picture1->geometry();
    EXPECT_TRUE(button.contains(swatch));
    EXPECT_EQ(swatch.width(), swatch.height());
    EXPECT_GT(swatch.left(), button.center().x());
}

} // namespace
} // namespace vimbrel
