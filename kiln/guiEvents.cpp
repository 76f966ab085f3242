// guiEvents.cpp - delivering and routing GUI events, hit testing.
#include "guiEvents.h"

#include "gui.h"

int32_t GuiHittestHandler::handle(GuiEvent* event, GuiElement* element, int)
{
    if (!element || event->type != GUI_EVT_HITTEST || (element->flags & GUI_FLAG_HIDDEN))
        return GUI_NOT_HANDLED;
    GuiHittestEvent* hit = static_cast<GuiHittestEvent*>(event);
    if (!contains(element, hit->x, hit->y))
        return GUI_NOT_HANDLED;
    hit->result = element;
    return 1;
}

bool GuiHittestHandler::contains(GuiElement* e, float x, float y)
{
    const GuiRect& b = e->box;
    const GuiRect& w = e->borderWidth;
    return b.left - w.left <= x && x < b.right + w.right && b.top - w.top <= y && y < b.bottom + w.bottom;
}

GuiHittestHandler* solid_box_handler()
{
    static GuiHittestHandler shared;
    return &shared;
}

int32_t deliver(GuiElement* element, GuiEvent* event, int mode)
{
    if (!(element->eventMask & event->type))
        return GUI_NOT_HANDLED;
    for (GuiEventHandler* h : element->handlers) {
        if (!(h->mask & event->type))
            continue;
        if (int32_t r = h->handle(event, element, mode))
            return r;
    }
    return GUI_NOT_HANDLED;
}

static int32_t route_tunnel(GuiEvent* event, GuiElement* target, GuiElement* stop)
{
    if (target != stop && target->parent)
        if (int32_t r = route_tunnel(event, target->parent, stop))
            return r;
    return deliver(target, event, ROUTE_TUNNEL);
}

static int32_t route_bubble(GuiEvent* event, GuiElement* target, GuiElement* stop)
{
    for (GuiElement* e = target; e; e = e->parent) {
        if (int32_t r = deliver(e, event, ROUTE_BUBBLE))
            return r;
        if (e == stop)
            break;
    }
    return GUI_NOT_HANDLED;
}

static int32_t route_subtree(GuiEvent* event, GuiElement* target)
{
    int32_t r = deliver(target, event, ROUTE_SUBTREE);
    if (r == GUI_SKIP_SUBTREE)
        return GUI_NOT_HANDLED;
    if (r)
        return r;
    for (GuiElement* child : target->children)
        if (int32_t cr = route_subtree(event, child))
            return cr;
    return GUI_NOT_HANDLED;
}

int32_t route_event(GuiEvent* event, GuiElement* target, int mode, GuiElement* stop)
{
    if (!target)
        return GUI_NOT_HANDLED;
    switch (mode) {
    case ROUTE_TUNNEL:
        return route_tunnel(event, target, stop);
    case ROUTE_BUBBLE:
        return route_bubble(event, target, stop);
    case ROUTE_DIRECT:
        return deliver(target, event, ROUTE_DIRECT);
    case ROUTE_SUBTREE:
        return route_subtree(event, target);
    default:
        return GUI_NOT_HANDLED;
    }
}

GuiElement* hit_test(GuiElement* element, float x, float y)
{
    GuiHittestEvent hit(x, y);
    route_event(&hit, element, ROUTE_SUBTREE, nullptr);
    return hit.result;
}
