#include "config/Configuration.h"

#include "config/ConfigurationRules.h"
#include "config/StoredText.h"
#include "controls/ErrorPolicies.h"
#include "platform/MessageBoxes.h"
#include "platform/Pickers.h"
#include "platform/Services.h"
#include "runtime/Error.h"
#include "settings/CollectionStore.h"
#include "state/ProgramState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

namespace vimbrel {

namespace {

QString Text(std::string_view text) {
    return StoredText(text);
}

// Shows a stored flag; a value that is neither 0 nor 1 leaves the box as it is.
void ShowFlag(QCheckBox* box, int16_t value) {
    if (value == 0 || value == 1) {
        box->setChecked(value == 1);
    }
}

// Shows a stored list position; one outside the list leaves the combo as it is.
void ShowPosition(QComboBox* combo, int16_t position) {
    if (position >= 0 && position < combo->count()) {
        combo->setCurrentIndex(position);
    }
}

int16_t FlagOf(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

} // namespace

Configuration::Configuration(ProgramState& state, platform::Services& services,
                             platform::FolderPicker& folderPicker,
                             platform::ColorPicker& colorPicker, QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services), m_folderPicker(folderPicker),
      m_colorPicker(colorPicker) {
    BuildControls();
    ConnectControls();
}

Configuration::~Configuration() = default;

void Configuration::Form_Load() {
    for (const char* entry :
         {"Default Size Images", "Size Images Up", "Size Images Down", "Size Images To Fit"}) {
        Combo_ImageScale->addItem(entry);
    }
    for (const char* entry : {"Default Size Videos", "Double Size Videos", "Half Screen Videos"}) {
        Combo_VideoScale->addItem(entry);
    }
    for (const std::string& entry : ResolutionEntries(m_state.display)) {
        Combo_Resolution->addItem(Text(entry));
    }
    FitCaptions();
    Configuration_Init();
}

void Configuration::Configuration_Init() {
    // A square swatch inside the right end of the Background button.
    const double height = Command1->height() / 2.0;
    const QRect button = Command1->geometry();
    Picture1->setGeometry(
        static_cast<int>(std::lround(button.left() + button.width() - height - height / 1.5)),
        static_cast<int>(std::lround(button.top() + height / 2.0)),
        static_cast<int>(std::lround(height)), static_cast<int>(std::lround(height)));
    Picture1->raise();

    ShowFolderList();
    ShowSpecialKeys();

    const std::string& description = m_state.model.settings.Description;
    const QString name = Text(description);
    // Fifty characters is the most a user types; a longer stored name is
    // shown whole and kept.
    CollectionName->setMaxLength(std::max<int>(kMaxCollectionName, static_cast<int>(name.size())));
    CollectionName->setText(name);
    // A name longer than the field shows from its start.
    CollectionName->setCursorPosition(0);
    // The name of the collection every installation starts with stays.
    CollectionName->setEnabled(description != kDefaultCollectionName);

    const CollectionSettings& settings = m_state.model.settings;
    ShowFlag(Check_Beep, settings.key_Beep);
    Check_Random->setChecked(settings.RandomFolder == 1);
    Check_MoreFormats->setChecked(settings.MoreFormats == 1);
    {
        // A sensitivity outside the bar's range shows as its nearest end,
        // and its number in the caption; it stays until the bar is moved.
        const QSignalBlocker blocker(HScroll_MouseMoves);
        HScroll_MouseMoves->setValue(settings.MouseMoves);
    }
    Label10->setText(QString::fromStdString(MouseSensitivityCaption(settings.MouseMoves)));
    for (const QCheckBox* box : {Check_Beep, Check_Random, Check_MoreFormats}) {
        RememberShown(box, box->isChecked());
    }
    RememberShown(CollectionName, CollectionName->text());
}

bool Configuration::Changed(const QCheckBox* box) const {
    const auto shown = m_shown.find(box);
    return shown == m_shown.end() || shown->second.toBool() != box->isChecked();
}

bool Configuration::Changed(const QLineEdit* field) const {
    const auto shown = m_shown.find(field);
    return shown == m_shown.end() || shown->second.toString() != field->text();
}

void Configuration::ShowFolderList() {
    const SettingsModel& model = m_state.model;
    {
        // The list's click runs once, for the selection made at the end.
        const QSignalBlocker blocker(List_Folders);
        List_Folders->clear();
        for (const int16_t n : FolderListOrder(model)) {
            auto* item = new QListWidgetItem(
                Text(model.FolderTable[static_cast<std::size_t>(n)].Folder), List_Folders);
            item->setData(Qt::UserRole, n);
        }
    }
    const bool empty = List_Folders->count() == 0;
    if (empty) {
        const QSignalBlocker blocker(List_Folders);
        auto* item = new QListWidgetItem(Text(kToBegin), List_Folders);
        item->setData(Qt::UserRole, 0);
    }
    for (QWidget* control : std::initializer_list<QWidget*>{
             HScroll_Interval, Check_Center, Check_RandomOrder, Check_Captions, Command1,
             Combo_ImageScale, Combo_VideoScale, Combo_Resolution}) {
        control->setEnabled(!empty);
    }
    SelectFolder(m_state.model.settings.CurrentFolder);
}

void Configuration::SelectFolder(int folder) {
    int row = 0;
    for (int i = 0; i < List_Folders->count(); ++i) {
        if (folder != 0 && List_Folders->item(i)->data(Qt::UserRole).toInt() == folder) {
            row = i;
            break;
        }
    }
    {
        const QSignalBlocker blocker(List_Folders);
        List_Folders->setCurrentRow(row);
    }
    List_Folders_Click();
}

void Configuration::ShowFolderOptions() {
    const FolderEntry* entry = CurrentEntry();
    if (entry == nullptr) {
        return;
    }
    const FolderEntry shown = *entry;
    if (shown.Interval >= HScroll_Interval->minimum() &&
        shown.Interval <= HScroll_Interval->maximum()) {
        HScroll_Interval->setValue(shown.Interval);
    }
    Label1->setText(Text(IntervalCaption(HScroll_Interval->value())));
    ShowFlag(Check_Captions, shown.Captions);
    ShowFlag(Check_Center, shown.Center);
    ShowPosition(Combo_ImageScale, shown.ImageScale);
    ShowFlag(Check_RandomOrder, shown.RandomOrder);
    ShowPosition(Combo_VideoScale, shown.VideoScale);
    ShowPosition(Combo_Resolution, shown.Resolution);
    SetSwatchColor(shown.Background);
}

void Configuration::ShowSpecialKeys() {
    const CollectionSettings& s = m_state.model.settings;
    Check_Special->setChecked(s.key_Special != 0);
    const std::pair<QLineEdit*, int16_t> keys[] = {
        {Text4, s.key_Pause},  {Text5, s.key_Next},      {Text6, s.key_Previous},
        {Text7, s.key_Rename}, {Text8, s.key_NewFolder}, {Text9, s.key_Captions}};
    for (const auto& [field, code] : keys) {
        field->setText(KeyFieldText(code));
        field->setEnabled(s.key_Special != 0);
        RememberShown(field, field->text());
    }
    RememberShown(Check_Special, Check_Special->isChecked());
    Check_Beep->setEnabled(s.key_Special != 0);
}

void Configuration::StoreGlobalOptions() {
    CollectionSettings& s = m_state.model.settings;
    // Only what the user changed: the rest keeps the stored value, also one
    // that no control can show. (The sensitivity bar stores its value the
    // moment it moves.)
    const auto changed = [this](const auto* control) { return Changed(control); };
    if (changed(Check_Beep)) {
        s.key_Beep = FlagOf(Check_Beep);
    }
    // An emptied field keeps the key it had: every key needs a character.
    const auto store = [&](int16_t& key, const QLineEdit* field) {
        if (changed(field)) {
            key = KeyCodeOf(field->text()).value_or(key);
        }
    };
    store(s.key_Captions, Text9);
    store(s.key_NewFolder, Text8);
    store(s.key_Next, Text5);
    store(s.key_Pause, Text4);
    store(s.key_Previous, Text6);
    store(s.key_Rename, Text7);
    if (changed(Check_Special)) {
        s.key_Special = FlagOf(Check_Special);
    }
    if (changed(Check_Random)) {
        s.RandomFolder = FlagOf(Check_Random);
    }
    if (changed(Check_MoreFormats)) {
        s.MoreFormats = FlagOf(Check_MoreFormats);
    }
    // Typed text is UTF-8; an untouched name keeps its bytes, whatever code
    // page wrote them.
    if (changed(CollectionName)) {
        s.Description = CollectionName->text().toStdString();
    }
}

void Configuration::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void Configuration::Command5_Click() {
    Run([&] {
        StoreGlobalOptions();
        SaveCollectionSettings(m_state.model, m_services.profiles, m_state.files.WindowsDirectory,
                               m_state.files.CollectionFile);
        accept();
    });
}

void Configuration::Command6_Click() {
    reject();
}

FolderEntry* Configuration::CurrentEntry() {
    const int current = m_state.model.settings.CurrentFolder;
    if (current < 0 || current >= static_cast<int>(m_state.model.FolderTable.size())) {
        return nullptr;
    }
    return &m_state.model.FolderTable[static_cast<std::size_t>(current)];
}

void Configuration::Run(const std::function<void()>& handler) {
    KeepDialogOnError(m_services.messageBoxes, handler);
}

void Configuration::ConnectControls() {
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });

