// The stand dialog on synthetic frame templates: where the hole is found (margins, no hole on
// the middle column, a fully transparent template), how the nine pieces follow the client size,
// re-skinning a live dialog, the client fill and the client plane hand-over.
#include "tests/widgets/WidgetFixture.h"

#include "engine/object/PlaneObject.h"
#include "widgets/CXyStandDlg.h"

using namespace Lumora;
using namespace widgettest;

namespace {

constexpr uint32_t kRing = 0x3060C0;

// A one-frame template of w x h whose pixel (x, y) is opaque kRing where `opaque` says so.
ImageRecord Template(int w, int h, const std::function<bool(int, int)>& opaque)
{
    ImageRecord image;
    image.width = uint16_t(w);
    image.height = uint16_t(h);
    image.frames = 1;
    image.flags = kImageAlpha;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool on = opaque(x, y);
            image.pixels.insert(image.pixels.end(), {uint8_t(kRing >> 16), uint8_t(kRing >> 8), uint8_t(kRing),
                                                     uint8_t(on ? 255 : 0)});
        }
    return image;
}

// A ring with borders l, t, r, b inside transparent margins of `margin` rows above and below.
ImageRecord Ring(int w, int h, int l, int t, int r, int b, int margin = 0)
{
    return Template(w, h, [=](int x, int y) {
        if (y < margin || y >= h - margin)
            return false;
        const int fy = y - margin, fh = h - 2 * margin;
        return x < l || x >= w - r || fy < t || fy >= fh - b;
    });
}

class StandDlgTest : public WidgetFixture {
protected:
    CXyStandDlg* Make(const char* skin, int cw, int ch, uint32_t fill = 0xFF00FF)
    {
        auto* dlg = E().Make<CXyStandDlg>();
        const PictureInfo frame = E().Picture(skin, 0);
        dlg->CreateWithFill(&frame, fill, cw, ch);
        dlg->MoveTo(400, 300);
        E().Show(*dlg);
        return dlg;
    }
    static std::array<int, 4> Borders(const CXyStandDlg& d)
    {
        const TemplateCut& c = d.GetCut();
        return {c.LeftBorder(), c.TopBorder(), c.RightBorder(), c.BottomBorder()};
    }
};

TEST_F(StandDlgTest, HoleIsFoundPastTransparentMarginsAndTheFrameIsOnlyEmptyOrOnTheMiddle)
{
    E().AddSkin("margins", Ring(40, 30, 5, 4, 6, 3, 3));
    E().AddSkin("clear", Template(20, 20, [](int, int) { return false; }));
    E().AddSkin("solid", Template(20, 16, [](int, int) { return true; }));
    E().LoadSkins();
    struct Case {
        const char* skin;
        std::array<int, 4> borders;  // left, top, right, bottom
    } cases[] = {
        {"margins", {5, 3 + 4, 6, 3 + 3}},  // the margins belong to the top and bottom pieces
        {"clear", {0, 0, 0, 0}},            // all hole: the dialog is its client area alone
        {"solid", {10, 8, 10, 8}},          // no hole: the pieces meet at the middle
    };
    for (const Case& c : cases) {
        CXyStandDlg* dlg = Make(c.skin, 50, 40);
        EXPECT_EQ(Borders(*dlg), c.borders) << c.skin;
        const auto& b = Borders(*dlg);
        EXPECT_EQ(dlg->GetDialogRect(), (Rect{0, 0, b[0] + b[2] + 50, b[1] + b[3] + 40})) << c.skin;
        EXPECT_EQ(dlg->GetWidth(), b[0] + b[2] + 50) << c.skin;
    }
}

