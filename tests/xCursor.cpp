// xCursor.cpp - test tool: reports the pointer image the X server shows.
//
//   xCursor
//
// Prints "cursor WxH opaque=N" for the cursor on $DISPLAY, N being the
// number of its pixels that are not fully transparent (0 for a hidden
// pointer). Exit code 1 without a display or the XFixes extension.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <stdio.h>

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        fprintf(stderr, "xCursor: can't open the display\n");
        return 1;
    }
    int event, error;
    XFixesCursorImage* image
        = XFixesQueryExtension(display, &event, &error) ? XFixesGetCursorImage(display) : nullptr;
    if (!image) {
        fprintf(stderr, "xCursor: no XFixes cursor image\n");
        XCloseDisplay(display);
        return 1;
    }
    int opaque = 0;
    for (int i = 0; i < image->width * image->height; ++i)
        opaque += (image->pixels[i] >> 24 & 0xff) != 0;
    printf("cursor %dx%d opaque=%d\n", image->width, image->height, opaque);
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
