// orvix-render-artwork MASTERS OUTPUT: writes every PNG render of app/ArtworkRenders.h from the
// SVG masters in MASTERS into OUTPUT. Run by scripts/render-artwork.

#include <QDir>
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
        QImage image = orvix::artwork::renderMaster(master, QSize(r.width, r.height));
        if (image.isNull() || !image.save(file, "PNG")) {
            std::fprintf(stderr, "cannot render %s into %s\n", qPrintable(master), qPrintable(file));
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
