// playbot.cpp - plays generated levels headless, with no window and no GPU.
//
//   playbot [--seeds A-B | --seeds N] [--levels K] [--record DIR] [--max-updates N]
//
// For each seed the game starts as the real one does (new game, first level,
// playing mode) and the bot plays it through the same per-update input a
// player gives, update by update through the game's own playback step: the
// run, jump and fire keys and an aim point, with robots woken as a
// 1280 x 720 window's frames would wake them. It plans a route
// over the level by trying runs and jumps with the hero's own motion step
// (robots aside), follows it update by update through game_update, plans
// again whenever the world pushed it off course, tunnels through
// destructible walls that block the way and shoots robots that come close.
// With --levels K it plays K levels in a row: after each it rides the
// elevator and on the upgrade screen chooses every upgrade it can afford,
// first row first, and presses GO!. One line per game (seed, finished or
// not, updates, hearts lost, shots, robots destroyed), then "finished %d of
// %d" and the median updates of the finished games. --record DIR writes each
// game as DIR/seedN.rec for "game -replay".
#include <errno.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <queue>
#include <unordered_map>
#include <vector>

#include "core/about.h"
#include "core/input.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/paths.h"
#include "core/random.h"
#include "core/timer.h"
#include "game/enemies.h"
#include "game/gameHooks.h"
#include "game/gameMode.h"
#include "game/hero.h"
#include "game/playback.h"
#include "game/recording.h"
#include "game/scene.h"
#include "game/updateInput.h"
#include "game/upgradeMode.h"
#include "game/world.h"
#include "gen/levelGen.h"
#include "platform/platform.h"
#include "voxel/levelGrid.h"

namespace {

const char USAGE[] = "usage: playbot [--seeds A-B | --seeds N] [--levels K] [--record DIR] [--max-updates N]";
const float UPDATE_SECONDS = 0.05f;
// The window whose frames wake the robots: 1280 x 720 at 6 pixels per voxel.
const int VIEW_WIDTH = 1280, VIEW_HEIGHT = 720, VIEW_SCALE = 6;
const int MAX_FLIGHT = 80;        // updates a jump or fall may take before it counts as lost
const int MAX_EXPANSIONS = 60000; // ground states one plan may try
// Updates a tunnel through a wall is reckoned to take: far more than digging
// takes, so that a walk up to that much longer is preferred to the risks of
// digging, and one search weighs walking against digging (a search for a
// walk alone first tries every ground state when there is none).
const int TUNNEL_COST = 300;
const int MAX_TUNNEL = 24; // the thickest wall the bot tunnels through
const float THREAT_X = 120, THREAT_Y = 60;
const float LANDING_WATCH = 80;    // how far below a falling hero robots are steered clear of
const float ROBOT_CLEARANCE = 16;  // hero and robot centres this far apart don't touch
const int MAX_FRUITLESS_PLANS = 8; // plans in a row that bring the hero no farther

struct Options {
    uint64_t first = 1, last = 1;
    int levels = 1;
    const char* recordDir = nullptr;
    int maxUpdates = 12000;
};

// "A-B" or "N", each a seed as every program reads one.
void parse_seeds(const char* value, Options& o)
{
    const char* dash = strchr(value, '-');
    if (!dash) {
        o.first = o.last = number_argument("--seeds", value, UINT64_MAX);
        return;
    }
    char first[32] = {};
    size_t length = static_cast<size_t>(dash - value);
    bool fits = length < sizeof first;
    if (fits)
        memcpy(first, value, length);
    if (!fits || !parse_whole_number(first, UINT64_MAX, &o.first)
        || !parse_whole_number(dash + 1, UINT64_MAX, &o.last))
        fatal_error(
            "--seeds needs a seed or a range A-B of seeds, whole numbers from 0 to %llu, not '%s'\n%s",
            static_cast<unsigned long long>(UINT64_MAX), value, USAGE);
    if (o.last < o.first)
        fatal_error("--seeds %s runs backwards\n%s", value, USAGE);
}

Options parse_options(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value)
            fatal_error("%s needs a value\n%s", argv[i], USAGE);
        if (strcmp(argv[i], "--seeds") == 0)
            parse_seeds(value, o);
        else if (strcmp(argv[i], "--record") == 0)
            o.recordDir = value;
        else if (strcmp(argv[i], "--max-updates") == 0)
            o.maxUpdates = static_cast<int>(number_argument(argv[i], value, INT32_MAX));
        else if (strcmp(argv[i], "--levels") == 0)
            o.levels = static_cast<int>(number_argument(argv[i], value, 1000));
        else
            fatal_error("unknown argument '%s'\n%s", argv[i], USAGE);
        ++i;
    }
    if (o.levels < 1)
        fatal_error("--levels must be at least 1\n%s", USAGE);
    return o;
}

