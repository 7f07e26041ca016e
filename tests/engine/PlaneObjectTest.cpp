// The plane object's surface: colour conversion, fills and shapes kept inside the surface, and
// its text operations through the shared text surface.
#include "tests/support/EngineFixtures.h"
#include "tests/support/PatternGlyphSource.h"
#include "tests/support/SceneSupport.h"

#include "engine/object/PlaneObject.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <memory>
#include <vector>

using namespace Lumora;

namespace {

class PlaneObjectTest : public testsupport::EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        glyphs_ = std::make_shared<testsupport::PatternGlyphSource>();
        core_ = std::make_unique<GameCore>();
        objects_ = new ObjectModule(glyphs_);
        ASSERT_EQ(core_->LoadModule(objects_, 1, 0), LUMORA_MSG_OK);
    }
    void TearDown() override
    {
        core_.reset();
        EngineFixture::TearDown();
    }
    static uint32_t PixelAt(PlaneObject& p, int x, int y)
    {
        uint32_t v;
        std::memcpy(&v, p.GetPixels() + (size_t(y) * p.GetSurfaceWidth() + x) * 4, 4);
        return v;
    }
    int Inked(PlaneObject& p)
    {
        int n = 0;
        for (int y = 0; y < p.GetSurfaceHeight(); ++y)
            for (int x = 0; x < p.GetSurfaceWidth(); ++x)
                n += p.GetPixelAlpha(x, y) != 0;
        return n;
    }

    std::shared_ptr<testsupport::PatternGlyphSource> glyphs_;
    std::unique_ptr<GameCore> core_;
    ObjectModule* objects_ = nullptr;
};

TEST_F(PlaneObjectTest, ColoursAndTheNewSurface)
{
    EXPECT_EQ(PlaneObject::ConvertColour(0x00FF00FF, 0x00FF00FF) >> 24, 0u);
    uint32_t pixel = PlaneObject::ConvertColour(0x00123456, 0x00FF00FF);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&pixel);
    EXPECT_EQ(bytes[0], 0x12);
    EXPECT_EQ(bytes[1], 0x34);
    EXPECT_EQ(bytes[2], 0x56);
    EXPECT_EQ(bytes[3], 0xFF);

    PlaneObject* p = objects_->NewPlaneObject(30, 20, 0x00000000, nullptr);
    EXPECT_EQ(p->GetType(), 3);
    EXPECT_EQ(p->GetWidth(), 30.0);
    EXPECT_EQ(p->Style().size, 10);
    EXPECT_EQ(p->Style().opacity, 255u);
    EXPECT_EQ(Inked(*p), 0); // a new surface is transparent
    p->Clear();
    EXPECT_EQ(PixelAt(*p, 29, 19), 0xFF000000u);
    p->SetBackgroundColour(0x00FF00FF);
    p->Clear();
    EXPECT_EQ(PixelAt(*p, 0, 0), 0u);
    EXPECT_EQ(p->GetDrawData()->GetWidth(), 30);
}

TEST_F(PlaneObjectTest, DrawingStaysInsideTheSurface)
{
    PlaneObject* p = objects_->NewPlaneObject(10, 8, 0x000000FF, nullptr);
    p->FillRect(-5, -5, 50, 50); // would run past the pixels without the cut
    EXPECT_EQ(Inked(*p), 80);
    EXPECT_EQ(p->GetPixelColour(9, 7), 0x000000FFu);
    p->SetBackgroundColour(0x00FF00FF);
    p->Clear();
    p->SetPen(0x0000FF00, 1.0);
    p->DrawRect(-3, -3, 100, 100, false); // ordered and clamped: the outline of the surface
    EXPECT_EQ(Inked(*p), 2 * 10 + 2 * 6);
    p->Clear();
    p->DrawRect(2, 2, 2, 6, true); // no width after clamping: nothing
    EXPECT_EQ(Inked(*p), 0);
    p->DrawRect(5, 4, 100, 1, true); // filled, ordered and clamped: x 5-9, y 1-4
    EXPECT_EQ(Inked(*p), 5 * 4);
    EXPECT_EQ(p->GetPixelColour(9, 4), 0x0000FF00u);
    EXPECT_EQ(p->GetPixelAlpha(4, 4) | p->GetPixelAlpha(9, 5), 0u);
    p->Clear();
    p->DrawLine(0, 0, 4, 2); // the far end is not drawn
    EXPECT_EQ(Inked(*p), 4);
    p->Clear();
    p->DrawLine(3, 7, 3, 0);  // straight lines include both ends
    EXPECT_EQ(Inked(*p), 8);
    p->SetPixel(-1, 0, 0);
    p->SetPixel(10, 0, 0);
    p->SetPixelAlpha(3, 3, 0.5);
    EXPECT_EQ(p->GetPixelAlpha(3, 3), 127u);
    p->Clear();
    p->DrawBorder(0x00FFFFFF, 2);
    EXPECT_EQ(Inked(*p), 80 - 6 * 4);
    p->InvertRect(0, 0, 9, 7);
    EXPECT_EQ(p->GetPixelColour(0, 0), 0u);
    p->Darken();
    p->Tint(0x000000FF, 1.0);
    EXPECT_EQ(p->GetPixelColour(0, 0) & 0xFF, 254u);
}

