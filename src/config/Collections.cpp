#include "config/Collections.h"

#include "config/CollectionFiles.h"
#include "config/Configuration.h"
#include "config/StoredText.h"
#include "controls/ErrorPolicies.h"
#include "platform/FileDelete.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/ProfileFile.h"
#include "platform/Screen.h"
#include "platform/Services.h"
#include "runtime/Error.h"
#include "settings/CollectionStore.h"
#include "settings/SettingsFiles.h"
#include "show/Twips.h"
#include "state/ProgramState.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <exception>

namespace vimbrel {

namespace {

QString Text(std::string_view text) {
    return StoredText(text);
}

} // namespace

Collections::Collections(ProgramState& state, platform::Services& services,
                         Configuration& configuration)
    : QDialog(&configuration), m_state(state), m_services(services),
      m_configuration(configuration) {
    BuildControls();
}

Collections::~Collections() = default;

void Collections::BuildControls() {
    setWindowTitle("Vimbrel 4.0 Collections");
    // The layout's client area is 2265 twips high, which cuts OK and Cancel
    // (they reach 2445); the window reaches 120 twips below them instead,
    // as the configuration window does.
    setFixedSize(ToPixelsX(3075), ToPixelsY(2070 + 375 + 120));

    List1 = Place(new QListWidget(this), 135, 120, 2815, 1815);
    List1->setToolTip("Right-click for options.");
    Command7 = Place(new QPushButton("OK", this), 120, 2070, 1355, 375);
    Command8 = Place(new QPushButton("Cancel", this), 1600, 2070, 1355, 375);
    List2 = Place(new QListWidget(this), 360, 2880, 1695, 1035);
    List2->hide();
    List3 = Place(new QListWidget(this), 2880, 2880, 1695, 1035);
    List3->setSortingEnabled(true);
    List3->hide();
    setTabOrder(List1, Command7);
    setTabOrder(Command7, Command8);
    // Enter in the list opens its menu rather than pressing a button.
    Command7->setAutoDefault(false);
    Command8->setAutoDefault(false);

    Collection_Menu = new QMenu("Collection Menu", this);
    New_Collection = Collection_Menu->addAction("New...");
    Delete_Collection = Collection_Menu->addAction("Delete...");

    connect(Command7, &QPushButton::clicked, this, [this] { Run([this] { Command7_Click(); }); });
    connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    connect(List1, &QListWidget::currentRowChanged, this,
            [this] { Run([this] { List1_Click(); }); });
    connect(New_Collection, &QAction::triggered, this,
            [this] { Run([this] { New_Collection_Click(); }); });
    connect(Delete_Collection, &QAction::triggered, this,
            [this] { Run([this] { Delete_Collection_Click(); }); });
    List1->installEventFilter(this);
    List1->viewport()->installEventFilter(this);
}

void Collections::Form_Load() {
    {
        const QSignalBlocker blocker(List1);
        List1->clear();
        List2->clear();
        List3->clear();
    }
    const QRect owner = m_configuration.geometry();
    move(owner.left() + (owner.width() - width()) / 2,
         owner.top() + (owner.height() - height()) / 2);

    platform::ProfileFiles& profiles = m_services.profiles;
    SkipOnError([&] { platform::SetCurrentDirectory(profiles.directory()); });

    std::vector<ListedCollection> listed;
    SkipOnError([&] { listed = ListCollections(profiles); });
    {
        const QSignalBlocker blocker(List1);
        for (const ListedCollection& collection : listed) {
            List1->addItem(Text(collection.description));
            List2->addItem(Text(collection.file));
            List3->addItem(Text(collection.file));
        }
    }

    // The active collection, just saved, is the one the configuration
    // dialog shows. Only when it is not listed is the row found by the
    // name shown: two collections may share a description, and the first
    // of them need not be the active one.
    int row = RowOfFile(Text(m_state.files.CollectionFile));
    if (row < 0) {
        const auto found =
            List1->findItems(m_configuration.CollectionName->text(), Qt::MatchExactly);
        row = found.isEmpty() ? -1 : List1->row(found.first());
    }
    if (row >= 0) {
        SelectRow(row);
    }
}

void Collections::List1_Click() {
    const int row = List1->currentRow();
    if (row < 0 || row >= List2->count()) {
        return;
    }
    List2->setCurrentRow(row);
    const std::string file = List2->item(row)->text().toStdString();
    Delete_Collection->setEnabled(file != kDefaultCollectionFile);

    // The clicked collection is shown while CollectionFile still names the
    // active one.
    std::string& collectionFile = m_state.files.CollectionFile;
    const std::string active = collectionFile;
    collectionFile = file;
    Reload();
    collectionFile = active;
}

void Collections::Reload() {
    // A fresh model, as start-up loads into: a key that cannot be read
    // must not keep the value of the collection clicked before.
    SettingsModel& model = m_state.model;
    model = SettingsModel{};
    SkipOnError([&] {
        LoadCollectionSettings(m_state.model.settings, m_services, m_state.files.CollectionFile,
                               m_state.run.RunMode == "/S");
    });
    const int16_t folders = model.settings.Folders;
    model.FolderTable.clear();
    model.ResizeFolderTable(folders);
    for (int n = 1; n <= folders; ++n) {
        SkipOnError([&] {
            LoadFolderTable(m_state.model, m_services.profiles, m_state.files.CollectionFile,
                            CurrentResolution(m_state.display), static_cast<int16_t>(n));
        });
    }
    m_configuration.Configuration_Init();
}

void Collections::SelectRow(int row) {
    {
        const QSignalBlocker blocker(List1);
        List1->setCurrentRow(row);
    }
    List1_Click();
}

int Collections::RowOfFile(const QString& file) const {
    for (int i = 0; i < List2->count(); ++i) {
        if (List2->item(i)->text() == file) {
            return i;
        }
    }
    return -1;
}

void Collections::SetActiveCollection(const std::string& file) {
    m_services.profiles.WritePrivateProfileString("Options", "Settings", file,
                                                  m_state.files.MasterFile);
    m_state.files.CollectionFile = file;
}

void Collections::Command7_Click() {
    const int row = List2->currentRow();
    if (row < 0) {
        // Nothing chosen: nothing to make active.
        reject();
        return;
    }
    // The model already holds this collection from its click.
    SetActiveCollection(List2->item(row)->text().toStdString());
    accept();
}

void Collections::Command8_Click() {
    reject();
}

void Collections::reject() {
    Run([this] { Reload(); });
    QDialog::reject();
}

bool Collections::List1_KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if ((modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    switch (key) {
    case Qt::Key_Insert:
        New_Collection_Click();
        return true;
    case Qt::Key_Delete:
        Delete_Collection_Click();
        return true;
    case Qt::Key_Escape:
        Command8_Click();
        return true;
    default:
        return false;
    }
}

void Collections::List1_KeyPress(int keyAscii) {
    if (keyAscii != '\r') {
        return;
    }
    // A fifth of the way across and a third down, with the vertical
    // measures giving the horizontal coordinate, as the folder list does.
    const QRect list = List1->geometry();
    const QPoint at(list.top() + list.height() / 3, list.left() + list.width() / 5);
    Collection_Menu->popup(mapToGlobal(at));
}

void Collections::List1_MouseUp(Qt::MouseButton button, const QPoint& position) {
    if (button == Qt::RightButton) {
        Collection_Menu->popup(List1->viewport()->mapToGlobal(position));
    }
}

void Collections::New_Collection_Click() {
    platform::ProfileFiles& profiles = m_services.profiles;
    std::vector<std::string> files;
    for (int i = 0; i < List3->count(); ++i) {
        files.push_back(List3->item(i)->text().toStdString());
    }
    const std::optional<int> number = NewCollectionNumber(profiles, files);
    if (!number) {
        m_services.messageBoxes.Show(kTooManyCollections, platform::MessageIcon::Information,
                                     platform::MessageButtons::Ok);
        return;
    }
    const std::string name = CollectionFileName(*number);
    platform::WriteTextLines(profiles.PathOf(name), NewCollectionLines(*number), "New_Collection");
    // Active on disk at once: the user fills it next.
    SetActiveCollection(name);
    Reload();
    m_configuration.Vimbrel_Create_Multi_Click();
    accept();
}

void Collections::Delete_Collection_Click() {
    const int row = List2->currentRow();
    if (row < 0) {
        return;
    }
    const std::string file = List2->item(row)->text().toStdString();
    if (file == kDefaultCollectionFile) {
        m_services.messageBoxes.Show(kDefaultNotDeleted, platform::MessageIcon::Information,
                                     platform::MessageButtons::Ok);
        return;
    }
    const std::string description = List1->item(row)->text().toStdString();
    if (m_services.messageBoxes.Show(
            "Delete the collection \"" + description + "\" ?", platform::MessageIcon::Question,
            platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
        return;
    }

    platform::ProfileFiles& profiles = m_services.profiles;
    try {
        platform::DeleteFile(profiles.PathOf(file));
    } catch (const Error&) {
        // Gone already is as good as deleted; a file that stays (a folder
        // that refuses) must keep its number and stay active if it was.
        if (platform::FileExists(profiles.PathOf(file))) {
            throw;
        }
    }
    SkipOnError([&] { platform::DeleteFile(profiles.PathOf(BackupFileName(file))); });

    if (m_state.files.CollectionFile == file) {
        SetActiveCollection(std::string(kDefaultCollectionFile));
    }
    // The active collection's file may move down a number; the master file
    // follows it, so that it never names another collection or none.
    std::exception_ptr failure;
    if (const std::optional<int> number = CollectionNumber(file)) {
        try {
            CloseNumberingGap(profiles, *number,
                              [this](const std::string& from, const std::string& to) {
                                  if (m_state.files.CollectionFile == from) {
                                      SetActiveCollection(to);
                                  }
                              });
        } catch (...) {
            failure = std::current_exception();
        }
    }

    Reload();
    Form_Load();
    const int defaultRow = RowOfFile(Text(kDefaultCollectionFile));
    if (defaultRow >= 0) {
        SelectRow(defaultRow);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void Collections::Run(const std::function<void()>& handler) {
    KeepDialogOnError(m_services.messageBoxes, handler);
}

bool Collections::eventFilter(QObject* watched, QEvent* event) {
    if (watched == List1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool handled = false;
        Run([&] {
            handled = List1_KeyDown(key->key(), key->modifiers());
            if (!handled && !key->text().isEmpty()) {
                const int character = key->text().at(0).unicode();
                List1_KeyPress(character);
                handled = character == '\r';
            }
        });
        // Enter with other keys held opens nothing and presses no button.
        return handled || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    }
    if (watched == List1->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        List1_MouseUp(mouse->button(), mouse->position().toPoint());
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vimbrel
