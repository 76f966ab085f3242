// The level viewer: panning with the mouse re-centred each update, and
// dropping the hero with Space.
#include "game/updateInput.h"
#include "gameplayFixture.h"

namespace {

class Viewer : public GameplayTest {
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        place_hero(500, 100);
        switch_mode(play_mode());
        switch_mode(view_level_mode());
        start = camera_focus().current;
    }
    void TearDown() override
    {
        switch_mode(nullptr);
        GameplayTest::TearDown();
    }
    // One update of the viewer with the cursor at (x, y).
    static void view_update(int x, int y)
    {
        mouse_at(x, y);
        begin_update_input();
        view_level_mode()->update(0.05f);
        end_update_input();
        input_end_update();
    }
    Vec4 start;
};

TEST_F(Viewer, TheFirstUpdateOnlyCentresTheCursor)
{
    view_update(600, 20);
    EXPECT_EQ(camera_focus().current.x, start.x);
    EXPECT_EQ(camera_focus().current.y, start.y);
    EXPECT_EQ(fake.warpX, 320);
    EXPECT_EQ(fake.warpY, 180);
}

TEST_F(Viewer, TheCursorsOffsetFromTheCentrePansHalfAVoxelPerPixel)
{
    view_update(600, 20);
    view_update(320, 180);
    EXPECT_EQ(camera_focus().current.x, start.x);
    EXPECT_EQ(camera_focus().current.y, start.y);
    view_update(330, 180);
    EXPECT_EQ(camera_focus().current.x, start.x + 5);
    view_update(330, 170); // screen y grows downwards, level y upwards
    EXPECT_EQ(camera_focus().current.x, start.x + 10);
    EXPECT_EQ(camera_focus().current.y, start.y + 5);
    EXPECT_EQ(fake.warpCount, 4);
}

TEST_F(Viewer, ReleasingSpaceDropsTheHeroAtTheViewAndReturnsToPlay)
{
    view_update(320, 180);
    view_update(360, 180); // 20 voxels right
    press(VK_SPACE);
    view_update(320, 180);
    hold(VK_SPACE);
    view_update(320, 180);
    EXPECT_EQ(current_mode(), view_level_mode());
    release(VK_SPACE);
    view_update(320, 180);
    EXPECT_EQ(current_mode(), play_mode());
    EXPECT_EQ(hero().position.x, start.x + 20);
    EXPECT_EQ(hero().position.y, start.y);
    // The camera goes on from the viewed spot.
    EXPECT_EQ(camera_focus().current.x, start.x + 20);
    EXPECT_EQ(camera_focus().current.y, start.y);
}

TEST_F(Viewer, LeavingWithoutSpaceRestoresTheCamera)
{
    view_update(320, 180);
    view_update(400, 100);
    switch_mode(play_mode());
    EXPECT_EQ(camera_focus().current.x, start.x);
    EXPECT_EQ(camera_focus().current.y, start.y);
    EXPECT_EQ(hero().position.x, 500);
}

} // namespace
