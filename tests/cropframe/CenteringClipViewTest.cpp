// The scroll-bar decision and the centring of a document smaller than the clip view.

#include "cropframe/CenteringClipView.h"

#include <gtest/gtest.h>

using namespace quillum;

TEST(CenteringClipView, ScrollBarsShowOnlyWhereTheDocumentDoesNotFit)
{
    struct Row {
        const char* name;
        Size scrollView, document;
        bool horizontal, vertical;
        Size frame;
        Point origin; // scrolled as far as allowed
    } rows[] = {
        { "overhang under half a unit", { 1000, 800 }, { 1000.4, 800 }, false, false, { 1000, 800 }, { 0, 0 } },
        { "wider, height fits beside the bar", { 1000, 800 }, { 2000, 785 }, true, false, { 1000, 785 }, { 1000, 0 } },
        { "wider, the bar pushes the height over", { 1000, 800 }, { 2000, 786 }, true, true, { 985, 785 },
            { 1015, 1 } },
        { "taller, the bar pushes the width over", { 1000, 800 }, { 986, 1600 }, true, true, { 985, 785 }, { 1, 815 } },
        { "scroll view smaller than a bar", { 10, 10 }, { 100, 100 }, true, true, { 0, 0 }, { 100, 100 } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        CenteringClipView clip;
        clip.setFrameSize(r.scrollView);
        clip.setDocumentSize(r.document);
        clip.scrollToPoint({ 1e6, 1e6 });
        EXPECT_EQ(clip.hasHorizontalScrollbar(), r.horizontal);
        EXPECT_EQ(clip.hasVerticalScrollbar(), r.vertical);
        EXPECT_EQ(clip.frameSize(), r.frame);
        EXPECT_EQ(clip.boundsOrigin(), r.origin);
    }
}

TEST(CenteringClipView, ShrinkingBelowTheClipDropsTheBarsAndCentres)
{
    CenteringClipView clip;
    clip.setFrameSize({ 1000, 800 });
    clip.setDocumentSize({ 2000, 1600 });
    clip.setCenterPoint({ 1500, 1200 });
    EXPECT_EQ(clip.boundsOrigin(), (Point { 1008, 808 })) << "half of 985 x 785 either side";
    clip.setDocumentSize({ 400, 300 });
    EXPECT_FALSE(clip.hasHorizontalScrollbar() || clip.hasVerticalScrollbar());
    EXPECT_EQ(clip.boundsOrigin(), (Point { -300, -250 }));
    EXPECT_EQ(clip.centerPoint(), (Point { 200, 150 }));
}
