// Any bytes as a form image: refused with a message or read whole, never a
// crash; a read image shows the same picture on a first load and on a reload. Images over a few
// megapixels are turned away before decoding to keep the fuzzer's memory small; the size check
// itself still runs on every input.
//
// Random bytes almost never pass the signature and the header's checksum, so
// most mutated inputs are mended into a chunk structure first: the signature
// put back, each chunk's length kept inside the input and its CRC made right.
// The decoder then sees headers, palettes and image data of every shape. One
// input in eight is left as mutated, so that damaged checksums and broken
// structure stay covered. Corpus files are therefore ordinary PNG files.
#include "editor/FormImage.h"
#include "support/Exception.h"

#include <QBuffer>
#include <QGuiApplication>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

const uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

uint32_t Crc32(const uint8_t* p, size_t n) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i)
        c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t Be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void PutBe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// Signature, chunk lengths that fit, right CRCs; a tail too short for a
// chunk is dropped.
size_t MendPng(uint8_t* data, size_t size) {
    if (size < 8)
        return size;
    std::memcpy(data, Signature, 8);
    size_t at = 8;
    while (at + 12 <= size) {
        const uint32_t room = uint32_t(size - at - 12);
        uint32_t length = Be32(data + at);
        if (length > room) {
            length = room;
            PutBe32(data + at, length);
        }
        PutBe32(data + at + 8 + length, Crc32(data + at + 4, 4 + size_t(length)));
        at += 12 + size_t(length);
    }
    return at;
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    size = LLVMFuzzerMutate(data, size, maxSize);
    return seed % 8 == 0 ? size : MendPng(data, size);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_form_image";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;

    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    try {
        const QImage img = ReadFormImage(buffer, [](QSize s) {
            if (qint64(s.width()) * s.height() > 4'000'000)
                throw Exception(QStringLiteral("large"));
        });
        if (img.isNull())
            std::abort(); // a success is a whole image
        const QImage picture = FormPicture(img);
        if (picture.size() != img.size() || picture.format() != QImage::Format_RGB32)
            std::abort();
        // The window's picture: a first load, and a reload of the same form
        // over a picture with keys drawn on it, must show the same pixels.
        QImage shown;
        FormPictureInto(shown, img);
        if (shown.size() != img.size() || shown.format() != QImage::Format_RGB32)
            std::abort();
        QImage reloaded = shown.copy();
        reloaded.fill(Qt::blue);
        FormPictureInto(reloaded, img);
        if (reloaded != shown)
            std::abort();
    } catch (const Exception& e) {
        if (e.Message().isEmpty())
            std::abort(); // every refusal says why
    }
    return 0;
}
