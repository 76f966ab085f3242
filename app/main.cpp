// main.cpp - the game program's entry.
#include "appMain.h"

int main(int argc, char** argv)
{
    return app_main(argc, argv);
}
