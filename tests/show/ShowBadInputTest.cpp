// Files a show meets in real folders: odd names, files that go away, files
// that are not what their names say, and folders it may not change.

#include "ShowWindowFixture.h"
#include "show/CaptionLabel.h"
#include "show/MarkedFiles.h"
#include "show/PictureArea.h"

#include <QProcess>

namespace vimbrel {
namespace {

TEST_F(ShowWindow, OddNamesAreShownAndMarkedByTheirOwnBytes) {
    // Not valid UTF-8, a line break, blanks and an ampersand.
    test::WritePicture(pictures / "a \xE9t\xE9.jpg", 40, 30, Qt::red);
    test::WriteBytes(pictures / "b bad\nname.jpg", "garbage");
    test::WritePicture(pictures / "c Tom & Jerry.bmp", 40, 30, Qt::blue);
    auto form = Start({.captions = 1, .interval = 0});
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(1, 1), Qt::red));
    EXPECT_FALSE(std::filesystem::exists(pictures / "_a \xE9t\xE9.jpg"));

    Ticks(*form, 2);
    EXPECT_TRUE(std::filesystem::exists(pictures / "_b bad\nname.jpg"));
    // The line break cannot split the settings line into forged keys.
    EXPECT_EQ(LastFileName(), "b bad?name.jpg");

    Ticks(*form, 2);
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(1, 1), Qt::blue));
    EXPECT_EQ(form->Label1->Caption(), "c Tom && Jerry");
}

TEST_F(ShowWindow, FileDeletedBeforeItsTurnIsPassedOver) {
    test::WritePicture(pictures / "a.jpg", 40, 30, Qt::red);
    test::WritePicture(pictures / "b.jpg", 40, 30, Qt::blue);
    auto form = Start({.interval = 0});
    std::filesystem::remove(pictures / "b.jpg");
    Ticks(*form, 2);
    EXPECT_EQ(state.catalogue.PlayList[1], "_b.jpg");
    EXPECT_EQ(LastFileName(), "b.jpg");
    EXPECT_FALSE(std::filesystem::exists(pictures / "_b.jpg"));
    Ticks(*form, 2);
    EXPECT_EQ(state.catalogue.CurrentFile, "a.jpg");
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ShowWindow, AnimatedGifOfAThousandFramesShowsItsFirstFrame) {
    ASSERT_EQ(
        QProcess::execute("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=red:s=32x24:r=100",
                                     "-frames:v", "1000",
                                     QString::fromStdString((pictures / "anim.gif").string())}),
        0);
    auto form = Start();
    EXPECT_EQ(form->Image1->size(), QSize(32, 24));
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(1, 1), Qt::red));
}

struct MarkArgs {
    ProgramState* state;
    platform::Services* services;
};

int MarkInReadOnlyFolder(void* argument) {
    auto* args = static_cast<MarkArgs*>(argument);
    MarkUnusableFile(*args->state, *args->services);
    RenameForSizeLimit(*args->state, *args->services, 640);
    return 0;
}

TEST(MarkedFilesTest, ReadOnlyFolderKeepsEveryFileAndTheShowGoesOn) {
    VIMBREL_SKIP_WITHOUT_PERMISSION_CHECKS();
    test::TestPlatform platform;
    test::TempDirectory pictures;
    test::WriteBytes(pictures / "photo.jpg", "picture bytes");
    test::WriteBytes(platform / "vimbrel000.ini", test::CrLf({"[Options]"}));
    ProgramState state;
    state.files.CollectionFile = "vimbrel000.ini";
    state.catalogue.PlayList = {"photo.jpg"};
    state.catalogue.PlayListCount = 1;
    state.catalogue.CurrentFile = "photo.jpg";
    std::filesystem::current_path(pictures.path());
    ::chmod(pictures.path().c_str(), 0555);
    MarkArgs args{&state, &platform.services};
    EXPECT_EQ(test::RunWithoutPermissionOverride(MarkInReadOnlyFolder, &args), 0);
    ::chmod(pictures.path().c_str(), 0755);
    EXPECT_EQ(test::ReadBytes(pictures / "photo.jpg"), "picture bytes");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(pictures.path()),
                            std::filesystem::directory_iterator()),
              1);
}

} // namespace
} // namespace vimbrel
