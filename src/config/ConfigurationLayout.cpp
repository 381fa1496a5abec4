// The dialog's window and controls, at the places its layout gives in twips
// (15 to a pixel).

#include "config/Configuration.h"
#include "config/ConfigurationRules.h"
#include "config/ProgramIcon.h"
#include "platform/Screen.h"
#include "show/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>
#include <functional>

namespace vimbrel {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* text, double left, double top, double width,
                  double height) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return Place(label, left, top, width, height);
}

// The box's square is drawn 17 pixels high here; a lower box would cut it,
// so a low one grows about its middle.
constexpr double kLowestCheckBox = 255;

// The global options' frame, a row higher than the classic layout's 2175
// twips for the More Formats box.
constexpr double kGlobalOptionsTop = 2880;
constexpr double kGlobalOptionsHeight = 2175 + 300;

constexpr char kMoreFormatsTip[] = "Also show today's formats:\n"
                                   "pictures PNG, JPEG, WebP, TIFF, HEIC, HEIF and AVIF,\n"
                                   "videos MP4, M4V, MKV, WebM, MTS, M2TS, 3GP and OGV,\n"
                                   "sounds FLAC, OGG, Opus, M4A and AAC, and M3U8 play lists.\n"
                                   "WebP and TIFF need the package qt6-image-formats-plugins;\n"
                                   "HEIC, HEIF and AVIF need libheif1.";

QCheckBox* MakeCheckBox(QWidget* parent, const char* text, double left, double top, double width,
                        double height) {
    const double grown = std::max(height, kLowestCheckBox);
    return Place(new QCheckBox(QString::fromUtf8(text), parent), left, top - (grown - height) / 2,
                 width, grown);
}

QLineEdit* MakeKeyField(QWidget* parent, double left, double top, int maxLength) {
    auto* field = new QLineEdit(parent);
    field->setMaxLength(maxLength);
    field->setAlignment(Qt::AlignCenter);
    return Place(field, left, top, 375, 285);
}

QScrollBar* MakeBar(QWidget* parent, int minimum, int maximum) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setRange(minimum, maximum);
    bar->setSingleStep(kSmallStep);
    bar->setPageStep(kLargeStep);
    // The arrow keys move a bar that has the focus, as Tab reaches it.
    bar->setFocusPolicy(Qt::StrongFocus);
    return bar;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, double left, double top) {
    auto* combo = Place(new QComboBox(parent), left, top, 1815, 315);
    // The combo's caption stands in it until an entry is shown.
    combo->setPlaceholderText(QString::fromUtf8(name));
    return combo;
}

// Narrows the control's font until the text needs no more than the width
// given, down to two thirds of the dialog's font width.
void Narrow(QWidget* control, const std::function<int()>& needed) {
    QFont narrowed = control->font();
    int stretch = narrowed.stretch() > 0 ? narrowed.stretch() : 100;
    while (needed() > control->width() && stretch > 66) {
        stretch -= 3;
        narrowed.setStretch(stretch);
        control->setFont(narrowed);
    }
}

void NarrowToSizeHint(QWidget* control) {
    Narrow(control, [control] { return control->sizeHint().width(); });
}

} // namespace

void Configuration::FitCaptions() {
    for (QWidget* control : std::initializer_list<QWidget*>{
             Check_Center, Check_RandomOrder, Check_Captions, Check_Beep, Check_Random,
             Check_MoreFormats, Check_Special, Command1, Combo_ImageScale, Combo_VideoScale,
             Combo_Resolution, Label11, Label12, Label13, Label14, Label15, Label16}) {
        NarrowToSizeHint(control);
    }
    // The title of the key fields' frame hides no more of its edge than it
    // covers.
    Check_Special->resize(std::min(Check_Special->width(), Check_Special->sizeHint().width() + 4),
                          Check_Special->height());
    // The captions that change are fitted for their longest text.
    Narrow(Label1, [this] {
        return Label1->fontMetrics().horizontalAdvance(
            QString::fromStdString(IntervalCaption(kMaxInterval - 1)));
    });
    Narrow(Label10, [this] {
        return Label10->fontMetrics().horizontalAdvance(
            QString::fromStdString(MouseSensitivityCaption(kMaxMouseMoves)));
    });
}

void Configuration::BuildControls() {
    setWindowTitle("Vimbrel 4.0 Configuration");
    // The layout's client area is 4875 twips high, which leaves the lower
    // half of Cancel and the global options' frame below the window's edge;
    // the window reaches 120 twips below the frame instead, which has grown
    // a row for the More Formats box.
    setFixedSize(ToPixelsX(7455), ToPixelsY(kGlobalOptionsTop + kGlobalOptionsHeight + 120));
    // The layout is made for a font of eleven pixels with narrow letters;
    // the desktop's own size and width would push the captions out of their
    // controls. FitCaptions narrows what still does not fit.
    QFont captions = font();
    captions.setPixelSize(11);
    captions.setStretch(QFont::SemiCondensed);
    setFont(captions);

    const QImage icon = DrawProgramIcon();
    setWindowIcon(QIcon(QPixmap::fromImage(icon)));

    BuildFolderOptions();
    BuildGlobalOptions();

    Command5 = Place(new QPushButton("OK", this), 6000, 4200, 1335, 375);
    Command6 = Place(new QPushButton("Cancel", this), 6000, 4680, 1335, 375);
    // No default button: Enter in a field is the field's own.
    Command5->setAutoDefault(false);
    Command6->setAutoDefault(false);

    Image1 = Place(new QLabel(this), 6180, 3000, 960, 960);
    Image1->setPixmap(QPixmap::fromImage(icon));
    Image1->setScaledContents(true);

    BuildFolderMenu();
    SetTabOrder();
}

