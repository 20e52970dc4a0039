#pragma once

#include "refresh/checkcode.h"
#include "store/intervals.h"
#include "store/linkhistory.h"

// The history with one more check at its front, made at now. A check that recorded
// nothing (CheckCode::None) leaves it as it was.
LinkHistory addCheck(LinkHistory history, CheckCode code, DateTime now);

struct LinkJudgement
{
    LinkVerdict verdict = LinkVerdict::None;
    DateTime nextCheck = 0;
};

// The verdict on a link from its history, the newest check made at lastCheck; atOnce says
// that check found a parking host or name server, which needs no second check.
LinkJudgement judgeLink(const LinkHistory &history, DateTime lastCheck, bool atOnce,
                        const Intervals &intervals);
