#pragma once

#include "commands/TitleCommands.h"
#include "commands/TransferPlan.h"

struct CommandContext;

// The timed runs, each built from the composers of the dialogs that own its lines, so that a
// line of a run is always the line its own dialog sends.

// Sends one line for an area: the page tables' transfers and their steps in Send All.
using SendArea = void (*)(CommandContext& context, int area);

constexpr int titleWalkStoredInterval = 600;
constexpr int titleWalkNotStoredInterval = 800;
constexpr int sendAllTitleInterval = 600;
constexpr int sendAllSettingInterval = 1200;
constexpr int readBackInterval = 400;

// All 256 titles, one per step, in index order: ch.1 Top pages 1 to 64, ch.1 Bottom, ch.2 Top,
// ch.2 Bottom. Each title is read from the document when its step comes; one that cannot be
// sent refuses its step.
TransferPlan titleWalkPlan(CommandContext& context, TitleStorage storage);

// The changed titles (AppState::changedTitles) as they are marked at the start, stored, in index
// order, at the pace of the title walk.
TransferPlan changedTitlesPlan(CommandContext& context);

// One line per display area, ch.1 Top to ch.2 Bottom.
TransferPlan areaPlan(CommandContext& context, SendArea send, int interval);

// Send All: the 256 stored titles every 600 ms, then every 1200 ms the switching times and on
// flags of each area, both character levels, and each area's start-up page, position and
// current page: 280 steps, two of them pauses.
TransferPlan sendAllPlan(CommandContext& context);

// The read-back: 285 steps of 400 ms, one read request each but for seven idle steps; its
// percentage counts one step more than it has.
TransferPlan readBackPlan(CommandContext& context);
