// main.cpp - the game program's entry.
#include "../platform/platform.h"
#include "appMain.h"

int main(int argc, char** argv)
{
    plat_open_standard_streams();
    return app_main(argc, argv);
}
