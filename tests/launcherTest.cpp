// The launcher's menu on the software renderer: its layout in a 640 x 480
// window, the toggle texts from the stored "flags", and what clicking the
// toggles and "Quit" stores. The settings store is a temporary directory.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/input.h"
#include "core/settings.h"
#include "fakeFrame.h"
#include "fakePlatform.h"
#include "kiln/guiBehaviours.h"
#include "launcher/launcherMenu.h"
#include "launcher/swrender.h"
#include "tgaWriter.h"

class LauncherMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tarnwick-launcher-XXXXXX";
        dir = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        fake_reset();
        fake_frame_reset();
        fake_device.width = 640, fake_device.height = 480;
        ASSERT_TRUE(write_test_tga(dir + "/font.tga", 128, 128, std::vector<uint32_t>(128 * 128, 0)));
        pixels.assign(640 * 480, 0);
        renderer.set_buffer(pixels.data(), 640 * 4, 640, 480);
        renderer.set_font(renderer.load_font((dir + "/font.tga").c_str()));
        set_gui_font_pixel_size(renderer.pixelScale());
        register_gui_behaviours();
    }
    void TearDown() override
    {
        delete screen;
        input_end_update();
        unsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0);
    }
    void start()
    {
        launcher_read_settings();
        GuiElement* root = build_launcher_menu();
        screen = new GuiScreen(&renderer, root, 40, 30);
        root->add_handler(launcher_handler(), -1);
    }
    GuiElement* button(int command)
    {
        for (GuiElement* e : screen->root->children)
            if (e->commandId == command)
                return e;
        return nullptr;
    }
    void click(int command)
    {
        GuiElement* b = button(command);
        int x = static_cast<int>((b->box.left + b->box.right) / 2);
        int y = static_cast<int>((b->box.top + b->box.bottom) / 2);
        push_input_event(INPUT_MOUSE_MOVE, 0, 0, 0, x, y);
        push_input_event(INPUT_MOUSE_DOWN, VK_LBUTTON, 0, 0, x, y);
        push_input_event(INPUT_MOUSE_UP, VK_LBUTTON, 0, 0, x, y);
        screen->process_input();
        input_end_update();
    }
    std::vector<std::string> toggle_texts()
    {
        std::vector<std::string> texts;
        for (int c = LAUNCHER_TOGGLE_WINDOW; c <= LAUNCHER_TOGGLE_SOUND; ++c)
            texts.push_back(launcher_toggle_text(c));
        return texts;
    }
    static std::string stored()
    {
        std::ifstream in(registry_file_path());
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    std::string dir;
    std::vector<uint32_t> pixels;
    SoftwareGuiRenderer renderer;
    GuiScreen* screen = nullptr;
};

TEST_F(LauncherMenu, WithNothingStoredTheTogglesShowTheDefaults)
{
    start();
    EXPECT_EQ(toggle_texts(),
        (std::vector<std::string>{
            "In window", "Anti-aliasing: off", "VSync: on", "Normal voxels", "Sound: on"}));
    EXPECT_EQ(launcher_flags(), uint32_t(SETTINGS_VSYNC));
}

TEST_F(LauncherMenu, AStored25IsFullscreenWithFastVoxelsWithoutSound)
{
    ASSERT_TRUE(settings_write_dword("flags", 25));
    start();
    EXPECT_EQ(toggle_texts(),
        (std::vector<std::string>{
            "Fullscreen", "Anti-aliasing: off", "VSync: off", "Fast voxels", "Sound: off"}));
    EXPECT_EQ(launcher_flags(), 25u);
}

TEST_F(LauncherMenu, The128PixelFontGivesZoom2AndTheRootFillsTheWindow)
{
    start();
    EXPECT_EQ(screen->zoom, 2);
    const GuiRect& box = screen->root->box;
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 640);
    EXPECT_EQ(box.bottom, 480);
    GuiElement* quit = button(LAUNCHER_QUIT);
    EXPECT_EQ(quit->box.left, 16) << "one unit from the left";
    EXPECT_EQ(quit->box.bottom, 480 - 32) << "two units from the bottom";
    GuiElement* play = button(LAUNCHER_PLAY);
    EXPECT_EQ(play->box.right, 640 - 16);
    GuiElement* window = button(LAUNCHER_TOGGLE_WINDOW);
    EXPECT_EQ(window->box.top, 6.5f * 16);
    EXPECT_EQ(window->box.left + window->box.right, 640) << "centred";
    GuiElement* sound = button(LAUNCHER_TOGGLE_SOUND);
    EXPECT_EQ(sound->box.left, window->box.left);
    EXPECT_EQ(sound->box.bottom - sound->box.top, window->box.bottom - window->box.top);
    EXPECT_LT(sound->box.bottom, quit->box.top) << "above the bottom buttons";
}

TEST_F(LauncherMenu, TogglesChangeOnlyTheLaunchersCopyUntilQuit)
{
    start();
    click(LAUNCHER_TOGGLE_ANTIALIAS);
    click(LAUNCHER_TOGGLE_VOXELS);
    click(LAUNCHER_TOGGLE_VOXELS);
    click(LAUNCHER_TOGGLE_WINDOW);
    click(LAUNCHER_TOGGLE_SOUND);
    EXPECT_EQ(toggle_texts(),
        (std::vector<std::string>{
            "Fullscreen", "Anti-aliasing: on", "VSync: on", "Normal voxels", "Sound: off"}));
    EXPECT_EQ(button(LAUNCHER_TOGGLE_WINDOW)->find_by_name(".over")->text.s, std::string("Fullscreen"));
    EXPECT_EQ(stored(), "") << "nothing is stored before Play or Quit";
    EXPECT_FALSE(launcher_quit_requested());
    click(LAUNCHER_QUIT);
    EXPECT_TRUE(launcher_quit_requested());
    uint32_t flags = 0;
    ASSERT_TRUE(settings_read_dword("flags", &flags));
    EXPECT_EQ(flags, 23u);
}

TEST_F(LauncherMenu, TheMenuDrawsItsBackgroundAndButtons)
{
    start();
    renderer.clear(0);
    screen->draw();
    EXPECT_EQ(pixels[0], 0x00101010u);
    GuiElement* quit = button(LAUNCHER_QUIT);
    int x = static_cast<int>(quit->box.left) + 4, y = static_cast<int>(quit->box.top) + 4;
    EXPECT_EQ(pixels[static_cast<size_t>(y * 640 + x)], 0x00323232u) << "the normal state's background";
}

TEST_F(LauncherMenu, AQuitThatCantStoreSaysWhyAndTheSecondLeavesAsAFailure)
{
    // A file where the store's folder should be: nothing can be written.
    std::ofstream(dir + "/Oskvel Games") << "in the way";
    start();
    click(LAUNCHER_TOGGLE_ANTIALIAS);
    click(LAUNCHER_QUIT);
    EXPECT_FALSE(launcher_quit_requested()) << "the first Quit stays to say why";
    std::vector<std::string> shown;
    for (GuiElement* e : screen->root->children)
        if (e->is_shown() && e->textColour == 0xffff5050)
            shown.push_back(e->text.s);
    EXPECT_EQ(shown, std::vector<std::string>{"Can't store the settings: Not a directory"});
    click(LAUNCHER_QUIT);
    EXPECT_TRUE(launcher_quit_requested());
    EXPECT_TRUE(launcher_failed());
}
