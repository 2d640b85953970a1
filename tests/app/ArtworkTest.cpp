// The shipped renders as the program loads them: every one in the resources at its size, each
// picture at the device pixel ratio of the screen, the window icon at each of its sizes.
#include <gtest/gtest.h>

#include <QImage>
#include <QResource>
#include <QString>
#include <cmath>
#include <utility>

#include "app/Artwork.h"
#include "app/ArtworkRenders.h"
#include "tests/app/RenderTestName.h"

namespace orvix::test {
namespace {

using artwork::Render;

// Pixels a picture covers: a transparent stand-in covers none.
int opaquePixels(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) n += qAlpha(argb.pixel(x, y)) > 0;
    return n;
}

class ShippedRender : public testing::TestWithParam<Render> {};

// ...stored uncompressed, so a start takes the pixels where they lie instead of inflating them.
TEST_P(ShippedRender, IsInTheResourcesAtItsSizeUncompressed) {
    const Render& r = GetParam();
    const QImage image = artwork::shippedPixels(r.pixels, QSize(r.width, r.height));
    ASSERT_FALSE(image.isNull()) << r.pixels;
    EXPECT_GT(opaquePixels(image), 0) << r.pixels;
    const QResource resource(QStringLiteral(":/artwork/") + QString::fromStdString(r.pixels));
    EXPECT_EQ(resource.compressionAlgorithm(), QResource::NoCompression) << r.pixels;
    EXPECT_EQ(image.constBits(), resource.data()) << r.pixels << " was copied";
}

// A resource of another size is refused rather than read past its end or shown sheared.
TEST(ShippedPixels, OfAnotherSizeAreNone) {
    EXPECT_FALSE(artwork::shippedPixels("digit-1.argb", QSize(30, 30)).isNull());
    EXPECT_TRUE(artwork::shippedPixels("digit-1.argb", QSize(31, 30)).isNull());
    EXPECT_TRUE(artwork::shippedPixels("digit-1.argb", QSize(15, 15)).isNull());
    EXPECT_TRUE(artwork::shippedPixels("digit-1.argb", QSize(0, 0)).isNull());
    EXPECT_TRUE(artwork::shippedPixels("no-such.argb", QSize(30, 30)).isNull());
}

// What a start on a 1x screen draws lies together in the program, with no 2x render among it: the
// system maps a program's pages in blocks, and a block shared with the 2x mouse would take pages
// of it that nothing shows.
TEST(ShippedPixels, ThoseOfAOneTimesScreenLieTogether) {
    auto drawnAtOneTimes = [](const Render& r) {
        return r.pixels.find('@') == std::string::npos &&
               (r.master != "icon.svg" || r.width <= artwork::kIconLargest);
    };
    auto span = [](const Render& r) {
        const QResource resource(QStringLiteral(":/artwork/") + QString::fromStdString(r.pixels));
        return std::pair{resource.data(), resource.data() + resource.size()};
    };
    artwork::shippedPixels("digit-1.argb", QSize(30, 30));  // the resources registered
    const uchar* first = nullptr;
    const uchar* last = nullptr;
    for (const Render& r : artwork::renders()) {
        if (!drawnAtOneTimes(r)) continue;
        auto [begin, end] = span(r);
        ASSERT_NE(begin, nullptr) << r.pixels;
        if (!first || begin < first) first = begin;
        if (!last || end > last) last = end;
    }
    for (const Render& r : artwork::renders()) {
        if (drawnAtOneTimes(r)) continue;
        auto [begin, end] = span(r);
        EXPECT_TRUE(end <= first || begin >= last) << r.pixels << " lies among the 1x renders";
    }
}

INSTANTIATE_TEST_SUITE_P(Artwork, ShippedRender, testing::ValuesIn(artwork::renders()), renderTestName);

struct RatioCase {
    const char* name;
    qreal ratio;
    QSize mouseDevicePixels;
};

class PictureAtRatio : public testing::TestWithParam<RatioCase> {};

// Every picture keeps its logical size; its pixels follow the screen, from the nearest render.
TEST_P(PictureAtRatio, KeepsItsLogicalSizeInTheScreensPixels) {
    const RatioCase& c = GetParam();
    for (const artwork::Picture& p : artwork::kPictures) {
        QPixmap pixmap = artwork::picture(p.stem, c.ratio);
        const QSize devicePixels(static_cast<int>(std::lround(p.width * c.ratio)),
                                 static_cast<int>(std::lround(p.height * c.ratio)));
        EXPECT_EQ(pixmap.size(), devicePixels) << p.stem;
        EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), c.ratio) << p.stem;
        EXPECT_EQ(pixmap.deviceIndependentSize().toSize(), QSize(p.width, p.height)) << p.stem;
        EXPECT_GT(opaquePixels(pixmap.toImage()), 0) << p.stem;
    }
    EXPECT_EQ(artwork::picture("mouse", c.ratio).size(), c.mouseDevicePixels);
}

INSTANTIATE_TEST_SUITE_P(Artwork, PictureAtRatio,
                         testing::Values(RatioCase{"Normal", 1.0, {272, 351}},
                                         RatioCase{"OneAndAQuarter", 1.25, {340, 439}},
                                         RatioCase{"OneAndAHalf", 1.5, {408, 527}},
                                         RatioCase{"Double", 2.0, {544, 702}}, RatioCase{"Triple", 3.0, {816, 1053}}),
                         [](const testing::TestParamInfo<RatioCase>& info) { return std::string(info.param.name); });

TEST(Artwork, TheRendersAtTheSameRatioAreThePixelsShipped) {
    const QImage shipped = artwork::shippedPixels("mouse@2x.argb", QSize(544, 702));
    ASSERT_FALSE(shipped.isNull());
    EXPECT_EQ(artwork::picture("mouse", 2.0).toImage().convertToFormat(QImage::Format_ARGB32),
              shipped.convertToFormat(QImage::Format_ARGB32));
}

struct IconCase {
    qreal ratio;
    QList<int> sizes;
};

// Each size a render of its own; the 2x ones only where the screen can show them.
TEST(Artwork, WindowIconHasTheSizesOfItsScreen) {
    const QList<int> normal{16, 20, 24, 32, 40, 48, 64};
    const IconCase cases[] = {
        {1.0, normal},
        {1.25, normal + QList<int>{80}},
        {2.0, normal + QList<int>{80, 96, 128}},
        {3.0, normal + QList<int>{80, 96, 128}},
    };
    for (const IconCase& c : cases) {
        QList<QSize> expected;
        for (int pixels : c.sizes) expected.append(QSize(pixels, pixels));
        const QIcon icon = artwork::windowIcon(c.ratio);
        EXPECT_EQ(icon.availableSizes(), expected) << "ratio " << c.ratio;
        for (const QSize& size : expected)
            EXPECT_GT(opaquePixels(icon.pixmap(size, 1.0).toImage()), 0) << "ratio " << c.ratio << ", " << size.width();
    }
}

TEST(Artwork, AnUnknownPictureIsNone) { EXPECT_TRUE(artwork::picture("no-such-picture", 1.0).isNull()); }

}  // namespace
}  // namespace orvix::test
