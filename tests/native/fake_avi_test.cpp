// The fake AVI: its bytes, the checked-in resource file and what an AVI
// reader makes of it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "job_fake_files.h"
#include "jobs/job_scripts.h"

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace mb;
using mb::jobs_test::RecordingFiles;

namespace {

std::string SourceRoot() {
    std::string root = MAROBEX_TEST_DATA;
    const std::string tail = "/tests/data";
    if (root.size() >= tail.size() && root.compare(root.size() - tail.size(), tail.size(), tail) == 0)
        root.resize(root.size() - tail.size());
    return root;
}

std::string ReadBinary(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#ifndef _WIN32
// Runs a shell command; its standard output and exit status.
std::pair<std::string, int> RunShell(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {output, -1};
    char buffer[256];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    return {output, pclose(pipe)};
}
#endif

}  // namespace

TEST(FakeAvi, MatchesTheResourceFile) {
    const std::string resource = ReadBinary(SourceRoot() + "/src/jobs/fakeavi.bin");
    ASSERT_EQ(resource.size(), 3072u);
    const std::string built = FakeAviBytes();
    ASSERT_EQ(built.size(), 3072u);
    for (std::size_t i = 0; i < built.size(); ++i)
        ASSERT_EQ(built[i], resource[i]) << "first difference at offset " << i;
}

TEST(WriteFakeAvi, WritesTheSameBytesEveryTime) {
    RecordingFiles files;
    ASSERT_TRUE(WriteFakeAvi(files));
    const std::string first = files.files["c:\\fake.avi"];
    ASSERT_TRUE(WriteFakeAvi(files, FakeAviBytes()));
    EXPECT_EQ(files.order, (std::vector<std::string>{"c:\\fake.avi", "c:\\fake.avi"}));
    EXPECT_EQ(files.files["c:\\fake.avi"], first);
    EXPECT_EQ(first, FakeAviBytes());
}

TEST(WriteFakeAvi, FailuresAreReported) {
    RecordingFiles files;
    Status s = WriteFakeAvi(files, "");
    EXPECT_FALSE(s);
    EXPECT_EQ(s.message,
              "Cannot write the file c:\\fake.avi: the program carries no fake AVI resource.");
    EXPECT_TRUE(files.order.empty());

    files.refuse["c:\\fake.avi"] = "Access denied.";
    s = WriteFakeAvi(files);
    EXPECT_FALSE(s);
    EXPECT_EQ(s.message, "Cannot write the file c:\\fake.avi: Access denied.");
}

// A standard AVI reader sees one 16 x 16 frame at 10 frames per second.
TEST(FakeAvi, ReadByFfprobe) {
#ifdef _WIN32
    GTEST_SKIP() << "ffprobe is a Linux program here; the native run checks the file";
#else
    if (std::system("ffprobe -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffprobe not installed";
    const auto path = std::filesystem::temp_directory_path() /
                      ("marobex_fake_" + std::to_string(::getpid()) + ".avi");
    {
        RecordingFiles files;
        ASSERT_TRUE(WriteFakeAvi(files));
        std::ofstream out(path, std::ios::binary);
        out << files.files["c:\\fake.avi"];
    }
    const auto [probe, probeStatus] =
        RunShell("ffprobe -v error -count_frames -show_entries "
            "stream=codec_type,width,height,r_frame_rate,nb_read_frames "
            "-of default=noprint_wrappers=1 " + path.string());
    EXPECT_EQ(probeStatus, 0);
    EXPECT_EQ(probe,
              "codec_type=video\n"
              "width=16\n"
              "height=16\n"
              "r_frame_rate=10/1\n"
              "nb_read_frames=1\n");

    // The frame is black: decoded, every pixel is zero.
    if (std::system("ffmpeg -version >/dev/null 2>&1") == 0) {
        const auto [pixels, decodeStatus] =
            RunShell("ffmpeg -v error -i " + path.string() + " -f rawvideo -pix_fmt rgb24 -");
        EXPECT_EQ(decodeStatus, 0);
        EXPECT_EQ(pixels, std::string(16 * 16 * 3, '\0'));
    }
    std::filesystem::remove(path);
#endif
}
