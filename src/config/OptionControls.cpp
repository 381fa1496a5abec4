// The option controls of the configuration dialog: the selected folder's
// options, written into its entry the moment they change, and the global
// options that are written at once or at OK.

#include "config/Configuration.h"
#include "config/ConfigurationRules.h"
#include "platform/Pickers.h"
#include "state/ProgramState.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>

namespace vimbrel {

void Configuration::StoreFolderValue(int16_t FolderEntry::*field, int16_t value) {
    if (FolderEntry* entry = CurrentEntry()) {
        entry->*field = value;
    }
}

void Configuration::HScroll_Interval_Change() {
    StoreFolderValue(&FolderEntry::Interval, static_cast<int16_t>(HScroll_Interval->value()));
    Label1->setText(QString::fromStdString(IntervalCaption(HScroll_Interval->value())));
}

void Configuration::HScroll_MouseMoves_Change() {
    m_state.model.settings.MouseMoves = static_cast<int16_t>(HScroll_MouseMoves->value());
    Label10->setText(QString::fromStdString(MouseSensitivityCaption(HScroll_MouseMoves->value())));
}

void Configuration::Check_Special_Click() {
    // The mouse and the space bar alike: the key fields follow the box at
    // once, not only after OK.
    m_state.model.settings.key_Special = Check_Special->isChecked() ? 1 : 0;
    ShowSpecialKeys();
}

void Configuration::Command1_Click() {
    const FolderEntry* entry = CurrentEntry();
    // The dialog opens on the colour it gave last; before that on the
    // folder's own.
    const int32_t start = m_lastColor.value_or(entry != nullptr ? entry->Background : 0);
    const std::optional<int32_t> chosen = m_colorPicker.ChooseColor(this, start);
    if (!chosen) {
        return;
    }
    m_lastColor = chosen;
    SetSwatchColor(*chosen);
    if (FolderEntry* current = CurrentEntry()) {
        current->Background = *chosen;
    }
}

void Configuration::SetSwatchColor(int32_t color) {
    QPalette palette = Picture1->palette();
    palette.setColor(QPalette::Window, QColor(platform::RedOf(color), platform::GreenOf(color),
                                              platform::BlueOf(color)));
    Picture1->setPalette(palette);
}

void Configuration::KeyField_GotFocus(QLineEdit* field) {
    // After the field's own handling of the click or Tab that brought the
    // focus (a Tab selects all of it): one character from the caret is
    // selected, so that a typed character replaces the shown key.
    QTimer::singleShot(0, field, [field] {
        if (field->hasFocus()) {
            const int caret =
                field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
            field->setSelection(caret, 1);
        }
    });
}

void Configuration::KeyField_LostFocus(QLineEdit* field) {
    field->setText(field->text().toUpper());
    // The field just left keeps its key; another field that held the same
    // key gives it up.
    for (QLineEdit* other : {Text4, Text5, Text6, Text7, Text8, Text9}) {
        if (other != field && other->text() == field->text()) {
            other->clear();
        }
    }
}

} // namespace vimbrel