TEST_F(PlaneObjectTest, ResizeScalesTheSurface)
{
    PlaneObject* p = objects_->NewPlaneObject(4, 4, 0x00FFFFFF, nullptr);
    p->Clear();
    p->ResizeSurface(8, 6);
    EXPECT_EQ(p->GetSurfaceWidth(), 8);
    EXPECT_EQ(p->GetSurfaceHeight(), 6);
    EXPECT_EQ(Inked(*p), 48);
    p->ResizeSurface(0, 5); // nothing for sizes of 0 or less
    EXPECT_EQ(p->GetSurfaceWidth(), 8);
    p->SetKeyColour(0x00FFFFFF);
    EXPECT_EQ(Inked(*p), 0);
    // Cleared to the background at the new size, smaller or larger, in the buffer it had.
    p->SetKeyColour(0x00FF00FF);
    p->ResizeSurfaceCleared(3, 2);
    EXPECT_EQ(Inked(*p), 6);
    p->ResizeSurfaceCleared(9, 7);
    EXPECT_EQ(Inked(*p), 63);
    // Pixels trade places only with a buffer of the surface's size.
    std::vector<uint8_t> spare(9 * 7 * 4 - 4, 0);
    p->SwapPixels(spare);
    EXPECT_EQ(Inked(*p), 63);
    spare.resize(9 * 7 * 4);
    p->SwapPixels(spare);
    EXPECT_EQ(Inked(*p), 0);
    // Or are copied in at a new size.
    p->ResizeSurfaceWith(3, 4, spare.data());
    EXPECT_EQ(p->GetSurfaceWidth() * p->GetSurfaceHeight(), 12);
    EXPECT_EQ(Inked(*p), 12);
}

TEST_F(PlaneObjectTest, PicturesAreBlittedIntoTheSurface)
{
    auto image = testsupport::MakeImage(6, 6, 10, 20, 30);
    PlaneObject* p = objects_->NewPlaneObject(12, 12, 0x00FF00FF, nullptr);
    p->DrawPicture(testsupport::InfoOf(*image), 0, 0, -1, -1);
    EXPECT_EQ(p->GetPixelAlpha(0, 0), 0u);  // the picture's transparent corner
    EXPECT_NE(p->GetPixelAlpha(2, 2), 0u);
    EXPECT_EQ(p->GetPixelAlpha(7, 7), 0u);  // outside the 6 x 6 drawn
    p->DrawPicture(testsupport::InfoOf(*image), 0, 0, 0, 0); // 0: the surface's size
    EXPECT_NE(p->GetPixelAlpha(10, 10), 0u);
    PlaneObject* column = objects_->NewPlaneObject(6, 30, 0x00FF00FF, nullptr);
    column->DrawPictureThreeV(testsupport::InfoOf(*image));
    EXPECT_NE(column->GetPixelAlpha(3, 20), 0u);
}

TEST_F(PlaneObjectTest, TextUsesThePlanesStyle)
{
    PlaneObject* p = objects_->NewPlaneObject(60, 30, 0x00FF00FF, nullptr);
    p->SetFont(14, 700, "黑体");
    p->SetPen(0x000000FF, 1.0);
    p->SetSpacing(-1, 2);
    p->DrawTextLine(0, 0, "a中");
    ASSERT_EQ(glyphs_->requests.size(), 2u);
    EXPECT_EQ(glyphs_->requests[0].size, 14);
    EXPECT_EQ(glyphs_->requests[0].weight, 700);
    EXPECT_EQ(glyphs_->faces[1], "黑体");
    EXPECT_EQ(p->GetPixelColour(1, 5), 0x000000FFu);
    // The surface is left in its own style for the next plane.
    EXPECT_NE(objects_->GetTextSurface().CurrentStyle().size, 14);
    EXPECT_EQ(p->MeasureText("aaaaaaaaaaaa", 60), 14 + 2 + 14);
}