void Configuration::BuildFolderOptions() {
    Frame4 = Place(new QGroupBox("Folder Options", this), 120, 120, 7215, 2655);

    List_Folders = Place(new QListWidget(Frame4), 240, 360, 3015, 2010);
    List_Folders->setToolTip("Double-click and right-click for options.");
    List_Folders->setSelectionMode(QAbstractItemView::SingleSelection);
    List_Folders->setContextMenuPolicy(Qt::PreventContextMenu);

    Label1 = MakeLabel(Frame4, "Interval", 3480, 360, 3495, 195);
    HScroll_Interval = Place(MakeBar(Frame4, kMinInterval, kMaxInterval), 3480, 600, 3495, 255);
    Check_Center = MakeCheckBox(Frame4, "Centered", 3480, 948, 1455, 255);
    Combo_ImageScale = MakeCombo(Frame4, "Image Scale", 5160, 1040);
    Check_RandomOrder = MakeCheckBox(Frame4, "Random Order", 3480, 1296, 1575, 255);
    Combo_VideoScale = MakeCombo(Frame4, "Video Scale", 5160, 1540);
    Check_Captions = MakeCheckBox(Frame4, "Show Filenames", 3480, 1644, 1575, 255);
    // The blanks leave room for the colour swatch at the button's right end.
    Command1 = Place(new QPushButton("Background       ", Frame4), 3480, 1995, 1455, 375);
    Command1->setAutoDefault(false);
    Picture1 = new QFrame(Frame4);
    Picture1->setFrameShape(QFrame::Box);
    Picture1->setAutoFillBackground(true);
    Combo_Resolution = MakeCombo(Frame4, "Resolution", 5160, 2040);
}

void Configuration::BuildGlobalOptions() {
    Frame2 = Place(new QGroupBox("Global Options", this), 120, kGlobalOptionsTop, 5775,
                   kGlobalOptionsHeight);

    CollectionName = Place(new QLineEdit(Frame2), 3480, 360, 2055, 285);
    CollectionName->setMaxLength(kMaxCollectionName);
    CollectionName->setPlaceholderText("Collection Name");
    CollectionName->setToolTip("Enter a name for this collection.");
    Check_Beep = MakeCheckBox(Frame2, "Beep On Special Keys", 3480, 760, 2055, 255);
    Check_Random = MakeCheckBox(Frame2, "Start With Random Folder", 3480, 1130, 2175, 195);
    Label10 = MakeLabel(Frame2, "Mouse Sensitivity", 3480, 1440, 1815, 255);
    HScroll_MouseMoves =
        Place(MakeBar(Frame2, kMinMouseMoves, kMaxMouseMoves), 3480, 1680, 2055, 255);
    // Below the sensitivity bar, in the row the frame grew by.
    Check_MoreFormats = MakeCheckBox(Frame2, "More Formats", 3480, 2040, 2055, 255);
    Check_MoreFormats->setToolTip(QString::fromUtf8(kMoreFormatsTip));

    // A frame without a caption; "Use Special Keys" sits on its top edge as
    // its title.
    Frame3 = Place(new QFrame(Frame2), 240, 360, 3015, 1575);
    Frame3->setFrameShape(QFrame::StyledPanel);
    Frame3->setFrameShadow(QFrame::Sunken);
    // Placed in the outer frame, so that it straddles the edge instead of
    // being cut by it.
    Check_Special = MakeCheckBox(Frame2, "Use Special Keys", 240 + 240, 360 - 97, 1575, 195);
    Check_Special->setAutoFillBackground(true);

    Text4 = MakeKeyField(Frame3, 240, 360, 1);
    Text5 = MakeKeyField(Frame3, 240, 720, 1);
    Text6 = MakeKeyField(Frame3, 240, 1080, 1);
    Text7 = MakeKeyField(Frame3, 1560, 360, 1);
    Text8 = MakeKeyField(Frame3, 1560, 720, 1);
    // Only the first character counts, but the field takes more.
    Text9 = MakeKeyField(Frame3, 1560, 1080, 32767);
    Label11 = MakeLabel(Frame3, "= Pause", 600, 390, 735, 255);
    Label12 = MakeLabel(Frame3, "= Next", 600, 750, 615, 255);
    Label13 = MakeLabel(Frame3, "= Previous", 600, 1110, 975, 255);
    Label14 = MakeLabel(Frame3, "= Rename", 1920, 390, 855, 255);
    Label15 = MakeLabel(Frame3, "= New Folder", 1920, 750, 1000, 255);
    Label16 = MakeLabel(Frame3, "= Filenames", 1920, 1110, 975, 255);
}

void Configuration::BuildFolderMenu() {
    // Shown only as a pop-up over the folder list; the window has no menu bar.
    Vimbrel_Folder_Menu = new QMenu("Folder Options", this);
    Vimbrel_Create_Single = Vimbrel_Folder_Menu->addAction("New Folder...");
    Vimbrel_Create_Multi = Vimbrel_Folder_Menu->addAction("New Folders...");
    Vimbrel_Folder_Menu->addSeparator();
    Vimbrel_Remove = Vimbrel_Folder_Menu->addAction("Remove Folder...");
}

void Configuration::SetTabOrder() {
    QWidget* const order[] = {List_Folders,
                              HScroll_Interval,
                              Check_Center,
                              Check_RandomOrder,
                              Check_Captions,
                              Command1,
                              Combo_ImageScale,
                              Combo_VideoScale,
                              Combo_Resolution,
                              Check_Special,
                              Text4,
                              Text5,
                              Text6,
                              Text7,
                              Text8,
                              Text9,
                              CollectionName,
                              Check_Beep,
                              Check_Random,
                              HScroll_MouseMoves,
                              Check_MoreFormats,
                              Command5,
                              Command6};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

} // namespace vimbrel
