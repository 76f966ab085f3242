// GUI events: routing, hit testing, input processing with capture and hover,
// buttons and behaviours. Input comes through the real queue on a fake
// platform whose mouse buttons the tests hold and release.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/input.h"
#include "deathTest.h"
#include "fakeFrame.h"
#include "fakePlatform.h"
#include "kiln/guiBehaviours.h"
#include "kiln/layout.h"
#include "recordingRenderer.h"

// Writes down every event it sees as "<element>:<type>" and answers `result`.
struct EventLog final : GuiEventHandler {
    EventLog(std::vector<std::string>* log, uint32_t mask, int32_t result = 0)
        : GuiEventHandler(mask)
        , log(log)
        , result(result)
    {
    }
    int32_t handle(GuiEvent* event, GuiElement* element, int) override
    {
        std::string entry = std::string(element->name.s) + ":" + std::to_string(event->type);
        if (event->type == GUI_EVT_COMMAND)
            entry += "#" + std::to_string(static_cast<GuiCommandEvent*>(event)->command);
        log->push_back(entry);
        return result;
    }
    void attach(GuiElement*) override { }
    void detach(GuiElement*) override { }
    std::vector<std::string>* log;
    int32_t result;
};

static GuiElement* box(GuiElement* parent, const char* name, float left, float top, float w, float h)
{
    GuiElement* e = gui_create_element(
        w, GUILEN_PIXELS, h, GUILEN_PIXELS, gui_box(gui_units(0)), gui_box(gui_units(0)), parent);
    e->margin.left = gui_pixels(left);
    e->margin.top = gui_pixels(top);
    copy_text(e->name, name);
    return e;
}

static std::string joined(const std::vector<std::string>& log)
{
    std::string s;
    for (const std::string& e : log)
        s += (s.empty() ? "" : " ") + e;
    return s;
}

TEST(GuiRouting, EachModeVisitsItsOrderAndStops)
{
    std::vector<std::string> log;
    EventLog quiet(&log, GUI_EVT_KEY), stopper(&log, GUI_EVT_KEY, 5),
        skipper(&log, GUI_EVT_KEY, GUI_SKIP_SUBTREE);
    GuiElement root;
    copy_text(root.name, "r");
    GuiElement* a = box(&root, "a", 0, 0, 1, 1);
    GuiElement* b = box(a, "b", 0, 0, 1, 1);
    GuiElement* c = box(&root, "c", 0, 0, 1, 1); // children of r: c, a
    for (GuiElement* e : {&root, a, b, c})
        e->add_handler(&quiet, 0);
    GuiEvent key(GUI_EVT_KEY);

    EXPECT_EQ(route_event(&key, b, ROUTE_TUNNEL, nullptr), 0);
    EXPECT_EQ(joined(log), "r:4 a:4 b:4");
    log.clear();
    route_event(&key, b, ROUTE_TUNNEL, a);
    EXPECT_EQ(joined(log), "a:4 b:4");
    log.clear();
    route_event(&key, b, ROUTE_BUBBLE, a);
    EXPECT_EQ(joined(log), "b:4 a:4");
    log.clear();
    route_event(&key, b, ROUTE_DIRECT, nullptr);
    EXPECT_EQ(joined(log), "b:4");
    log.clear();
    route_event(&key, &root, ROUTE_SUBTREE, nullptr);
    EXPECT_EQ(joined(log), "r:4 c:4 a:4 b:4");
    log.clear();

    a->add_handler(&skipper, 0);
    EXPECT_EQ(route_event(&key, &root, ROUTE_SUBTREE, nullptr), 0) << "2 skips the subtree, not the walk";
    EXPECT_EQ(joined(log), "r:4 c:4 a:4");
    log.clear();
    a->remove_handler(&skipper);
    c->add_handler(&stopper, -1);
    EXPECT_EQ(route_event(&key, &root, ROUTE_SUBTREE, nullptr), 5);
    EXPECT_EQ(joined(log), "r:4 c:4") << "-1 put the stopper before the last handler, so it answers first";
    EXPECT_EQ(route_event(&key, nullptr, ROUTE_DIRECT, nullptr), 0);
}

TEST(GuiRouting, MasksFilterHandlersAndFollowRemoval)
{
    std::vector<std::string> log;
    EventLog keys(&log, GUI_EVT_KEY), moves(&log, GUI_EVT_MOVE | GUI_EVT_WHEEL);
    GuiElement e;
    e.add_handler(&keys, 0);
    e.add_handler(&moves, 0);
    e.add_handler(nullptr, 0);
    EXPECT_EQ(e.eventMask, uint32_t(GUI_EVT_KEY | GUI_EVT_MOVE | GUI_EVT_WHEEL));
    GuiEvent wheel(GUI_EVT_WHEEL);
    deliver(&e, &wheel, ROUTE_DIRECT);
    EXPECT_EQ(log.size(), 1u);
    e.remove_handler(&moves);
    EXPECT_EQ(e.eventMask, uint32_t(GUI_EVT_KEY));
    e.remove_handler(&keys);
}

