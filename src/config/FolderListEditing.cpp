// The folder list of the configuration dialog: choosing a folder, adding one
// or all sub-folders of one, removing one, and the keys and menu for it.

#include "config/Collections.h"
#include "config/Configuration.h"
#include "config/ConfigurationRules.h"
#include "platform/MessageBoxes.h"
#include "platform/Pickers.h"
#include "platform/Services.h"
#include "platform/SubFolders.h"
#include "settings/CollectionStore.h"
#include "state/ProgramState.h"

#include <QListWidget>
#include <QMenu>

namespace vimbrel {

namespace {

// New entries give up where the 16-bit folder count would overflow.
constexpr int kMostFolders = 32767;

} // namespace

void Configuration::List_Folders_Click() {
    const QListWidgetItem* item = List_Folders->currentItem();
    if (item == nullptr) {
        return;
    }
    m_state.model.settings.CurrentFolder = static_cast<int16_t>(item->data(Qt::UserRole).toInt());
    ShowFolderOptions();
}

void Configuration::List_Folders_DblClick() {
    StoreGlobalOptions();
    SaveCollectionSettings(m_state.model, m_services.profiles, m_state.files.WindowsDirectory,
                           m_state.files.CollectionFile);
    // The collection on disk is up to date before the user switches.
    Collections collections(m_state, m_services, *this);
    collections.Form_Load();
    collections.exec();
}

bool Configuration::List_Folders_KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    // The keypad's Enter counts as Enter.
    modifiers &= ~Qt::KeypadModifier;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (modifiers == Qt::NoModifier) {
        if (key == Qt::Key_Insert) {
            Vimbrel_Create_Single_Click();
            return true;
        }
        if (key == Qt::Key_Delete) {
            Vimbrel_Remove_Click();
            return true;
        }
        if (key == Qt::Key_Escape) {
            Command6_Click();
            return true;
        }
    } else if (modifiers == Qt::ControlModifier) {
        if (key == Qt::Key_Insert) {
            Vimbrel_Create_Multi_Click();
            return true;
        }
        if (enter) {
            List_Folders_DblClick();
            return true;
        }
    }
    // Enter with other modifiers types no character of its own.
    return enter && modifiers != Qt::NoModifier;
}

void Configuration::List_Folders_KeyPress(int keyAscii) {
    if (keyAscii != '\r') {
        return;
    }
    // A third of the way into the list, measured from the list's place in
    // its frame: the vertical measures give the horizontal coordinate.
    const QRect list = List_Folders->geometry();
    const QPoint at(list.top() + list.height() / 3, list.left() + list.width() / 3);
    Vimbrel_Folder_Menu->popup(mapToGlobal(at));
}

void Configuration::List_Folders_MouseUp(Qt::MouseButton button, const QPoint& position) {
    if (button == Qt::RightButton) {
        Vimbrel_Folder_Menu->popup(List_Folders->viewport()->mapToGlobal(position));
    }
}

void Configuration::AddFolder(std::string path) {
    SettingsModel& model = m_state.model;
    if (model.settings.Folders >= kMostFolders) {
        return;
    }
    model.settings.Folders = static_cast<int16_t>(model.settings.Folders + 1);
    model.ResizeFolderTable(model.settings.Folders);
    model.FolderTable[static_cast<std::size_t>(model.settings.Folders)] =
        NewFolderEntry(std::move(path), m_state.display);
}

void Configuration::Vimbrel_Create_Single_Click() {
    const std::string path =
        m_folderPicker.BrowseForFolder(this, "Select a new folder to use with Vimbrel :");
    if (path.empty()) {
        return;
    }
    // The same folder may be added twice, each with options of its own.
    AddFolder(path);
    ShowFolderList();
    SelectFolder(m_state.model.settings.Folders);
}

void Configuration::Vimbrel_Create_Multi_Click() {
    const std::string chosen = m_folderPicker.BrowseForFolder(
        this, "Select a folder that contains sub-folders to use with Vimbrel :");
    if (chosen.empty()) {
        return;
    }
    const std::string base = SubFolderBase(chosen);
    const std::vector<std::string> names = platform::ListSubFolders(base);
    if (names.empty()) {
        m_services.messageBoxes.Show("No sub-directories found in: " + base,
                                     platform::MessageIcon::Information,
                                     platform::MessageButtons::Ok);
        AddFolder(base);
        ShowFolderList();
        SelectFolder(m_state.model.settings.Folders);
        return;
    }
    const platform::MessageAnswer answer = m_services.messageBoxes.Show(
        "Use the sub-folders found in\r\n" + base + " with Vimbrel ?",
        platform::MessageIcon::Information, platform::MessageButtons::YesNo);
    if (answer != platform::MessageAnswer::Yes) {
        return;
    }
    // Listed again: the question may have stood for a while.
    for (const std::string& name : platform::ListSubFolders(base)) {
        AddFolder(SubFolderPath(base, name));
    }
    ShowFolderList();
}

void Configuration::Vimbrel_Remove_Click() {
    SettingsModel& model = m_state.model;
    const FolderEntry* current = CurrentEntry();
    const std::string folder = current != nullptr ? current->Folder : std::string();
    const platform::MessageAnswer answer = m_services.messageBoxes.Show(
        "Stop using the folder " + folder + " with Vimbrel?", platform::MessageIcon::Question,
        platform::MessageButtons::YesNo);
    const int16_t folders = model.settings.Folders;
    int16_t& currentFolder = model.settings.CurrentFolder;
    if (folders <= 0 || answer != platform::MessageAnswer::Yes || currentFolder < 1 ||
        currentFolder > folders) {
        return;
    }
    // The last entry takes the freed number, so the numbers stay 1..Folders.
    model.FolderTable[static_cast<std::size_t>(currentFolder)] =
        model.FolderTable[static_cast<std::size_t>(folders)];
    model.settings.Folders = static_cast<int16_t>(folders - 1);
    model.ResizeFolderTable(model.settings.Folders);
    if (currentFolder > model.settings.Folders) {
        currentFolder = 1;
    }
    ShowFolderList();
    if (model.settings.Folders > 0) {
        SelectFolder(List_Folders->item(0)->data(Qt::UserRole).toInt());
    }
}

} // namespace vimbrel
