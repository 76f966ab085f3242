// windowInput.cpp - turning window messages into input events, and placing a
// new window.
#include "windowInput.h"

#include "input.h"

bool queue_input_message(const WindowMessage& msg)
{
    switch (msg.type) {
    case WMSG_KEY_DOWN:
    case WMSG_SYSKEY_DOWN:
        push_input_event(INPUT_KEY_DOWN, msg.key, msg.scan, msg.repeat ? INPUT_REPEAT : 0, -1, -1);
        return true;
    case WMSG_KEY_UP:
    case WMSG_SYSKEY_UP:
        push_input_event(INPUT_KEY_UP, msg.key, msg.scan, 0, -1, -1);
        return true;
    case WMSG_MOUSE_MOVE:
        push_input_event(INPUT_MOUSE_MOVE, 0, 0, 0, msg.x, msg.y);
        return true;
    case WMSG_BUTTON_DOWN:
        plat_focus_window();
        push_input_event(INPUT_MOUSE_DOWN, msg.key, 0, 0, msg.x, msg.y);
        return true;
    case WMSG_BUTTON_UP:
        push_input_event(INPUT_MOUSE_UP, msg.key, 0, 0, msg.x, msg.y);
        return true;
    case WMSG_BUTTON_DBLCLK:
        push_input_event(INPUT_MOUSE_DOWN, msg.key, 0, INPUT_REPEAT, msg.x, msg.y);
        return true;
    case WMSG_WHEEL:
        push_input_event(INPUT_MOUSE_WHEEL, msg.wheel, 0, 0, msg.x, msg.y);
        return true;
    case WMSG_PAD_BUTTON_DOWN:
    case WMSG_PAD_BUTTON_UP:
        pad_button(msg.key, msg.type == WMSG_PAD_BUTTON_DOWN);
        return true;
    case WMSG_PAD_AXIS:
        pad_axis(msg.key, msg.x);
        return true;
    case WMSG_PAD_REMOVED:
        pad_lost();
        return true;
    default:
        return false;
    }
}

PlatRect centred_in_work_area(int w, int h)
{
    PlatRect area;
    if (!plat_work_area(&area)) {
        area = {0, 0, 0, 0};
        plat_desktop_size(&area.right, &area.bottom);
    }
    PlatRect r;
    r.left = area.left + (area.right - area.left - w) / 2;
    r.top = area.top + (area.bottom - area.top - h) / 2;
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}