TEST(GuiHitTest, TheFirstSolidElementInPreOrderWinsAndHiddenIsCheckedAlone)
{
    GuiElement root;
    GuiElement* panel = box(&root, "panel", 10, 10, 100, 100);
    GuiElement* inside = box(panel, "inside", 10, 10, 20, 20);
    panel->border = gui_box(gui_pixels(2));
    apply_behaviour(panel, "solidBox"); // nothing registered yet: ignored
    EXPECT_EQ(panel->handlers.size(), 0);
    register_gui_behaviours();
    apply_behaviour(panel, "solidBox");
    apply_behaviour(inside, "solidbox");
    layout_element(&root, nullptr);

    EXPECT_EQ(hit_test(&root, 25, 25), panel) << "a solid parent hides its children";
    EXPECT_EQ(hit_test(&root, 10, 10), panel) << "the border counts";
    EXPECT_EQ(hit_test(&root, 9, 10), nullptr) << "the margin does not";
    EXPECT_EQ(hit_test(&root, 114, 50), nullptr) << "right and bottom edges are exclusive";
    panel->set_hidden(true);
    EXPECT_EQ(hit_test(&root, 25, 25), inside);
    EXPECT_EQ(hit_test(&root, 60, 60), nullptr);
}

// A screen of 640 x 480 (zoom 2, unit 16) with two standard buttons and a
// handler on the root that records commands.
class GuiInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_reset();
        fake_frame_reset();
        fake_device.height = 480;
        register_gui_behaviours();
        GuiElement* root = gui_create_element(
            40, GUILEN_UNITS, 30, GUILEN_UNITS, gui_box(gui_units(0)), gui_box(gui_units(0)), nullptr);
        copy_text(root->name, "root");
        panel = gui_create_element(
            0, GUILEN_AUTO, 0, GUILEN_AUTO, gui_box(gui_units(0)), gui_box(gui_units(0)), root);
        a = button(panel, 1, 1);
        b = button(panel, 2, 10);
        copy_text(a->name, "A");
        copy_text(b->name, "B");
        root->add_handler(&commands, 0);
        screen = new GuiScreen(&renderer, root, 40, 30);
        input_end_update();
    }
    void TearDown() override
    {
        delete screen;
        input_end_update();
    }
    static GuiElement* button(GuiElement* parent, int command, float top)
    {
        GuiBox margin = gui_box(gui_units(0));
        margin.left = gui_units(1);
        margin.top = gui_units(top);
        return gui_create_button(
            parent, command, "Go", 1, gui_units(8), gui_units(3), margin, gui_box(gui_units(0)));
    }
    // Client pixels of a point inside a button.
    static int cx(GuiElement* e) { return static_cast<int>(e->box.left + 5); }
    static int cy(GuiElement* e) { return static_cast<int>(e->box.top + 5); }

    // One raw event, processed at once with the live button state as given.
    void press(int x, int y)
    {
        fake.keyHeld[VK_LBUTTON] = true;
        fake.modifiers = INPUT_LBUTTON;
        push_input_event(INPUT_MOUSE_DOWN, VK_LBUTTON, 0, 0, x, y);
        screen->process_input();
    }
    void move(int x, int y)
    {
        push_input_event(INPUT_MOUSE_MOVE, 0, 0, 0, x, y);
        screen->process_input();
    }
    void release(int x, int y)
    {
        move(x, y);
        fake.keyHeld[VK_LBUTTON] = false;
        fake.modifiers = 0;
        push_input_event(INPUT_MOUSE_UP, VK_LBUTTON, 0, 0, x, y);
        screen->process_input();
    }
    static std::string look(GuiElement* button)
    {
        std::string shown;
        for (const char* state : {".normal", ".over", ".pressed"})
            if (!(button->find_by_name(state)->flags & GUI_FLAG_HIDDEN))
                shown += shown.empty() ? state + 1 : std::string("+") + (state + 1);
        return shown;
    }

    std::vector<std::string> log;
    EventLog commands{&log, GUI_EVT_COMMAND, 1};
    RecordingRenderer renderer;
    GuiScreen* screen = nullptr;
    GuiElement* panel = nullptr;
    GuiElement* a = nullptr;
    GuiElement* b = nullptr;
};

TEST_F(GuiInput, TheStandardButtonIsLaidOutInFontPixels)
{
    EXPECT_EQ(screen->zoom, 2);
    EXPECT_FLOAT_EQ(a->box.right - a->box.left, 8 * 16 + 4) << "a one-font-pixel border on both sides";
    GuiElement* pressed = a->find_by_name(".pressed");
    EXPECT_FLOAT_EQ(pressed->box.left - a->find_by_name(".normal")->box.left, 2);
    EXPECT_EQ(look(a), "normal");
    EXPECT_STREQ(pressed->text.s, "Go");
}