// One update of input: a run direction, a jump and, for tunnels, a wall to shoot.
struct Step {
    int8_t direction;
    bool jump;
};

// A ground state the planner reached and how.
struct Node {
    HeroMotion motion;
    int parent;            // -1 for the start
    std::vector<Step> how; // the updates from the parent
    int cost;              // updates from the start
    int tunnel;            // 0, or the direction of a tunnel dug from the parent
    float tunnelEndX;      // where the tunnel comes out
};

// One planned leg: the updates to run and the state they should end in.
struct Leg {
    std::vector<Step> steps;
    HeroMotion end;
    int tunnel;
    float tunnelEndX;
};

struct Level {
    float exitX0, exitX1; // the exit's columns at the hero's depth
};

// One update of the hero's motion (two half-steps); the flags of both.
uint32_t simulate_update(HeroMotion& m, const Step& s)
{
    uint32_t flags = hero_motion_step(m, s.direction, s.jump, UPDATE_SECONDS / 2);
    return flags | hero_motion_step(m, s.direction, s.jump, UPDATE_SECONDS / 2);
}

bool standing_on_exit(uint32_t flags)
{
    return (flags & ON_GROUND) && (flags & TOUCH_EXIT);
}

// Whether a voxel at (x, y) holds anything at depths lo to hi.
bool solid_at(int x, int y, int lo, int hi)
{
    if (x < 0 || x >= LEVEL_SIZE_X || y < 0 || y >= LEVEL_SIZE_Y)
        return false;
    for (int z = lo; z <= hi; ++z)
        if (level_grid()[level_voxel_index(x, y, z)])
            return true;
    return false;
}

// The robots stand aside while the planner tries moves: it plans the route
// through the level alone, and the robots are dealt with on the way.
class RobotsAside {
public:
    RobotsAside()
    {
        for (int i = 0; i < enemy_count(); ++i) {
            saved.push_back(enemy(i).position);
            enemy(i).position.y = -100000;
        }
    }
    ~RobotsAside()
    {
        for (int i = 0; i < enemy_count(); ++i)
            enemy(i).position = saved[static_cast<size_t>(i)];
    }

private:
    std::vector<Vec4> saved;
};

class Planner {
public:
    explicit Planner(const Level& level)
        : level(level)
    {
    }

    // A route from `start` to standing on the exit, through walls only when
    // walking around them takes far longer; empty when none was found.
    std::vector<Leg> plan(const HeroMotion& start) { return search(start, true); }

private:
    const Level& level;
    std::vector<Node> nodes;
    std::vector<char> done, goal;
    std::unordered_map<int64_t, int> seen;
    std::unordered_map<int64_t, bool> jumped; // the cells whose ground states have tried their jumps
    bool tunnels = false;
    std::priority_queue<std::pair<float, int>, std::vector<std::pair<float, int>>, std::greater<>> open;

    std::vector<Leg> search(const HeroMotion& start, bool dig)
    {
        RobotsAside aside;
        tunnels = dig;
        jumped.clear();
        nodes.clear();
        done.clear();
        goal.clear();
        seen.clear();
        open = {};
        add(start, -1, {}, 0, 0, 0, false);
        int expansions = 0;
        while (!open.empty() && expansions < MAX_EXPANSIONS) {
            int n = open.top().second;
            open.pop();
            if (done[static_cast<size_t>(n)])
                continue;
            done[static_cast<size_t>(n)] = true;
            ++expansions;
            if (goal[static_cast<size_t>(n)])
                return route_to(n);
            expand(n);
        }
        return {};
    }

