// The fake AVI that the WAV-to-WMA job opens as its video: a complete RIFF
// AVI with one 16 x 16 black frame at 10 frames per second, padded to 3,072
// bytes. It is built here chunk by chunk so the layout stays readable; the
// Windows programs carry the same bytes as their "FAKEAVI" resource
// (fakeavi.bin, compared with this builder by a test).
#include <cstdint>

#include "jobs/script_file.h"
#include "jobs/job_scripts.h"

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

// Little-endian fields appended in order.
class Bytes {
public:
    Bytes& U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b_ += static_cast<char>((v >> (8 * i)) & 0xFF);
        return *this;
    }
    Bytes& U16(std::uint16_t v) {
        b_ += static_cast<char>(v & 0xFF);
        b_ += static_cast<char>(v >> 8);
        return *this;
    }
    Bytes& FourCC(const char (&id)[5]) {
        b_.append(id, 4);
        return *this;
    }
    Bytes& Zeros(std::size_t n) {
        b_.append(n, '\0');
        return *this;
    }
    Bytes& Append(const std::string& more) {
        b_ += more;
        return *this;
    }
    std::size_t Size() const { return b_.size(); }
    const std::string& Str() const { return b_; }

private:
    std::string b_;
};

// id, size, data (all chunk sizes here are even, so no pad byte is needed).
std::string Chunk(const char (&id)[5], const Bytes& data) {
    return Bytes().FourCC(id).U32(static_cast<std::uint32_t>(data.Size())).Append(data.Str()).Str();
}

// "LIST" or "RIFF", size, type, contents.
std::string List(const char (&id)[5], const char (&type)[5], const std::string& contents) {
    return Bytes()
        .FourCC(id)
        .U32(static_cast<std::uint32_t>(4 + contents.size()))
        .FourCC(type)
        .Append(contents)
        .Str();
}

std::string MainHeader() {
    Bytes avih;
    avih.U32(100000)                           // microseconds per frame: 10 fps
        .U32(0)                                // maximum bytes per second
        .U32(0)                                // padding granularity
        .U32(AVIF_HASINDEX | AVIF_TRUSTCKTYPE) // flags
        .U32(1)                                // total frames
        .U32(0)                                // initial frames
        .U32(1)                                // streams
        .U32(kFrameBytes)                      // suggested buffer size
        .U32(kWidth)
        .U32(kHeight)
        .Zeros(4 * 4);                         // reserved
    return Chunk("avih", avih);
}

std::string VideoStreamHeader() {
    Bytes strh;
    strh.FourCC("vids")
        .U32(0)           // handler
        .U32(0)           // flags
        .U16(0)           // priority
        .U16(0)           // language
        .U32(0)           // initial frames
        .U32(1000)        // scale
        .U32(10000)       // rate: rate / scale = 10 frames per second
        .U32(0)           // start
        .U32(1)           // length in frames
        .U32(kFrameBytes) // suggested buffer size
        .U32(0)           // quality
        .U32(0)           // sample size
        .U16(0)           // frame rectangle: left, top, right, bottom
        .U16(0)
        .U16(static_cast<std::uint16_t>(kWidth))
        .U16(static_cast<std::uint16_t>(kHeight));
    return Chunk("strh", strh);
}

std::string VideoStreamFormat() {
    Bytes bih;  // BITMAPINFOHEADER
    bih.U32(40)   // header size
        .U32(kWidth)
        .U32(kHeight)
        .U16(1)   // planes
        .U16(24)  // bits per pixel
        .U32(0)   // BI_RGB
        .U32(kFrameBytes)
        .U32(0)   // pixels per metre, x and y
        .U32(0)
        .U32(0)   // colours used, colours important
        .U32(0);
    return Chunk("strf", bih);
}

}  // namespace

std::string FakeAviBytes() {
    const std::string hdrl =
        List("LIST", "hdrl", MainHeader() + List("LIST", "strl", VideoStreamHeader() + VideoStreamFormat()));

    const std::string frame = Chunk("00db", Bytes().Zeros(kFrameBytes));  // one black frame
    const std::string movi = List("LIST", "movi", frame);

    // JUNK fills the header up to the point where the movie list's first
    // chunk starts at kMovieDataOffset: "RIFF" header 12, hdrl, JUNK header
    // 8, "movi" list header 12.
    const std::size_t junk = kMovieDataOffset - (12 + hdrl.size() + 8 + 12);
    const std::string padding = Chunk("JUNK", Bytes().Zeros(junk));

    // The index entry's offset counts from the "movi" type field.
    const std::string idx1 = Chunk("idx1", Bytes().FourCC("00db").U32(AVIIF_KEYFRAME).U32(4).U32(kFrameBytes));

    std::string file = List("RIFF", "AVI ", hdrl + padding + movi + idx1);
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
