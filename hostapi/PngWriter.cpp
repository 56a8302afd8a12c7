#include "PngWriter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace hostapi {
namespace {

constexpr size_t kStoredBlockMax = 65535;
// Data chunks are written at about this size; the last one holds what is left.
constexpr size_t kChunkBytes = 1 << 20;

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t v) {
    out.insert(out.end(), {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                           static_cast<uint8_t>(v)});
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
    static constexpr std::array<uint32_t, 256> table = MakeCrcTable();
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler) {
    constexpr uint32_t kBase = 65521;
    // 5552 bytes is the most that can be summed before the 32-bit sums might overflow.
    constexpr size_t kRun = 5552;
    uint32_t a = adler & 0xFFFF, b = adler >> 16;
    while (size) {
        const size_t n = size < kRun ? size : kRun;
        for (size_t i = 0; i < n; ++i) b += a += data[i];
        a %= kBase;
        b %= kBase;
        data += n;
        size -= n;
    }
    return b << 16 | a;
}

PngStream::PngStream(uint32_t width, uint32_t height, Sink sink)
    : width_(width), height_(height), sink_(std::move(sink)), rawLeft_(0) {
    // PNG sizes are 31-bit; the row, filter byte included, must fit in memory as one block of bytes.
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu || width > (SIZE_MAX - 1) / 4) {
        ok_ = false;
        return;
    }
    row_.resize(1 + static_cast<size_t>(width) * 4);
    rawLeft_ = static_cast<uint64_t>(height) * row_.size();
    static const uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ok_ = sink_(kSignature, sizeof(kSignature));
    std::vector<uint8_t> header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter method, no interlace
    Chunk("IHDR", header.data(), header.size());
    block_.reserve(kStoredBlockMax);
    // zlib header: deflate with a 32 KiB window, no dictionary, check bits making it a multiple of 31.
    data_ = {0x78, 0x01};
}

bool PngStream::AddRow(const uint8_t* bgra) {
    if (!ok_ || rows_ >= height_) return ok_ = false;
    row_[0] = 0;  // no filter
    uint8_t* out = &row_[1];
    for (uint32_t x = 0; x < width_; ++x, bgra += 4, out += 4) {
        out[0] = bgra[2];
        out[1] = bgra[1];
        out[2] = bgra[0];
        out[3] = bgra[3];
    }
    Deflate(row_.data(), row_.size());
    ++rows_;
    return ok_;
}

bool PngStream::Finish() {
    if (!ok_ || rows_ != height_) return ok_ = false;
    PutBigEndian(data_, adler_);
    FlushData();
    Chunk("IEND", nullptr, 0);
    return ok_;
}

void PngStream::Deflate(const uint8_t* data, size_t size) {
    adler_ = Adler32(data, size, adler_);
    while (size && ok_) {
        const size_t n = std::min(size, kStoredBlockMax - block_.size());
        block_.insert(block_.end(), data, data + n);
        rawLeft_ -= n;
        data += n;
        size -= n;
        if (block_.size() == kStoredBlockMax || rawLeft_ == 0) EndBlock();
    }
}

void PngStream::EndBlock() {
    // A stored block: the final flag and type 00 in one byte, then its length and the length's complement.
    const uint16_t length = static_cast<uint16_t>(block_.size());
    data_.insert(data_.end(), {static_cast<uint8_t>(rawLeft_ == 0 ? 1 : 0), static_cast<uint8_t>(length),
                               static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(~length),
                               static_cast<uint8_t>(~length >> 8)});
    data_.insert(data_.end(), block_.begin(), block_.end());
    block_.clear();
    if (data_.size() >= kChunkBytes) FlushData();
}

void PngStream::FlushData() {
    if (!data_.empty()) Chunk("IDAT", data_.data(), data_.size());
    data_.clear();
}

void PngStream::Chunk(const char type[4], const uint8_t* data, size_t size) {
    if (!ok_) return;
    std::vector<uint8_t> head;
    PutBigEndian(head, static_cast<uint32_t>(size));
    head.insert(head.end(), type, type + 4);
    std::vector<uint8_t> tail;
    PutBigEndian(tail, Crc32(data, size, Crc32(&head[4], 4)));
    ok_ = sink_(head.data(), head.size()) && (size == 0 || sink_(data, size)) && sink_(tail.data(), tail.size());
}

bool WritePngFile(const std::wstring& path, uint32_t width, uint32_t height, const std::function<const uint8_t*(uint32_t)>& row) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(path.c_str(), L"wb"), &std::fclose);
    if (!file) return false;
    PngStream png(width, height, [&file](const uint8_t* data, size_t size) {
        return std::fwrite(data, 1, size, file.get()) == size;
    });
    for (uint32_t y = 0; y < height && png.Ok(); ++y) png.AddRow(row(y));
    return png.Finish() && std::fflush(file.get()) == 0;
}

}  // namespace hostapi
