#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

enum ConfirmKind { Information = 0, Confirmation = 1 };

enum ConfirmOption : quint8 {
    YesNo = 1,            // Yes/No instead of OK/Cancel
    CheckedByDefault = 2, // "Do not show this message again" starts ticked
    StoreOnNo = 4,        // the tick is kept after a negative answer too
    SkippedMeansNo = 8,   // a suppressed message answers false
    NoCancel = 16,        // a note that asks nothing: the OK button alone
};
using ConfirmOptions = quint8;

// The one way the program asks the user something or tells them something. The dialog
// implements it; tests hand in their own answers.
class Confirmer
{
  public:
    virtual ~Confirmer() = default;
    virtual bool showConfirm(int kind, const QString &text, const QString &messageKey,
                             quint16 imageIndex, ConfirmOptions options) = 0;
};

// The messages the user asked not to see again ("Do not show this message again"), kept
// apart by kind; the settings keep them, tests may keep their own.
class MessageMemory
{
  public:
    virtual ~MessageMemory() = default;
    virtual bool isSuppressed(ConfirmKind kind, const QString &messageKey) const = 0;
    // A memory that cannot be written just forgets the tick.
    virtual void suppress(ConfirmKind kind, const QString &messageKey) = 0;
};

// The answer of a message the user asked not to see again; nullopt when the message is to
// be shown (also for an unknown kind: see isConfirmKind).
std::optional<bool> suppressedAnswer(const MessageMemory &memory, int kind,
                                     const QString &messageKey, ConfirmOptions options);
// Stores the tick after the dialog ended with answer, as the options say.
void rememberAnswer(MessageMemory &memory, int kind, const QString &messageKey,
                    ConfirmOptions options, bool answer, bool boxTicked);
bool isConfirmKind(int kind);
