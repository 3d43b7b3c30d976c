// When a notice shows, waits and counts as seen, without a window: the rule
// driven as the dialog drives it, with the KorvaLastEnabled it stores.
#include "ui/noticeRule.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

enum class Path { kNewlyEnabled, kStartPopUp, kUnknownBox };
enum class Shows { kNothing, kPopUp, kBox };
enum class Does { kNothing, kActivates, kClicksNotification, kHides, kExits };
using LastEnabled = std::optional<DWORD>;

// One run of the applet for a user new to "enabled".
struct AppletRun
{
    CNoticeRule rule;
    LastEnabled& lastEnabled;

    void Read(KorvaStatus reading, bool atStart = false)
    {
        if (rule.Read(reading, reading == kKorvaEnabled && lastEnabled != 1u, atStart))
            lastEnabled = reading == kKorvaEnabled ? 1u : 0u;
    }
    void Start(Path path)
    {
        Read(path == Path::kUnknownBox ? kKorvaUnknown : kKorvaEnabled,
             path == Path::kStartPopUp);
        if (path == Path::kUnknownBox)
            rule.OweWarning();
    }
    Shows Due(bool iconInShell = true, bool userBusy = false) const
    {
        const auto busy = [userBusy] { return userBusy; };
        return rule.WarningDue(busy)                 ? Shows::kBox
               : rule.PopUpDue(iconInShell, busy) ? Shows::kPopUp
                                                  : Shows::kNothing;
    }
    void Record(bool seen)
    {
        if (seen)
            lastEnabled = 1u;
    }
    // Shows what is due; true when the tray icon's notification must tell.
    bool Show(Shows what, bool inFront)
    {
        what == Shows::kBox ? rule.WarningShowing() : rule.PopUpShowing();
        const CNoticeRule::Outcome outcome = rule.Shown(inFront);
        Record(outcome == CNoticeRule::Outcome::kSeen);
        return outcome == CNoticeRule::Outcome::kNotify;
    }
};

struct Notice
{
    Path path;
    bool inFront; // else Windows kept the window behind
    Does does;
    bool notified;
    LastEnabled lastEnabled; // at the end of the run
    bool nextStartPopsUp;
};

class NoticeDelivery : public ::testing::TestWithParam<Notice>
{
};

TEST_P(NoticeDelivery, CountsAsSeenOnlyWhenTheUserHadIt)
{
    const Notice& row = GetParam();
    LastEnabled lastEnabled;
    AppletRun run{{}, lastEnabled};
    run.Start(row.path);
    const Shows shows = run.Due();
    ASSERT_EQ(shows, row.path == Path::kUnknownBox ? Shows::kBox : Shows::kPopUp);
    EXPECT_EQ(run.Show(shows, row.inFront), row.notified);
    if (row.does == Does::kActivates)
        run.Record(run.rule.Activated());
    else if (row.does == Does::kClicksNotification || row.does == Does::kHides)
        run.Record(run.rule.Seen());
    if (row.does != Does::kExits) {
        // Later polls pop it up no more; nor does a new run of unknown
        // readings stack a second box on the open one.
        shows == Shows::kBox ? run.rule.OweWarning() : run.Read(kKorvaEnabled);
        EXPECT_EQ(run.Due(), Shows::kNothing);
    }
    EXPECT_EQ(lastEnabled, row.lastEnabled);

    AppletRun next{{}, lastEnabled};
    next.Start(row.path);
    EXPECT_EQ(next.Due() == Shows::kPopUp, row.nextStartPopsUp);
}

std::string NoticeName(const ::testing::TestParamInfo<Notice>& info)
{
    constexpr const char* kPaths[] = {"NewlyEnabled", "StartPopUp", "UnknownBox"};
    constexpr const char* kDoes[] = {"Nothing", "Activates", "ClicksNotification", "Hides",
                                     "Exits"};
    const Notice& row = info.param;
    return std::string(kPaths[static_cast<int>(row.path)]) + (row.inFront ? "InFront" : "Behind") +
           "UserDoes" + kDoes[static_cast<int>(row.does)];
}

