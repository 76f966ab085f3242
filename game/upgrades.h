// upgrades.h - the level counter, upgrade points and the three upgrades.
#pragma once

#include "../libs/inc/misc/zu_utils.h"

int level_number();
void set_level_number(int level);
int upgrade_points();
void set_upgrade_points(int points);

class Upgrade {
public:
    // Sets the value to its start-of-game amount.
    virtual void reset() = 0;
    virtual ShortText name() = 0;
    // Price in upgrade points.
    virtual int cost() = 0;
    // Whether the upgrade may be offered now.
    virtual bool available() { return true; }
    // One purchase.
    virtual void apply() = 0;

protected:
    ~Upgrade() = default; // the instances live for the whole run
};

// HealthUp, FireRateUp, WallDestrUp, then null: the order of resets and of the
// rows on the upgrade screen.
extern Upgrade* const upgrades[];