// The plane knows where its texts stand until paint covers them, while a check asks; the newest
// are kept, the oldest going first; without the switch nothing is kept.
TEST_F(PlaneObjectTest, TextBoxesLastUntilPaintCoversThemOnlyWhileRecorded)
{
    PlaneObject* p = objects_->NewPlaneObject(100, 40, 0x00FF00FF, nullptr);
    p->SetFont(12, 400, "宋体");
    ASSERT_FALSE(PlaneObject::RecordingTexts());
    p->DrawTextLine(4, 2, "ab中");
    EXPECT_TRUE(p->TextBoxes().empty());
    PlaneObject::RecordTexts(true);
    struct Off {
        ~Off() { PlaneObject::RecordTexts(false); }
    } off;
    for (size_t i = 0; i <= PlaneObject::kTextBoxesKept; ++i)
        p->NoteText({0, 0, 1, 1}, std::to_string(i), false);
    ASSERT_EQ(p->TextBoxes().size(), PlaneObject::kTextBoxesKept);
    EXPECT_EQ(p->TextBoxes().front().text, "1");
    p->Clear();
    p->DrawTextLine(4, 2, "ab中");
    p->DrawTextLine(4, 20, "x");
    p->DrawTextLine(200, 0, "off the surface");
    ASSERT_EQ(p->TextBoxes().size(), 2u);
    EXPECT_EQ(p->TextBoxes()[0].box, (Rect{4, 2, 4 + 6 + 6 + 12, 14}));
    EXPECT_EQ(p->TextBoxes()[0].text, "ab中");
    p->FillRect(0, 0, 100, 10); // over the first only
    ASSERT_EQ(p->TextBoxes().size(), 1u);
    EXPECT_EQ(p->TextBoxes()[0].text, "x");
    // A picture over part of a text marks it; over all of it, forgets it.
    auto image = testsupport::MakeImage(6, 6, 10, 20, 30);
    EXPECT_FALSE(p->TextBoxes()[0].paintedOver);
    p->DrawPicture(testsupport::InfoOf(*image), 6, 30, -1, -1); // its last two rows
    ASSERT_EQ(p->TextBoxes().size(), 1u);
    EXPECT_TRUE(p->TextBoxes()[0].paintedOver);
    p->DrawPicture(testsupport::InfoOf(*image), 0, 16, 40, 20);
    EXPECT_TRUE(p->TextBoxes().empty());
    p->Clear();
    EXPECT_TRUE(p->TextBoxes().empty());
}

TEST_F(PlaneObjectTest, PlainTextIsDrawnMeasuredAndCutAsWritten)
{
    PlaneObject* p = objects_->NewPlaneObject(400, 60, 0x00FF00FF, nullptr); // 30 px, pen 0
    testsupport::RecordingTexts recording;
    EXPECT_EQ(PlainCharacters("尾字\x81") + PlainCharacters(std::end(testsupport::kHostileNames)[-1]), "尾字a<bc");
    for (std::string_view name : testsupport::kHostileNames)
        for (int width = 30; width < 200; width += 5) {
            const std::string cut = p->FitText(name, width);
            p->DrawTextLine(0, 20, cut);
            EXPECT_EQ(testsupport::DrawnNameFault(p->TextBoxes().back(), name, 30, 0), "") << width;
            EXPECT_EQ(p->TextBoxes().back().box.right, std::min(width, p->TextWidth(cut))) << name;
        }
    // Centred by what is drawn: a dropped byte, a tag or an escape's '#' takes no room.
    const auto centred = [&](const auto& text) {
        p->DrawTextCentred(200, 30, text);
        return std::pair(p->TextBoxes().back().box.left, p->TextBoxes().back().box.right);
    };
    EXPECT_EQ(centred(std::string("名\x01\x7F字<")), centred(std::string("名字<")));
    EXPECT_EQ(centred(EscapeMarkup("名字<")), centred(std::string("名字<")));
    EXPECT_EQ(centred(Markup("<c=255>名字#<")), centred(std::string("名字<")));
}