    static int64_t key_of(const HeroMotion& m)
    {
        int64_t x = lrintf(m.position.x * 0.5f), y = lrintf(m.position.y * 0.5f);
        int64_t v = m.velocityX > 1 ? 2 : m.velocityX < -1 ? 0 : 1;
        return (x * 1024 + y) * 4 + v;
    }

    float estimate(const HeroMotion& m) const
    {
        float dx = 0;
        if (m.position.x < level.exitX0)
            dx = level.exitX0 - m.position.x;
        else if (m.position.x > level.exitX1)
            dx = m.position.x - level.exitX1;
        // Weighted towards the exit: a route soon beats the shortest route.
        return 6.0f * dx / 5.0f + fabsf(m.position.y - 16) / 10.0f;
    }

    void add(const HeroMotion& m, int parent, std::vector<Step> how, int cost, int tunnel, float tunnelEndX,
        bool atExit)
    {
        if (m.position.y < 0)
            return;
        int64_t key = key_of(m);
        auto it = seen.find(key);
        if (it != seen.end() && nodes[static_cast<size_t>(it->second)].cost <= cost)
            return;
        int index = static_cast<int>(nodes.size());
        nodes.push_back({m, parent, std::move(how), cost, tunnel, tunnelEndX});
        done.resize(nodes.size(), false);
        goal.resize(nodes.size(), false);
        goal[static_cast<size_t>(index)] = atExit;
        seen[key] = index;
        open.push({static_cast<float>(cost) + estimate(m), index});
    }

    // Runs `first` and then `rest` until the hero stands again.
    void try_move(int from, std::vector<Step> first, Step rest)
    {
        HeroMotion m = nodes[static_cast<size_t>(from)].motion;
        std::vector<Step> how;
        bool atExit = false;
        for (int i = 0; i < MAX_FLIGHT; ++i) {
            Step s = i < static_cast<int>(first.size()) ? first[static_cast<size_t>(i)] : rest;
            uint32_t flags = simulate_update(m, s);
            how.push_back(s);
            if (m.position.y < 0)
                return;
            atExit = atExit || standing_on_exit(flags);
            if (m.onGround && i + 1 >= static_cast<int>(first.size()))
                break;
        }
        if (!m.onGround)
            return;
        int cost = nodes[static_cast<size_t>(from)].cost + static_cast<int>(how.size());
        add(m, from, std::move(how), cost, 0, 0, atExit);
    }

    // Runs and drops from every ground state; jumps from one ground state
    // per 16 x 4 voxel cell and way of running (they are costly to try).
    void expand(int n)
    {
        const HeroMotion here = nodes[static_cast<size_t>(n)].motion;
        int64_t cell
            = (static_cast<int64_t>(lrintf(here.position.x)) / 16 * 1024 + lrintf(here.position.y) / 4) * 4
            + (here.velocityX > 1         ? 2
                    : here.velocityX < -1 ? 0
                                          : 1);
        bool jumps = !jumped[cell];
        jumped[cell] = true;
        for (int d = -1; d <= 1; d += 2) {
            int8_t dir = static_cast<int8_t>(d);
            try_move(n, {{dir, false}}, {dir, false});
            try_move(n, {{dir, false}}, {0, false});
            if (tunnels)
                try_tunnel(n, d);
            if (!jumps)
                continue;
            try_move(n, {{dir, true}}, {dir, false});
            try_move(n, {{dir, true}, {dir, false}}, {0, false});
            try_move(n, {{dir, true}, {dir, false}, {dir, false}, {dir, false}}, {0, false});
            try_move(n, {{0, true}, {0, false}, {0, false}}, {dir, false});
            try_move(
                n, {{0, true}, {0, false}, {0, false}, {0, false}, {0, false}, {0, false}}, {dir, false});
        }
        if (jumps)
            try_move(n, {{0, true}}, {0, false});
        if (fabsf(here.velocityX) > 1)
            try_move(n, {{0, false}}, {0, false});
    }

