#include "lang/confirm.h"

#include "config/settings.h"

namespace {
// Information notes and confirmations keep their suppressions in separate sections.
FlagKind flagKindOf(int kind)
{
    return kind == Information ? FlagInfo : FlagConfirm;
}
} // namespace

bool isConfirmKind(int kind)
{
    return kind == Information || kind == Confirmation;
}

std::optional<bool> suppressedAnswer(int kind, const QString &messageKey, ConfirmOptions options)
{
    if (!isConfirmKind(kind) || messageKey.isEmpty())
        return std::nullopt;
    if (!readFlag(flagKindOf(kind), messageKey, false))
        return std::nullopt;
    return (options & SkippedMeansNo) == 0;
}

void rememberAnswer(int kind, const QString &messageKey, ConfirmOptions options, bool answer,
                    bool boxTicked)
{
    if (!isConfirmKind(kind) || messageKey.isEmpty() || !boxTicked)
        return;
    if (!answer && (options & StoreOnNo) == 0)
        return;
    writeFlag(flagKindOf(kind), messageKey, true); // an unwritable file just forgets the tick
}
