#pragma once

#include <QDialog>
#include <functional>

class QAction;
class QListWidget;
class QMenu;
class QPushButton;

namespace vimbrel {

class Configuration;
struct ProgramState;
namespace platform {
struct Services;
}

// The collections of the settings directory by their descriptions. A click
// on one loads it into the model and shows it in the configuration dialog
// behind, which doubles as a preview; OK makes it the active collection,
// Cancel, Escape and the close box bring the active one back. "New..." and
// "Delete..." change the files at once.
class Collections : public QDialog {
public:
    Collections(ProgramState& state, platform::Services& services, Configuration& configuration);
    ~Collections() override;

    // Lists the collections afresh and selects the one the configuration
    // dialog shows.
    void Form_Load();

    // Leaving without OK, whichever way, brings the active collection back.
    void reject() override;

    // The controls, by the names the dialog's behaviour uses.
    QListWidget* List1 = nullptr;    // descriptions
    QPushButton* Command7 = nullptr; // OK
    QPushButton* Command8 = nullptr; // Cancel
    QListWidget* List2 = nullptr;    // hidden: file names, row for row with List1
    QListWidget* List3 = nullptr;    // hidden: the same file names, sorted
    QMenu* Collection_Menu = nullptr;
    QAction* New_Collection = nullptr;
    QAction* Delete_Collection = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void List1_Click();
    // True when the key was one of the list's own.
    bool List1_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void List1_KeyPress(int keyAscii);
    void List1_MouseUp(Qt::MouseButton button, const QPoint& position);
    void Command7_Click();
    void Command8_Click();
    void New_Collection_Click();
    void Delete_Collection_Click();

    // Loads the active collection (CollectionFile) into the model and shows
    // it in the configuration dialog.
    void Reload();
    // Selects a row of List1 and raises its click.
    void SelectRow(int row);
    int RowOfFile(const QString& file) const;
    void SetActiveCollection(const std::string& file);
    // Runs a handler; an error it raises is shown and the window stays.
    void Run(const std::function<void()>& handler);

    ProgramState& m_state;
    platform::Services& m_services;
    Configuration& m_configuration;
};

} // namespace vimbrel