    // Whether the voxel column at x holds anything solid between the hero's
    // feet + 1 and head at the hero's depths; *hard when any of it can't be
    // destroyed.
    static bool column_blocked(int x, int y, bool* hard)
    {
        bool blocked = false;
        for (int z = 2; z < 14; ++z)
            for (int yy = y + 1; yy < y + 15; ++yy) {
                uint8_t v = level_grid()[level_voxel_index(x, yy, z)];
                if (!v)
                    continue;
                blocked = true;
                if (v >= VOXEL_INDESTRUCTIBLE)
                    *hard = true;
            }
        return blocked;
    }

    // A wall right beside the hero in direction d that stops it and that
    // shots can open: the tunnel ends where eight free columns follow it.
    void try_tunnel(int n, int d)
    {
        const HeroMotion& m = nodes[static_cast<size_t>(n)].motion;
        int x = static_cast<int>(lrintf(m.position.x)) + d * 4;
        int y = static_cast<int>(lrintf(m.position.y));
        if (x < 1 || x >= LEVEL_SIZE_X - 1 || y < 0 || y + 16 >= LEVEL_SIZE_Y)
            return;
        HeroMotion walk = m;
        simulate_update(walk, {static_cast<int8_t>(d), false});
        bool hard = false;
        if (fabsf(walk.position.x - m.position.x) > 0.5f || !column_blocked(x + (d > 0 ? 0 : -1), y, &hard)
            || hard)
            return;
        int free = 0;
        for (int i = 1; i <= MAX_TUNNEL + 8; ++i) {
            int cx = x + d * i;
            if (cx < 0 || cx >= LEVEL_SIZE_X)
                return;
            if (column_blocked(cx, y, &hard)) {
                if (hard)
                    return;
                free = 0;
            } else if (++free == 8) {
                HeroMotion out
                    = {{static_cast<float>(cx - d * 4), m.position.y, m.position.z, 1}, 0, 0, true, 0};
                add(out, n, {}, nodes[static_cast<size_t>(n)].cost + TUNNEL_COST, d, out.position.x, false);
                return;
            }
        }
    }

    std::vector<Leg> route_to(int n)
    {
        std::vector<Leg> legs;
        for (; nodes[static_cast<size_t>(n)].parent >= 0; n = nodes[static_cast<size_t>(n)].parent) {
            const Node& node = nodes[static_cast<size_t>(n)];
            legs.push_back({node.how, node.motion, node.tunnel, node.tunnelEndX});
        }
        std::reverse(legs.begin(), legs.end());
        return legs;
    }
};

// Where the exit lies: the columns of exit voxels at the hero's depth.
Level find_level()
{
    Level level = {LEVEL_SIZE_X, 0};
    for (int y = 0; y < LEVEL_SIZE_Y; ++y)
        for (int x = 0; x < LEVEL_SIZE_X; ++x)
            if (level_grid()[level_voxel_index(x, y, 8)] >= VOXEL_EXIT) {
                level.exitX0 = std::min(level.exitX0, static_cast<float>(x));
                level.exitX1 = std::max(level.exitX1, static_cast<float>(x));
            }
    return level;
}

HeroMotion hero_motion()
{
    const Hero& h = hero();
    return {h.position, h.velocityX, h.velocityY, h.onGround, 0};
}

bool same_motion(const HeroMotion& a, const HeroMotion& b)
{
    return fabsf(a.position.x - b.position.x) < 0.01f && fabsf(a.position.y - b.position.y) < 0.01f
        && a.onGround == b.onGround;
}

// What happened in one game.
struct Result {
    bool finished = false;
    int updates = 0;
    int heartsLost = 0;
    int shots = 0;
    int robotsDestroyed = 0; // robots whose health ran out in the bot's updates
    bool recorded = true;    // the recording, when one was made, was written whole
    uint64_t stateHash = 0;
};

int robots_alive()
{
    int n = 0;
    for (int i = 0; i < enemy_count(); ++i)
        n += enemy(i).health > 0;
    return n;
}

