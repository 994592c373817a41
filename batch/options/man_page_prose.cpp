#include "batch/options/man_page_prose.h"

namespace korvale {
namespace {

// OUTPUT, before the figure keys.
constexpr std::string_view outputSections[] = {
    R"man(.SH OUTPUT
.TP
.B table
Aligned columns, at most six significant digits, shares as percentages, odds as 1/x; measured
figures with their 95% interval beside them.
.TP
.B csv
One row per figure, RFC 4180 with CRLF line ends, UTF-8 with a byte order mark:
.BR source,\:setting,\:scope,\:big_end,\:reg_end,\:key,\:label,\:unit,\:x,\:value,\:ci95_low,\:ci95_high .
.I source
is
.BR exact ,
.BR simulated ,
.B run
(what was asked) or
.B timing
(the time taken);
.I scope
is
.BR long_run ,
.BR attempt ,
.B day
or
.BR history ;
.I x
is the argument of a point of a law.
.TP
.B json
One object:
.BR command ,
.BR run ,
.BR partial ,
.B results
(one object per setting and scope with its
.B figures
as {"key": {"value": v}}, measured ones with
.BR ci95 ,
laws under
.B series
as {"x": [...], "value": [...]}, and
.B details
for the exact figures' error bounds) and
.BR timing .
.PP
The same figure has the same key wherever it appears, so exact and simulated output join on
(setting, scope, key).
)man",
};

// The figure keys, by the groups of the output.
constexpr std::string_view figureKeySections[] = {
    R"man(.SH FIGURE KEYS
.SS "Long run (exact; measured by simulate normal)"
.TP
.BR big_odds ", " reg_odds ", " bonus_odds
Games per BIG, per REG and per bonus (shown as 1/x).
.TP
.B payout_percent
The payout rate in percent: coins out per 100 coins in.
.TP
.BR mode0_share " .. " mode5_share
The share of games begun in mode 0 to 5.
.TP
.BR mode0_rt_release_rate " .. " mode5_rt_release_rate
Games in the mode per BIG drawn in it (empty for mode 0, which no bonus leads back to).
.TP
.BR big_gap_ge_500 ", " big_gap_ge_1000 ", " big_gap_ge_1500
The share of waits from one BIG to the next (REGs between allowed) that reach 500, 1000 or
1500 games.
.TP
.BR big_gap_mean ", " big_gap_p1 " .. " big_gap_p99
The mean wait from BIG to BIG and its
.IR n %
points,
.BI big_gap_p n
for
.I n
= 1, 5, 10, 25, 50, 75, 90, 95, 99.
.TP
.BR big_gap_law ", " bonus_gap_law " (series)"
P(wait =
.I x
games),
.I x
= 1..3000, from BIG to BIG and from any bonus to the next.
)man",
    R"man(.SS "Attempt (exact with \-\-big\-end and \-\-reg\-end; measured by simulate special)"
.TP
.BR games_per_attempt ", " big_per_attempt ", " reg_per_attempt
Games, BIGs and REGs of one attempt, on average.
.TP
.BR cost_per_attempt ", " net_coins_per_attempt ", " net_per_1000_games
The coin cost of an attempt (rounded once per attempt, as the window rounds it), its net coins,
and the net coins per 1000 games.
.TP
.B payout_percent
The payout rate of attempts under this rule.
.TP
.BR p_ahead ", " p_even ", " p_behind " (\-\-laws)"
The share of attempts that end with net coins above, at or below 0.
.TP
.BR net_coins_p1 " .. " net_coins_p99 ", " games_p1 " .. " games_p99 " (\-\-laws)"
The
.IR n %
points of an attempt's net coins and games, for the same
.I n
as the waits' points.
.TP
.BR net_at_least ", " big_count_law " (series, \-\-laws)"
P(net >=
.IR x )
and P(BIGs =
.IR x ).
.TP
.BR limit_reached " (\-\-max\-games)"
In
.BR exact ,
the chance that the game limit stopped the attempt; in
.BR sweep ,
the share of a rule's attempts it stopped.
.TP
.BR hours_per_attempt ", " yen_per_attempt ", " yen_per_hour
The hours of one attempt at the games an hour, and its yen at the hall's rates, per attempt and
per hour (from cash exact for a rule that ends at the first BIG, else measured; see HALL RATES).
.TP
.BR cash_in_per_attempt ", " deepest_mean ", " deepest_p50 ", " deepest_p90 " (\-\-pay cash)"
The cash put in, and the mean and the 50% and 90% points of D, the deepest the net falls below
0 (the 90% point: how many coins' worth to bring).
)man",
    R"man(.SS "Sweep (exact, one result per rule)"
.TP
.BR games_per_attempt ", " big_per_attempt ", " reg_per_attempt
As for an attempt.
.TP
.BR cost_per_attempt_unrounded_cost ", " net_coins_per_attempt_unrounded_cost
The cost and net coins of an attempt with the cost taken as c \(mu games.
.TP
.BR net_per_1000_games_unrounded_cost ", " payout_percent_unrounded_cost
The same per 1000 games and as a payout rate.
With
.B \-\-max\-games
these four under the attempt's keys (the cost rounded per attempt), and
.B limit_reached
as for an attempt.
.TP
.BR best_per_attempt ", " best_per_1000_games
1 on each setting's best rule by net coins per attempt and per 1000 games.
.TP
.BR p_ahead ", " net_coins_p50 ", " net_coins_p10
The chance that an attempt ends ahead and the median and 10% point of its net coins, as for an
attempt with
.BR \-\-laws ;
missing for attempts too long for the law's tables and for a law whose bound is above 1e-4.
.TP
.B on_frontier
1 on the rules on the setting's efficient frontier (see
.BR \-\-frontier ),
0 on the others (CSV and JSON); missing with
.BR \-\-max\-games .
)man",
    R"man(.SS "Details (exact only; CSV and JSON)"
.BR cost_rounded_per_attempt ,
.BR cost_exact_below_games ,
.BR cost_error_bound ,
.B cash_yen_error_bound
(from cash with the lots worked out, in yen),
.BR outcome_law_error_bound ,
.BR gap_law_cut ,
and a sweep's
.B outcome_law_error_bound
(which bounds
.BR p_ahead ),
.BR net_coins_p50_error_bound " and " net_coins_p10_error_bound
(how many coins each point can be off given that bound):
how the exact figures were worked out and the bounds on their error.
)man",
    R"man(.SS "Counts (measured only)"
