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
#include <deque>
#include <gtest/gtest.h>

namespace vimbrel::test {

// The folder and colour dialogs, which would wait for a click: each records
// how it was opened and gives the answers queued by the test (a cancel when
// none is queued).
struct AnsweringPickers final : platform::FolderPicker, platform::ColorPicker {
    std::string BrowseForFolder(QWidget*, std::string_view prompt) override {
        prompts.emplace_back(prompt);
        return Next(folders);
    }
    std::optional<int32_t> ChooseColor(QWidget*, int32_t start) override {
        starts.push_back(start);
        return Next(colors);
    }
    template <typename T> static T Next(std::deque<T>& answers) {
        const T answer = answers.empty() ? T() : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
    std::deque<std::string> folders;
    std::deque<std::optional<int32_t>> colors;
    std::vector<std::string> prompts;
    std::vector<int32_t> starts;
};

struct ConfigurationTest : ::testing::Test {
    // The active collection file holds these lines.
    void WriteCollection(const std::vector<std::string>& lines) {
        WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel000.ini"}));
        std::string bytes;
        for (const std::string& line : lines) {
            bytes += line + "\r\n";
        }
        WriteBytes(platform / "vimbrel000.ini", bytes);
    }

    // Start-up in configure mode, then the dialog's own loading; shown and
    // active, as the keyboard needs it.
    Configuration& Open() {
        dialog.reset();
        Main(state, platform.services, "/C");
        dialog = std::make_unique<Configuration>(state, platform.services, pickers, pickers);
        dialog->Form_Load();
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return *dialog;
    }

    std::string CollectionBytes() const { return ReadBytes(platform / "vimbrel000.ini"); }

    // The prompts the folder dialog opened with, then the messages shown.
    std::string Asked() const {
        std::string asked;
        for (const std::string& prompt : pickers.prompts) {
            asked += "[" + prompt + "] ";
        }
        for (const auto& box : platform.messageBoxes.shown) {
            const char* icons[] = {"info", "question", "exclamation", "critical"};
            asked += box.text + " (" + icons[static_cast<int>(box.icon)] +
                     (box.buttons == platform::MessageButtons::YesNo ? ", yes/no) " : ") ");
        }
        return asked;
    }

    // What the dialog shows, in one line: the folder list, each folder with
    // its number, "*" before the selected one; the current folder's number
    // and options (interval as minutes:seconds, captions, centre and random
    // order boxes, image scale/video scale/resolution, swatch); the name;
    // the key fields, "Use Special Keys" and beep boxes; mouse sensitivity,
    // random folder box. "on"/"off": the controls of a group are enabled.
    std::string Shown() const {
        const Configuration& d = *dialog;
        const auto on = [](std::initializer_list<const QWidget*> group) {
            const auto enabled = std::count_if(group.begin(), group.end(),
                                               [](const QWidget* w) { return w->isEnabled(); });
            return QString(enabled == 0 ? "off" : enabled == int(group.size()) ? "on" : "mixed");
        };
        const auto flag = [](const QCheckBox* box) { return QString::number(box->isChecked()); };
        const auto numbers = [](const QLabel* label) {
            return label->text().split(QRegularExpression("\\D+"), Qt::SkipEmptyParts).join(':');
        };
        QStringList out, keys;
        for (int i = 0; i < d.List_Folders->count(); ++i) {
            const QListWidgetItem* item = d.List_Folders->item(i);
            out << (i == d.List_Folders->currentRow() ? "*" : "") +
                       item->text().replace(QString::fromUtf8(kToBegin), "<begin>") + "=" +
                       item->data(Qt::UserRole).toString();
        }
        for (const QLineEdit* field : {d.Text4, d.Text5, d.Text6, d.Text7, d.Text8, d.Text9}) {
            keys << field->text();
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
            << on({d.Text4, d.Text5, d.Text6, d.Text7, d.Text8, d.Text9, d.Check_Beep}) << "|"
            << "m" + numbers(d.Label10) + "/" + QString::number(d.HScroll_MouseMoves->value())
            << "r" + flag(d.Check_Random);
        return out.join(' ').toStdString();
    }

    TestPlatform platform;
    ProgramState state;
    AnsweringPickers pickers;
    std::unique_ptr<Configuration> dialog;
};

} // namespace vimbrel::test
