// upgrades.cpp - the level counter, upgrade points and the three upgrades.
#include "upgrades.h"

#include "hero.h"
#include "world.h"

static struct {
    int level;  // the level being played, 1 in a new game
    int points; // 0 in a new game, +5 per finished level
} progress;

int level_number()
{
    return progress.level;
}

void set_level_number(int level)
{
    progress.level = level;
}

int upgrade_points()
{
    return progress.points;
}

void set_upgrade_points(int points)
{
    progress.points = points;
}

static ShortText text_of(const char* s)
{
    ShortText t;
    copy_text(t, s);
    return t;
}

// Health has no maximum: a purchase adds to the current health, so it heals.
class HealthUp final : public Upgrade {
public:
    void reset() override { set_hero_health(4); }
    ShortText name() override { return text_of("Health"); }
    int cost() override { return 5; }
    void apply() override { set_hero_health(hero_health() + 1); }
};

class FireRateUp final : public Upgrade {
public:
    void reset() override { set_fire_rate(10.0f); }
    ShortText name() override { return text_of("Fire rate"); }
    int cost() override { return 3; }
    void apply() override { set_fire_rate(fire_rate() + 1.0f); }
};

class WallDestrUp final : public Upgrade {
public:
    void reset() override { set_wall_radius(2); }
    ShortText name() override { return text_of("Wall destruction"); }
    int cost() override { return 5; }
    bool available() override { return wall_radius() < 4; }
    void apply() override { set_wall_radius(wall_radius() + 1); }
};

static HealthUp health_up;
static FireRateUp fire_rate_up;
static WallDestrUp wall_destr_up;

Upgrade* const upgrades[] = {&health_up, &fire_rate_up, &wall_destr_up, nullptr};
