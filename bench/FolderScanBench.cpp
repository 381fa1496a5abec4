// How long the play list of a big folder takes to build, against the time a
// bare listing of the same folder takes on the same machine in the same run:
// the listing is the part no scan can avoid, so the ratio says what the
// filtering, shuffling and sorting add.
//
//   folder_scan_bench [repetitions]

#include "catalogue/CatalogueState.h"
#include "catalogue/PlayList.h"
#include "display/DisplayModes.h"
#include "platform/Clock.h"
#include "platform/CursorCounter.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessControl.h"
#include "platform/ProfileFile.h"
#include "platform/RandomSource.h"
#include "platform/Services.h"
#include "state/ProgramState.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSupportedFiles = 20000;
constexpr int kOtherFiles = 20000;

// Writes what the show would put in a message box; the benchmark has no
// window to show it in.
class PrintedMessages final : public vimbrel::platform::MessageBoxes {
public:
    vimbrel::platform::MessageAnswer Show(std::string_view text, vimbrel::platform::MessageIcon,
                                          vimbrel::platform::MessageButtons) override {
        std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
        return vimbrel::platform::MessageAnswer::Ok;
    }
    void Beep() override {}
};

std::filesystem::path MakeTemporaryFolder(const char* stem) {
    std::string pattern = (std::filesystem::temp_directory_path() / stem).string() + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

void MakeEmptyFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
    ::close(fd);
}

// Names as cameras, recorders and people give them: a few prefixes, numbers,
// letters in both cases, every supported type; the others are documents,
// thumbnails, marked files and names with two dots.
void FillFolder(const std::filesystem::path& folder) {
    const std::vector<std::string> types = {"jpg", "JPG", "gif", "bmp", "avi", "mov", "mpg", "wmv",
                                            "asf", "mp3", "wav", "wma", "mid", "rmi", "m3u", "asx"};
    const std::vector<std::string> stems = {"IMG_", "DSC", "Holiday ", "clip-", "track "};
    const std::vector<std::string> others = {"txt", "db", "ini", "jpeg", "png", "xmp"};
    char number[16];
    for (int i = 0; i < kSupportedFiles; ++i) {
        std::snprintf(number, sizeof number, "%05d", i);
        MakeEmptyFile(folder / (stems[i % stems.size()] + number + "." + types[i % types.size()]));
    }
    for (int i = 0; i < kOtherFiles; ++i) {
        std::snprintf(number, sizeof number, "%05d", i);
        std::string name = i % 10 == 0 ? "_IMG_" + std::string(number) + ".jpg"
                           : i % 10 == 1
                               ? "IMG_" + std::string(number) + ".edit.jpg"
                               : "notes " + std::string(number) + "." + others[i % others.size()];
        MakeEmptyFile(folder / name);
    }
}

// The least a scan must do: read every entry of the folder once.
std::size_t BareListing(const std::filesystem::path& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        std::perror("opendir");
        std::exit(1);
    }
    std::size_t bytes = 0;
    while (const dirent* entry = ::readdir(dir)) {
        bytes += std::strlen(entry->d_name);
    }
    ::closedir(dir);
    return bytes;
}

template <typename Work> double Milliseconds(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

struct Figures {
    const char* label;
    std::vector<double> runs;
    double Min() const { return *std::min_element(runs.begin(), runs.end()); }
    double Median() const {
        std::vector<double> sorted = runs;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

} // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const std::filesystem::path folder = MakeTemporaryFolder("vimbrel-bench-folder");
    const std::filesystem::path settings = MakeTemporaryFolder("vimbrel-bench-settings");
    const std::filesystem::path startDirectory = std::filesystem::current_path();
    std::printf("folder_scan_bench: %d supported and %d other files in %s\n", kSupportedFiles,
                kOtherFiles, folder.c_str());
    FillFolder(folder);

    vimbrel::platform::ProfileFiles profiles{settings};
    PrintedMessages messages;
    vimbrel::platform::SystemClock clock;
    vimbrel::platform::SystemRandomSource random;
    vimbrel::platform::CursorCounter cursor;
    vimbrel::CurrentModeOnly displayModes{800, 600, 24};
    vimbrel::platform::SystemProcessControl process;
    vimbrel::platform::Services services{profiles, messages,     clock,  random,
                                         cursor,   displayModes, process};
    profiles.WritePrivateProfileString("Folder1", "Set", folder.string(), "vimbrel000.ini");

    vimbrel::ProgramState state;
    state.catalogue.SupportedPatterns = vimbrel::DefaultSupportedPatterns();
    state.model.settings.CurrentFolder = 1;
    state.model.ResizeFolderTable(1);
    const auto build = [&](int16_t randomOrder) {
        state.model.FolderTable[1].RandomOrder = randomOrder;
        vimbrel::BuildPlayList(state.catalogue, state.model, services, "vimbrel000.ini");
    };

    Figures bare{"bare listing (readdir)", {}};
    Figures sorted{"BuildPlayList, sorted", {}};
    Figures shuffled{"BuildPlayList, random order", {}};
    std::size_t touched = BareListing(folder); // warm the caches for all three alike
    build(0);
    build(1);
    for (int r = 0; r < repetitions; ++r) {
        bare.runs.push_back(Milliseconds([&] { touched += BareListing(folder); }));
        sorted.runs.push_back(Milliseconds([&] { build(0); }));
        shuffled.runs.push_back(Milliseconds([&] { build(1); }));
    }
    const int32_t listed = state.catalogue.PlayListCount;

    std::printf("repetitions: %d each, after one warm-up run; play list of %d files\n", repetitions,
                listed);
    std::printf("%-30s %9s %10s %12s %15s\n", "", "min ms", "median ms", "min / bare",
                "median / bare");
    for (const Figures* f : {&bare, &sorted, &shuffled}) {
        std::printf("%-30s %9.2f %10.2f %12.2f %15.2f\n", f->label, f->Min(), f->Median(),
                    f->Min() / bare.Min(), f->Median() / bare.Median());
    }
    const double worst = std::max(sorted.Median(), shuffled.Median()) / bare.Median();
    std::printf("target, BuildPlayList at most 2x the bare listing: %s (%.2fx)\n",
                worst <= 2.0 ? "met" : "not met", worst);

    std::filesystem::current_path(startDirectory);
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    std::filesystem::remove_all(settings, error);
    return touched > 0 && listed == kSupportedFiles ? 0 : 1;
}
