#pragma once
// A PNG writer of our own, for images the system's encoder refuses: 8-bit RGBA, the pixel data in stored
// (uncompressed) deflate blocks. Rows go out one at a time, so an image is never copied whole.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace hostapi {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler = 1);

// The bytes of one PNG, handed to the sink in order: the signature and header when made, each row as
// it is added (top row first), the end after the last row. Any sink failure, a row too many or too
// few, or a size PNG cannot hold, makes Ok() false for good.
class PngStream {
public:
    using Sink = std::function<bool(const uint8_t* data, size_t size)>;
    PngStream(uint32_t width, uint32_t height, Sink sink);

    // One row of width pixels, 4 bytes each in DIB order: blue, green, red, alpha.
    bool AddRow(const uint8_t* bgra);
    // Ends the stream once every row has been added.
    bool Finish();
    bool Ok() const { return ok_; }

private:
    void Deflate(const uint8_t* data, size_t size);
    void EndBlock();
    void Chunk(const char type[4], const uint8_t* data, size_t size);
    void FlushData();

    uint32_t width_, height_;
    Sink sink_;
    bool ok_ = true;
    uint32_t rows_ = 0;
    uint64_t rawLeft_;               // filtered bytes still to come
    uint32_t adler_ = 1;
    std::vector<uint8_t> block_;     // the stored block being filled
    std::vector<uint8_t> data_;      // zlib bytes waiting for their data chunk
    std::vector<uint8_t> row_;       // one filtered row
};

// Writes an image as a PNG file; row(y) gives row y (top first) in the layout AddRow takes.
bool WritePngFile(const std::wstring& path, uint32_t width, uint32_t height, const std::function<const uint8_t*(uint32_t)>& row);

}  // namespace hostapi
