// The frame's own chrome on a headless window: border planes and their fill without pictures,
// the title buttons right to left, the table background, the published settings, and the
// window placement from the title bar (maximise, restore, minimise, drag).
#include "tests/framework/FrameFixture.h"

#include "engine/input/InputData.h"
#include "engine/object/PlaneObject.h"
#include "framework/frame/FrameLayout.h"
#include "mahjong/frame/CMJGameFrame.h"
#include "widgets/CXyStandButton.h"

using namespace Lumora;
using namespace framework;
using namespace frametest;

namespace {

// The generic frame with everything of its own, and the mahjong frame, each with bare parts.
template <typename Base>
struct Decorated : Base {
    void CreateGameParts() override
    {
        this->SetSubSystem(std::make_unique<Part>().release());
        this->SetMainGame(std::make_unique<Part>().release());
    }
    Lumora::CXyStandButton* Button(int i) const
    {
        Lumora::CXyStandButton* const all[] = {this->closeButton_, this->fitButton_,  this->minimiseButton_,
                                               this->settingsButton_, this->helpButton_, this->shopButton_};
        return all[i];
    }
    Lumora::PlaneObject* Top() const { return this->topPlane_; }
    Lumora::PlaneObject* Left() const { return this->leftPlane_; }
    Lumora::PlaneObject* Title() const { return this->titlePlane_; }
    Lumora::CCySplitterBar* Splitter() const { return this->splitter_; }
    int RestoredX() const { return this->restoredX_; }
    int Maximised() const { return this->maximised_; }
};
using GenericFrame = Decorated<CXyGameFrame>;
using MahjongFrame = Decorated<Lumora::CMJGameFrame>;

using FrameDecorationTest = FrameFixture;

TEST_F(FrameDecorationTest, GenericFrameStarts)
{
    GenericFrame& f = StartAs<GenericFrame>(1024, 768, true);
    Run(100);
    ASSERT_NE(f.Top(), nullptr);
}

} // namespace