// A plane that records no texts takes no heap for them: a hundred planes take hardly more than
// a hundred blocks of their size (the allocator's rounding; a queue would take 500 bytes each).
TEST(PlaneObjectHeap, APlaneThatRecordsNothingTakesNoHeapBeyondItsOwnBlock)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers keep their own heap";
#else
    ASSERT_FALSE(PlaneObject::RecordingTexts());
    constexpr int kPlanes = 100;
    std::vector<std::unique_ptr<PlaneObject>> planes;
    std::vector<std::unique_ptr<char[]>> blocks;
    planes.reserve(kPlanes);
    blocks.reserve(kPlanes);
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < kPlanes; ++i)
        planes.push_back(std::make_unique<PlaneObject>());
    const size_t made = mallinfo2().uordblks;
    for (int i = 0; i < kPlanes; ++i)
        blocks.push_back(std::make_unique<char[]>(sizeof(PlaneObject)));
    const int64_t beyond = int64_t(made - before) - int64_t(mallinfo2().uordblks - made);
    EXPECT_LT(beyond, 64 * kPlanes);
#endif
}

TEST_F(PlaneObjectTest, CaptionsThatFitOnlyOnTwoLinesAreDrawnAsTwoHalves)
{
    PlaneObject* p = objects_->NewPlaneObject(40, 40, 0x00FF00FF, nullptr);
    p->SetPen(0x000000FF, 1.0);
    const CaptionFit fit = p->DrawCaption("誠運錦淺", CaptionRequest{40, 40, {}, {}, {}});
    ASSERT_TRUE(fit.twoLines);
    ASSERT_EQ(glyphs_->requests.size(), 4u);
    EXPECT_EQ(glyphs_->requests[0].size, 12);
    auto inkedRow = [&](int y) {
        for (int x = 0; x < 40; ++x)
            if (p->GetPixelAlpha(x, y) != 0)
                return true;
        return false;
    };
    // First line from row 6, second from 6 + 12 + 4; nothing between them.
    EXPECT_FALSE(inkedRow(5));
    EXPECT_TRUE(inkedRow(6));
    EXPECT_FALSE(inkedRow(20));
    EXPECT_TRUE(inkedRow(22));
}

TEST_F(PlaneObjectTest, MeasureEndsWhenNoLineCanHoldACharacter)
{
    PlaneObject* p = objects_->NewPlaneObject(22, 40, 0x00008000, nullptr);
    p->SetFont(15, 400, "宋体");
    p->SetMargins(10, 10);
    EXPECT_LE(p->MeasureText("abc", 22), 15);
    p->FitToText("abc", 22);
    EXPECT_EQ(p->GetSurfaceWidth(), 22);
}

TEST_F(PlaneObjectTest, WrappedTextIsCentredAndEndsWithDots)
{
    PlaneObject* p = objects_->NewPlaneObject(40, 25, 0x00FF00FF, nullptr);
    p->SetFont(10, 400, "宋体");
    // Room for 8 single-byte characters a line, two lines in the height.
    p->DrawTextWrapped("abcdefghijklmnopqrstuvwxyz", 0);
    std::u32string drawn;
    for (const auto& r : glyphs_->requests)
        drawn.push_back(r.codePoint);
    EXPECT_EQ(drawn, U"abcdefghijklm...");
    glyphs_->requests.clear();
    p->Clear();
    p->DrawTextWrapped("ab", 0);
    // One centred line: 10 pixels of text in 40.
    EXPECT_EQ(p->GetPixelAlpha(14, 5), 0u);
    EXPECT_NE(p->GetPixelAlpha(15, 5), 0u);
    EXPECT_NE(p->GetPixelAlpha(24, 5), 0u);
    EXPECT_EQ(p->GetPixelAlpha(25, 5), 0u);
}

TEST_F(PlaneObjectTest, MarkupTextKeepsToItsBox)
{
    PlaneObject* p = objects_->NewPlaneObject(60, 30, 0x00FF00FF, nullptr);
    p->SetFont(10, 400, "宋体");
    p->DrawMarkupText("<color=255>aaaaaaaaaaaa", 5, 20, 12);
    EXPECT_NE(p->GetPixelAlpha(5, 5), 0u);
    EXPECT_EQ(p->GetPixelAlpha(25, 5), 0u);
    EXPECT_EQ(p->GetPixelAlpha(5, 15), 0u); // the second line would pass the box's height
    EXPECT_EQ(p->GetPixelColour(5, 5), 0x000000FFu);
}

} // namespace
