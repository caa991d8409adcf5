// The fake AVI that the WAV-to-WMA job opens as its video: a complete RIFF
// AVI with one 16 x 16 black frame at 10 frames per second, padded to 3,072
// bytes. It is built here chunk by chunk so the layout stays readable; the
// Windows programs carry the same bytes as their "FAKEAVI" resource
// (fakeavi.bin, compared with this builder by a test).
#include <cstdint>

#include "jobs/job_scripts.h"
#include "jobs/riff_writer.h"
#include "jobs/script_file.h"

namespace mb {

namespace {

constexpr std::uint32_t kWidth = 16;
constexpr std::uint32_t kHeight = 16;
constexpr std::uint32_t kFrameBytes = kWidth * kHeight * 3;  // 24-bit RGB
constexpr std::size_t kMovieDataOffset = 2048;               // first chunk of "movi"
constexpr std::size_t kFileSize = 3072;

constexpr std::uint32_t AVIF_HASINDEX = 0x10;
constexpr std::uint32_t AVIF_TRUSTCKTYPE = 0x800;
constexpr std::uint32_t AVIIF_KEYFRAME = 0x10;

void MainHeader(RiffWriter& w) {
    const std::size_t avih = w.Open("avih");
    w.U32(100000);                            // microseconds per frame: 10 fps
    w.U32(0);                                 // maximum bytes per second
    w.U32(0);                                 // padding granularity
    w.U32(AVIF_HASINDEX | AVIF_TRUSTCKTYPE);  // flags
    w.U32(1);                                 // total frames
    w.U32(0);                                 // initial frames
    w.U32(1);                                 // streams
    w.U32(kFrameBytes);                       // suggested buffer size
    w.U32(kWidth);
    w.U32(kHeight);
    w.Zeros(4 * 4);                           // reserved
    w.Close(avih);
}

void VideoStreamHeader(RiffWriter& w) {
    const std::size_t strh = w.Open("strh");
    w.Id("vids");
    w.U32(0);            // handler
    w.U32(0);            // flags
    w.U16(0);            // priority
    w.U16(0);            // language
    w.U32(0);            // initial frames
    w.U32(1000);         // scale
    w.U32(10000);        // rate: rate / scale = 10 frames per second
    w.U32(0);            // start
    w.U32(1);            // length in frames
    w.U32(kFrameBytes);  // suggested buffer size
    w.U32(0);            // quality
    w.U32(0);            // sample size
    w.U16(0);            // frame rectangle: left, top, right, bottom
    w.U16(0);
    w.U16(kWidth);
    w.U16(kHeight);
    w.Close(strh);
}

void VideoStreamFormat(RiffWriter& w) {
    const std::size_t strf = w.Open("strf");  // BITMAPINFOHEADER
    w.U32(40);  // header size
    w.U32(kWidth);
    w.U32(kHeight);
    w.U16(1);   // planes
    w.U16(24);  // bits per pixel
    w.U32(0);   // BI_RGB
    w.U32(kFrameBytes);
    w.U32(0);   // pixels per metre, x and y
    w.U32(0);
    w.U32(0);   // colours used, colours important
    w.U32(0);
    w.Close(strf);
}

}  // namespace

// All chunk sizes here are even, so no pad byte is needed.
std::string FakeAviBytes() {
    std::string file;
    RiffWriter w(file);
    const std::size_t riff = w.Open("RIFF");
    w.Id("AVI ");

    const std::size_t hdrl = w.Open("LIST");
    w.Id("hdrl");
    MainHeader(w);
    const std::size_t strl = w.Open("LIST");
    w.Id("strl");
    VideoStreamHeader(w);
    VideoStreamFormat(w);
    w.Close(strl);
    w.Close(hdrl);

    // JUNK fills the header up to the point where the movie list's first
    // chunk starts at kMovieDataOffset: JUNK header 8, "movi" list header 12.
    const std::size_t junk = w.Open("JUNK");
    w.Zeros(static_cast<std::int64_t>(kMovieDataOffset - (w.Size() + 12)));
    w.Close(junk);

    const std::size_t movi = w.Open("LIST");
    w.Id("movi");
    const std::size_t frame = w.Open("00db");  // one black frame
    w.Zeros(kFrameBytes);
    w.Close(frame);
    w.Close(movi);

    // The index entry's offset counts from the "movi" type field.
    const std::size_t idx1 = w.Open("idx1");
    w.Id("00db");
    w.U32(AVIIF_KEYFRAME);
    w.U32(4);
    w.U32(kFrameBytes);
    w.Close(idx1);

    w.Close(riff);
    file.resize(kFileSize, '\0');
    return file;
}

Status WriteFakeAvi(FilePort& files, const std::string& bytes) {
    if (bytes.empty()) {
        return Status::Failure(
            "Cannot write the file c:\\fake.avi: the program carries no fake AVI resource.");
    }
    return jobs_detail::WriteWholeFile(files, "c:\\fake.avi", bytes, "file");
}

}  // namespace mb