    connect(List_Folders, &QListWidget::currentRowChanged, this,
            [this] { Run([this] { List_Folders_Click(); }); });
    List_Folders->installEventFilter(this);
    List_Folders->viewport()->installEventFilter(this);
    connect(Vimbrel_Create_Single, &QAction::triggered, this,
            [this] { Run([this] { Vimbrel_Create_Single_Click(); }); });
    connect(Vimbrel_Create_Multi, &QAction::triggered, this,
            [this] { Run([this] { Vimbrel_Create_Multi_Click(); }); });
    connect(Vimbrel_Remove, &QAction::triggered, this,
            [this] { Run([this] { Vimbrel_Remove_Click(); }); });

    connect(Check_Captions, &QCheckBox::clicked, this,
            [this] { StoreFolderValue(&FolderEntry::Captions, FlagOf(Check_Captions)); });
    connect(Check_Center, &QCheckBox::clicked, this,
            [this] { StoreFolderValue(&FolderEntry::Center, FlagOf(Check_Center)); });
    connect(Check_RandomOrder, &QCheckBox::clicked, this,
            [this] { StoreFolderValue(&FolderEntry::RandomOrder, FlagOf(Check_RandomOrder)); });
    connect(Combo_ImageScale, &QComboBox::activated, this, [this](int position) {
        StoreFolderValue(&FolderEntry::ImageScale, static_cast<int16_t>(position));
    });
    connect(Combo_VideoScale, &QComboBox::activated, this, [this](int position) {
        StoreFolderValue(&FolderEntry::VideoScale, static_cast<int16_t>(position));
    });
    connect(Combo_Resolution, &QComboBox::activated, this, [this](int position) {
        StoreFolderValue(&FolderEntry::Resolution, static_cast<int16_t>(position));
    });
    connect(HScroll_Interval, &QScrollBar::valueChanged, this,
            [this] { HScroll_Interval_Change(); });
    connect(HScroll_MouseMoves, &QScrollBar::valueChanged, this,
            [this] { HScroll_MouseMoves_Change(); });
    connect(Check_Special, &QCheckBox::clicked, this, [this] { Check_Special_Click(); });
    Check_Special->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, [this] { Run([this] { Command1_Click(); }); });
    for (QLineEdit* field : {Text4, Text5, Text6, Text7, Text8, Text9}) {
        field->installEventFilter(this);
    }
}

bool Configuration::eventFilter(QObject* watched, QEvent* event) {
    if (watched == List_Folders && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool handled = false;
        Run([&] {
            handled = List_Folders_KeyDown(key->key(), key->modifiers());
            if (!handled && !key->text().isEmpty()) {
                const int character = key->text().at(0).unicode();
                List_Folders_KeyPress(character);
                handled = character == '\r';
            }
        });
        return handled;
    }
    if (watched == List_Folders->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            List_Folders_MouseUp(mouse->button(), mouse->position().toPoint());
        } else if (event->type() == QEvent::MouseButtonDblClick &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Run([this] { List_Folders_DblClick(); });
        }
        return false;
    }
    // Any button toggles "Use Special Keys"; the left one already clicks it.
    if (watched == Check_Special && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton && Check_Special->isEnabled() &&
            Check_Special->rect().contains(mouse->position().toPoint())) {
            Check_Special->setChecked(!Check_Special->isChecked());
            Check_Special_Click();
            return true;
        }
    }
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field != nullptr && event->type() == QEvent::FocusIn) {
        KeyField_GotFocus(field);
    } else if (field != nullptr && event->type() == QEvent::FocusOut) {
        KeyField_LostFocus(field);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vimbrel
