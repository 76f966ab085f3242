// The GUI element tree: ownership, lengths, measuring, layout and drawing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deathTest.h"
#include "kiln/gui.h"
#include "kiln/layout.h"
#include "recordingRenderer.h"

static GuiElement* element(GuiElement* parent = nullptr, GuiLen w = gui_auto(), GuiLen h = gui_auto())
{
    return gui_create_element(
        w.value, w.mode, h.value, h.mode, gui_box(gui_units(0)), gui_box(gui_units(0)), parent);
}

static GuiElement* named(GuiElement* parent, const char* name)
{
    GuiElement* e = element(parent);
    copy_text(e->name, name);
    return e;
}

static std::string child_names(GuiElement* e)
{
    std::string names;
    for (GuiElement* c : e->children)
        names += c->name.s;
    return names;
}

TEST(GuiTree, MinusOneInsertsBeforeTheLastChild)
{
    GuiElement root;
    named(&root, "A");
    EXPECT_EQ(child_names(&root), "A") << "into an empty element at position 0";
    named(&root, "B");
    named(&root, "C");
    EXPECT_EQ(child_names(&root), "BCA");
    GuiElement* d = named(nullptr, "D");
    root.add_child(d, 99);
    root.add_child(d, -99);
    EXPECT_EQ(child_names(&root), "DBCA") << "positions are clamped; re-adding moves";
    root.add_child(nullptr, 0);
    EXPECT_EQ(root.children.size(), 4);
}

TEST(GuiTree, AddingToAnotherParentMovesTheChild)
{
    GuiElement a, b;
    GuiElement* child = named(&a, "x");
    b.add_child(child, 0);
    EXPECT_TRUE(a.children.empty());
    EXPECT_EQ(child->parent, &b);
    child->detach_from_parent();
    EXPECT_EQ(child->parent, nullptr);
    EXPECT_TRUE(b.children.empty());
    child->detach_from_parent();
    delete child;
}

TEST(GuiTree, FindByNameIsExactAndDepthFirst)
{
    GuiElement root;
    copy_text(root.name, "root");
    GuiElement* first = named(&root, "first");
    GuiElement* deep = named(first, "target");
    named(&root, "target"); // goes before "first", so the search meets it first
    EXPECT_EQ(root.find_by_name("root"), &root);
    EXPECT_EQ(root.find_by_name(nullptr), nullptr);
    EXPECT_EQ(root.find_by_name(""), nullptr);
    EXPECT_EQ(root.find_by_name("TARGET"), nullptr);
    EXPECT_EQ(child_names(&root), "targetfirst");
    EXPECT_EQ(root.find_by_name("target"), root.children[0]);
    EXPECT_EQ(first->find_by_name("target"), deep);
}

// Writes down when it is detached, and from which element.
struct DetachLog final : GuiEventHandler {
    DetachLog(std::vector<std::string>* log, const char* tag)
        : GuiEventHandler(GUI_EVT_KEY)
        , log(log)
        , tag(tag)
    {
    }
    int32_t handle(GuiEvent*, GuiElement*, int) override { return 0; }
    void attach(GuiElement*) override { }
    void detach(GuiElement* e) override { log->push_back(std::string(e->name.s) + ":" + tag); }
    std::vector<std::string>* log;
    const char* tag;
};

TEST(GuiTree, DestructionDeletesChildrenLastFirstThenDetachesHandlersLastFirst)
{
    std::vector<std::string> log;
    DetachLog h1(&log, "1"), h2(&log, "2"), c1(&log, "c");
    GuiElement* parent = new GuiElement;
    copy_text(parent->name, "p");
    GuiElement holder;
    holder.add_child(parent, 0);
    parent->add_handler(&h1, 0);
    parent->add_handler(&h2, 1);
    named(parent, "x")->add_handler(&c1, 0);
    named(parent, "y")->add_handler(&c1, 0); // order now y, x
    delete parent;
    EXPECT_EQ(log, (std::vector<std::string>{"x:c", "y:c", "p:2", "p:1"}));
    EXPECT_TRUE(holder.children.empty());
}

TEST(GuiTree, LabelsRefuseTextsBeyond255Characters)
{
    GuiElement* label = gui_create_label(nullptr, nullptr, 0xffffffff, 2, -1, 1, gui_box(gui_units(0)),
        gui_box(gui_units(0)), 0, GUILEN_AUTO, 0, GUILEN_AUTO);
    EXPECT_STREQ(label->text.s, "");
    EXPECT_EQ(label->textScale, 2);
    delete label;
    std::string longText(256, 'x');
    EXPECT_FATAL(gui_create_label(nullptr, longText.c_str(), 0xffffffff, 1, 0, 0, gui_box(gui_units(0)),
                     gui_box(gui_units(0)), 0, GUILEN_AUTO, 0, GUILEN_AUTO),
        "zu_utils.h\\([0-9]+\\): failed ASSERT\\(l<BS\\)");
}