.BR games ,
.BR big ,
.BR reg ,
.BR net_coins ,
.BR mode0_games " .. " mode5_games ,
.BR mode0_big " .. " mode5_big ,
.BR attempts ,
.BR big_gaps ,
the series
.B net_histogram
(attempts per 50-coin bin), and
.BI < series >_measured_to\fR,\fP
the last
.I x
a measured law reaches.
)man",
    R"man(.SS "infer"
The series
.B posterior
(P(setting
.I x
| history),
.I x
= 1..6),
.BR at_least_4 ,
.BR at_least_5 ,
.BR expected_net_next_1000_games ,
per setting
.BR mode0_chance " .. " mode5_chance
and
.BR log_likelihood ,
the same from the counts alone
.RB ( count_only_posterior ,
.BR count_only_at_least_4 ,
.BR count_only_at_least_5 ),
and the counts
.BR games ,
.BR big ,
.BR reg .
With a rule, after those groups, an attempt group per setting the history allows and one for
every setting together (the posterior's mixture), with the keys of
.BR exact 's
attempt groups.
)man",
};

// EXIT STATUS, ENVIRONMENT, EXAMPLES and SEE ALSO.
constexpr std::string_view closingSections[] = {
    R"man(.SH EXIT STATUS
.TP
.B 0
The figures were written.
A history without a bonus is answered by the prior, with a warning on standard error.
.TP
.B 1
The run failed, or a file could not be opened, read or written: the history, the
.B \-\-log
file, standard output (a full disk, say); or an attempt outlasted one of the machine's 32-bit
counters (the attempts finished before it are printed, marked partial, and the counter is
named).
The reason is given on standard error.
.TP
.B 2
A bad command line, or a history with a line that is not a bonus: one line on standard error,
naming the option or the line, and nothing on standard output.
.TP
.B 130
Stopped with Ctrl-C: a simulation prints the figures of what it played, and the exact commands
(a sweep too) those of their figures already worked out, marked partial;
.B infer
prints nothing, or with a rule the estimate without the worth of playing on, marked partial.
)man",
    R"man(.SH ENVIRONMENT
