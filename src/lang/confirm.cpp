#include "lang/confirm.h"

bool isConfirmKind(int kind)
{
    return kind == Information || kind == Confirmation;
}

std::optional<bool> suppressedAnswer(const MessageMemory &memory, int kind,
                                     const QString &messageKey, ConfirmOptions options)
{
    if (!isConfirmKind(kind) || messageKey.isEmpty())
        return std::nullopt;
    if (!memory.isSuppressed(ConfirmKind(kind), messageKey))
        return std::nullopt;
    return (options & SkippedMeansNo) == 0;
}

void rememberAnswer(MessageMemory &memory, int kind, const QString &messageKey,
                    ConfirmOptions options, bool answer, bool boxTicked)
{
    if (!isConfirmKind(kind) || messageKey.isEmpty() || !boxTicked)
        return;
    if (!answer && (options & StoreOnNo) == 0)
        return;
    memory.suppress(ConfirmKind(kind), messageKey);
}