TEST(GuiLength, ModesResolveAndUnknownModesAreFatal)
{
    EXPECT_EQ(gui_len_resolve(gui_auto(), 8, 100, 7), 7);
    EXPECT_EQ(gui_len_resolve(gui_pixels(3), 8, 100, 7), 3);
    EXPECT_EQ(gui_len_resolve(gui_units(1.5f), 8, 100, 7), 12);
    EXPECT_EQ(gui_len_resolve({25, GUILEN_PERCENT}, 8, 100, 7), 25);
    EXPECT_FATAL(gui_len_resolve({1, 4}, 8, 100, 0),
        "gui.cpp\\([0-9]+\\): failed ASSERT\\(!\"unknown GuiLen mode\"\\)");
    GuiElement e;
    e.margin.left = {1, 9};
    float w, h;
    EXPECT_FATAL(natural_size(&e, nullptr, &w, &h),
        "layout.cpp\\([0-9]+\\): failed ASSERT\\(!\"unknown GuiLen mode\"\\)");
}

class GuiLayout : public ::testing::Test {
protected:
    // A root of 400 x 100 pixels at the top-left of the display, unit 24.
    void make_screen()
    {
        renderer.w = renderer.h = 400;
        root = element(nullptr, gui_pixels(400), gui_pixels(100));
        build(root);
        screen = new GuiScreen(&renderer, root, 16, 16);
    }
    void TearDown() override { delete screen; }
    std::function<void(GuiElement*)> build = [](GuiElement*) {};

    RecordingRenderer renderer;
    GuiElement* root = nullptr;
    GuiScreen* screen = nullptr;
};

TEST_F(GuiLayout, ZoomFitsTheReferenceGridAndIsAtLeastOne)
{
    make_screen();
    EXPECT_EQ(screen->zoom, 3);
    EXPECT_EQ(screen->unit(), 24);
    renderer.w = 1280, renderer.h = 720;
    screen->refWidth = 40, screen->refHeight = 30;
    screen->relayout();
    EXPECT_EQ(screen->zoom, 3) << "min(720 / 240, 1280 / 320)";
    renderer.w = 100, renderer.h = 100;
    screen->relayout();
    EXPECT_EQ(screen->zoom, 1);
}

TEST_F(GuiLayout, AutoMarginsCentreAChild)
{
    GuiElement* child = nullptr;
    build = [&](GuiElement* r) {
        child = element(r, gui_units(10), gui_pixels(20));
        child->margin.left = child->margin.right = gui_auto();
    };
    make_screen();
    EXPECT_FLOAT_EQ(child->box.left, 80);
    EXPECT_FLOAT_EQ(child->box.right, 320);
    EXPECT_FLOAT_EQ(child->outer.left, 0);
    EXPECT_FLOAT_EQ(child->outer.right, 400);
    EXPECT_EQ(child->margin.left.mode, GUILEN_AUTO) << "the solver works on copies";
}

TEST_F(GuiLayout, AnOnlyAutoLeftMarginPushesToTheRightEdge)
{
    GuiElement* child = nullptr;
    build = [&](GuiElement* r) {
        child = element(r, gui_units(2), gui_units(1));
        child->margin.left = child->margin.top = gui_auto();
    };
    make_screen();
    EXPECT_FLOAT_EQ(child->box.right, 400);
    EXPECT_FLOAT_EQ(child->box.left, 352);
    EXPECT_FLOAT_EQ(child->box.bottom, 100);
}

TEST_F(GuiLayout, AnOversizedChildOverflowsRightAndDown)
{
    GuiElement* child = nullptr;
    build = [&](GuiElement* r) {
        child = element(r, gui_units(20), gui_pixels(150));
        child->margin = gui_box(gui_auto());
    };
    make_screen();
    EXPECT_FLOAT_EQ(child->box.left, 0);
    EXPECT_FLOAT_EQ(child->box.right, 480);
    EXPECT_FLOAT_EQ(child->box.top, 0);
    EXPECT_FLOAT_EQ(child->box.bottom, 150);
    EXPECT_FLOAT_EQ(root->box.right, 400) << "the parent keeps its size";
}

TEST_F(GuiLayout, PercentHeightsTakeTheParentsWidth)
{
    GuiElement* child = nullptr;
    build = [&](GuiElement* r) { child = element(r, gui_units(1), {50, GUILEN_PERCENT}); };
    make_screen();
    EXPECT_FLOAT_EQ(child->inner.bottom - child->inner.top, 200);
}

TEST_F(GuiLayout, BordersPaddingsAndOffsetsNestTheRectangles)
{
    GuiElement* child = nullptr;
    build = [&](GuiElement* r) {
        child = element(r, gui_pixels(50), gui_pixels(10));
        child->margin = gui_box(gui_pixels(1));
        child->border = {gui_pixels(2), gui_pixels(3), gui_pixels(4), {10, GUILEN_PERCENT}};
        child->padding = gui_box(gui_units(0.5f));
        child->offsetX = gui_units(1);
        child->offsetY = gui_pixels(-1);
    };
    make_screen();
    EXPECT_FLOAT_EQ(child->outer.left, 24);
    EXPECT_FLOAT_EQ(child->outer.top, -1);
    EXPECT_FLOAT_EQ(child->outer.right, 24 + 1 + 3 + 12 + 50 + 12 + 4 + 1);
    EXPECT_FLOAT_EQ(child->borderWidth.bottom, 40) << "percent of the parent's content width";
    EXPECT_FLOAT_EQ(child->box.left, 28);
    EXPECT_FLOAT_EQ(child->box.top, 2);
    EXPECT_FLOAT_EQ(child->inner.left, 40);
    EXPECT_FLOAT_EQ(child->inner.top, 14);
    EXPECT_FLOAT_EQ(child->inner.bottom, 24);
}