.TP
.B KORVALE_VECTOR
The variant of the outcome law's vector code:
.BR sse2 ,
.B avx2
or
.BR avx512 .
Without it, or when it names a variant the processor lacks, the widest the processor offers
runs.
Every variant gives the same figures to the last bit; the narrower ones take longer.
)man",
    R"man(.SH EXAMPLES
A billion games of setting 6 on every core:
.PP
.RS
.EX
korvale\-batch simulate normal \-\-setting 6 \-\-games 1000000000
.EE
.RE
.PP
A million attempts ending 300 games after the last BIG and 100 after the last REG, as JSON,
every attempt logged:
.PP
.RS
.EX
korvale\-batch simulate special \-\-attempts 1000000 \e
    \-\-big\-end 300 \-\-reg\-end 100 \-\-seed 42 \-\-format json \-\-log attempts.csv
.EE
.RE
.PP
Attempts on machines found 800 games after their last BIG, quitting at the first BIG:
.PP
.RS
.EX
korvale\-batch simulate special \-\-since\-big 800 \-\-big\-end 0 \-\-reg\-end 0 \-\-attempts 100000
.EE
.RE
.PP
The exact figures of an attempt rule with its laws, and a sweep as CSV:
.PP
.RS
.EX
korvale\-batch exact \-\-setting 1 \-\-big\-end 300 \-\-reg\-end 100 \-\-laws
korvale\-batch sweep \-\-format csv > sweep.csv
.EE
.RE
.PP
Which setting, from a day's log:
.PP
.RS
.EX
korvale\-batch simulate normal \-\-games 8000 \-\-threads 1 \-\-log day.csv
korvale\-batch infer day.csv \-\-trailing 180
.EE
.RE
.PP
A day of 8000 games from the morning at 設定６, played 100000 times from cash at 5.6, and its
exact law:
.PP
.RS
.EX
korvale\-batch simulate normal \-\-setting 6 \-\-day\-games 8000 \-\-exchange 5.6 \-\-pay cash
korvale\-batch exact \-\-setting 6 \-\-day\-games 8000
.EE
.RE
)man",
    R"man(.SH SEE ALSO
.BR korvale (1)
)man"};

// What each command does, before its options.
constexpr std::string_view normalIntro =
    R"man(One machine per thread played without end (the window's normal run): the long-run figures per
mode, measured.
)man";

constexpr std::string_view specialIntro =
    R"man(Attempts from a new machine each (the window's special run), shared out among the threads.
)man";

constexpr std::string_view exactIntro =
    R"man(The long run of every setting, worked out from the machine's Markov chain; with end conditions
also what one attempt is worth, its coin cost rounded once per attempt as the machine rounds it
(from the rounding's period, or for long attempts from the law of their games; a rule that
neither reaches keeps c \(mu games, under the keys that end in
.BR _unrounded_cost ).
)man";

constexpr std::string_view sweepIntro =
    R"man(What an attempt is worth over a grid of end conditions, each rule's chance to end ahead and the
