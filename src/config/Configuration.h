#pragma once

#include <QDialog>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QScrollBar;

namespace vimbrel {

struct ProgramState;
struct FolderEntry;
namespace platform {
struct Services;
class FolderPicker;
class ColorPicker;
} // namespace platform

// The settings dialog: the folders of the active collection with the
// options of the selected one, and the collection's global options. The
// folder options are written into the model the moment they change; OK
// saves the collection and ends the dialog, Cancel and the close box end
// it without saving.
class Configuration : public QDialog {
public:
    Configuration(ProgramState& state, platform::Services& services,
                  platform::FolderPicker& folderPicker, platform::ColorPicker& colorPicker,
                  QWidget* parent = nullptr);
    ~Configuration() override;

    // Fills the lists that never change, then the controls from the model.
    void Form_Load();
    // Refreshes every control from the model, as after loading another
    // collection into it.
    void Configuration_Init();
    // "New Folders...": every sub-folder of a chosen folder.
    void Vimbrel_Create_Multi_Click();

    // The controls, by the names the dialog's behaviour uses.
    QGroupBox* Frame4 = nullptr;
    QListWidget* List_Folders = nullptr;
    QLabel* Label1 = nullptr;
    QScrollBar* HScroll_Interval = nullptr;
    QCheckBox* Check_Center = nullptr;
    QComboBox* Combo_ImageScale = nullptr;
    QCheckBox* Check_RandomOrder = nullptr;
    QComboBox* Combo_VideoScale = nullptr;
    QCheckBox* Check_Captions = nullptr;
    QPushButton* Command1 = nullptr;
    QFrame* Picture1 = nullptr;
    QComboBox* Combo_Resolution = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLineEdit* CollectionName = nullptr;
    QCheckBox* Check_Beep = nullptr;
    QCheckBox* Check_Random = nullptr;
    QCheckBox* Check_MoreFormats = nullptr;
    QLabel* Label10 = nullptr;
    QScrollBar* HScroll_MouseMoves = nullptr;
    QFrame* Frame3 = nullptr;
    QCheckBox* Check_Special = nullptr;
    QLineEdit* Text4 = nullptr; // = Pause
    QLineEdit* Text5 = nullptr; // = Next
    QLineEdit* Text6 = nullptr; // = Previous
    QLineEdit* Text7 = nullptr; // = Rename
    QLineEdit* Text8 = nullptr; // = New Folder
    QLineEdit* Text9 = nullptr; // = Filenames
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QPushButton* Command5 = nullptr; // OK
    QPushButton* Command6 = nullptr; // Cancel
    QLabel* Image1 = nullptr;
    QMenu* Vimbrel_Folder_Menu = nullptr;
    QAction* Vimbrel_Create_Single = nullptr;
    QAction* Vimbrel_Create_Multi = nullptr;
    QAction* Vimbrel_Remove = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Enter and Escape mean nothing to the window itself: only the folder
    // list gives them a meaning, and a text field keeps its typing.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The window and its controls at their places (ConfigurationLayout.cpp).
    void BuildControls();
    void BuildFolderOptions();
    void BuildGlobalOptions();
    void BuildFolderMenu();
    void SetTabOrder();
    // Narrows the font of a control whose caption would not fit it.
    void FitCaptions();
    void ConnectControls();

    void ShowFolderList();
    void ShowFolderOptions();
    void ShowSpecialKeys();
    void StoreGlobalOptions();
    void Command5_Click();
    void Command6_Click();

    // The folder list (FolderListEditing.cpp).
    void List_Folders_Click();
    void List_Folders_DblClick();
    // True when the key was one of the list's own.
    bool List_Folders_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void List_Folders_KeyPress(int keyAscii);
    void List_Folders_MouseUp(Qt::MouseButton button, const QPoint& position);
    void Vimbrel_Create_Single_Click();
    void Vimbrel_Remove_Click();
    void AddFolder(std::string path);
    // Selects the item of that folder number, or the first item when no
    // item has it, and shows its options.
    void SelectFolder(int folder);

    // The option controls (OptionControls.cpp).
    void StoreFolderValue(int16_t FolderEntry::*field, int16_t value);
    void HScroll_Interval_Change();
    void HScroll_MouseMoves_Change();
    void Check_Special_Click();
    void Command1_Click();
    void KeyField_GotFocus(QLineEdit* field);
    void KeyField_LostFocus(QLineEdit* field);
    void SetSwatchColor(int32_t color);

    // The selected folder's entry; nothing while the selection names no
    // entry of the table.
    FolderEntry* CurrentEntry();
    // Runs a handler; an error it raises is shown to the user and the
    // dialog stays open, so that what was typed is not lost with it.
    void Run(const std::function<void()>& handler);

    ProgramState& m_state;
    platform::Services& m_services;
    platform::FolderPicker& m_folderPicker;
    platform::ColorPicker& m_colorPicker;
    // The colour the colour dialog returned last in this run.
    std::optional<int32_t> m_lastColor;
    // What the global controls showed of the stored values. A control that
    // still shows it at OK leaves the stored value as it is, also one that
    // it cannot show (a flag of 5, a key code of another case, a name in
    // another code page).
    std::map<const QWidget*, QVariant> m_shown;
    void RememberShown(const QWidget* control, QVariant value) { m_shown[control] = value; }
    bool Changed(const QCheckBox* box) const;
    bool Changed(const QLineEdit* field) const;
};

} // namespace vimbrel
