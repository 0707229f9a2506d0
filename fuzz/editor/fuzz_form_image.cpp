// Any bytes as a form image: refused with a message or read whole, never a
// crash. Images over a few megapixels are turned away before decoding to keep
// the fuzzer's memory small; the size check itself still runs on every input.
#include "editor/FormImage.h"
#include "support/Exception.h"

#include <QBuffer>
#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

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
    } catch (const Exception& e) {
        if (e.Message().isEmpty())
            std::abort(); // every refusal says why
    }
    return 0;
}
