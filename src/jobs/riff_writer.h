// RIFF files (AVI, WAV) built in memory: little-endian fields appended in
// order, and chunks and lists opened before their contents and closed after
// them, which fills in their sizes. Shared by the fake AVI of the WAV-to-WMA
// job and the files the encoder stand-ins write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mb {

class RiffWriter {
public:
    explicit RiffWriter(std::string& out) : out_(out) {}

    void U8(unsigned v) { out_.push_back(static_cast<char>(v & 0xFF)); }
    void U16(unsigned v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(std::uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    // A four-character code ("RIFF", "avih", "00db").
    void Id(std::string_view fourcc) { out_.append(fourcc.data(), 4); }
    void Zeros(std::int64_t n) { out_.append(static_cast<std::size_t>(n), '\0'); }

    // Starts a chunk (or a list, whose type the caller appends as an Id) and
    // returns where its size goes.
    std::size_t Open(std::string_view id) {
        Id(id);
        U32(0);
        return out_.size() - 4;
    }
    // Ends the chunk opened at sizeAt: its size is what was appended since,
    // and a chunk of odd size gets a pad byte.
    void Close(std::size_t sizeAt) {
        const auto size = static_cast<std::uint32_t>(out_.size() - sizeAt - 4);
        for (std::size_t i = 0; i < 4; ++i) out_[sizeAt + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
        if (size % 2) U8(0);
    }

    std::size_t Size() const { return out_.size(); }

private:
    std::string& out_;
};

}  // namespace mb
