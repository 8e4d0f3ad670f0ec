// Bounds-checked little-endian reads over untrusted bytes; a failed read leaves the output untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tessivar::reader {

using Bytes = std::span<const std::byte>;

// Every check is written as `off > size || len > size - off` so that no sum can wrap.
inline bool inBounds(std::size_t size, std::size_t off, std::size_t len) { return !(off > size || len > size - off); }

// Reads at absolute offsets of one span. Offsets arrive as file values, so all entry points take
// 64-bit unsigned offsets and reject anything that does not fit.
class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(Bytes data) : data_(data) {}

    std::size_t size() const { return data_.size(); }
    Bytes data() const { return data_; }
    bool contains(std::uint64_t off, std::uint64_t len) const {
        return !(off > data_.size() || len > data_.size() - off);
    }

    bool u8(std::uint64_t off, std::uint8_t& out) const {
        if (!contains(off, 1)) return false;
        out = static_cast<std::uint8_t>(data_[off]);
        return true;
    }
    bool u16(std::uint64_t off, std::uint16_t& out) const {
        if (!contains(off, 2)) return false;
        out = static_cast<std::uint16_t>(byteAt(off) | byteAt(off + 1) << 8);
        return true;
    }
    bool u32(std::uint64_t off, std::uint32_t& out) const {
        if (!contains(off, 4)) return false;
        out = byteAt(off) | byteAt(off + 1) << 8 | byteAt(off + 2) << 16 | byteAt(off + 3) << 24;
        return true;
    }
    bool u64(std::uint64_t off, std::uint64_t& out) const {
        std::uint32_t lo = 0, hi = 0;
        if (!contains(off, 8) || !u32(off, lo) || !u32(off + 4, hi)) return false;
        out = lo | static_cast<std::uint64_t>(hi) << 32;
        return true;
    }
    bool i16(std::uint64_t off, std::int16_t& out) const {
        std::uint16_t v = 0;
        if (!u16(off, v)) return false;
        out = static_cast<std::int16_t>(v);
        return true;
    }
    bool i32(std::uint64_t off, std::int32_t& out) const {
        std::uint32_t v = 0;
        if (!u32(off, v)) return false;
        out = static_cast<std::int32_t>(v);
        return true;
    }
    bool slice(std::uint64_t off, std::uint64_t len, Bytes& out) const {
        if (!contains(off, len)) return false;
        out = data_.subspan(static_cast<std::size_t>(off), static_cast<std::size_t>(len));
        return true;
    }
    // `len` raw bytes as a byte string (no decoding).
    bool text(std::uint64_t off, std::uint64_t len, std::string& out) const {
        Bytes s;
        if (!slice(off, len, s)) return false;
        out.assign(reinterpret_cast<const char*>(s.data()), s.size());
        return true;
    }

private:
    std::uint32_t byteAt(std::uint64_t off) const { return static_cast<std::uint32_t>(data_[off]); }
    Bytes data_;
};

}  // namespace tessivar::reader
