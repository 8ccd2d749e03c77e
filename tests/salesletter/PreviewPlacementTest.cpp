// Where the live preview opens the first time: never over the wizard when the
// screen has room for both.
#include "salesletter/ui/LivePreview.h"

#include <gtest/gtest.h>

namespace {

const QRect kWizard1600(426, 167, 747, 565); // centred on a 1600 x 900 screen
const QSize kTablet(768, 600);

} // namespace

TEST(PreviewPlacement, BesideTheWizardWhenEitherSideHasRoom) {
    const QRect wide(0, 0, 2560, 1440);
    const QRect wizard(906, 437, 747, 565);
    PreviewPlacement place = PlacePreview(wizard, kTablet, wide, 360);
    EXPECT_EQ(place.preview, QRect(1653, 437, 768, 600));
    EXPECT_EQ(place.wizardAt, wizard.topLeft());

    // No room on the right: on the left.
    const QRect atRight(1700, 437, 747, 565);
    place = PlacePreview(atRight, kTablet, wide, 360);
    EXPECT_EQ(place.preview.right(), atRight.left() - 1);
    EXPECT_FALSE(place.preview.intersects(atRight));
}

TEST(PreviewPlacement, MovesTheWizardAsideWhenThePairFitsOnlySo) {
    // The case that hid the wizard's tabs and buttons: 1600 pixels, wizard centred.
    const QRect screen(0, 0, 1600, 900);
    const PreviewPlacement place = PlacePreview(kWizard1600, kTablet, screen, 360);
    const QRect wizard(place.wizardAt, kWizard1600.size());
    EXPECT_FALSE(place.preview.intersects(wizard));
    EXPECT_TRUE(screen.contains(place.preview));
    EXPECT_TRUE(screen.contains(wizard));
    EXPECT_EQ(place.preview.width(), 768);
    EXPECT_EQ(place.preview.left(), wizard.right() + 1);
    EXPECT_EQ(place.wizardAt.y(), kWizard1600.top());
}

TEST(PreviewPlacement, NarrowerOnASmallScreenAndWithinIt) {
    const QRect laptop(0, 0, 1280, 720);
    const QRect wizard(266, 77, 747, 565);
    PreviewPlacement place = PlacePreview(wizard, kTablet, laptop, 360);
    EXPECT_EQ(place.wizardAt, QPoint(0, 77));
    EXPECT_EQ(place.preview, QRect(747, 77, 533, 600));

    // Too small for both: the narrowest page over the wider side, on the screen.
    const QRect tiny(0, 0, 1024, 600);
    place = PlacePreview(QRect(100, 10, 747, 565), kTablet, tiny, 360);
    EXPECT_TRUE(tiny.contains(place.preview));
    EXPECT_EQ(place.preview.width(), 360);
    EXPECT_EQ(place.preview.height(), 600);
}
