#include "app/shell/UnsavedChanges.h"

#include "common/MessageBoxes.h"
#include "platform/registry/PrefixStore.h"

bool MayCloseWithUnsavedChanges(PrefixStore& store)
{
    // The reason may have gone meanwhile (Wine ended, space was freed); the question below says
    // why when it has not, so the failure is not reported twice.
    if (!store.hasUnsavedChanges() || store.save(PrefixStore::Report::Quietly))
        return true;
    const QString question = QStringLiteral("Some changes could not be saved to the registry of %1:\r\n%2\r\n\r\n"
                                            "Close anyway and lose them?")
                                 .arg(store.prefixDir(), store.lastError());
    return AskQuestion(question, vbYesNo | vbDefaultButton2) == vbYes;
}
