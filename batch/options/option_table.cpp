#include "batch/options/option_table.h"

#include <fmt/format.h>

#include <array>
#include <cstdint>
#include <stdexcept>

#include "analysis/attempt/capped_attempt.h"
#include "analysis/found/hunt_table.h"
#include "analysis/hall/hall_rates.h"
#include "analysis/outcome/day_law.h"

namespace korvale {
namespace {

constexpr CommandSet normal = commandBit(Command::SimulateNormal);
constexpr CommandSet special = commandBit(Command::SimulateSpecial);
constexpr CommandSet exact = commandBit(Command::Exact);
constexpr CommandSet sweep = commandBit(Command::Sweep);
constexpr CommandSet hunt = commandBit(Command::Hunt);
constexpr CommandSet infer = commandBit(Command::Infer);

const std::vector<std::string> settings{"1", "2", "3", "4", "5", "6"};

// The limits of whole numbers that more than one row of an option share.
constexpr std::uint64_t largestCount = INT64_MAX / 4;
const WholeLimits settingLimits{1, 6, "an integer 1..6"};
const WholeLimits attemptLimits{1, largestCount,
                                fmt::format("a whole number of attempts, 1 to {}", largestCount)};
const WholeLimits maxGamesLimits{1, largestMaxGames,
                                 fmt::format("a whole number of games 1..{}", largestMaxGames)};
const WholeLimits seedLimits{0, UINT64_MAX, "a whole number 0..18446744073709551615"};
const WholeLimits sinceBigLimits{
    0, largestGamesSinceBig, fmt::format("a whole number of games 0..{}", largestGamesSinceBig)};

// In the order of every command's --help: a command lists the rows that name it.
const OptionRow rows[] = {
    {.name = "file",
     .commands = infer,
     .valueName = "FILE",
     .help = "the history: a bonus log, the window's grid or saved results as CSV "
             "(BONUS,回転数,...), or lines \"BIG 123\" / \"REG 45\" (games since the "
             "previous bonus, the bonus game included); UTF-8, Shift-JIS or UTF-16; - "
             "reads standard input",
     .manText = R"man(The history: a bonus log or the window's grid as CSV (a header naming
.B BONUS
and
.BR \[u56DE]\[u8EE2]\[u6570] ;
other columns are ignored), the window's saved results (the settings block up to its empty
record, a blank line or the grid's header skipped), or plain lines
.B "BIG 123"
and
.B "REG 45"
(the games since the previous bonus, the bonus game included), written in digits as the
options' counts are
.RB ( "BIG 12.0"
and
.B "BIG 1e3"
are refused), with full-width digits, a sign and digit grouping
.RB ( "BIG 1,000" )
as a file may hold them;
.B \-
reads standard input.
It may be UTF-8, Shift-JIS or UTF-16 with a byte order mark; blank lines and lines starting with
.B #
are skipped.)man",
     .reading = Reading::Always,
     .completesFile = true},
    {.name = "--start",
     .commands = infer,
     .valueName = "morning|joined",
     .shownDefault = "morning",
     .help = "morning: the history starts at a new machine's first game; joined: at the "
             "first game watched during the day, the machine's state unknown",
     .manText = R"man(.BR morning :
the history starts at a new machine's first game (default);
.BR joined :
at the first game watched during the day, the machine's state unknown.)man",
     .reading = Reading::Always,
     .completions = {"morning", "joined"}},
    {
        .name = "--trailing",
        .commands = infer,
        .valueName = "N",
        .whole = WholeLimits{0, INT32_MAX, "a whole number of games 0..2147483647"},
        .help = "games played since the last bonus, none of them a bonus (default: 0)",
        .manText = "Games played since the last bonus, none of them a bonus (default: 0).",
    },
    {
        .name = "--prior",
        .commands = infer,
        .valueName = "P1,...,P6",
        .help = "weights of 設定１..設定６ before the history (default: all equal)",
        .manText = "Weights of settings 1 to 6 before the history (default: all equal).",
    },
    {.name = "--setting",
     .commands = normal | special,
     .valueName = "1..6",
     .whole = settingLimits,
     .help = "the payout setting, 設定１..設定６ (default: 1)",
     .manText = "The payout setting (default: 1).",
     .completions = settings},
    {.name = "--setting",
     .commands = exact | sweep,
     .valueName = "1..6",
     .whole = settingLimits,
     .help = "only this setting (default: all six)",
     .manText = "Only this setting (default: all six).",
     .completions = settings},
    {.name = "--setting",
     .commands = hunt,
     .valueName = "1..6",
     .whole = settingLimits,
     .help = "only this setting, without the mixture (default: all six)",
     .manText = "Only this setting, without the mixture (default: all six).",
     .completions = settings},
    {
        .name = "--games",
        .commands = normal,
        .valueName = "N",
        .whole = WholeLimits{1, largestCount,
                             fmt::format("a whole number of games, 1 to {}", largestCount)},
        .help = "games to play in all (default: 100000000)",
        .manText = "Games to play in all (default: 100000000).",
    },
    {
        .name = "--attempts",
        .commands = special,
        .valueName = "N",
        .whole = attemptLimits,
        .help = "attempts to make in all (default: 1000000)",
        .manText = "Attempts to make in all (default: 1000000).",
    },
    {
        .name = "--since-big-grid",
        .commands = hunt,
        .valueName = "FIRST:LAST:STEP",
        .shownDefault = "0:1500:50",
        .help = "the games since the last BIG from FIRST to LAST by STEP (LAST at most "
                "1000000, at most 1001 counts)",
        .manText = R"man(The games since the last BIG from
.I FIRST
to
.I LAST
by
.I STEP
(default: 0:1500:50;
.I LAST
at most 1000000, at most 1001 counts).)man",
    },
    {
        .name = "--big-ends",
        .commands = sweep,
        .valueName = "FIRST:LAST:STEP",
        .shownDefault = "0:1000:50",
        .help = "the BIG ends from FIRST to LAST by STEP",
        .manText = R"man(The BIG ends from
.I FIRST
to
.I LAST
by
.I STEP
(default: 0:1000:50).)man",
    },
    {
        .name = "--reg-ends",
        .commands = sweep,
        .valueName = "FIRST:LAST:STEP",
        .shownDefault = "0:300:50",
        .help = "the REG ends from FIRST to LAST by STEP",
        .manText = "The REG ends likewise (default: 0:300:50).",
    },
    {
        .name = "--frontier",
        .commands = sweep,
        .help = "only the rules on each setting's efficient frontier: those that no other "
                "rule beats on both the net coins per 1000 games and the chance to end "
                "ahead, from the highest net per 1000 games down",
        .manText =
            R"man(Only the rules on each setting's efficient frontier, in every format: those that no other rule
of the setting beats on both the net coins per 1000 games and the chance to end ahead, each
setting's from the highest net per 1000 games down (and so from the lowest chance up); the
table lists them all.)man",
        .reading = Reading::Flag,
    },
    {
        .name = "--means-only",
        .commands = sweep,
        .help = "only what each rule is worth on average, without its chance to end ahead "
                "and its points (under a second for the default grid, where those take "
                "minutes)",
        .manText =
            R"man(Only what each rule is worth on average, without its chance to end ahead and its points (and
so without the frontier).)man",
        .reading = Reading::Flag,
    },
    {
        .name = "--means-only",
        .commands = hunt,
        .help = "only what an attempt is worth on average at each G, without the 勝率 (the "
                "chance to end ahead, most of the table's time)",
        .manText =
            R"man(Only what an attempt is worth on average at each count, with the break-even counts, without
the chance to end ahead (the 勝率 column), which takes most of the table's time.)man",
        .reading = Reading::Flag,
    },
    {
        .name = "--big-end",
        .commands = special,
        .valueName = "X",
        .help = "an attempt ends at least X games after its last BIG (default: 300)",
        .manText = R"man(An attempt ends at least
.I X
games after its last BIG (default: 300).)man",
    },
    {
        .name = "--big-end",
        .commands = exact,
        .valueName = "X",
        .help =
            "an attempt ends at least X games after its last BIG (up to 2000; default: 300 when "
            "only --reg-end is given)",
        .manText = R"man(An attempt ends at least
.I X
games after its last BIG (up to 2000; default: 300 when only
.B \-\-reg\-end
is given).)man",
    },
    {
        .name = "--big-end",
        .commands = hunt,
        .valueName = "X",
        .help = "an attempt ends at least X games after its last BIG (up to 2000; default: 0)",
        .manText = R"man(The rule's BIG end, as for
.B exact
(default: 0).)man",
    },
    {
        .name = "--big-end",
        .commands = infer,
        .valueName = "X",
        .help =
            "an attempt ends at least X games after its last BIG (up to 2000; default: 300 when "
            "only --reg-end is given). With either: what an attempt from where the history "
            "leaves the machine is worth, its own counts from 0",
        .manText =
            R"man(With either end condition, also what an attempt played on from where the history leaves the
machine is worth under this rule (its own counts from 0; up to 2000; default 300 when only
.B \-\-reg\-end
is given): for each setting, the attempt from the state the history leaves that setting's
machine in (the games since the last BIG, or their law when a joined history has no BIG yet,
and the law of the mode), every figure of
.B exact
for an attempt with the cost rounded per attempt, the hours and, from stored coins, the yen at
the hall's rates; then the settings mixed by the posterior. Those rates need the rule.)man",
    },
    {
        .name = "--reg-end",
        .commands = special,
        .valueName = "Y",
        .help = "and, once it has had a REG, at least Y games after its last REG (a decimal is "
                "rounded to the nearest whole game, halves to even) (default: 100)",
        .manText = R"man(And, once it has had a REG, at least
.I Y
games after its last REG (default: 100).)man",
    },
    {
        .name = "--reg-end",
        .commands = exact,
        .valueName = "Y",
        .help = "and, once it has had a REG, at least Y games after its last REG (a decimal is "
                "rounded to the nearest whole game, halves to even) (up to 1000; default: 100 when "
                "only --big-end is given)",
        .manText = R"man(And, once it has had a REG, at least
.I Y
games after its last REG (up to 1000; default: 100 when only
.B \-\-big\-end
is given).)man",
    },
    {
        .name = "--reg-end",
        .commands = hunt,
        .valueName = "Y",
        .help = "and, once it has had a REG, at least Y games after its last REG (a decimal is "
                "rounded to the nearest whole game, halves to even) (up to 1000; default: 0, so "
                "that the attempt stops at its first BIG)",
        .manText = R"man(The rule's REG end, as for
.B exact
(default: 0, so that with the BIG end's 0 the attempt stops at its first BIG).)man",
    },
    {
        .name = "--reg-end",
        .commands = infer,
        .valueName = "Y",
        .help = "and, once it has had a REG, at least Y games after its last REG (a decimal is "
                "rounded to the nearest whole game, halves to even) (up to 1000; default: 100 when "
                "only --big-end is given)",
        .manText = R"man(The rule's REG end (up to 1000; default: 100 when only
.B \-\-big\-end
is given), as for
.BR \-\-big\-end .)man",
    },
    {
        .name = "--laws",
        .commands = exact,
        .help = "with end conditions also the laws of one attempt: the chance to end ahead, "
                "the percentiles of its net coins and games, P(net >= k), the BIG count's "
                "law (seconds to minutes a setting); for a REG end above the BIG end + 1 "
                "the chance to end ahead and the 50% and 10% points only, as the sweep "
                "gives them; with --max-games the means only, the laws shown as -",
        .manText =
            R"man(With end conditions also the laws of one attempt: the chance to end ahead, the percentiles of
its net coins and games, P(net >= k) and the law of its number of BIGs.
For a REG end above the BIG end + 1 only the chance to end ahead and the median and 10% point
of the net coins, with their bounds, as
.B sweep
gives them (the run's fact
.B laws
is then
.BR head ,
else
.BR full ).
Attempts too long for the law's tables (BIG ends of 1800 and more) keep their means, the laws'
figures missing.
With
.B \-\-since\-big
the laws of the attempt on the found machine, and without
.B \-\-setting
its chance to end ahead under the posterior's mixture too.)man",
        .reading = Reading::Flag,
    },
    {
        .name = "--max-games",
        .commands = special | exact | hunt,
        .valueName = "N",
        .whole = maxGamesLimits,
        .help = "closing time: each attempt also ends at its N-th game if its end conditions "
                "have not ended it before (1 to 100000; default: no limit)",
        .manText = R"man(Closing time: each attempt also ends at its
.IR N -th
game if its end conditions have not ended it before (1 to 100000; default: no limit).
In
.B simulate special
every attempt then ends, so no end conditions are refused.
In
.B exact
it needs end conditions; the means are worked out exactly by a forward pass over the chain's
states, game by game,
.B limit_reached
gives the chance that the limit stopped the attempt, and the laws of such an attempt are not worked out (the fact
.B laws
is
.BR none ,
their figures missing).
In
.B hunt
every count is a forward pass of its own, its cost rounded as the machine rounds it, and the
chance to end ahead is left out.)man",
    },
    {
        .name = "--max-games",
        .commands = sweep,
        .valueName = "N",
        .whole = maxGamesLimits,
        .help = "closing time: each attempt also ends at its N-th game if its end conditions "
                "have not ended it before (1 to 100000; default: no limit). With it each rule's "
                "means have the cost rounded per attempt and the share of attempts the limit "
                "stopped; its chance to end ahead and its points are not worked out (shown as -), "
                "and --frontier is refused",
        .manText = R"man(Closing time: each attempt of every rule also ends at its
.IR N -th
game if its end conditions have not ended it before (1 to 100000), as for
.BR exact .
Each rule's means are then worked out by that forward pass, with the cost rounded per attempt
(the keys without
.BR _unrounded_cost ),
and
.B limit_reached
is the share of attempts the limit stopped.
Their chance to end ahead and points are not worked out: the fact
.B laws
is
.B none
and those figures, and
.BR on_frontier ,
are missing (with
.B \-\-means\-only
left out); so
.B \-\-frontier
is refused.)man",
    },
    {
        .name = "--day-games",
        .commands = normal,
        .valueName = "N",
        .whole = WholeLimits{1, largestDayGames,
                             fmt::format("a whole number of games, 1 to {}, such as 8000",
                                         largestDayGames)},
        .help = "play days at the hall instead: each day a new machine from the morning "
                "played for N games (1 to 10000000, such as 8000), the day's net coins and "
                "yen, its chance to end ahead and its percentiles",
        .manText =
            R"man(Play days at the hall instead: each day a new machine from the morning mode played for
.I N
games (1 to 10000000, such as 8000), booked as an attempt of
.I N
games (group of scope
.BR day ,
under the attempt's keys): the day's net coins, the chance to end ahead
.RB ( p_ahead ),
the net's percentiles, and at the hall's rates (which a normal run takes only with days) its
yen from stored coins or from cash (the cash in from the deepest point of the day's net), each
with its 95% interval.)man",
    },
    {
        .name = "--day-games",
        .commands = exact,
        .valueName = "N",
        .whole = WholeLimits{1, largestExactDayGames,
                             fmt::format("a whole number of games, 1 to {}, such as 8000",
                                         largestExactDayGames)},
        .help = "instead: the law of a day at the hall, a new machine from the morning "
                "played for N games (1 to 50000, such as 8000): the day's mean net coins and "
                "yen, its chance to end ahead and its percentiles (some 8 s a setting at "
                "8000 games on two threads, growing with the square of N)",
        .manText =
            R"man(Instead of an attempt: the exact law of a day at the hall, a new machine from the morning played
for
.I N
games (1 to 50000, such as 8000), a group of scope
.B day
per setting: the mean BIGs, REGs and net, the chance to end ahead, even or behind, the net's
percentiles and
.BR net_at_least ,
and from stored coins its yen. The net of
.I N
games is fixed by its BIGs and REGs, so the law is that of (BIGs, REGs): worked out by renewal
over the BIGs (the law from a BIG to the next by the mode it leaves, from the game-by-game chain
with the ceiling) with the REG count at roots of unity and the games in a tilted transform; the
BIG counts stop where the chance of more is below 1e-12. The work grows with the square of
.IR N .
Not with end conditions,
.BR \-\-max\-games ,
.BR \-\-since\-big ,
.BR \-\-prior ,
.B \-\-laws
or
.B \-\-pay cash
(the cash a day puts in is measured by
.BR "simulate normal \-\-day\-games" ).)man",
    },
    {
        .name = "--days",
        .commands = normal,
        .valueName = "D",
        .whole = WholeLimits{1, largestCount,
                             fmt::format("a whole number of days, 1 to {}", largestCount)},
        .help = "days to play in all (default: 100000; a day of 8000 games without "
                "--day-games)",
        .manText = "Days to play in all (default: 100000); alone, days of 8000 games.",
    },
    {.name = "--lend",
     .commands = everyCommand,
     .valueName = "N",
     .whole =
         WholeLimits{1, largestLend,
                     fmt::format("a whole number of coins for ¥1000, 1 to {}, such as 50 or 46",
                                 largestLend)},
     .help = "coins the hall lends for ¥1000, a whole number 1 to " + std::to_string(largestLend) +
             " (default: 50)",
     .manText = R"man(Coins lent for \[u00A5]1000, 1 to 1000 (default: 50).)man",
     .hallRate = true},
    {.name = "--exchange",
     .commands = everyCommand,
     .valueName = "X",
     .help = "coins the hall takes for ¥100 when they are exchanged, 0.1 to 1000 (default: "
             "5, 等価 at 50 lent; 5.6, 6 ...)",
     .manText = R"man(Coins taken for \[u00A5]100 when exchanged, 0.1 to 1000 (default: 5, which is
par at 50 lent; 5.6, 6, ...).)man",
     .hallRate = true},
    {.name = "--pay",
     .commands = everyCommand,
     .valueName = "coins|cash",
     .shownDefault = "coins",
     .help = "where an attempt's coins come from: coins (貯メダル, worth their exchange "
             "value) or cash (現金: ¥1000 for --lend coins whenever the net would fall "
             "below what was bought, the coins left exchanged at the end; the lots "
             "worked out exactly for a rule that ends at the first BIG, else measured)",
     .manText = R"man(.B coins
(the default): the attempt is played from stored coins, worth net \[mu] 100 /
.IR X ,
worked out exactly by
.BR exact " and " sweep .
.BR cash :
the player buys
.I N
coins for \[u00A5]1000 whenever the net would fall below what was bought and exchanges what is
left at the end: with D the deepest the net falls below 0, the cash in is \[u00A5]1000 \[mu]
ceil(D /
.IR N ).
For a rule that ends at the first BIG
.RB ( "\-\-big\-end 0 \-\-reg\-end 0" " or " 1 ,
no
.BR \-\-max\-games )
the expected lots are worked out exactly (a forward pass over the games with the mode and the
coins in hand) by
.BR exact ,
.BR hunt " (with " break_even_yen ,
the least G from which the yen stay above 0) and
.BR infer ;
no simulation is played then unless
.BR \-\-attempts " or " \-\-seed
asks for it. Otherwise D is measured by simulation (the attempt run follows every game): in
.B simulate special
over its own attempts, in
.B simulate normal
over its days; in
.BR exact " and " sweep
by a seeded simulation of each setting (or rule) beside the exact figures, in a group of source
.B simulated
whose yen are the exact net exchanged less what the lots bought lose at the exchange (with
.B \-\-since\-big
the found machine's mode drawn from the law the exact figures take; with the setting unknown,
also the posterior's mixture). A simulation expected to take more than an hour is warned of.)man",
     .reading = Reading::Always,
     .completions = {"coins", "cash"},
     .hallRate = true},
    {.name = "--games-per-hour",
     .commands = everyCommand,
     .valueName = "G",
     .help = "games played an hour, for the hours and the yen per hour, 1 to 100000 "
             "(default: 800)",
     .manText = "Games played an hour, 1 to 100000 (default: 800).",
     .hallRate = true},
    {
        .name = "--attempts",
        .commands = exact,
        .valueName = "N",
        .whole = attemptLimits,
        .help = "with --pay cash: attempts of the seeded simulation that measures how deep "
                "each setting's attempts go, and so the cash put in, played unless the lots "
                "are worked out exactly (default: " +
                std::to_string(defaultCashAttempts) + ")",
        .manText = R"man(With
.BR "\-\-pay cash" :
the attempts of the seeded simulation that measures the cash put in (see
.BR "HALL RATES" ;
default: 100000 a setting). Refused without
.BR "\-\-pay cash" .)man",
    },
    {
        .name = "--attempts",
        .commands = sweep,
        .valueName = "N",
        .whole = attemptLimits,
        .help = "with --pay cash: attempts of the seeded simulation that measures how deep "
                "each setting's attempts go, and so the cash put in, played unless the lots "
                "are worked out exactly (default: " +
                std::to_string(defaultSweepCashAttempts) + ")",
        .manText = R"man(With
.BR "\-\-pay cash" :
the attempts of the seeded simulation that measures the cash put in (see
.BR "HALL RATES" ;
default: 10000 a rule). Refused without
.BR "\-\-pay cash" .)man",
    },
    {
        .name = "--seed",
        .commands = exact | sweep,
        .valueName = "S",
        .whole = seedLimits,
        .help = "with --pay cash: the seed of that simulation (default: from the clock; "
                "always printed)",
        .manText = R"man(With
.BR "\-\-pay cash" :
the seed of that simulation (default: from the clock, always printed). Refused without
.BR "\-\-pay cash" .)man",
    },
    {
        .name = "--since-big",
        .commands = special,
        .valueName = "G",
        .whole = sinceBigLimits,
        .help = "each attempt on a machine found mid-day showing G games since its last "
                "BIG, as a player finds one: a new machine played from the morning through "
                "100 BIGs and on to a moment its wait since the last BIG reaches G (0: just "
                "after a BIG; from 1499 on the ceiling holds from the first game); the "
                "attempt's games, bonuses and end conditions count from there, the machine's "
                "mode and ceiling count are as its play left them (default: a new machine "
                "from the morning)",
        .manText = R"man(Each attempt on a machine found during the day showing
.I G
games since its last BIG, as a player finds one (0: just after a BIG; from 1499 on the
ceiling holds from the player's first game): a new machine of the setting is played from the
morning through 100 BIGs, so that its morning no longer shows, and on to a moment at which its
wait since the last BIG reaches
.IR G ;
the attempt takes it over there, its games, bonuses and end conditions counted from 0, the
machine's mode and ceiling count as its play left them.
The moment is the k-th such moment after the 100th BIG (k = 26 for
.I G
= 1, 11 for 2, 7 up to 299, 3 up to 999, 2 from 1000 on, 1 for 0): the first one after a fixed
point of the day is more often one of a run of short waits than the day's moments at that count
are, and each further moment passed brings the mode's law closer to theirs.
Worked out exactly, the mode's law at takeover is then within 1e\-5 of the long run's at every
setting.
A new machine for every attempt keeps the attempts independent of one another; the games
played to find them count in the speed only.
A count the long run reaches so seldom that finding one machine is expected to take more than
2147483647 games (from 2206 games at setting 6 to 2250 at setting 1) is refused.)man",
    },
    {
        .name = "--since-big",
        .commands = exact | sweep,
        .valueName = "G",
        .whole = sinceBigLimits,
        .help = "the attempt takes over a machine found G games after its last BIG (0 to "
                "1000000; 0: just after a BIG), its mode as the long run leaves it then; "
                "without it, a new machine in the morning. The attempt's own counts, the "
                "end rule's included, start at 0",
        .manText = R"man(The attempt (in
.BR sweep ,
every rule's) takes over a machine found
.I G
games after its last BIG (0 to 1000000; 0: just after a BIG), its mode as the machine's long run
leaves it at such a moment; without it, a new machine in the morning.
The attempt's own counts, the end rule's included, start at 0; from
.I G
= 1499 on its first game plays under the ceiling.
In
.B exact
it needs end conditions (hunt's rule, to the first BIG:
.BR "\-\-big\-end 0 \-\-reg\-end 0" ).
Without
.B \-\-setting
it also gives each setting's posterior given
.I G
.RB ( posterior )
and a group for every setting together: the figures mixed by the posterior (the means mixed,
the rates per 1000 games and the payout as the ratios of the mixed means),
.BR at_least_4 ,
.B at_least_5
and the posterior as a series over the settings; with
.B \-\-laws
also its chance to end ahead
.RB ( p_ahead ,
each setting's weighed by its posterior, as hunt's mixture has it).)man",
    },
    {
        .name = "--prior",
        .commands = exact,
        .valueName = "P1,...,P6",
        .help = "with --since-big and no --setting: the weights of 設定１..設定６ (the hall's "
                "設定配分; default: all equal) that, given G, make the posterior over the settings "
                "and the figures it mixes them to",
        .manText = R"man(With
.B \-\-since\-big
and no
.BR \-\-setting :
the weights of the settings before
.I G
is seen (the hall's setting shares; default: all equal).
The posterior of setting s is its weight times the share of its long run's games that begin
.I G
games after a BIG (its BIG rate times the chance that a wait from one BIG to the next outlasts
.I G
games).)man",
    },
    {
        .name = "--prior",
        .commands = hunt,
        .valueName = "P1,...,P6",
        .help =
            "the weights of 設定１..設定６ (the hall's 設定配分; default: all equal) that, given "
            "G, make the posterior over the settings and the mixture",
        .manText = R"man(The weights of the settings for the mixture, as for
.BR exact .)man",
    },
    {
        .name = "--seconds",
        .commands = normal | special,
        .valueName = "S",
        .help = "play for S seconds (above 0, at most 1000000000) instead of a number of "
                "games or attempts",
        .manText = R"man(Play for
.I S
seconds (above 0, at most 1000000000) instead of a number of games, days or attempts.)man",
    },
    {
        .name = "--threads",
        .commands = everyCommand,
        .valueName = "T",
        .whole = WholeLimits{1, maxThreads, fmt::format("an integer 1..{}", maxThreads)},
        .help = "threads to work on, 1 to " + std::to_string(maxThreads) +
                " (default: every core, at most " + std::to_string(maxThreads) + ")",
        .manText = R"man(Threads to work on, 1 to 256 (default: every core, at most 256).
More threads than cores play no faster.)man",
    },
    {
        .name = "--seed",
        .commands = normal | special,
        .valueName = "S",
        .whole = seedLimits,
        .help = "seed of the random streams (default: from the clock; always printed, so "
                "that a run can be repeated). Thread i draws from the seed's xoshiro256++ "
                "stream advanced by i jumps of 2^128.",
        .manText =
            R"man(Seed of the random streams (default: from the clock; always printed, so that a run can be
repeated).
Thread
.I i
draws from the seed's xoshiro256++ stream advanced by
.I i
jumps of 2^128; with the same seed and
.B \-\-threads
the output is the same apart from the time taken.)man",
    },
    {.name = "--format",
     .commands = everyCommand,
     .valueName = "table|csv|json",
     .shownDefault = "table",
     .help = "how the figures are written to standard output",
     .manText = R"man(How the figures are written to standard output (default: table); see
.BR OUTPUT .)man",
     .reading = Reading::Always,
     .completions = {"table", "csv", "json"}},
    {.name = "--log",
     .commands = normal,
     .valueName = "FILE",
     .help = "write every bonus as CSV, as the window's grid (with days: every day as "
             "the window's attempt grid)",
     .manText = R"man(Write every bonus as CSV, as the window's grid:
.BR BONUS,\[u56DE]\[u8EE2]\[u6570],\[u30E2]\[u30FC]\[u30C9],\[u7D2F]\[u8A08]\[u56DE]\[u8EE2]\[u6570],\[u30B9]\[u30EC]\[u30C3]\[u30C9]
(the bonus, the games since the previous bonus, the mode, the game number of the bonus and
the thread); with days, every day as the window's attempt grid.)man",
     .completesFile = true},
    {.name = "--log",
     .commands = special,
     .valueName = "FILE",
     .help = "write every attempt as CSV, as the window's grid",
     .manText = R"man(Write every attempt as CSV:
.BR BIG,REG,\[u5DEE]\[u679A],\[u56DE]\[u8EE2]\[u6570],\[u30B9]\[u30EC]\[u30C3]\[u30C9]
(BIGs, REGs, net coins, games and the thread).)man",
     .completesFile = true},
};

