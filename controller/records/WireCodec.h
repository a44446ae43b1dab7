#pragma once

#include "codec/ByteOrder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

// Packed wire records. Each record lists its fields once, in wire order, in a Visit member; the
// same list drives encoding (host to big-endian), decoding and the size check, so a field can
// never sit at one offset when sent and another when read. Byte arrays (text, reserved bytes)
// travel as they are; arrays of numbers are converted element by element.
namespace tarvex::wire {

class Writer {
public:
    explicit Writer(std::uint8_t* out) : p_(out) {}
    void operator()(const std::uint8_t& v) { *p_++ = v; }
    void operator()(const std::uint16_t& v) { Put(be::PutU16, v, 2); }
    void operator()(const std::uint32_t& v) { Put(be::PutU32, v, 4); }
    void operator()(const std::int32_t& v) { Put(be::PutI32, v, 4); }
    void operator()(const float& v) { Put(be::PutF32, v, 4); }
    template <typename T, std::size_t N> void operator()(const std::array<T, N>& values) {
        for (const auto& v : values)
            (*this)(v);
    }
    std::size_t Offset(const std::uint8_t* start) const {
        return static_cast<std::size_t>(p_ - start);
    }

private:
    template <typename F, typename T> void Put(F put, T v, std::size_t n) {
        put(p_, v);
        p_ += n;
    }
    std::uint8_t* p_;
};

class Reader {
    template <typename F> auto Take(F get, std::size_t n) {
        auto v = get(p_);
        p_ += n;
        return v;
    }

public:
    explicit Reader(const std::uint8_t* in) : p_(in) {}
    void operator()(std::uint8_t& v) { v = *p_++; }
    void operator()(std::uint16_t& v) { v = Take(be::GetU16, 2); }
    void operator()(std::uint32_t& v) { v = Take(be::GetU32, 4); }
    void operator()(std::int32_t& v) { v = Take(be::GetI32, 4); }
    void operator()(float& v) { v = Take(be::GetF32, 4); }
    template <typename T, std::size_t N> void operator()(std::array<T, N>& values) {
        for (auto& v : values)
            (*this)(v);
    }

private:
    const std::uint8_t* p_;
};

class SizeCounter {
public:
    template <typename T> void operator()(const T&) { size_ += sizeof(T); }
    template <typename T, std::size_t N> void operator()(const std::array<T, N>&) {
        size_ += sizeof(T) * N;
    }
    std::size_t size_ = 0;
};

// Writes a record in wire order; returns the number of bytes written.
template <typename Record> std::size_t Encode(const Record& record, std::uint8_t* out) {
    Writer writer(out);
    const_cast<Record&>(record).Visit(writer);
    return writer.Offset(out);
}

template <typename Record> void Decode(const std::uint8_t* in, Record& record) {
    Reader reader(in);
    record.Visit(reader);
}

template <typename Record> Record Decode(const std::uint8_t* in) {
    Record record{};
    Decode(in, record);
    return record;
}

// The size of a record on the wire, from its field list.
template <typename Record> std::size_t WireSize() {
    SizeCounter counter;
    Record record{};
    record.Visit(counter);
    return counter.size_;
}

} // namespace tarvex::wire