TEST(GuiLayoutWithoutScreen, UsesA640By480RootAndUnit8)
{
    GuiElement root;
    root.margin = gui_box(gui_auto());
    layout_element(&root, nullptr);
    EXPECT_FLOAT_EQ(root.outer.right, 640);
    EXPECT_FLOAT_EQ(root.outer.bottom, 480);
    EXPECT_FLOAT_EQ(root.box.left, 320);
    EXPECT_FLOAT_EQ(root.box.right, 320);
    EXPECT_FLOAT_EQ(root.box.top, 240);

    GuiElement plain;
    layout_element(&plain, nullptr);
    EXPECT_FLOAT_EQ(plain.outer.right, 0) << "default lengths give a 0 x 0 slot at the top-left";
    EXPECT_FLOAT_EQ(plain.outer.bottom, 0);

    GuiElement* child = element(&root, gui_units(2), gui_units(1));
    float w, h;
    natural_size(child, nullptr, &w, &h);
    EXPECT_FLOAT_EQ(w, 16);
    EXPECT_FLOAT_EQ(h, 8);
}

TEST(GuiNaturalSize, PercentTermsGrowTheWholeWidthAndChildrenOverlap)
{
    GuiElement root;
    root.margin.left = {50, GUILEN_PERCENT};
    GuiElement* a = element(&root, gui_pixels(10), gui_pixels(30));
    element(&root, gui_pixels(20), gui_pixels(5));
    a->margin.bottom = gui_pixels(2);
    float w, h;
    natural_size(&root, nullptr, &w, &h);
    EXPECT_FLOAT_EQ(w, 40) << "20 pixels of content that are half of the width";
    EXPECT_FLOAT_EQ(h, 32);
}

TEST_F(GuiLayout, AutoSizedLabelsTakeTheirTextsExtentAtTheZoom)
{
    GuiElement* label = nullptr;
    build = [&](GuiElement* r) {
        label = gui_create_label(r, "abcd", 0xffffffff, 2, 0, 0, gui_box(gui_units(0)), gui_box(gui_units(0)),
            0, GUILEN_AUTO, 1, GUILEN_UNITS);
    };
    make_screen();
    EXPECT_FLOAT_EQ(label->box.right - label->box.left, 6 * 4 * 6);
    EXPECT_FLOAT_EQ(label->box.bottom - label->box.top, 24) << "a given height is kept";
}

TEST_F(GuiLayout, DrawingFillsBordersWithOwnedCornersThenTextThenChildren)
{
    GuiElement* panel = nullptr;
    build = [&](GuiElement* r) {
        panel = gui_create_label(r, "hi", 0xff00ff00, 1, 1, -1, gui_box(gui_pixels(10)),
            gui_box(gui_pixels(0)), 100, GUILEN_PIXELS, 50, GUILEN_PIXELS);
        panel->background = 0xff111111;
        panel->border = gui_box(gui_pixels(2));
        panel->borderColour = {1, 2, 0, 4};
        GuiElement* hidden = element(panel, gui_pixels(5), gui_pixels(5));
        hidden->background = 0xffffffff;
        hidden->flags = GUI_FLAG_HIDDEN;
    };
    make_screen();
    screen->draw();
    const auto& c = renderer.calls;
    ASSERT_EQ(c.size(), 5u)
        << "root has no background; the red right border and the hidden child are skipped";
    auto rect = [](const RecordedCall& r) { return std::vector<float>{r.left, r.top, r.right, r.bottom}; };
    EXPECT_EQ(rect(c[0]), (std::vector<float>{12, 12, 112, 62}));
    EXPECT_EQ(c[0].colour, 0xff111111u);
    EXPECT_EQ(rect(c[1]), (std::vector<float>{10, 10, 112, 12})) << "top strip owns the top-left corner";
    EXPECT_EQ(rect(c[2]), (std::vector<float>{10, 12, 12, 64})) << "left strip owns the bottom-left corner";
    EXPECT_EQ(rect(c[3]), (std::vector<float>{12, 62, 114, 64}))
        << "bottom strip owns the bottom-right corner";
    EXPECT_EQ(c[4].op, "text");
    EXPECT_EQ(c[4].left, 112) << "right-aligned anchor";
    EXPECT_EQ(c[4].top, 12) << "top-aligned anchor";
    EXPECT_EQ(c[4].scale, 3) << "text scale times zoom";
    EXPECT_EQ(c[4].alignX, 1);
    EXPECT_EQ(c[4].alignY, -1);
}
