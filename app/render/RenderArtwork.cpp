// orvix-render-artwork MASTERS OUTPUT: writes every render of app/ArtworkRenders.h from the SVG
// masters in MASTERS into OUTPUT, as a PNG and as the bare pixels read back from that PNG (so the
// two hold the same picture). Run by scripts/render-artwork.

#include <QDir>
#include <QFile>
#include <cstdio>

#include "app/ArtworkRenders.h"
#include "app/render/ArtworkRenderer.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s MASTERS OUTPUT\n", argv[0]);
        return 2;
    }
    const QDir masters(QString::fromLocal8Bit(argv[1]));
    const QDir output(QString::fromLocal8Bit(argv[2]));
    int failed = 0;
    for (const auto& r : orvix::artwork::renders()) {
        const QString master = masters.filePath(QString::fromStdString(r.master));
        const QString file = output.filePath(QString::fromStdString(r.file));
        const QString pixelsFile = output.filePath(QString::fromStdString(r.pixels));
        QImage image = orvix::artwork::renderMaster(master, QSize(r.width, r.height));
        if (image.isNull() || !image.save(file, "PNG")) {
            std::fprintf(stderr, "cannot render %s into %s\n", qPrintable(master), qPrintable(file));
            ++failed;
            continue;
        }
        const QImage pixels = orvix::artwork::pixelsOfPng(file);
        QFile out(pixelsFile);
        const auto bytes = static_cast<qint64>(pixels.sizeInBytes());
        if (pixels.isNull() || !out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(reinterpret_cast<const char*>(pixels.constBits()), bytes) != bytes) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(pixelsFile));
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
