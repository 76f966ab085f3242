// guiEvents.h - typed GUI events, their handlers and routing along the tree.
//
// Everything interactive is done by handlers attached to elements. An event
// carries exactly one type bit; a handler's mask says which it wants. Events
// live on the stack of whoever sends them. Handlers decide their own lifetime
// in detach.
#pragma once

#include <stdint.h>

#include "../core/input.h"

struct GuiElement;

enum GuiEventType : uint32_t {
    GUI_EVT_COMMAND = 1,       // GuiCommandEvent: a button was clicked
    GUI_EVT_HITTEST = 2,       // GuiHittestEvent: hit_test asks who is at a point
    GUI_EVT_KEY = 4,           // GuiInputEvent: key down or up
    GUI_EVT_ENTER = 16,        // GuiInputEvent: the pointer moved onto the element
    GUI_EVT_LEAVE = 32,        // GuiInputEvent: the pointer moved off it
    GUI_EVT_RELEASE = 64,      // GuiInputEvent: mouse button up
    GUI_EVT_PRESS = 128,       // GuiInputEvent: mouse button down or double click
    GUI_EVT_MOVE = 256,        // GuiInputEvent: mouse move
    GUI_EVT_WHEEL = 512,       // GuiInputEvent: mouse wheel
    GUI_EVT_VISIBILITY = 1024, // GuiNotifyEvent: set_hidden changed a hidden flag
};

enum GuiRouteMode {
    ROUTE_TUNNEL = 0,  // outermost ancestor (or the stop element) down to the target
    ROUTE_BUBBLE = 1,  // the target up through its ancestors, ending at the stop or the root
    ROUTE_DIRECT = 2,  // the target alone
    ROUTE_SUBTREE = 3, // the target, then each child's subtree in order
};

// Results of GuiEventHandler::handle: 0 lets routing go on; SKIP_SUBTREE (in
// ROUTE_SUBTREE only) skips the element's children; anything else stops the
// route and is returned to the sender.
enum { GUI_NOT_HANDLED = 0, GUI_SKIP_SUBTREE = 2 };

struct GuiEvent {
    explicit GuiEvent(uint32_t eventType)
        : type(eventType)
    {
    }
    virtual ~GuiEvent() = default;

    uint32_t type;
};

struct GuiInputEvent : GuiEvent {
    GuiInputEvent()
        : GuiEvent(0)
    {
    }
    InputEvent input = {};
};

struct GuiNotifyEvent : GuiEvent {
    GuiNotifyEvent(uint32_t eventType, GuiElement* changed)
        : GuiEvent(eventType)
        , element(changed)
    {
    }
    GuiElement* element;
};

struct GuiCommandEvent : GuiEvent {
    GuiCommandEvent(int32_t commandId, GuiElement* button)
        : GuiEvent(GUI_EVT_COMMAND)
        , command(commandId)
        , element(button)
    {
    }
    int32_t command;
    GuiElement* element;
};

struct GuiHittestEvent : GuiEvent {
    GuiHittestEvent(float px, float py)
        : GuiEvent(GUI_EVT_HITTEST)
        , x(px)
        , y(py)
    {
    }
    float x, y;
    GuiElement* result = nullptr;
};

class GuiEventHandler {
public:
    explicit GuiEventHandler(uint32_t eventMask)
        : mask(eventMask)
    {
    }
    // Reacts to an event that reached the element along a route.
    virtual int32_t handle(GuiEvent* event, GuiElement* element, int routeMode) = 0;
    // Called when the handler is added to an element.
    virtual void attach(GuiElement* element) = 0;
    // Called when it is removed or the element is destroyed; may delete the handler.
    virtual void detach(GuiElement* element) = 0;

    uint32_t mask; // the event bits the handler wants

protected:
    ~GuiEventHandler() = default;
};

// Makes an element hit-testable ("solidBox"). One shared instance serves all
// elements; attaching and detaching it does nothing.
class GuiHittestHandler : public GuiEventHandler {
public:
    GuiHittestHandler()
        : GuiEventHandler(GUI_EVT_HITTEST)
    {
    }
    int32_t handle(GuiEvent* event, GuiElement* element, int routeMode) override;
    void attach(GuiElement*) override { }
    void detach(GuiElement*) override { }
    // True when the point lies in the element's border rectangle (margins excluded).
    virtual bool contains(GuiElement* element, float x, float y);
};

// The one shared solid-box handler.
GuiHittestHandler* solid_box_handler();

// Calls, in list order, every handler of the element whose mask has the
// event's type; returns the first non-zero result, 0 when none.
int32_t deliver(GuiElement* element, GuiEvent* event, int mode);

// Routes the event from target in the given mode (GuiRouteMode); stop ends
// tunnelling and bubbling there. A null target gets nothing (0).
int32_t route_event(GuiEvent* event, GuiElement* target, int mode, GuiElement* stop);

// The first solid element in pre-order from element that contains the point
// and is not itself hidden, or null.
GuiElement* hit_test(GuiElement* element, float x, float y);
