// The shipped PNGs are what the SVG masters draw today: each is rendered afresh and compared, so
// a changed master, size or ratio without scripts/render-artwork fails here. The bare pixels the
// program embeds are exactly their PNG's.
#include <gtest/gtest.h>

#include <QByteArrayView>
#include <QFile>
#include <QImage>
#include <QString>
#include <algorithm>
#include <cstdlib>

#include "app/ArtworkRenders.h"
#include "app/render/ArtworkRenderer.h"
#include "tests/app/RenderTestName.h"

namespace orvix::test {
namespace {

using artwork::Render;

const QString kArtwork = QStringLiteral(ORVIX_SOURCE_DIR "/assets/artwork/");

struct Difference {
    int pixels = 0;   // pixels with a channel off by more than kNoise
    int largest = 0;  // the largest channel difference
};

// Another version of the renderer may shade an edge pixel a little differently.
constexpr int kNoise = 4;

Difference compare(const QImage& a, const QImage& b) {
    Difference d;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int off = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                      std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            d.largest = std::max(d.largest, off);
            d.pixels += off > kNoise;
        }
    return d;
}

class ShippedPng : public testing::TestWithParam<Render> {};

TEST_P(ShippedPng, EqualsAFreshRenderOfItsMaster) {
    const Render& r = GetParam();
    const QImage shipped =
        QImage(kArtwork + "renders/" + QString::fromStdString(r.file)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(shipped.isNull()) << r.file << " is missing: run scripts/render-artwork";
    ASSERT_EQ(shipped.size(), QSize(r.width, r.height)) << r.file << ": run scripts/render-artwork";
    const QImage fresh = artwork::renderMaster(kArtwork + QString::fromStdString(r.master), QSize(r.width, r.height));
    ASSERT_FALSE(fresh.isNull()) << r.master;
    const Difference d = compare(shipped, fresh);
    // At most one pixel in five hundred a little off: a changed master changes far more.
    EXPECT_LE(d.pixels, r.width * r.height / 500) << r.file << " differs from " << r.master << " (largest difference "
                                                  << d.largest << "): run scripts/render-artwork";
}

TEST_P(ShippedPng, HasItsPixelsBesideIt) {
    const Render& r = GetParam();
    const QImage png = artwork::pixelsOfPng(kArtwork + "renders/" + QString::fromStdString(r.file));
    ASSERT_FALSE(png.isNull()) << r.file;
    QFile file(kArtwork + "renders/" + QString::fromStdString(r.pixels));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << r.pixels << " is missing: run scripts/render-artwork";
    const QByteArray pixels = file.readAll();
    EXPECT_TRUE(pixels == QByteArrayView(png.constBits(), png.sizeInBytes()))
        << r.pixels << " is not " << r.file << "'s pixels: run scripts/render-artwork";
}

INSTANTIATE_TEST_SUITE_P(Artwork, ShippedPng, testing::ValuesIn(artwork::renders()), renderTestName);

// The tolerance above still tells two masters apart.
TEST(ShippedPngs, DifferFromAnotherMastersRender) {
    const QImage one = QImage(kArtwork + "renders/digit-1.png").convertToFormat(QImage::Format_ARGB32);
    const QImage two = artwork::renderMaster(kArtwork + "digit-2.svg", QSize(30, 30));
    EXPECT_GT(compare(one, two).pixels, 30 * 30 / 500);
}

}  // namespace
}  // namespace orvix::test
