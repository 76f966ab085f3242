// rulesVersion.h - the version of the game's rules.
//
// Raised whenever the results of an update change on purpose (a rule, a
// constant, the order of random draws), never for a change that leaves every
// update's result as it was. Every recording carries the version it was made
// under, and a game refuses a recording of other rules rather than replay it
// into another game; the golden recordings under tests/ are made again
// (scripts/recordGolden.sh) each time it rises.
//   1: the rules as first recorded with a version.
//   2: a shot hits every robot its step enters, however deep (a robot's
//      push on a box deeper than half the box was dropped and a fast shot
//      could fly through it), and of several the one entered first.
#pragma once

enum { RULES_VERSION = 2 };
