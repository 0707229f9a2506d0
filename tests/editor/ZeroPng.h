#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

// A valid PNG of any size whose pixels are all zero (black), built without
// holding its pixels anywhere: the compressed data is one literal zero and
// then back-references of 258 bytes at distance 1, so a 20000 x 20000 image
// takes a few megabytes and a moment to make.
namespace ZeroPng {

inline std::uint32_t Crc32(const QByteArray& bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (char ch : bytes)
        c = table[(c ^ std::uint8_t(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

inline void Be32(QByteArray& out, std::uint32_t v) {
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

inline void Chunk(QByteArray& png, const char* type, const QByteArray& data) {
    Be32(png, std::uint32_t(data.size()));
    const QByteArray body = QByteArray(type, 4) + data;
    png += body;
    Be32(png, Crc32(body));
}

class BitWriter {
public:
    // Deflate packs bits from the least significant end; Huffman codes are
    // written most significant bit first.
    void Bits(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            Bit((value >> i) & 1);
    }
    void Code(std::uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i)
            Bit((code >> i) & 1);
    }
    QByteArray Finish() {
        if (FCount)
            FOut.append(char(FByte));
        return FOut;
    }

private:
    void Bit(std::uint32_t b) {
        FByte |= std::uint8_t(b << FCount);
        if (++FCount == 8) {
            FOut.append(char(FByte));
            FByte = 0;
            FCount = 0;
        }
    }
    QByteArray FOut;
    std::uint8_t FByte = 0;
    int FCount = 0;
};

// A zlib stream of n zero bytes (n >= 1), fixed Huffman codes.
inline QByteArray ZerosStream(std::uint64_t n) {
    BitWriter w;
    w.Bits(1, 1);    // final block
    w.Bits(1, 2);    // fixed codes
    w.Code(0x30, 8); // literal 0
    std::uint64_t left = n - 1;
    auto match = [&w](int length) {
        // Length codes 257..284 with extra bits; 285 is exactly 258.
        static const int base[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                   31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const int extra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        int i = 28;
        while (base[i] > length)
            --i;
        const int sym = 257 + i;
        if (sym <= 279)
            w.Code(std::uint32_t(sym - 256), 7);
        else
            w.Code(std::uint32_t(0xC0 + sym - 280), 8);
        w.Bits(std::uint32_t(length - base[i]), extra[i]);
        w.Code(0, 5); // distance 1
    };
    while (left >= 258) {
        match(258);
        left -= 258;
    }
    if (left >= 3) {
        match(int(left));
        left = 0;
    }
    while (left--) // one or two more literal zeros
        w.Code(0x30, 8);
    w.Code(0, 7); // end of block
    QByteArray z;
    z.append(char(0x78)).append(char(0x01));
    z += w.Finish();
    // Adler-32 of n zeros: a stays 1, b gains 1 per byte.
    Be32(z, std::uint32_t((n % 65521) << 16 | 1));
    return z;
}

// colourType 0: 8-bit grey; 2: 8-bit RGB.
inline QByteArray Make(std::uint32_t width, std::uint32_t height, int colourType = 0) {
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr;
    Be32(ihdr, width);
    Be32(ihdr, height);
    ihdr.append(char(8)).append(char(colourType)).append(char(0)).append(char(0)).append(char(0));
    Chunk(png, "IHDR", ihdr);
    const std::uint64_t row = 1 + std::uint64_t(width) * (colourType == 2 ? 3 : 1);
    Chunk(png, "IDAT", ZerosStream(row * height));
    Chunk(png, "IEND", {});
    return png;
}

} // namespace ZeroPng