// The robot nearest the hero within reach and in sight of its shoulder;
// null when none threatens it.
const Enemy* threat()
{
    Vec4 shoulder = transform(hero().shoulderPivot, hero().body);
    const Enemy* best = nullptr;
    float bestDistance = 1e30f;
    for (int i = 0; i < enemy_count(); ++i) {
        const Enemy& e = enemy(i);
        float dx = e.position.x - hero().position.x, dy = e.position.y - hero().position.y;
        if (e.health < 1 || fabsf(dx) > THREAT_X || fabsf(dy) > THREAT_Y)
            continue;
        Vec4 target = {e.position.x, e.position.y + 7, shoulder.z, 1};
        Vec4 hit;
        int cell[3];
        if (segment_vs_world(2, shoulder, target, &hit, cell))
            continue;
        float distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            best = &e;
            bestDistance = distance;
        }
    }
    return best;
}

// Where to shoot to open the way in direction d: the centre of a voxel that
// shots meet (they fly at the hero's depth and see two depths either side),
// at or beside the nearest voxel that blocks the hero's body, so its hole
// takes that voxel with it. False when none is in reach.
bool blocking_voxel(int d, float* aimX, float* aimY)
{
    static const int NEAR[][2]
        = {{0, 0}, {0, 1}, {0, -1}, {1, 0}, {-1, 0}, {1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
    int x = static_cast<int>(lrintf(hero().position.x)), y = static_cast<int>(lrintf(hero().position.y));
    for (int i = 0; i < MAX_TUNNEL + 8; ++i) {
        int cx = d > 0 ? x + 4 + i : x - 5 - i;
        for (int cy = y + 1; cy < y + 15; ++cy) {
            if (!solid_at(cx, cy, 2, 13))
                continue;
            for (const auto& n : NEAR)
                if (solid_at(cx + n[0], cy + n[1], 6, 10)) {
                    *aimX = static_cast<float>(cx + n[0]) + 0.5f;
                    *aimY = static_cast<float>(cy + n[1]) + 0.5f;
                    return true;
                }
        }
    }
    return false;
}

// Whether anything solid lies under the hero above the robot's head: the
// hero lands on that, and the plan's course stands.
bool ground_between(const Vec4& hero, const Vec4& robot)
{
    int x = static_cast<int>(lrintf(hero.x));
    for (int y = static_cast<int>(robot.y) + 15; y < static_cast<int>(hero.y); ++y)
        if (solid_at(x, y, 2, 13))
            return true;
    return false;
}

// In the air: the way to steer so as not to land on a robot below (a
// touch costs a heart), else `direction`.
int away_from_robot_below(int direction)
{
    const Vec4& p = hero().position;
    for (int i = 0; i < enemy_count(); ++i) {
        const Vec4& e = enemy(i).position;
        if (e.y < p.y && p.y - e.y < LANDING_WATCH && fabsf(e.x - p.x) < ROBOT_CLEARANCE
            && !ground_between(p, e))
            return e.x > p.x ? -1 : 1;
    }
    return direction;
}

class Bot {
public:
    Bot(const Options& o)
        : options(o)
    {
    }

    Result play(uint64_t seed)
    {
        Result r;
        set_log_muted(true);
        const char* record = nullptr;
        if (options.recordDir) {
            snprintf(file, sizeof file, "%s/seed%llu.rec", options.recordDir,
                static_cast<unsigned long long>(seed));
            record = file;
        }
        start_playback(seed, record, nullptr, UPDATE_SECONDS);
        start_game();
        begin_playback();
        set_log_muted(false);
        for (int level = 1; level <= options.levels; ++level) {
            if (level > 1 && !ride_and_buy(r))
                break;
            play_level(r);
            r.finished = current_mode() != play_mode() && level_complete();
            if (!r.finished)
                break;
        }
        r.recorded = finish_playback();
        r.stateHash = game_state_hash();
        switch_mode(nullptr);
        return r;
    }

private:
    const Options& options;
    char file[4096];
    int tunnelRow = 0;
    int stuck = 0;
    int escapes = 0; // jumps that freed the hero where a plan was held up

    // Plays the level until the hero leaves the playing mode or gives up.
    void play_level(Result& r)
    {
        Level level = find_level();
        Planner planner(level);
        tunnelRow = 0;
        stuck = 0;
        escapes = 0;
        float farthest = hero().position.x;
        int plans = 0;
        while (r.updates < options.maxUpdates && current_mode() == play_mode()) {
            // A plan starts on the ground: a fall runs its course first.
            if (!hero().onGround) {
                run({0, false}, 0, r);
                continue;
            }
            // Plans that bring the hero no farther right mean it is stuck.
            if (hero().position.x > farthest + 8) {
                farthest = hero().position.x;
                plans = 0;
            } else if (++plans > MAX_FRUITLESS_PLANS) {
                break;
            }
            std::vector<Leg> legs = planner.plan(hero_motion());
            if (legs.empty()) {
                // No way on from here: stand and let the world move (robots,
                // a fall) before planning again.
                for (int i = 0; i < 10 && current_mode() == play_mode(); ++i)
                    run({0, false}, 0, r);
                if (++stuck > 30)
                    break;
                continue;
            }
            follow(legs, r);
        }
    }

    // Rides the elevator to the upgrade screen, chooses every upgrade the
    // points cover (a "+" the screen does not show changes nothing) and
    // presses GO!; false when the next level did not start.
    bool ride_and_buy(Result& r)
    {
        while (current_mode() != upgrade_mode() && r.updates < options.maxUpdates)
            step([](UpdateInput&) {}, r);
        if (current_mode() != upgrade_mode())
            return false;
        step(
            [](UpdateInput& in) {
                for (int i = 0; i < 3; ++i)
                    in.commands.push(UPGRADE_PLUS + 2 * i);
                in.commands.push(UPGRADE_GO);
            },
            r);
        return current_mode() == play_mode();
    }

    // One update through the game's playback step with a script's input.
    template <typename Script> void step(Script script, Result& r)
    {
        script(scripted_update_input());
        play_counted_update(r);
    }

    // The update the script's input is ready for, and what it did.
    static void play_counted_update(Result& r)
    {
        float cooldown = hero().fireCooldown;
        int robots = robots_alive(), health = std::max(hero_health(), 0);
        play_update(UPDATE_SECONDS);
        r.shots += hero().fireCooldown > cooldown;
        r.heartsLost += std::max(health - std::max(hero_health(), 0), 0);
        // Leaving the level clears its robots: they were not destroyed.
        if (current_mode() == play_mode())
            r.robotsDestroyed += std::max(robots - robots_alive(), 0);
        ++r.updates;
    }

    // Follows the legs until one ends off its planned state.
    void follow(const std::vector<Leg>& legs, Result& r)
    {
        for (const Leg& leg : legs) {
            if (leg.tunnel) {
                dig(leg, r);
                return;
            }
            float startX = hero().position.x;
            for (const Step& s : leg.steps) {
                if (current_mode() != play_mode() || r.updates >= options.maxUpdates)
                    return;
                run(s, 0, r);
            }
            if (same_motion(hero_motion(), leg.end)) {
                stuck = 0;
                continue;
            }
            // Held where the plan expected a way (a robot underfoot or in
            // the way): a jump back frees the hero, and the next plan starts
            // from elsewhere.
            if (fabsf(hero().position.x - startX) < 1)
                escape(leg.steps[0].direction, r);
            return;
        }
        // On the exit: stand until the level counts as finished.
        for (int i = 0; i < 20 && current_mode() == play_mode(); ++i)
            run({0, false}, 0, r);
    }

    // Jumps away from `direction` (the other way on every second try) and runs on a little.
    void escape(int direction, Result& r)
    {
        int8_t back = static_cast<int8_t>(direction ? -direction : hero().facingRight ? -1 : 1);
        if (++escapes % 2 == 0)
            back = static_cast<int8_t>(-back);
        for (int i = 0; i < 8 && current_mode() == play_mode() && r.updates < options.maxUpdates; ++i)
            run({back, i == 0}, 0, r);
    }

    // Shoots a tunnel through the wall ahead while pushing into it.
    void dig(const Leg& leg, Result& r)
    {
        int d = leg.tunnel;
        float best = hero().position.x * static_cast<float>(d);
        for (int calm = 0; calm < 100 && current_mode() == play_mode() && r.updates < options.maxUpdates;
             ++calm) {
            float x = hero().position.x * static_cast<float>(d);
            if (x >= leg.tunnelEndX * static_cast<float>(d))
                return;
            if (x > best + 1) {
                best = x;
                calm = 0;
            }
            // A jump now and then carries the hero over what the shots
            // left at its feet (they reach only the middle depths).
            run({static_cast<int8_t>(d), calm % 12 == 11}, d, r);
        }
    }

    // One update through the real game: the keys for the step, the aim at a
    // threatening robot (or at the wall being tunnelled), the robots the last
    // frame would have shown.
    void run(const Step& s, int tunnel, Result& r)
    {
        UpdateInput& in = scripted_update_input();
        int direction = hero().onGround ? s.direction : away_from_robot_below(s.direction);
        if (direction < 0)
            in.down |= game_key_bit('A');
        if (direction > 0)
            in.down |= game_key_bit('D');
        if (s.jump)
            in.pressed |= game_key_bit('W');
        const Hero& h = hero();
        float aimX = h.position.x + (h.facingRight ? 40.0f : -40.0f), aimY = h.position.y + 8;
        bool fire = false;
        if (const Enemy* e = threat()) {
            aimX = e->position.x;
            aimY = e->position.y + 7;
            fire = true;
        } else if (tunnel && blocking_voxel(tunnel, &aimX, &aimY)) {
            fire = true;
        } else if (tunnel) {
            // Far and level at five heights, then near and low for what
            // is left at the feet, and steeply down into the floor in front,
            // whose holes take the leftovers at the back depths with them.
            static const float AIMS[][2]
                = {{30, 4}, {30, 9}, {30, 14}, {30, 19}, {30, 24}, {10, 2}, {20, 3}, {6, -3}, {12, -3}};
            const float* aim = AIMS[tunnelRow++ % 9];
            aimX = h.position.x + static_cast<float>(tunnel) * aim[0];
            aimY = h.position.y + aim[1];
            fire = true;
        }
        if (fire)
            in.down |= game_key_bit(VK_LBUTTON);
        in.aimX = aimX;
        in.aimY = aimY;
        int window[4];
        const CameraFocus& focus = camera_focus();
        world_window(focus.current.x, focus.current.y, VIEW_WIDTH, VIEW_HEIGHT, VIEW_SCALE, window);
        sight_robots(window, UPDATE_SECONDS, &in.woken);

        play_counted_update(r);
    }
};

int median(std::vector<int> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

void shutdown_all()
{
    finish_playback();
    free_level_data();
}

int main(int argc, char** argv)
{
    plat_open_standard_streams();
    if (answer_help_or_version(argc, argv, "playbot", USAGE))
        return 0;
    // A tool for terminals and scripts: errors go to the log, never to a box.
    setenv("TARNWICK_NO_MSGBOX", "1", 1);
    find_app_path();
    timer_init();
    Options o = parse_options(argc, argv);
    if (o.recordDir && !plat_make_dirs(o.recordDir))
        fatal_error("can't create the folder '%s' for the recordings: %s", o.recordDir, strerror(errno));
    set_log_muted(true);
    load_level_data();
    set_log_muted(false);
    Bot bot(o);
    int finished = 0, games = 0, hearts = 0;
    bool recordings_ok = true;
    std::vector<int> updates;
    for (uint64_t seed = o.first; seed <= o.last; ++seed) {
        Result r = bot.play(seed);
        ++games;
        finished += r.finished;
        hearts += r.heartsLost;
        if (r.finished)
            updates.push_back(r.updates);
        log_message("seed %llu: %s, %d updates, %d hearts lost, %d shots fired, %d robots destroyed",
            static_cast<unsigned long long>(seed), r.finished ? "finished" : "NOT finished", r.updates,
            r.heartsLost, r.shots, r.robotsDestroyed);
        recordings_ok = recordings_ok && r.recorded;
        if (seed == UINT64_MAX)
            break;
    }
    log_message("finished %d of %d", finished, games);
    log_message("median updates per finished level: %d; hearts lost: %d", median(updates), hearts);
    shutdown_all();
    return finished == games && recordings_ok ? 0 : 1;
}
