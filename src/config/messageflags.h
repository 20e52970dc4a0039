#pragma once

#include "lang/confirm.h"

// The messages the user asked not to see again, as flags in the settings file: information
// notes and confirmations in sections of their own.
class SettingsMessageMemory final : public MessageMemory
{
  public:
    bool isSuppressed(ConfirmKind kind, const QString &messageKey) const override;
    void suppress(ConfirmKind kind, const QString &messageKey) override;
};
