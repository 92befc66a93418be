#include "tests/support/ScriptedPlatform.h"

#include <QDialog>

void ScriptedUiPlatform::runModal(QDialog &dialog)
{
    modalForms.append(dialog.objectName());
    dialog.setModal(true);
    dialog.show();
    if (dialogScripts.isEmpty())
        dialog.reject();
    else
        dialogScripts.dequeue()(dialog);
    if (dialog.isVisible())
        dialog.reject();
}
