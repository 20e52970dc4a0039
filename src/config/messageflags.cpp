#include "messageflags.h"

#include "settings.h"

namespace {
FlagKind flagKindOf(ConfirmKind kind)
{
    return kind == Information ? FlagInfo : FlagConfirm;
}
} // namespace

bool SettingsMessageMemory::isSuppressed(ConfirmKind kind, const QString &messageKey) const
{
    return readFlag(flagKindOf(kind), messageKey, false);
}

void SettingsMessageMemory::suppress(ConfirmKind kind, const QString &messageKey)
{
    writeFlag(flagKindOf(kind), messageKey, true);
}