constexpr std::nullopt_t kNone = std::nullopt;
using P = Path;
using D = Does;
// Path x foreground x what the user does; in front, the user has it already.
INSTANTIATE_TEST_SUITE_P(
    PathsForegroundsAndUsers, NoticeDelivery,
    ::testing::Values(
        Notice{P::kNewlyEnabled, true, D::kNothing, false, 1u, false},
        Notice{P::kNewlyEnabled, true, D::kExits, false, 1u, false},
        Notice{P::kNewlyEnabled, false, D::kNothing, true, kNone, true},
        Notice{P::kNewlyEnabled, false, D::kActivates, true, 1u, false},
        Notice{P::kNewlyEnabled, false, D::kClicksNotification, true, 1u, false},
        Notice{P::kNewlyEnabled, false, D::kHides, true, 1u, false},
        Notice{P::kNewlyEnabled, false, D::kExits, true, kNone, true},
        // The start's pop-up, carrying the news; every start pops up.
        Notice{P::kStartPopUp, true, D::kNothing, false, 1u, true},
        Notice{P::kStartPopUp, true, D::kExits, false, 1u, true},
        Notice{P::kStartPopUp, false, D::kNothing, true, kNone, true},
        Notice{P::kStartPopUp, false, D::kActivates, true, 1u, true},
        Notice{P::kStartPopUp, false, D::kClicksNotification, true, 1u, true},
        Notice{P::kStartPopUp, false, D::kHides, true, 1u, true},
        Notice{P::kStartPopUp, false, D::kExits, true, kNone, true},
        // Only a definite reading is recorded.
        Notice{P::kUnknownBox, true, D::kNothing, false, kNone, false},
        Notice{P::kUnknownBox, true, D::kExits, false, kNone, false},
        Notice{P::kUnknownBox, false, D::kNothing, true, kNone, false},
        Notice{P::kUnknownBox, false, D::kActivates, true, kNone, false},
        Notice{P::kUnknownBox, false, D::kClicksNotification, true, kNone, false},
        Notice{P::kUnknownBox, false, D::kExits, true, kNone, false}),
    NoticeName);

// What waits: a pop-up for an icon that can bring the window back and for a
// user who is not busy, the box for the user; and what a reading or the
// user's own request does to it meanwhile.
struct Wait
{
    const char* name;
    Path path;
    bool iconInShell; // while it waits; the user is busy unless the icon is missing
    std::optional<KorvaStatus> meanwhile;
    bool userAsks;
    Shows showsOnceFree;
    LastEnabled lastEnabled;
};

class NoticeWaits : public ::testing::TestWithParam<Wait>
{
};

TEST_P(NoticeWaits, WhatWaitsShowsOnceItMay)
{
    const Wait& row = GetParam();
    const bool busy = row.iconInShell;
    LastEnabled lastEnabled;
    AppletRun run{{}, lastEnabled};
    run.Start(row.path);
    EXPECT_EQ(run.Due(row.iconInShell, busy), Shows::kNothing);
    // A show from elsewhere (the modal run's first, a second start's
    // restore) waits as well; the user's own only for the icon.
    const auto userBusy = [busy] { return busy; };
    EXPECT_EQ(run.rule.HoldsBackShow(row.iconInShell, false, userBusy),
              row.path != Path::kUnknownBox);
    EXPECT_EQ(run.rule.HoldsBackShow(row.iconInShell, true, userBusy),
              row.path != Path::kUnknownBox && !row.iconInShell);
    if (row.userAsks && row.iconInShell)
        run.Record(run.rule.Seen());
    if (row.meanwhile)
        run.Read(*row.meanwhile);

    const Shows shows = run.Due();
    EXPECT_EQ(shows, row.showsOnceFree);
    if (shows != Shows::kNothing)
        run.Show(shows, true);
    EXPECT_EQ(lastEnabled, row.lastEnabled);
}

INSTANTIATE_TEST_SUITE_P(
    Waits, NoticeWaits,
    ::testing::Values(
        Wait{"PopUpForTheIcon", P::kNewlyEnabled, false, {}, false, Shows::kPopUp, 1u},
        Wait{"PopUpForABusyUser", P::kNewlyEnabled, true, {}, false, Shows::kPopUp, 1u},
        Wait{"NewsGoneMeanwhile", P::kNewlyEnabled, true, kKorvaDisabled, false, Shows::kNothing,
             0u},
        Wait{"NewsStillNews", P::kNewlyEnabled, true, kKorvaEnabled, false, Shows::kPopUp, 1u},
        Wait{"StartPopUpWhateverTheStatus", P::kStartPopUp, true, kKorvaDisabled, false,
             Shows::kPopUp, 0u},
        Wait{"UserAskedWhileBusy", P::kNewlyEnabled, true, {}, true, Shows::kNothing, 1u},
        Wait{"UserAskedWithoutTheIcon", P::kStartPopUp, false, {}, true, Shows::kPopUp, 1u},
        Wait{"BoxForABusyUser", P::kUnknownBox, true, kKorvaUnknown, false, Shows::kBox, kNone},
        Wait{"BoxGoneWithADefiniteReading", P::kUnknownBox, true, kKorvaDisabled, false,
             Shows::kNothing, 0u}),
    [](const ::testing::TestParamInfo<Wait>& info) { return std::string(info.param.name); });

} // namespace
