#include "ui/noticeRule.h"

bool CNoticeRule::Read(KorvaStatus reading, bool news, bool atStart)
{
    // The box is for a status that is still unknown.
    if (reading != kKorvaUnknown && m_warning == Warning::kOwed)
        m_warning = Warning::kNone;
    if (reading != kKorvaEnabled || !news) {
        // "Enabled" gone, or recorded, before the user had it is no news.
        m_news = News::kNone;
        if (m_popUp == PopUp::kForNews)
            m_popUp = PopUp::kNone;
    } else if (m_news == News::kNone) {
        // Once a run: news that waits for the user is not popped up again,
        // nor news seen whose record could not be stored.
        m_news = News::kUnseen;
        if (m_popUp == PopUp::kNone)
            m_popUp = PopUp::kForNews;
    }
    // The start's pop-up shows the window whatever it says.
    if (atStart)
        m_popUp = PopUp::kAtStart;
    return reading != kKorvaUnknown && m_news != News::kUnseen;
}

void CNoticeRule::OweWarning()
{
    if (m_warning == Warning::kNone)
        m_warning = Warning::kOwed;
}

void CNoticeRule::PopUpShowing()
{
    m_popUp = PopUp::kNone;
    m_showing = true;
}

void CNoticeRule::WarningShowing()
{
    m_warning = Warning::kOpen;
    m_showing = true;
}

CNoticeRule::Outcome CNoticeRule::Shown(bool inFront)
{
    m_showing = false;
    if (!inFront)
        return Outcome::kNotify;
    return Seen() ? Outcome::kSeen : Outcome::kNothing;
}

void CNoticeRule::WarningClosed()
{
    m_warning = Warning::kNone;
}

bool CNoticeRule::Seen()
{
    // The window is the user's now: nothing owed shows it again.
    m_popUp = PopUp::kNone;
    if (m_news != News::kUnseen)
        return false;
    m_news = News::kSeen;
    return true;
}

bool CNoticeRule::Activated()
{
    return !m_showing && Seen();
}
