#pragma once

// A configuration dialog over a collection of the test's own: real settings
// files in a temporary settings directory, loaded by the program's own
// start-up, real widgets on the offscreen platform.

#include "../settings/ExpectedCollection.h"
#include "PlatformDoubles.h"
#include "config/Collections.h"
#include "config/Configuration.h"
#include "config/ConfigurationRules.h"
#include "platform/Pickers.h"
#include "startup/Main.h"

#include <QTest>
#include <QtWidgets>
#include <gtest/gtest.h>

namespace vimbrel::test {

// The folder and colour dialogs are the fixture's own: each records how it
// was opened and gives the answer the test put in its place (a cancel when
// there is none).
struct ConfigurationTest : ::testing::Test, platform::FolderPicker, platform::ColorPicker {
    std::string BrowseForFolder(QWidget*, std::string_view prompt) override {
        asked += "[" + std::string(prompt) + "] ";
        return folders.size() > prompts ? folders[prompts++] : "";
    }
    std::optional<int32_t> ChooseColor(QWidget*, int32_t start) override {
        starts.push_back(start);
        return starts.size() <= colors.size() ? colors[starts.size() - 1] : std::nullopt;
    }

    void WriteCollection(std::initializer_list<std::string_view> lines) {
        WriteBytes(platform / "vimbrel000.ini", CrLf(lines));
    }

    // Start-up in configure mode, then the dialog's own loading; shown and
    // active, as the keyboard needs it.
    Configuration& Open() {
        dialog.reset();
        Main(state, platform.services, "/C");
        dialog = std::make_unique<Configuration>(state, platform.services, *this, *this);
        dialog->Form_Load();
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return *dialog;
    }

    std::string CollectionBytes() const { return ReadBytes(platform / "vimbrel000.ini"); }

    // The prompts the folder dialog opened with, then the messages shown.
    std::string Asked() const {
        std::string text = asked;
        for (const auto& box : platform.messageBoxes.shown) {
            const char* icons[] = {"info", "question", "exclamation", "critical"};
            text += box.text + " (" + icons[static_cast<int>(box.icon)] +
                    (box.buttons == platform::MessageButtons::YesNo ? ", yes/no) " : ") ");
        }
        return text;
    }

    // What the dialog shows, in one line: the folder list, each folder with
    // its number, "*" before the selected one; the current folder's number
    // and options (interval as minutes:seconds, captions, centre and random
    // order boxes, image scale/video scale/resolution, swatch); the name;
    // the key fields, "Use Special Keys" and beep boxes; mouse sensitivity,
    // random folder box. "on"/"off": the controls of a group are enabled.
    std::string Shown() const {
        const Configuration& d = *dialog;
        const auto on = [](const QWidgetList& group) {
            const auto n =
                std::count_if(group.begin(), group.end(), [](auto* w) { return w->isEnabled(); });
            return QString(n == 0 ? "off" : n == group.size() ? "on" : "mixed");
        };
        const auto flag = [](const QCheckBox* box) { return QString::number(box->isChecked()); };
        const auto numbers = [](const QLabel* label) {
            return label->text().split(QRegularExpression("\\D+"), Qt::SkipEmptyParts).join(':');
        };
        const QWidgetList keyFields = {d.Text4, d.Text5, d.Text6, d.Text7, d.Text8, d.Text9};
        QStringList out, keys;
        for (int i = 0; i < d.List_Folders->count(); ++i) {
            const QListWidgetItem* item = d.List_Folders->item(i);
            out << (i == d.List_Folders->currentRow() ? "*" : "") + item->text() + "=" +
                       item->data(Qt::UserRole).toString();
        }
        for (QWidget* field : keyFields) {
            keys << static_cast<QLineEdit*>(field)->text();
        }
        out << "|" << QString::number(state.model.settings.CurrentFolder) << numbers(d.Label1)
            << flag(d.Check_Captions) + flag(d.Check_Center) + flag(d.Check_RandomOrder)
            << QString("%1/%2/%3")
                   .arg(d.Combo_ImageScale->currentIndex())
                   .arg(d.Combo_VideoScale->currentIndex())
                   .arg(d.Combo_Resolution->currentIndex())
            << d.Picture1->palette().color(QPalette::Window).name()
            << on({d.HScroll_Interval, d.Check_Center, d.Check_RandomOrder, d.Check_Captions,
                   d.Command1, d.Combo_ImageScale, d.Combo_VideoScale, d.Combo_Resolution})
            << "|" << d.CollectionName->text() << on({d.CollectionName}) << "|" << keys.join('/')
            << "s" + flag(d.Check_Special) << "b" + flag(d.Check_Beep)
            << on(keyFields + QWidgetList{d.Check_Beep}) << "|"
            << "m" + numbers(d.Label10) + "/" + QString::number(d.HScroll_MouseMoves->value())
            << "r" + flag(d.Check_Random) << "f" + flag(d.Check_MoreFormats);
        return out.join(' ').replace(QString::fromUtf8(kToBegin), "<begin>").toStdString();
    }

    std::vector<std::string> folders; // the folder dialog's answers
    std::size_t prompts = 0;
    std::string asked;
    std::vector<std::optional<int32_t>> colors; // the colour dialog's answers
    std::vector<int32_t> starts;
    TestPlatform platform;
    ProgramState state;
    std::unique_ptr<Configuration> dialog;
};

} // namespace vimbrel::test
