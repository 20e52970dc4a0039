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

// The answer of a message the user asked not to see again, read from the settings flags;
// nullopt when the message is to be shown (also for an unknown kind: see IsConfirmKind).
std::optional<bool> suppressedAnswer(int kind, const QString &messageKey, ConfirmOptions options);
// Stores the tick after the dialog ended with answer, as the options say.
void rememberAnswer(int kind, const QString &messageKey, ConfirmOptions options, bool answer,
                    bool boxTicked);
bool isConfirmKind(int kind);