constexpr std::array commands{Command::SimulateNormal, Command::SimulateSpecial,
                              Command::Exact,          Command::Sweep,
                              Command::Hunt,           Command::Infer};

}  // namespace

std::span<const OptionRow> optionTable() {
    return rows;
}

std::vector<const OptionRow*> optionsOf(Command command) {
    std::vector<const OptionRow*> taken;
    for (const OptionRow& row : rows) {
        if (row.takenBy(command)) {
            taken.push_back(&row);
        }
    }
    return taken;
}

const OptionRow& optionRow(Command command, std::string_view name) {
    for (const OptionRow& row : rows) {
        if (row.name == name && row.takenBy(command)) {
            return row;
        }
    }
    throw std::logic_error("no option " + std::string(name) + " of " +
                           std::string(commandWords(command)) + " in the option table");
}

std::span<const Command> allCommands() {
    return commands;
}

std::string_view commandWords(Command command) {
    switch (command) {
        case Command::SimulateNormal:
            return "simulate normal";
        case Command::SimulateSpecial:
            return "simulate special";
        case Command::Exact:
            return "exact";
        case Command::Sweep:
            return "sweep";
        case Command::Hunt:
            return "hunt";
        case Command::Infer:
            break;
    }
    return "infer";
}

}  // namespace korvale