TEST_F(StandDlgTest, PiecesStretchEdgesKeepCornersAndTheClientFillFollowsTheColour)
{
    E().AddSkin("ring", Ring(30, 30, 4, 6, 5, 3));
    E().LoadSkins();
    CXyStandDlg* clear = Make("ring", 100, 50);
    Rect client;
    EXPECT_EQ(clear->GetClientRect(client), (Rect{4, 6, 104, 56}));
    const NinePieces& p = clear->GetPieces();
    EXPECT_EQ(p[0], (Rect{0, 0, 4, 6}));
    EXPECT_EQ(p[1], (Rect{4, 0, 104, 6}));
    EXPECT_EQ(p[8], (Rect{104, 56, 109, 59}));
    PlaneObject& bg = *clear->GetBackground();
    EXPECT_EQ(bg.GetSurfaceWidth(), 109);
    EXPECT_EQ(bg.GetSurfaceHeight(), 59);
    EXPECT_TRUE(NearColour(PixelOf(bg, 0, 0), kRing));
    EXPECT_TRUE(NearColour(PixelOf(bg, 60, 2), kRing));   // top edge, stretched
    EXPECT_TRUE(NearColour(PixelOf(bg, 106, 30), kRing)); // right edge
    EXPECT_EQ(AlphaOf(bg, 50, 30), 0);                    // 0xFF00FF: the client stays transparent
    EXPECT_EQ(clear->GetTitlePlane()->GetWidth(), 100);

    CXyStandDlg* filled = Make("ring", 100, 50, 0x102030);
    EXPECT_EQ(AlphaOf(*filled->GetBackground(), 50, 30), 255);
    EXPECT_TRUE(NearColour(PixelOf(*filled->GetBackground(), 50, 30), 0x102030));
}

TEST_F(StandDlgTest, ResizeAndSetClientSizeAgreeAndReskinningKeepsTheOuterSize)
{
    E().AddSkin("thin", Ring(20, 20, 2, 3, 2, 2));
    E().AddSkin("thick", Ring(40, 40, 8, 12, 9, 7));
    E().LoadSkins();
    CXyStandDlg* a = Make("thin", 10, 10);
    CXyStandDlg* b = Make("thin", 10, 10);
    a->Resize(120, 80);
    b->SetClientSize(120, 80);
    EXPECT_EQ(a->GetPieces(), b->GetPieces());
    EXPECT_EQ(a->GetDialogRect(), (Rect{0, 0, 124, 85}));

    const PictureInfo thick = E().Picture("thick", 0);
    a->BuildFromTemplate(&thick);
    EXPECT_EQ(a->GetDialogRect(), (Rect{0, 0, 124, 85}));
    Rect client;
    EXPECT_EQ(a->GetClientRect(client), (Rect{8, 12, 124 - 9, 85 - 7}));
    EXPECT_EQ(a->GetBackground()->GetSurfaceWidth(), 124);
}

TEST_F(StandDlgTest, ClientPlaneIsMadeOnceAndHandingInTheSamePlaneKeepsItAlive)
{
    E().AddSkin("ring", Ring(30, 30, 4, 6, 5, 3));
    E().LoadSkins();
    CXyStandDlg* dlg = Make("ring", 100, 50);
    PObject* plane = dlg->GetClientPlane();
    ASSERT_NE(plane, nullptr);
    EXPECT_EQ(dlg->GetClientPlane(), plane);
    EXPECT_EQ(plane->GetWidth(), 100);
    EXPECT_DOUBLE_EQ(plane->GetX(), dlg->GetLeft() + 4 + 50);
    EXPECT_NEAR(plane->GetZ(), dlg->GetBackground()->GetZ() + 0.01, 1e-9); // shown, the dialog rose over what is shown
    const uint32_t id = plane->GetId();
    dlg->SetClientPlane(plane);
    E().Run(200);
    EXPECT_EQ(E().Objects().FindById(id), plane);

    // Another plane replaces it; the old one goes on a later tick.
    PlaneObject* other = dlg->NewPlaneObject(10, 10, 0xFF00FF);
    dlg->SetClientPlane(other);
    E().Run(200);
    EXPECT_EQ(E().Objects().FindById(id), nullptr);
    EXPECT_EQ(dlg->PeekClientPlane(), other);
    // Its z follows the dialog's.
    dlg->SetZ(5000);
    EXPECT_NEAR(other->GetZ() - dlg->GetBackground()->GetZ(), 0.01, 1e-6);
}

} // namespace
