#include "lang/confirm.h"

#include "config/settings.h"

namespace {
// Information notes and confirmations keep their suppressions in separate sections.
TFlagKind FlagKindOf(int kind)
{
    return kind == Information ? FlagInfo : FlagConfirm;
}
} // namespace

bool IsConfirmKind(int kind)
{
    return kind == Information || kind == Confirmation;
}

std::optional<bool> SuppressedAnswer(int kind, const QString &messageKey, TConfirmOptions options)
{
    if (!IsConfirmKind(kind) || messageKey.isEmpty())
        return std::nullopt;
    if (!ReadFlag(FlagKindOf(kind), messageKey, false))
        return std::nullopt;
    return (options & SkippedMeansNo) == 0;
}

void RememberAnswer(int kind, const QString &messageKey, TConfirmOptions options, bool answer,
                    bool boxTicked)
{
    if (!IsConfirmKind(kind) || messageKey.isEmpty() || !boxTicked)
        return;
    if (!answer && (options & StoreOnNo) == 0)
        return;
    WriteFlag(FlagKindOf(kind), messageKey, true); // an unwritable file just forgets the tick
}