median and 10% point of its net coins, each setting's best rules and the rules on its efficient
frontier.
The cost is taken as c \(mu games, without the per-attempt rounding of
.BR exact ;
the figures that hold it carry keys of their own.
The chance and the points come from the attempt's outcome law, as
.B exact \-\-laws
gives them; for a REG end above the BIG end + 1 from a law of their own with
the same exactness.
A rule whose attempts are too long for the law's tables (BIG ends of 1800 and more), or whose
law leaves the chance to end ahead less certain than 1e-4 (REG ends from about 400 up), has the
three figures missing (\(lq-\(rq in the table, empty in CSV, null in JSON) and is never on the
frontier; the second keeps its
.BR outcome_law_error_bound .
The table shows a block for each setting, its best rules with \(lq\(ci\(rq in its frontier
column on those on the frontier, in the columns a player weighs first (within 100 columns);
CSV and JSON hold every figure of every rule.
)man";

constexpr std::string_view huntIntro =
    R"man(The table of when a machine is worth playing (\[u72D9]\[u3044]\[u76EE]): for a machine found
.I G
games after its last BIG, for
.I G
over a grid, what an attempt under one rule is worth at each setting and, with all six, under
the posterior's mixture of them (as
.B exact \-\-since\-big
gives it for one
.IR G ):
the net coins per attempt, the games and BIGs per attempt, the net coins per 1000 games and per
hour, each as a series over
.I G
.RB ( net_coins_per_attempt_unrounded_cost ,
.BR games_per_attempt ,
.BR big_per_attempt ,
.BR net_per_1000_games_unrounded_cost ,
.BR net_per_hour_unrounded_cost ,
from stored coins the yen per attempt and per hour at the hall's rates
.RB ( yen_per_attempt_unrounded_cost ,
.BR yen_per_hour_unrounded_cost ;
from cash with a rule that ends at the first BIG, with the lots bought worked out, and
.BR break_even_yen ;
for another rule the table gives no yen from cash and says so), the chance to end ahead
.RB ( p_ahead ;
left out with
.B \-\-max\-games
and for attempts too long for the law's tables, the table's legend then saying why)
and with all six
.BR posterior ),
and the break-even
.I G
.RB ( break_even ):
the least
.I G
of the grid from which the net coins per attempt stay above 0 up to the grid's last
.IR G ,
with no value (\(lq-\(rq in the table, empty in CSV, null in JSON) when they are not above 0
there.
The cost is c \(mu games, as the sweep's; one pass of the attempt's chain gives every
.I G
of a setting's means; the chances to end ahead beside them are good to the bound given as
outcome_law_error_bound (about 2e-10).
)man";

constexpr std::string_view inferIntro =
    R"man(Which setting a machine is on, from its bonus history: the exact posterior over the six
settings (the hidden mode followed game by game), P(setting >= 4), P(setting >= 5), the expected
net coins of the next 1000 games, and the answer from the counts alone beside it.
)man";

}  // namespace

std::string_view manNameSection() {
    return R"man(.SH NAME
korvale-batch \- play the Korvale pachislot machine on every core, or work its figures out exactly
)man";
}

std::string_view manDescriptionSection() {
    return R"man(.SH DESCRIPTION
.B korvale-batch
plays the same machine model as the window
.BR korvale (1)
without the window: an Okinawa-type pachislot machine with BIG and REG bonuses, six payout
settings and a hidden internal mode that changes only when a bonus falls.
It plays on every core and prints the figures the window shows, each measured rate with a 95%
confidence interval, or it works the figures out exactly from the machine's Markov chain.
.PP
Every command has its own
.BR \-\-help .
Values are read strictly: counts are whole numbers, end conditions, seconds and weights decimal
numbers without an exponent; a value beyond its limits (an end condition beyond the 32-bit game
counter, a decimal too large for a double or too small to be told from 0) is refused with them.
The limits hold for the number as typed, not for the double it rounds to:
.B "\-\-exchange 0.09999999999999999999"
is refused.
The REG end is rounded to whole games, halves to even, decided from its digits
.RB ( 100.5000000000000000001
is 101).
What the user typed or a file held is echoed with controls, bidirectional controls and bytes
that are not UTF-8 shown as
.BR \ex NN .
End conditions that no attempt can be expected to meet within the machine's 32-bit game counter
are refused with the reason.
A progress bar is drawn on standard error only when it is a terminal.
)man";
}

std::string_view manProgramOptions() {
    return R"man(.SH COMMON OPTIONS
.TP
.BR \-h ", " \-\-help
Print the help of the program or of the command, and exit.
.TP
.B \-\-version
Print the version, with the variant of the vector code that runs (see
.BR ENVIRONMENT ),
and exit (before a command only).
)man";
}

std::string_view manCommandIntro(Command command) {
    switch (command) {
        case Command::SimulateNormal:
            return normalIntro;
        case Command::SimulateSpecial:
            return specialIntro;
        case Command::Exact:
            return exactIntro;
        case Command::Sweep:
            return sweepIntro;
        case Command::Hunt:
            return huntIntro;
        case Command::Infer:
            break;
    }
    return inferIntro;
}

std::string_view manCommandOutro(Command command) {
    return command == Command::Sweep
               ? R"man(On a terminal the sweep first says what the risk figures (with a game limit, the means) will
cost, and its progress bar weighs each rule by its expected cost.
Ctrl-C prints every rule whose means are done, with the risk of those worked out, marked
partial; with a game limit, every setting whose means are done.
)man"
               : "";
}

std::span<const std::string_view> manOutputSections() {
    return outputSections;
}

std::span<const std::string_view> manFigureKeySections() {
    return figureKeySections;
}

std::span<const std::string_view> manClosingSections() {
    return closingSections;
}

}  // namespace korvale
