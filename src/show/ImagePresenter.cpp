// The picture presenter of the show window: loads the current picture,
// enforces the collection's size limits, scales and places it as the
// folder asks, and captions it with its name.

#include "catalogue/MediaKind.h"
#include "catalogue/PlayList.h"
#include "controls/ErrorPolicies.h"
#include "media/MediaPlayer.h"
#include "media/midi/MidiStream.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/Services.h"
#include "runtime/Conversions.h"
#include "runtime/Error.h"
#include "show/CaptionLabel.h"
#include "show/ImageLayout.h"
#include "show/MainForm.h"
#include "show/MarkedFiles.h"
#include "show/PictureArea.h"
#include "show/Twips.h"
#include "state/ProgramState.h"

namespace vimbrel {

void MainForm::VimbleImage() {
    const std::string currentFile = m_state.catalogue.CurrentFile;
    // The show's timer waits while the picture is read off the UI thread;
    // the picture before stays meanwhile.
    Show.Loading = currentFile;
    m_pictureStall->start();
    m_loader.Load(
        PathInShownFolder(currentFile), DecodeSizeForFolder(), [this](LoadedPicture picture) {
            EndProgramOnError(m_services.messageBoxes, [&] { ShowPicture(std::move(picture)); });
        });
}

void MainForm::ShowPicture(LoadedPicture picture) {
    const CollectionSettings& settings = m_state.model.settings;
    const FolderEntry& folder =
        m_state.model.FolderTable[static_cast<std::size_t>(settings.CurrentFolder)];
    const std::string currentFile = m_state.catalogue.CurrentFile;
    Show.Loading.clear();
    m_pictureStall->stop();

    Image1->hide();
    Label1->hide();
    const int32_t availableHeight = AvailableHeight();
    const int32_t screenWidth = m_state.screen.ScreenWidth;

    if (picture.image.isNull() && !picture.notOnThisMachine.empty()) {
        // A picture this machine cannot decode is passed over, not renamed:
        // it shows once the decoder is installed. Said once for each reason.
        if (m_machineFaultsTold.insert(picture.notOnThisMachine).second) {
            platform::WriteToTerminal(currentFile +
                                      ": passed over, not renamed: " + picture.notOnThisMachine);
        }
    } else if (picture.image.isNull()) {
        // The picture area keeps the picture it had; the size checks would
        // measure that one, so they are not made.
        MarkUnusableFile(m_state.catalogue, m_services.profiles, m_state.files.CollectionFile);
    } else {
        m_naturalPixels = picture.natural;
        Image1->SetPicture(std::move(picture.image));
        if (const auto limit =
                BrokenSizeLimit(m_naturalPixels.width(), m_naturalPixels.height(), settings)) {
            RenameForSizeLimit(m_state.catalogue, m_services.profiles, m_state.files.CollectionFile,
                               *limit);
        }
    }

    const PictureSize natural{
        static_cast<float>(m_naturalPixels.width() * platform::TwipsPerPixelX),
        static_cast<float>(m_naturalPixels.height() * platform::TwipsPerPixelY)};
    const PictureSize shown =
        ScalePicture(natural, folder.ImageScale, availableHeight, screenWidth);
    Image1->SetStretch(folder.ImageScale >= SizeImagesUp && folder.ImageScale <= SizeImagesToFit);
    const PicturePlace place =
        PlacePicture(shown, folder.Center, availableHeight, screenWidth, m_services.random);
    Place(Image1, place.left, place.top, shown.W, shown.H);

    Label1->SetCaption(CaptionOfFile(currentFile));
    Label1->setGeometry(ToPixelsX(place.left), ToPixelsY(place.top + shown.H), ToPixelsX(shown.W),
                        Label1->height());
    if (folder.Captions == 1) {
        Label1->show();
    }
    Image1->show();
    PrefetchNextPicture();
}

void MainForm::PrefetchNextPicture() {
    const CatalogueState& catalogue = m_state.catalogue;
    if (catalogue.PlayListCount < 2) {
        return;
    }
    const int32_t next = (catalogue.PlayListPosition + 1) % catalogue.PlayListCount;
    const std::string& name = catalogue.PlayList[static_cast<std::size_t>(next)];
    if (!IsSupportedFile(catalogue.SupportedPatterns, name)) {
        return;
    }
    const MediaKind kind = MediaKindOf(name);
    if (kind == MediaKind::Picture) {
        m_loader.Prefetch(PathInShownFolder(name), DecodeSizeForFolder());
    } else {
        // The player's core, and for a tune the synthesizer's sounds, are
        // made while this picture stands, so that the media starts at once.
        try {
            MediaPlayer1->Prepare();
        } catch (const Error&) {
            // The item itself will say so when its turn comes.
        }
        if (kind == MediaKind::Tune || kind == MediaKind::PlayList) {
            PrepareMidiSynthesis();
        }
    }
}

} // namespace vimbrel
