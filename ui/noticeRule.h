// When the window comes up by itself, when that waits, and when what it
// showed counts as seen. It makes no window calls: the dialog tells it what
// happened and asks it what to do.
#pragma once

#include "status/IPCKorvaStatus.h"

class CNoticeRule
{
public:
    // What follows a show the window made by itself.
    enum class Outcome
    {
        kNothing, // in front, with nothing new to record
        kSeen,    // in front: the user has "enabled" now
        kNotify,  // behind: the tray icon's notification tells
    };

    // A poll's reading. `news`: "enabled" that the user has not had yet;
    // `atStart`: the window is wanted once after start. True when
    // KorvaLastEnabled may take a definite reading now: "enabled" only once
    // the user had it.
    bool Read(KorvaStatus reading, bool news, bool atStart);
    // The unknown readings reached their count. One box at a time.
    void OweWarning();

    // What may show now. An owed pop-up waits for an icon that can bring the
    // window back and for a user who is not busy, the warning for the user
    // only. `userBusy` is asked only when something waits: the shell's
    // answer costs a call.
    template <typename UserBusy>
    bool PopUpDue(bool iconInShell, UserBusy&& userBusy) const
    {
        return PopUpOwed() && iconInShell && !userBusy();
    }
    template <typename UserBusy>
    bool WarningDue(UserBusy&& userBusy) const
    {
        return m_warning == Warning::kOwed && !userBusy();
    }
    // Until then an owed pop-up holds back every other show but the user's
    // own, which waits for the icon only.
    template <typename UserBusy>
    bool HoldsBackShow(bool iconInShell, bool userAsked, UserBusy&& userBusy) const
    {
        return PopUpOwed() && !(iconInShell && (userAsked || !userBusy()));
    }

    // A show by the window itself begins: activations until Shown are its
    // own, not the user's.
    void PopUpShowing();
    void WarningShowing();
    Outcome Shown(bool inFront);
    void WarningClosed();

    // The user had the window: clicked its notification, showed or hid it.
    // True when that makes "enabled" seen.
    bool Seen();
    // The window became active while it showed, by the user's doing unless
    // a show of its own is under way.
    bool Activated();

private:
    bool PopUpOwed() const { return m_popUp != PopUp::kNone; }

    enum class PopUp { kNone, kForNews, kAtStart };
    enum class News { kNone, kUnseen, kSeen };
    enum class Warning { kNone, kOwed, kOpen };

    PopUp m_popUp = PopUp::kNone;
    News m_news = News::kNone;
    Warning m_warning = Warning::kNone;
    bool m_showing = false;
};