TEST_F(GuiInput, MovingOffAndBackWhileHeldThenReleasingOverClicksOnce)
{
    move(cx(a), cy(a));
    EXPECT_EQ(look(a), "over");
    press(cx(a), cy(a));
    EXPECT_EQ(look(a), "pressed");
    EXPECT_EQ(screen->capture, a);
    move(600, 400);
    EXPECT_EQ(look(a), "normal");
    move(cx(a), cy(a));
    EXPECT_EQ(look(a), "pressed");
    release(cx(a), cy(a));
    EXPECT_EQ(look(a), "over");
    EXPECT_EQ(joined(log), "root:1#1");
    EXPECT_EQ(screen->capture, nullptr);
}

TEST_F(GuiInput, ReleasingOutsideSendsNothing)
{
    press(cx(a), cy(a));
    release(600, 400);
    EXPECT_EQ(look(a), "normal");
    EXPECT_TRUE(log.empty());
}

TEST_F(GuiInput, AnotherButtonIsNotEnteredWhileOneHoldsTheCapture)
{
    press(cx(a), cy(a));
    move(cx(b), cy(b));
    EXPECT_EQ(look(a), "normal");
    EXPECT_EQ(look(b), "normal");
    release(cx(b), cy(b));
    EXPECT_EQ(look(b), "normal");
    EXPECT_TRUE(log.empty());
    move(cx(b) + 1, cy(b));
    EXPECT_EQ(look(b), "over") << "once released, the pointer enters";
}

TEST_F(GuiInput, APressOnNothingLetsTheButtonBePressedByEntering)
{
    press(600, 400);
    EXPECT_EQ(screen->capture, nullptr);
    move(cx(b), cy(b));
    EXPECT_EQ(look(b), "pressed");
    release(cx(b), cy(b));
    EXPECT_EQ(joined(log), "root:1#2");
}

TEST_F(GuiInput, TheFirstHandlerOnTheBubblePathThatAnswersStopsTheCommand)
{
    std::vector<std::string> panelLog;
    EventLog passes(&panelLog, GUI_EVT_COMMAND, 0);
    copy_text(panel->name, "panel");
    panel->add_handler(&passes, 0);
    move(cx(a), cy(a));
    press(cx(a), cy(a));
    release(cx(a), cy(a));
    EXPECT_EQ(joined(panelLog), "panel:1#1");
    EXPECT_EQ(joined(log), "root:1#1");
    panel->remove_handler(&passes);

    EventLog stops(&panelLog, GUI_EVT_COMMAND, 1);
    panel->add_handler(&stops, 0);
    press(cx(a), cy(a));
    release(cx(a), cy(a));
    EXPECT_EQ(log.size(), 1u) << "the root never sees it";
    panel->remove_handler(&stops);
}

TEST_F(GuiInput, HidingAndShowingAPanelLeavesItsButtonsNormal)
{
    move(cx(a), cy(a));
    press(cx(a), cy(a));
    EXPECT_EQ(look(a), "pressed");
    panel->set_hidden(true);
    panel->set_hidden(false);
    EXPECT_EQ(look(a), "normal");
    release(cx(a), cy(a));
    EXPECT_EQ(joined(log), "root:1#1") << "shown again, it still clicks";
}

TEST_F(GuiInput, HiddenButtonsIgnoreInput)
{
    panel->set_hidden(true);
    move(cx(a), cy(a));
    press(cx(a), cy(a));
    release(cx(a), cy(a));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(look(a), "normal");
}

TEST_F(GuiInput, BehaviourNamesIgnoreCaseAndAButtonNeedsNoStateChildren)
{
    GuiElement* bare = box(screen->root, "bare", 0, 400, 50, 50);
    apply_behaviour(bare, "SOLIDBOX");
    apply_behaviour(bare, "Button");
    apply_behaviour(bare, "no such behaviour");
    EXPECT_EQ(bare->handlers.size(), 2);
    bare->commandId = 9;
    screen->relayout();
    press(10, 410);
    release(10, 410);
    EXPECT_EQ(joined(log), "root:1#9");
}

TEST_F(GuiInput, KeysGoToTheElementUnderThePointer)
{
    std::vector<std::string> keys;
    EventLog keyLog(&keys, GUI_EVT_KEY | GUI_EVT_WHEEL);
    a->add_handler(&keyLog, 0);
    move(cx(a), cy(a));
    push_input_event(INPUT_KEY_DOWN, 'A', 0, 0, -1, -1);
    push_input_event(INPUT_MOUSE_WHEEL, 1, 0, 0, cx(a), cy(a));
    screen->process_input();
    EXPECT_EQ(joined(keys), "A:4 A:512");
    a->remove_handler(&keyLog);
}

TEST_F(GuiInput, UnknownInputTypesAreFatal)
{
    GuiInputEvent odd;
    odd.input.type = 7;
    EXPECT_FATAL(screen->handle_input(&odd, a),
        "gui.cpp\\([0-9]+\\): failed ASSERT\\(!\"unknown input event type\"\\)");
}
